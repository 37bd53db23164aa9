#include "inspect/edit_script.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <utility>

#include "inspect/exchange_edits.h"
#include "inspect/face_edits.h"
#include "inspect/item_edits.h"
#include "inspect/item_list.h"
#include "inspect/panel_texts.h"
#include "inspect/panel_units.h"
#include "inspect/refusals.h"
#include "inspect/room_edits.h"
#include "inspect/static_edits.h"

namespace qavel {

namespace {

using Words = std::vector<std::string>;
using edit::ItemFlagMask;
using edit::kClearBodyFlag;
using edit::kInvisibleFlag;

// Splits a line at blanks; a word in double quotes may hold blanks (a file name).
Expected<Words> SplitWords(std::string_view line) {
  Words words;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    if (line[i] == '"') {
      const size_t end = line.find('"', i + 1);
      if (end == std::string_view::npos) return Refused("a quote is not closed");
      words.emplace_back(line.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    size_t end = i;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') ++end;
    words.emplace_back(line.substr(i, end - i));
    i = end;
  }
  return words;
}

// A whole number in [low, high]: decimal, or a 0x word when hex is allowed.
Expected<long long> WholeNumber(const std::string& text, const std::string& what, long long low,
                                long long high, bool hex = false) {
  long long v = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  int base = 10;
  if (hex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    begin += 2;
    base = 16;
  }
  const auto [ptr, ec] = std::from_chars(begin, end, v, base);
  if (ec != std::errc() || ptr != end || begin == end)
    return Refused(what + " must be a whole number, not \"" + text + "\"");
  if (v < low || v > high)
    return Refused(what + " must lie in " + std::to_string(low) + ".." + std::to_string(high) +
                   ", not " + text);
  return v;
}

Expected<double> RealNumber(const std::string& text, const std::string& what) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v))
    return Refused(what + " must be a number, not \"" + text + "\"");
  return v;
}

Expected<bool> OnOff(const std::string& text, const std::string& what) {
  if (text == "on") return true;
  if (text == "off") return false;
  return Refused(what + " must be on or off, not \"" + text + "\"");
}

// "FIELD=VALUE" split in two.
Expected<std::pair<std::string, std::string>> FieldValue(const std::string& word) {
  const size_t eq = word.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == word.size())
    return Refused("\"" + word + "\" is not FIELD=VALUE");
  return std::pair{word.substr(0, eq), word.substr(eq + 1)};
}

Result UnknownField(const std::string& field, const char* of, const char* fields) {
  return Refused("a" + std::string(of) + " has no field \"" + field + "\" (its fields: " + fields +
                 ")");
}

// Makes an edit that was not refused.
Result Make(Ttrlevel& level, Expected<LevelEdit> edit) {
  if (!edit) return edit.result();
  edit->Apply(level);
  return Result::Ok();
}

Result RoomExists(const Ttrlevel& level, long long room) {
  if (room < 0 || room >= level.num_rooms())
    return Refused("room " + std::to_string(room) + " does not exist (the level has " +
                   std::to_string(level.num_rooms()) + " rooms)");
  return Result::Ok();
}

constexpr long long kWorldMin = std::numeric_limits<int32_t>::min();
constexpr long long kWorldMax = std::numeric_limits<int32_t>::max();

// An angle in degrees, or the stored word as 0x....
Expected<uint16_t> AngleValue(const std::string& text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const auto v = WholeNumber(text, "angle", 0, 0xFFFF, true);
    if (!v) return v.result();
    return static_cast<uint16_t>(*v);
  }
  const auto degrees = RealNumber(text, "angle");
  if (!degrees) return degrees.result();
  const auto angle = AngleFromDegrees(*degrees);
  if (!angle) return Refused("angle must be a number of degrees, not \"" + text + "\"");
  return *angle;
}

// Sets one of x, y, z (world units) or angle of a placement from its text.
Result SetPlacementField(Placement& p, const std::string& field, const std::string& value) {
  if (field == "angle") {
    const auto a = AngleValue(value);
    if (!a) return a.result();
    p.angle = *a;
    return Result::Ok();
  }
  const auto v = WholeNumber(value, field, kWorldMin, kWorldMax);
  if (!v) return v.result();
  (field == "x" ? p.x : field == "y" ? p.y : p.z) = static_cast<int32_t>(*v);
  return Result::Ok();
}

// The flags the Items page switches, as a set of its button names ("1+3+C") or a 0x word of the
// entry's flags as stored; bits the page does not switch must stay as they are.
Result SetItemFlags(Ttrlevel& level, int entry, const std::string& text) {
  static constexpr int kFlags[] = {kInvisibleFlag, 1, 2, 3, 4, 5, kClearBodyFlag};
  uint16_t page_bits = 0;
  for (int f : kFlags) page_bits |= ItemFlagMask(level, entry, f);
  const uint16_t now = IsItemEntry(level, entry)
                           ? level.items2[entry].item_flags
                           : level.aux_items[entry - level.num_items()].item_flags;
  uint16_t wanted = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const auto v = WholeNumber(text, "flags", 0, 0xFFFF, true);
    if (!v) return v.result();
    wanted = static_cast<uint16_t>(*v);
    if ((wanted & ~page_bits) != (now & ~page_bits))
      return Refused("flags " + text + " changes bits other than the activation flags " +
                     "(1 to 5, C and I)");
  } else {
    wanted = static_cast<uint16_t>(now & ~page_bits);
    if (text != "none") {
      size_t i = 0;
      while (i <= text.size()) {
        const size_t plus = std::min(text.find('+', i), text.size());
        const std::string name = text.substr(i, plus - i);
        int flag = -1;
        if (name.size() == 1 && name[0] >= '1' && name[0] <= '5') flag = name[0] - '0';
        if (name == "C" || name == "c") flag = kClearBodyFlag;
        if (name == "I" || name == "i") flag = kInvisibleFlag;
        if (flag < 0)
          return Refused(
              "flags must be a 0x word or names such as 1+3+C (1 to 5, C, I, none), "
              "not \"" +
              text + "\"");
        wanted |= ItemFlagMask(level, entry, flag);
        i = plus + 1;
      }
    }
  }
  for (int f : kFlags) {
    const uint16_t mask = ItemFlagMask(level, entry, f);
    if ((now & mask) != (wanted & mask))
      if (Result r = Make(level, edit::ToggleItemFlag(level, entry, f)); !r) return r;
  }
  return Result::Ok();
}

constexpr const char* kItemFields = "object, room, x, y, z, angle, ocb, light, flags";

Result ItemField(Ttrlevel& level, int entry, const std::string& field, const std::string& value) {
  if (field == "object") {
    const auto v = WholeNumber(value, "object", 0, 65535);
    if (!v) return v.result();
    return Make(level, edit::ChangeItemId(level, entry, static_cast<int>(*v)));
  }
  if (field == "room") {
    const auto v = WholeNumber(value, "room", 0, 65535);
    if (!v) return v.result();
    if (Result r = RoomExists(level, *v); !r) return r;
    return Make(level, edit::ChangeItemRoom(level, entry, static_cast<int>(*v)));
  }
  if (field == "x" || field == "y" || field == "z" || field == "angle") {
    Placement p = *edit::ItemPlacement(level, entry);
    if (Result set = SetPlacementField(p, field, value); !set) return set;
    return Make(level, edit::PlaceItem(level, entry, p));
  }
  if (field == "ocb") {
    const auto v = WholeNumber(value, "ocb", -32768, 65535);
    if (!v) return v.result();
    return Make(level, edit::ChangeItemOcb(level, entry, static_cast<int>(*v)));
  }
  if (field == "light") {
    const auto v = WholeNumber(value, "light", -1, 65535);
    if (!v) return v.result();
    return Make(level, edit::ChangeItemLight(level, entry, static_cast<int>(*v)));
  }
  if (field == "flags") return SetItemFlags(level, entry, value);
  return UnknownField(field, "n item", kItemFields);
}

Result ItemLine(Ttrlevel& level, const Words& w) {
  if (w.size() < 3) return Refused("write item N FIELD=VALUE... or item N duplicate [room=R]");
  const auto n = WholeNumber(w[1], "the item number", 0, std::numeric_limits<int>::max());
  if (!n) return n.result();
  const int entry = static_cast<int>(*n);
  if (!IsItemEntry(level, entry) && !IsAuxEntry(level, entry))
    return Refused("item " + w[1] + " does not exist (the level lists " +
                   std::to_string(ItemListSize(level)) + " entries)");
  if (w[2] == "duplicate") {
    int room = RoomOfEntry(level, entry);
    if (w.size() > 4) return Refused("write item N duplicate [room=R]");
    if (w.size() == 4) {
      const auto fv = FieldValue(w[3]);
      if (!fv) return fv.result();
      if (fv->first != "room") return Refused("a duplicate takes only room=R");
      const auto v = WholeNumber(fv->second, "room", 0, 65535);
      if (!v) return v.result();
      if (Result r = RoomExists(level, *v); !r) return r;
      room = static_cast<int>(*v);
    }
    return Make(level, edit::DuplicateItem(level, entry, room, std::nullopt));
  }
  std::vector<std::pair<std::string, std::string>> fields;
  for (size_t i = 2; i < w.size(); ++i) {
    const auto fv = FieldValue(w[i]);
    if (!fv) return fv.result();
    fields.push_back(*fv);
  }
  // A light goes into both words of an item, the second of which holds the OCB from TR4 on: a
  // line that gives both sets the light first, so that it keeps each value it gives.
  std::stable_partition(fields.begin(), fields.end(),
                        [](const auto& f) { return f.first == "light"; });
  for (const auto& [field, value] : fields)
    if (Result r = ItemField(level, entry, field, value); !r) return r;
  return Result::Ok();
}

Result CreateLine(Ttrlevel& level, const Words& w) {
  if (w.size() != 6) return Refused("write create OBJECT_ID ROOM X Y Z");
  const auto id = WholeNumber(w[1], "OBJECT_ID", 0, 65535);
  if (!id) return id.result();
  const auto room = WholeNumber(w[2], "ROOM", 0, 65535);
  if (!room) return room.result();
  if (Result r = RoomExists(level, *room); !r) return r;
  int32_t xyz[3];
  for (int a = 0; a < 3; ++a) {
    const auto v = WholeNumber(w[3 + a], std::string(1, "XYZ"[a]), kWorldMin, kWorldMax);
    if (!v) return v.result();
    xyz[a] = static_cast<int32_t>(*v);
  }
  int movable = -1;
  for (size_t m = 0; m < level.movables.size() && movable < 0; ++m)
    if (level.movables[m].object_id == *id) movable = static_cast<int>(m);
  if (movable < 0) return Refused("the level has no movable of object id " + w[1]);
  // The Create Item dialog takes panel units; the item then goes to the exact world place.
  const int entry = static_cast<int>(level.num_items());
  const edit::CreateChoice choice{movable, ToPanelUnits(xyz[0], xyz[1], xyz[2])};
  if (Result r = Make(level, edit::DuplicateItem(level, -1, static_cast<int>(*room), choice)); !r)
    return r;
  return Make(level, edit::PlaceItem(level, entry, Placement{xyz[0], xyz[1], xyz[2], 0}));
}

constexpr const char* kStaticFields = "mesh, x, y, z, angle, light1, light2";

Result StaticLine(Ttrlevel& level, const Words& w) {
  if (w.size() < 3) return Refused("write static ROOM.N FIELD=VALUE... or static ROOM.N duplicate");
  const size_t dot = w[1].find('.');
  if (dot == std::string::npos) return Refused("name the instance as ROOM.N, not \"" + w[1] + "\"");
  const auto room = WholeNumber(w[1].substr(0, dot), "ROOM", 0, std::numeric_limits<int>::max());
  if (!room) return room.result();
  if (Result r = RoomExists(level, *room); !r) return r;
  const int r = static_cast<int>(*room);
  const auto n = WholeNumber(w[1].substr(dot + 1), "N", 0, std::numeric_limits<int>::max());
  if (!n) return n.result();
  const int k = static_cast<int>(*n);
  const troom& rm = level.rooms[r];
  if (static_cast<size_t>(k) >= rm.num_static_instances())
    return Refused("room " + std::to_string(r) + " has no static mesh " + std::to_string(k) +
                   " (it holds " + std::to_string(rm.num_static_instances()) + ")");
  if (w[2] == "duplicate") {
    if (w.size() != 3) return Refused("write static ROOM.N duplicate");
    return Make(level, edit::DuplicateStatic(level, r, k));
  }
  for (size_t i = 2; i < w.size(); ++i) {
    const auto fv = FieldValue(w[i]);
    if (!fv) return fv.result();
    const auto& [field, value] = *fv;
    const tstatic2& s = level.rooms[r].statics2[k];
    Result done = Result::Ok();
    if (field == "mesh") {
      const auto v = WholeNumber(value, "mesh", 0, 65535);
      if (!v) return v.result();
      done = Make(level, edit::ChangeStaticId(level, r, k, static_cast<int>(*v)));
    } else if (field == "x" || field == "y" || field == "z" || field == "angle") {
      Placement p{s.x, s.y, s.z, s.rotation};
      if (Result set = SetPlacementField(p, field, value); !set) return set;
      done = Make(level, edit::PlaceStatic(level, r, k, p));
    } else if (field == "light1" || field == "light2") {
      const auto v = WholeNumber(value, field, 0, 65535);
      if (!v) return v.result();
      const int l1 = field == "light1" ? static_cast<int>(*v) : s.intensity1;
      const int l2 = field == "light2" ? static_cast<int>(*v) : s.intensity2;
      done = Make(level, edit::ChangeStaticLights(level, r, k, l1, l2));
    } else {
      return UnknownField(field, " static mesh", kStaticFields);
    }
    if (!done) return done;
  }
  return Result::Ok();
}

// The Rooms page's flag boxes and the Experiments page's lines, named as they are labelled.
struct RoomFlagName {
  const char* name;
  RoomFlagBit bit;
};
constexpr RoomFlagName kRoomFlags[] = {{"water_enabled", kFlagWater},
                                       {"sky_enabled", kFlagSky},
                                       {"outdoor_enabled", kFlagOutdoor},
                                       {"quicksand_enabled", kFlagQuicksand}};
constexpr const char* kTrcNames[kTrcValueLines] = {
    "unknown1",  "unknown2",  "unknown3",  "unknown4",  "unknown6",  "unknown7", "unknown9",
    "unknown10", "unknown11", "unknown12", "unknown13", "unknown14", "unknown15"};
constexpr const char* kWeathers[] = {"normal", "raining", "snowing"};

Result RoomField(Ttrlevel& level, int room, const std::string& field, const std::string& value) {
  for (const RoomFlagName& f : kRoomFlags) {
    // The short name ("water") is the flag too.
    const std::string name = f.name;
    if (field != name && field != name.substr(0, name.find('_'))) continue;
    const auto on = OnOff(value, field);
    if (!on) return on.result();
    return Make(level, edit::SetRoomFlag(level, room, f.bit, *on));
  }
  if (field == "trc_weather" || field == "weather") {
    for (uint16_t w = 0; w < 3; ++w)
      if (value == kWeathers[w]) return Make(level, edit::SetWeatherValue(level, w));
    const auto v = WholeNumber(value, field, 0, 2);
    if (!v)
      return Refused(field + " must be normal, raining, snowing or 0..2, not \"" + value + "\"");
    return Make(level, edit::SetWeatherValue(level, static_cast<uint16_t>(*v)));
  }
  for (int line = 0; line < kTrcValueLines; ++line) {
    if (field != kTrcNames[line]) continue;
    const auto v = RealNumber(value, field);
    if (!v) return v.result();
    return Make(level, edit::SetTrcValue(level, room, line, *v));
  }
  return Refused("a room has no field \"" + field +
                 "\" (its fields: water_enabled, sky_enabled, outdoor_enabled, "
                 "quicksand_enabled, trc_weather, unknown1 to unknown15 as the Experiments "
                 "page lists them)");
}

Result RoomLine(Ttrlevel& level, const Words& w) {
  if (w.size() < 3) return Refused("write room N FIELD=on|off|VALUE...");
  const auto room = WholeNumber(w[1], "the room number", 0, std::numeric_limits<int>::max());
  if (!room) return room.result();
  if (Result r = RoomExists(level, *room); !r) return r;
  for (size_t i = 2; i < w.size(); ++i) {
    const auto fv = FieldValue(w[i]);
    if (!fv) return fv.result();
    if (Result r = RoomField(level, static_cast<int>(*room), fv->first, fv->second); !r) return r;
  }
  return Result::Ok();
}

Result FaceLine(Ttrlevel& level, const Words& w) {
  if (w.size() < 4 || w.size() > 5) return Refused("write face ROOM rN|tN texture=P [turn=K]");
  const auto room = WholeNumber(w[1], "ROOM", 0, std::numeric_limits<int>::max());
  if (!room) return room.result();
  if (Result r = RoomExists(level, *room); !r) return r;
  FaceRef face;
  if (w[2].size() < 2 || (w[2][0] != 'r' && w[2][0] != 't'))
    return Refused("name the face as rN (rectangle) or tN (triangle), not \"" + w[2] + "\"");
  face.kind = w[2][0] == 'r' ? FaceKind::kRectangle : FaceKind::kTriangle;
  const auto index =
      WholeNumber(w[2].substr(1), "the face number", 0, std::numeric_limits<int>::max());
  if (!index) return index.result();
  face.index = static_cast<int>(*index);
  std::optional<int> piece;
  int turns = 0;
  for (size_t i = 3; i < w.size(); ++i) {
    const auto fv = FieldValue(w[i]);
    if (!fv) return fv.result();
    if (fv->first == "texture") {
      const auto v = WholeNumber(fv->second, "texture", 0, 65535);
      if (!v) return v.result();
      piece = static_cast<int>(*v);
    } else if (fv->first == "turn") {
      const auto v = WholeNumber(fv->second, "turn", 0, 3);
      if (!v) return v.result();
      turns = static_cast<int>(*v);
    } else {
      return UnknownField(fv->first, " face", "texture, turn");
    }
  }
  if (!piece) return Refused("a face edit needs texture=P");
  const int r = static_cast<int>(*room);
  if (Result done = Make(level, edit::PaintFace(level, r, face, *piece)); !done) return done;
  for (int t = 0; t < turns; ++t)
    if (Result done = Make(level, edit::TurnFace(level, r, face)); !done) return done;
  return Result::Ok();
}

Result ImportLine(Ttrlevel& level, const Words& w) {
  if (w[0] == "import-dxf") {
    if (w.size() != 3) return Refused("write import-dxf ROOM FILE");
    const auto room = WholeNumber(w[1], "ROOM", 0, std::numeric_limits<int>::max());
    if (!room) return room.result();
    if (Result r = RoomExists(level, *room); !r) return r;
    auto made = edit::ImportFile(level, ExchangeFormatId::kDxf, static_cast<int>(*room), w[2]);
    if (!made) return made.result();
    made->edit.Apply(level);
    return Result::Ok();
  }
  const bool geometry = w.size() == 3 && w[2] == "--geometry-only";
  if (w.size() != 2 && !geometry) return Refused("write import-msh FILE [--geometry-only]");
  auto made = edit::ImportFile(
      level, geometry ? ExchangeFormatId::kMshGeometry : ExchangeFormatId::kMshFull, 0, w[1]);
  if (!made) return made.result();
  made->edit.Apply(level);
  return Result::Ok();
}

Result ApplyLine(Ttrlevel& level, const std::string& text) {
  const auto words = SplitWords(text);
  if (!words) return words.result();
  const Words& w = *words;
  if (w.empty()) return Refused("the edit is empty");
  if (w[0] == "item") return ItemLine(level, w);
  if (w[0] == "create") return CreateLine(level, w);
  if (w[0] == "static") return StaticLine(level, w);
  if (w[0] == "room") return RoomLine(level, w);
  if (w[0] == "face") return FaceLine(level, w);
  if (w[0] == "import-dxf" || w[0] == "import-msh") return ImportLine(level, w);
  return Refused("unknown edit \"" + w[0] +
                 "\" (edits: item, create, static, room, face, import-dxf, import-msh)");
}

}  // namespace

std::vector<ScriptLine> ScriptLines(std::string_view text) {
  std::vector<ScriptLine> lines;
  int number = 0;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++number;
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || line[first] == '#') continue;
    lines.push_back({"line " + std::to_string(number), std::string(line)});
  }
  return lines;
}

Result ApplyEditScript(Ttrlevel& level, const std::vector<ScriptLine>& lines) {
  if (!HasRooms(level)) return NoLevel();
  // The edits go to a copy, which takes the level's place only when every line was made.
  Ttrlevel work = level;
  for (const ScriptLine& line : lines) {
    const Result r = ApplyLine(work, line.text);
    if (!r) {
      const size_t first = line.text.find_first_not_of(" \t");
      const size_t last = line.text.find_last_not_of(" \t\r");
      const std::string shown = line.text.substr(first, last - first + 1);
      return Result::Fail(r.status(), line.where + ": " + shown + ": " + r.message());
    }
  }
  level = std::move(work);
  return Result::Ok();
}

const char* EditScriptHelp() {
  return "one edit, written as one argument (quoted) or one line of a script: "
         "\"item N FIELD=VALUE...\" (N as items lists it; fields object, room, x, y, z in world "
         "units, angle in degrees or a 0x word, ocb, light (-1 for the room's light), flags as a "
         "0x word or names such as 1+3+C (1 to 5, C clear body, I invisible, none)); "
         "\"item N duplicate [room=R]\"; "
         "\"create OBJECT_ID ROOM X Y Z\" (world units); "
         "\"static ROOM.N FIELD=VALUE...\" (fields mesh, x, y, z, angle, light1, light2); "
         "\"static ROOM.N duplicate\"; "
         "\"room N FIELD=VALUE...\" (fields water_enabled, sky_enabled, outdoor_enabled, "
         "quicksand_enabled as on or off; trc_weather as normal, raining or snowing; unknown1, "
         "unknown2, unknown3, unknown4, unknown6, unknown7, unknown9 and unknown10 as numbers; "
         "TR5 only for the last two kinds); "
         "\"face ROOM rN|tN texture=P [turn=K]\" (rectangle or triangle N of the room, painted "
         "with texture piece P and turned K corners, 0 to 3); "
         "\"import-dxf ROOM FILE\"; \"import-msh FILE [--geometry-only]\". "
         "A script holds one edit a line; blank lines and lines starting with # are skipped, and a "
         "file name with blanks goes in double quotes.";
}

}  // namespace qavel
