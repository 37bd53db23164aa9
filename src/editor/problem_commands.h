#pragma once
// Going to the record a problem of the level names (check/check_level.h), as the Problems panel
// does on a click.

#include "check/check_level.h"
#include "editor/editor_session.h"

namespace qavel {

// The page of the window that shows a record.
enum class ProblemPage { kNone, kRooms, kItems, kFloorData, kStatics, kTextures };

// Selects what the problem names, as the lists and the sector map would: a room (also for its
// portals, faces and sprites), an item-list entry and its room, a static mesh of its room, a
// sector and its room, a texture piece. Returns the page that shows it, kNone for records no
// page shows (the selection is then unchanged).
ProblemPage GoToProblem(EditorSession& session, const ProblemPlace& where);

}  // namespace qavel
