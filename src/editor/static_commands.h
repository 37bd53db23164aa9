#pragma once
// The Static Meshes panel's commands on the selected instance of the selected room
// (inspect/static_edits.h does the checking and the change). Each edit is one undo step; a
// refusal says why and changes nothing.

#include "editor/editor_session.h"
#include "inspect/panel_units.h"

namespace qavel {

Result ChangeStaticId(EditorSession& session, int mesh_id);
Result SetStaticPosition(EditorSession& session, Axis axis, int panel_value);
Result RotateStatic(EditorSession& session);  // 45 degrees
Result ChangeStaticLights(EditorSession& session, int light1, int light2);
// Moves and turns the instance in one step (world units and a stored angle).
Result PlaceStatic(EditorSession& session, const Placement& placement);
// Appends a copy of the instance to its room, up to the room's capacity.
Result DuplicateStatic(EditorSession& session);

}  // namespace qavel
