#include "inspect/panel_texts.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "inspect/item_list.h"

namespace qavel {

namespace {

std::string Hex4(uint16_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", v);
  return buf;
}

int HighByte(uint16_t v) {
  return v >> 8;
}

}  // namespace

std::string FlagDigits(uint16_t flags) {
  std::string out;
  for (int bit = 15; bit >= 0; --bit) {
    out += (flags >> bit) & 1 ? '1' : '0';
    if (bit % 4 == 0 && bit > 0) out += '-';
  }
  return out;
}

RoomInfoTexts ShowRoomInfo(const troom& room) {
  RoomInfoTexts t;
  t.width = "Width: " + std::to_string(room.num_x_sectors);
  t.length = "Long: " + std::to_string(room.num_z_sectors);
  t.position = "Position: " + std::to_string(room.x / 1024) + " , " +
               std::to_string(room.y_bottom / 1024) + " , " + std::to_string(room.z / 1024);
  t.height = "Height: " + std::to_string(room.y_bottom / 256 - room.y_top / 256);
  t.flag = "Flag: " + FlagDigits(room.flags);
  t.alternate_room = "Alternate Room: " + std::to_string(room.alternate_room);
  const uint16_t scheme = static_cast<uint16_t>(room.room_extra[0] | (room.room_extra[1] << 8));
  t.water_scheme = "Water Scheme: " + Hex4(scheme);
  t.shape_width = 5 * room.num_x_sectors;
  t.shape_height = 5 * room.num_z_sectors;
  return t;
}

std::string ItemFlagsText(uint16_t f) {
  std::string out;
  for (int bit = 1; bit <= 5; ++bit) out += (f >> bit) & 1 ? '1' : '0';
  out += (f >> 7) & 1 ? "-1" : "-0";
  out += (f & 1) ? '1' : '0';
  if ((f >> 6) & 1) out += "-Bit 7 Enabled!";
  return out;
}

std::optional<ItemInfo> ShowItemInfo(const Ttrlevel& level, int entry) {
  if (entry < 0) return std::nullopt;
  const auto n = static_cast<size_t>(entry);
  const size_t items = level.num_items();
  ItemInfo info;
  uint16_t flags = 0;
  uint16_t angle1 = 0, angle2 = 0;
  uint16_t light1 = 0;
  if (n < items) {
    const titem1& a = level.items1[n];
    const titem2& b = level.items2[n];
    info.object_id = a.object_id;
    info.room = a.room;
    flags = a.item_flags >> 8;
    angle1 = a.angle;
    angle2 = b.angle;
    light1 = static_cast<uint16_t>(level.version_kind < kTR2 ? a.light : b.light1);
    info.position = ToPanelUnits(b.x, b.y, b.z);
    info.world = {b.x, b.y, b.z, b.angle};
    info.degrees_text = DegreesText(b.angle);
  } else if (IsAuxEntry(level, entry)) {
    // Aux records have no angle and no light; their own position is shown.
    const taux_item& a = level.aux_items[n - items];
    info.object_id = a.object_id;
    info.room = a.room;
    flags = a.item_flags;
    info.position = ToPanelUnits(a.x, a.y, a.z);
    info.world = {a.x, a.y, a.z, 0};
  } else {
    return std::nullopt;
  }
  info.ocb = OcbOfEntry(level, entry);
  if (CarriesOcb(level)) info.ocb_bits = FlagDigits(static_cast<uint16_t>(info.ocb));
  info.angle2_text = "Angle2:" + std::to_string(HighByte(angle2));
  info.angle1_text = "Angle:" + std::to_string(HighByte(angle1));
  info.ocb_text = "OCB:" + std::to_string(info.ocb);
  info.light_text = "Light_1: " + std::to_string(light1);
  info.angle_text = "Angle: " + std::to_string(HighByte(angle2));
  info.flags_text = "Flag :" + ItemFlagsText(flags);
  for (int bit = 1; bit <= 5; ++bit) info.activation[bit - 1] = (flags >> bit) & 1;
  info.clear_body = (flags >> 7) & 1;
  info.invisible = flags & 1;
  return info;
}

std::string OcbStoredText(const Ttrlevel& level, int entry) {
  if (entry < 0) return "OCB:";
  const auto n = static_cast<size_t>(entry);
  int16_t ocb = 0;
  if (n < level.num_items())
    ocb = level.items2[n].light2_ocb;
  else if (n - level.num_items() < level.aux_items.size())
    ocb = level.aux_items[n - level.num_items()].ocb;
  return "OCB:" + std::to_string(static_cast<uint16_t>(ocb));
}

std::optional<StaticInfo> ShowStaticInfo(const troom& room, int instance) {
  if (instance < 0 || static_cast<size_t>(instance) >= room.statics2.size()) return std::nullopt;
  const tstatic2& s = room.statics2[instance];
  StaticInfo info;
  info.mesh_id = s.mesh_id;
  info.position = ToPanelUnits(s.x, s.y, s.z);
  info.light1 = s.intensity1;
  info.light2 = s.intensity2;
  info.angle = "Angle:" + std::to_string(s.rotation);
  info.world = {s.x, s.y, s.z, s.rotation};
  info.degrees_text = DegreesText(s.rotation);
  return info;
}

std::vector<std::string> StaticListTexts(const troom& room) {
  std::vector<std::string> out;
  for (size_t k = 1; k <= room.num_static_instances(); ++k)
    out.push_back("Static Mesh#" + std::to_string(k));
  return out;
}

namespace {

// One place that maps a line of the Experiments list to its field, for reading and writing.
template <class Room>
auto& TrcField(Room& room, int line) {
  switch (line) {
    case 0:
      return room.trc_unknown1;
    case 1:
      return room.trc_unknown2;
    case 2:
      return room.trc_unknown3;
    case 3:
      return room.trc_unknown4;
    case 4:
      return room.trc_unknown6;
    case 5:
      return room.trc_unknown7[2];
    case 6:
      return room.trc_unknown9;
    case 7:
      return room.trc_unknown10;
    default:
      return room.trc_unknown11.at(static_cast<size_t>(line - 8));  // 8 .. 12
  }
}

}  // namespace

uint32_t& TrcValueField(troom& room, int line) {
  return TrcField(room, line);
}
uint32_t TrcValue(const troom& room, int line) {
  return TrcField(room, line);
}

std::string TrcValueLockedReason(int line) {
  if (line < 8 || line >= kTrcValueLines) return {};
  return "Unknown11 to Unknown15 locate the room's layers, vertices and faces in the file; "
         "saving writes them from the room's geometry, so they cannot be edited.";
}

bool TrcValueIsFloat(int line) {
  return line == 6 || line == 7;
}

double TrcNumber(const troom& room, int line) {
  const uint32_t bits = TrcField(room, line);
  if (!TrcValueIsFloat(line)) return static_cast<int32_t>(bits);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

std::string FloatText(float value) {
  char buf[64];
  const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
  std::string text(buf, end);
  if (text.find_first_of(".eninf") == std::string::npos) text += ".0";
  return text;
}

std::vector<std::string> TrcValueLines(const troom& room) {
  static const char* const kLabels[kTrcValueLines] = {
      "Unknown1: ",  "Unknown2: ",  "Unknown3: ",  "Unknown4: ",  "Unknown6: ",
      "Unknown7: ",  "Unknown9: ",  "Unknown10: ", "Unknown11: ", "Unknown12: ",
      "Unknown13: ", "Unknown14: ", "Unknown15: "};
  std::vector<std::string> out;
  out.reserve(kTrcValueLines);
  for (int line = 0; line < kTrcValueLines; ++line) {
    const std::string value = TrcValueIsFloat(line)
                                  ? FloatText(static_cast<float>(TrcNumber(room, line)))
                                  : std::to_string(static_cast<int32_t>(TrcField(room, line)));
    out.push_back(kLabels[line] + value);
  }
  return out;
}

bool HasTrcValues(const Ttrlevel& level) {
  return level.version_kind == kTR5;
}

uint16_t Weather(const Ttrlevel& level) {
  return static_cast<uint16_t>(level.trc_header[kWeatherAt] |
                               (level.trc_header[kWeatherAt + 1] << 8));
}

void SetWeather(Ttrlevel& level, uint16_t value) {
  level.trc_header[kWeatherAt] = static_cast<uint8_t>(value & 0xFF);
  level.trc_header[kWeatherAt + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace qavel
