#pragma once
// Commands on room values: the Room Flags group (four flag bits and the TR5 weather) and the
// Experiments page (TR5 room header values). Each edit is one undo step.

#include <cstdint>

#include "editor/editor_session.h"

namespace qavel {

// Room-flag bits switched by the Rooms tab.
enum RoomFlagBit : uint16_t {
  kFlagWater = 0x01,
  kFlagSky = 0x08,
  kFlagOutdoor = 0x20,
  kFlagQuicksand = 0x80,
};

// Sets or clears one flag bit of the selected room; the other bits stay.
Result SetRoomFlag(EditorSession& session, RoomFlagBit bit, bool on);
// The level's weather value (0 normal, 1 raining, 2 snowing).
Result SetWeatherValue(EditorSession& session, uint16_t value);
// One line (0..12) of the Experiments list of the selected room.
Result SetTrcValue(EditorSession& session, int line, int32_t value);

}  // namespace qavel
