#include "inspect/room_edits.h"

#include <cmath>
#include <cstring>

#include "inspect/panel_texts.h"
#include "inspect/refusals.h"

namespace qavel::edit {

namespace {

const char* FlagEditName(RoomFlagBit bit) {
  switch (bit) {
    case kFlagWater:
      return "Water Enabled";
    case kFlagSky:
      return "Sky Enabled";
    case kFlagOutdoor:
      return "Outdoor Enabled";
    case kFlagQuicksand:
      return "QuickSand Enabled";
  }
  return "";
}

Result CheckRoom(const Ttrlevel& level, int room) {
  if (!HasRooms(level)) return NoLevel();
  if (room < 0 || room >= level.num_rooms())
    return Refused("Room " + std::to_string(room) + " does not exist in this level.");
  return Result::Ok();
}

}  // namespace

Expected<LevelEdit> SetRoomFlag(const Ttrlevel& level, int r, RoomFlagBit bit, bool on) {
  if (Result checked = CheckRoom(level, r); !checked) return checked;
  const uint16_t before = level.rooms[r].flags;
  const auto after = static_cast<uint16_t>(on ? before | bit : before & ~bit);
  return LevelEdit::Change<uint16_t>(
      FlagEditName(bit), RoomTarget{r}, kNoMerge, before, after,
      [r](Ttrlevel& l, const uint16_t& v) { l.rooms.at(r).flags = v; });
}

Expected<LevelEdit> SetWeatherValue(const Ttrlevel& level, uint16_t value) {
  if (!level.IsLoaded()) return NoLevel();
  if (!HasTrcValues(level)) return Refused("Only TR5 levels have a weather value.");
  return LevelEdit::Change<uint16_t>("TRC Weather", WeatherTarget{}, kNoMerge, Weather(level),
                                     value,
                                     [](Ttrlevel& l, const uint16_t& v) { SetWeather(l, v); });
}

Expected<LevelEdit> SetTrcValue(const Ttrlevel& level, int r, int line, double value) {
  if (Result checked = CheckRoom(level, r); !checked) return checked;
  if (!HasTrcValues(level)) return Refused("Only TR5 rooms have these values.");
  if (line < 0 || line >= kTrcValueLines) return Refused("Choose a line of the list first.");
  if (std::string why = TrcValueLockedReason(line); !why.empty()) return Refused(std::move(why));
  uint32_t bits = 0;
  if (TrcValueIsFloat(line)) {
    const auto f = static_cast<float>(value);
    if (!std::isfinite(value) || !std::isfinite(f))
      return Refused("The value is too large for a 32-bit float.");
    std::memcpy(&bits, &f, sizeof bits);
  } else {
    if (value != std::floor(value) || value < -2147483648.0 || value > 4294967295.0)
      return Refused("This value is a whole number of 32 bits.");
    bits = static_cast<uint32_t>(static_cast<int64_t>(value));
  }
  return LevelEdit::Change<uint32_t>(
      "<<EDIT>>", RoomTarget{r}, kNoMerge, TrcValue(level.rooms[r], line), bits,
      [r, line](Ttrlevel& l, const uint32_t& v) { TrcValueField(l.rooms.at(r), line) = v; });
}

}  // namespace qavel::edit
