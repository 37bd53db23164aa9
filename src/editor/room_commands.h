#pragma once
// Commands on room values (inspect/room_edits.h): the Room Flags group (four flag bits and the
// TR5 weather) and the Experiments page (TR5 room header values). Each edit is one undo step.

#include <cstdint>

#include "editor/editor_session.h"
#include "inspect/room_edits.h"

namespace qavel {

// Sets or clears one flag bit of the selected room; the other bits stay.
Result SetRoomFlag(EditorSession& session, RoomFlagBit bit, bool on);
// The level's weather value (0 normal, 1 raining, 2 snowing).
Result SetWeatherValue(EditorSession& session, uint16_t value);
// One line (0..12) of the Experiments list of the selected room.
Result SetTrcValue(EditorSession& session, int line, double value);

}  // namespace qavel
