#pragma once
// Edits of room values: the Room Flags group (four flag bits and the TR5 weather) and the
// Experiments page (TR5 room header values). Each gives the edit or the refusal that says why.

#include <cstdint>

#include "inspect/level_edit.h"
#include "level/result.h"

namespace qavel {

// Room-flag bits switched by the Rooms tab.
enum RoomFlagBit : uint16_t {
  kFlagWater = 0x01,
  kFlagSky = 0x08,
  kFlagOutdoor = 0x20,
  kFlagQuicksand = 0x80,
};

}  // namespace qavel

namespace qavel::edit {

// Sets or clears one flag bit of the room; the other bits stay.
Expected<LevelEdit> SetRoomFlag(const Ttrlevel& level, int room, RoomFlagBit bit, bool on);
// The level's weather value (0 normal, 1 raining, 2 snowing); TR5 only.
Expected<LevelEdit> SetWeatherValue(const Ttrlevel& level, uint16_t value);
// One line (0..12) of the Experiments list of the room; TR5 only. A float line stores the
// value as a float; the others take a whole number of 32 bits (negative values as signed).
Expected<LevelEdit> SetTrcValue(const Ttrlevel& level, int room, int line, double value);

}  // namespace qavel::edit
