#pragma once
// Texts and values the room, item and static-mesh panels show, computed from the model.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "inspect/panel_units.h"
#include "level/ttrlevel.h"

namespace qavel {

// The Room Info group of the Rooms tab.
struct RoomInfoTexts {
  std::string width, length, position, height, flag, alternate_room, water_scheme;
  int shape_width = 0, shape_height = 0;
  bool operator==(const RoomInfoTexts&) const = default;
};
RoomInfoTexts ShowRoomInfo(const troom& room);

// The 16 bits of a flag word, most significant first, grouped in fours by "-".
std::string FlagDigits(uint16_t flags);

// What the Items tab shows for one entry of the item list.
struct ItemInfo {
  int object_id = 0, ocb = 0, room = 0;
  PanelPosition position;
  // The captions the entry's values are shown in (Label1, Label2, Label3, Label4, Label9 and
  // Label19 of the panel, in that order).
  std::string angle1_text;           // "Angle:" and the high byte of the first form's angle
  std::string angle2_text;           // "Angle2:" and that of the second form's
  std::string ocb_text;              // "OCB:" and the OCB, signed
  std::string flags_text;            // "Flag :" and the flags as ItemFlagsText spells them
  std::string light_text;            // "Light_1: " and the light (TR1: the item's one light word;
                                     // later: the second form's first light word)
  std::string angle_text;            // "Angle: " and the second form's angle, high byte
  std::array<bool, 5> activation{};  // buttons "1" .. "5"
  bool clear_body = false, invisible = false;
  Placement world;           // the place in world units, and the stored angle
  std::string degrees_text;  // the angle in degrees ("90"); empty for aux records
  std::string ocb_bits;      // the OCB's 16 bits as FlagDigits spells them; empty without an OCB
  bool operator==(const ItemInfo&) const = default;
};
// Nothing for an index outside the list (items, then aux records for TR4/TR5).
std::optional<ItemInfo> ShowItemInfo(const Ttrlevel& level, int entry);
// The activation flags as the "Flag :" label spells them.
std::string ItemFlagsText(uint16_t flags);
// "OCB:" and the stored OCB read back unsigned, as shown right after Change OCB.
std::string OcbStoredText(const Ttrlevel& level, int entry);

// What the Static Meshes tab shows for one instance.
struct StaticInfo {
  int mesh_id = 0, light1 = 0, light2 = 0;
  PanelPosition position;
  std::string angle;
  Placement world;           // the place in world units, and the stored angle
  std::string degrees_text;  // the angle in degrees ("90")
  bool operator==(const StaticInfo&) const = default;
};
std::optional<StaticInfo> ShowStaticInfo(const troom& room, int instance);
std::vector<std::string> StaticListTexts(const troom& room);

// The thirteen TR5 room header values of the Experiments page.
inline constexpr int kTrcValueLines = 13;
std::vector<std::string> TrcValueLines(const troom& room);
uint32_t& TrcValueField(troom& room, int line);  // line 0 .. 12
uint32_t TrcValue(const troom& room, int line);
// Unknown9 and Unknown10 hold the room's top and bottom as 32-bit floats; the other values are
// whole numbers.
bool TrcValueIsFloat(int line);
// The line's value as a number: the float, or the field read as a signed whole number.
double TrcNumber(const troom& room, int line);
// A float as the Experiments page shows it: the shortest text that reads back as the same
// float, with a fraction always ("-3072.0", "0.1").
std::string FloatText(float value);
// Why a line cannot be edited, empty when it can: the last five values say where the room's
// layers, vertices and faces lie in the file, and saving writes them from the room itself.
std::string TrcValueLockedReason(int line);

// Whether the level's generation keeps the TR5 room values and weather (a TR5 level).
bool HasTrcValues(const Ttrlevel& level);
// The level's TR5 weather (0 normal, 1 raining, 2 snowing; other values are kept as they are).
// The weather is the 16-bit word at this place of the TR5 level header.
inline constexpr size_t kWeatherAt = 2;
uint16_t Weather(const Ttrlevel& level);
void SetWeather(Ttrlevel& level, uint16_t value);

}  // namespace qavel
