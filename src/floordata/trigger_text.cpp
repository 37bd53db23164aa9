#include "floordata/trigger_text.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace qavel {

std::string TriggerTypeText(uint32_t trigger_type) {
  static const std::array<const char*, 14> kTypes = {"DO WITH ACTIVATE",
                                                     "LARA ON GROUND DO ACTIVATE",
                                                     "SWITCH IS ON",
                                                     "KEY IS ON",
                                                     "ITEM IS PICKED UP",
                                                     "ITEM AT SECTOR",
                                                     "LARA ON GROUND DO DEACTIVATE",
                                                     "COMBAT MODE",
                                                     "TRAPDOOR",
                                                     "DO WITH DEACTIVATE",
                                                     "HEAVY SWITCH",
                                                     "ITEM AT SECTOR DO DEACTIVATE",
                                                     "MONKEY SWING",
                                                     "TRC LARA X-RAY"};
  return trigger_type < kTypes.size() ? kTypes[trigger_type] : "Unknown!!!!";
}

std::string TriggerFlagsText(uint16_t setup) {
  std::string s;
  for (int bit = 9; bit <= 13; ++bit) s += (setup >> bit) & 1 ? '1' : '0';
  s += '-';
  s += (setup >> 14) & 1 ? '1' : '0';
  s += (setup >> 15) & 1 ? '1' : '0';
  return s;
}

std::string Hex4(uint16_t value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(value));
  return buf;
}

std::optional<uint16_t> CameraFlagWord(const Ttrlevel& level, uint32_t camera) {
  if (camera >= level.num_cameras()) return std::nullopt;
  uint16_t flags;
  std::memcpy(&flags, level.cameras[camera].raw + 14, sizeof flags);
  return flags;
}

namespace {

std::string CameraFlagText(const Ttrlevel& level, uint32_t camera) {
  const auto flags = CameraFlagWord(level, camera);
  return flags ? Hex4(*flags) : "none";
}

void AddCommandLines(const Ttrlevel& level, const ttrigger_command& c, const ObjectNames& names,
                     std::vector<std::string>& out) {
  const std::string op = std::to_string(c.operand);
  switch (c.command) {
    case 0:
      out.push_back("Item-0-(" + op + ") - " + ItemName(level, c.operand, names));
      return;
    case 1: {
      const uint16_t e = c.camera_extra;
      out.push_back("Switch_Camera-1-(" + std::to_string(c.operand + 1) + "," +
                    std::to_string(e & 0xFF) + "," + std::to_string((e >> 12) & 1) + "," +
                    std::to_string((e >> 8) & 1) + ")  (raw flag:" + std::to_string(e >> 8) + ")");
      out.push_back("Camera Flag-1-:" + CameraFlagText(level, c.operand));
      return;
    }
    case 2:
      out.push_back("Underwater_Flow-1-(" + std::to_string(c.operand + 1) + ")");
      out.push_back("Sink-1-:" + CameraFlagText(level, c.operand));
      return;
    case 3:
      out.push_back("Alternate_ON-3-(" + op + ")");
      return;
    case 4:
      out.push_back("Alternate_Flag-4-(" + op + ")");
      return;
    case 5:
      out.push_back("Alternate_OFF-5-(" + op + ")");
      return;
    case 6:
      out.push_back("Look_at_item-6-(" + op + ") - " + ItemName(level, c.operand, names));
      return;
    case 7:
      out.push_back("End Level-7-(" + op + ")");
      return;
    case 8:
      out.push_back("Play_Soundtrack-8-(" + op + ")");
      return;
    case 9:
      out.push_back("Effect-Clock Control-9-(" + op + ")");
      return;
    case 10:
      out.push_back("Secret_Found-10-(" + op + ")");
      return;
    case 11:
      out.push_back("Body_Bag-11-(" + op + ")");
      return;
    case 12:
      out.push_back("Flyby_Camera-12-(" + op + ")");
      return;
    case 13:
      out.push_back("CutScene-13-(" + op + ")");
      return;
    default:
      out.push_back("Unknown command #" + std::to_string(c.command) + " With Operand " + op);
      return;
  }
}

}  // namespace

std::vector<std::string> DescribeTrigger(const Ttrlevel& level, const FloorData& fd, uint32_t g,
                                         size_t k, const ObjectNames& names) {
  std::vector<std::string> out;
  if (g >= fd.num_groups() || k >= fd.Group(g).functions.size()) return out;
  const ttrigger_list& fn = fd.Group(g).functions[k];
  if (fn.function != 4) return out;
  const tfdlist& t = fn.trigger;
  const uint16_t s = fn.operand;
  out.push_back(TriggerTypeText(t.trigger_type));
  out.push_back("Timer            :" + std::to_string(static_cast<int8_t>(s & 0xFF)));
  out.push_back("Flags            :" + TriggerFlagsText(s));
  out.push_back(std::string("Only once    :") + ((s & 0x0100) ? "Yes" : "No"));
  if (t.trigger_item >= 0)
    out.push_back("Trigger Item(" + std::to_string(t.trigger_item) + ") - " +
                  ItemName(level, t.trigger_item, names));
  out.push_back("------- Commands -----------");
  for (const auto& c : t.commands) AddCommandLines(level, c, names, out);
  return out;
}

const std::vector<std::string>& TriggerTypeSearchEntries() {
  static const std::vector<std::string> kEntries = {"ANY",
                                                    "DO WITH ACTIVATE",
                                                    "LARA ON GROUND DO ACTIVATE",
                                                    "SWITCH IS ON",
                                                    "KEY IS ON",
                                                    "ITEM IS PICKED UP",
                                                    "ITEM AT SECTOR",
                                                    "LARA ON GROUND DO DEACTIVATE",
                                                    "COMBAT MODE",
                                                    "TRAPDOOR",
                                                    "DO WITH DEACTIVATE",
                                                    "HEAVY SWITCH",
                                                    "ITEM AT SECTOR DO DEACTIVATE",
                                                    "MOKEY SWING"};
  return kEntries;
}

const std::vector<std::string>& CommandSearchEntries() {
  static const std::vector<std::string> kEntries = {"ANY",           "ITEM",
                                                    "SWITCH_CAMERA", "UNDERWATER_FLOW",
                                                    "ALTERNATE_ON",  "ALTERNATE_FLAG",
                                                    "ALTERNATE_OFF", "LOK_AT_ITEM",
                                                    "END LEVEL",     "PLAY_SOUNDTRACK",
                                                    "EFFECT",        "SECRET_FOUND",
                                                    "BODY_BAG",      "FLYBY_CAMERA",
                                                    "CUTSCENE",      ""};
  return kEntries;
}

}  // namespace qavel
