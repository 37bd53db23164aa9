#include "inspect/level_diff.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <span>
#include <sstream>

#include "inspect/panel_texts.h"

namespace qavel {

namespace {

using Diffs = std::vector<LevelDifference>;

// A table whose records changed names at most this many of them, then how many more.
constexpr size_t kMostChangedRecords = 20;

// One generation for the kinds that share a layout of records.
int32_t Generation(int32_t kind) {
  if (kind == kTR1Tub) return kTR1;
  if (kind == kTR2Trg) return kTR2;
  return kind;
}

std::string Hex(uint32_t v, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, v);
  return text;
}

template <class T>
std::string Num(T v) {
  return std::to_string(v);
}

class Differ {
 public:
  explicit Differ(Diffs& out) : out_(out) {}

  void Field(const std::string& record, const char* field, const std::string& before,
             const std::string& after) {
    if (before != after) out_.push_back({record, field, before, after});
  }
  template <class T>
  void Value(const std::string& record, const char* field, T before, T after) {
    if (before != after) out_.push_back({record, field, Num(before), Num(after)});
  }
  void Count(const std::string& record, size_t before, size_t after) {
    Value(record, "count", before, after);
  }
  void Added(const std::string& record, std::string what = "added") {
    out_.push_back({record, "", "", std::move(what)});
  }
  void Removed(const std::string& record) { out_.push_back({record, "", "removed", ""}); }
  void Changed(const std::string& record) { out_.push_back({record, "", "", ""}); }

  // Records matched by index, compared field by field: name(i) names record i, added(record)
  // says what an added one is, fields(name, before, after) tells what changed in one.
  template <class T, class Name, class AddedText, class Fields>
  void Records(const std::vector<T>& a, const std::vector<T>& b, Name name, AddedText added,
               Fields fields) {
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
      const std::string r = name(i);
      if (i >= a.size())
        Added(r, added(b[i]));
      else if (i >= b.size())
        Removed(r);
      else if (!(a[i] == b[i]))
        fields(r, a[i], b[i]);
    }
  }

  // A table compared record by record as wholes: its count, then each record that changed, was
  // added or removed (at most kMostChangedRecords of them named, then how many more).
  template <class T>
  void Table(const std::string& table, const std::string& record, const std::vector<T>& a,
             const std::vector<T>& b) {
    Count(table, a.size(), b.size());
    size_t named = 0, more = 0;
    const size_t n = std::max(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
      const bool in_a = i < a.size(), in_b = i < b.size();
      if (in_a && in_b && a[i] == b[i]) continue;
      if (named == kMostChangedRecords) {
        ++more;
        continue;
      }
      ++named;
      const std::string name = record + " " + Num(i);
      if (!in_a)
        Added(name);
      else if (!in_b)
        Removed(name);
      else
        Changed(name);
    }
    if (more > 0) out_.push_back({table, "", "", "and " + Num(more) + " more changed"});
  }

  // A block of bytes kept as read: its size and checksum.
  void Block(const std::string& name, std::span<const uint8_t> a, std::span<const uint8_t> b) {
    if (a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin())) return;
    out_.push_back({name, "", Describe(a), Describe(b)});
  }

 private:
  static std::string Describe(std::span<const uint8_t> bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes at most 4 GiB a call.
    for (size_t at = 0; at < bytes.size();) {
      const size_t n = std::min<size_t>(bytes.size() - at, 1u << 30);
      crc = crc32(crc, bytes.data() + at, static_cast<uInt>(n));
      at += n;
    }
    return Num(bytes.size()) + " bytes, crc32 " + Hex(static_cast<uint32_t>(crc), 8);
  }

  Diffs& out_;
};

template <class Item>
void ItemFields(Differ& d, const std::string& r, const Item& a, const Item& b, int32_t gen) {
  d.Value(r, "object", a.object_id, b.object_id);
  d.Value(r, "room", a.room, b.room);
  d.Value(r, "x", a.x, b.x);
  d.Value(r, "y", a.y, b.y);
  d.Value(r, "z", a.z, b.z);
  d.Value(r, "angle", a.angle, b.angle);
  if constexpr (std::is_same_v<Item, titem1>) {
    d.Value(r, "light", a.light, b.light);
  } else {
    d.Value(r, "light", a.light1, b.light1);
    d.Value(r, gen >= kTR4 ? "ocb" : "light2", a.light2_ocb, b.light2_ocb);
  }
  d.Field(r, "flags", Hex(a.item_flags, 4), Hex(b.item_flags, 4));
}

template <class Item>
void Items(Differ& d, const std::vector<Item>& a, const std::vector<Item>& b, int32_t gen) {
  d.Count("items", a.size(), b.size());
  d.Records(
      a, b, [](size_t i) { return "item " + Num(i); },
      [](const Item& it) {
        return "added: object " + Num(it.object_id) + " in room " + Num(it.room) + " at " +
               Num(it.x) + ", " + Num(it.y) + ", " + Num(it.z);
      },
      [&d, gen](const std::string& r, const Item& x, const Item& y) {
        ItemFields(d, r, x, y, gen);
      });
}

template <class Static>
void StaticFields(Differ& d, const std::string& r, const Static& a, const Static& b) {
  d.Value(r, "mesh", a.mesh_id, b.mesh_id);
  d.Value(r, "x", a.x, b.x);
  d.Value(r, "y", a.y, b.y);
  d.Value(r, "z", a.z, b.z);
  d.Value(r, "angle", a.rotation, b.rotation);
  if constexpr (std::is_same_v<Static, tstatic1>) {
    d.Value(r, "light", a.intensity, b.intensity);
  } else {
    d.Value(r, "light1", a.intensity1, b.intensity1);
    d.Value(r, "light2", a.intensity2, b.intensity2);
  }
}

template <class Static>
void Statics(Differ& d, int room, const std::vector<Static>& a, const std::vector<Static>& b) {
  const std::string room_name = "room " + Num(room);
  d.Value(room_name, "static meshes", a.size(), b.size());
  d.Records(
      a, b, [room](size_t i) { return "static " + Num(room) + "." + Num(i); },
      [](const Static& st) { return "added: mesh " + Num(st.mesh_id); },
      [&d](const std::string& r, const Static& x, const Static& y) { StaticFields(d, r, x, y); });
}

// The room flags a designer switches, by name; other bits by number.
std::string FlagName(int bit) {
  switch (1 << bit) {
    case 0x01:
      return "water";
    case 0x08:
      return "sky";
    case 0x20:
      return "outdoor";
    case 0x80:
      return "quicksand";
  }
  return "bit " + Num(bit);
}

template <class Face>
void Faces(Differ& d, const std::string& room, const char* kind, const std::vector<Face>& a,
           const std::vector<Face>& b) {
  d.Value(room, (std::string(kind) + "s").c_str(), a.size(), b.size());
  d.Records(
      a, b, [&room, kind](size_t i) { return room + " " + kind + " " + Num(i); },
      [](const Face& f) { return "added: texture " + Num(f.texture); },
      [&d](const std::string& r, const Face& x, const Face& y) {
        d.Value(r, "texture", x.texture, y.texture);
        auto corners = [](const Face& f) {
          std::string text;
          for (uint16_t v : f.vertices) text += (text.empty() ? "" : " ") + Num(v);
          return text;
        };
        d.Field(r, "vertices", corners(x), corners(y));
      });
}

// A TR5 room header without the values the room holds by name and the diff names on their own
// (its place, sector counts, alternate room and flags): one edit is one line.
std::array<uint8_t, kTrcRoomHeaderSize> HeaderRest(const troom& room) {
  auto h = room.trc_header_raw;
  constexpr std::pair<size_t, size_t> kNamed[] = {{28, 4}, {36, 16}, {84, 4}};
  for (const auto& [at, size] : kNamed) std::memset(h.data() + at, 0, size);
  return h;
}

void Room(Differ& d, int index, const troom& a, const troom& b, int32_t gen) {
  const std::string r = "room " + Num(index);
  d.Value(r, "x", a.x, b.x);
  d.Value(r, "z", a.z, b.z);
  d.Value(r, "y bottom", a.y_bottom, b.y_bottom);
  d.Value(r, "y top", a.y_top, b.y_top);
  for (int bit = 0; bit < 16; ++bit) {
    const bool on_a = a.flags & (1 << bit), on_b = b.flags & (1 << bit);
    if (on_a != on_b)
      d.Field(r, "flags", FlagName(bit) + (on_a ? " on" : " off"),
              FlagName(bit) + (on_b ? " on" : " off"));
  }
  d.Value(r, "alternate room", a.alternate_room, b.alternate_room);
  d.Value(r, "ambient", a.ambient[0] | a.ambient[1] << 8, b.ambient[0] | b.ambient[1] << 8);
  d.Value(r, "ambient2", a.ambient2, b.ambient2);
  d.Value(r, "light mode", a.light_mode, b.light_mode);
  d.Field(r, "extra", Hex(a.room_extra[0] | a.room_extra[1] << 8 | a.room_extra[2] << 16, 6),
          Hex(b.room_extra[0] | b.room_extra[1] << 8 | b.room_extra[2] << 16, 6));
  if (gen == kTR1)
    d.Table(r + " vertices", r + " vertex", a.vertices1, b.vertices1);
  else
    d.Table(r + " vertices", r + " vertex", a.vertices2, b.vertices2);
  Faces(d, r, "rectangle", a.rectangles, b.rectangles);
  Faces(d, r, "triangle", a.triangles, b.triangles);
  d.Table(r + " sprites", r + " sprite", a.sprites, b.sprites);
  d.Table(r + " portals", r + " portal", a.portals, b.portals);
  d.Value(r, "sector columns", a.num_x_sectors, b.num_x_sectors);
  d.Value(r, "sector rows", a.num_z_sectors, b.num_z_sectors);
  d.Table(r + " sectors", r + " sector", a.sectors, b.sectors);
  d.Table(r + " lights", r + " light", a.lights1, b.lights1);
  d.Table(r + " lights", r + " light", a.lights2, b.lights2);
  d.Table(r + " lights", r + " light", a.lights4, b.lights4);
  d.Table(r + " lights", r + " light", a.lights5, b.lights5);
  if (gen == kTR1)
    Statics(d, index, a.statics1, b.statics1);
  else
    Statics(d, index, a.statics2, b.statics2);
  if (gen == kTR5) {
    // What the TR5 room block holds besides the merged geometry: the values the Experiments page
    // shows and edits, by their names there; the rest as whole parts.
    const std::vector<std::string> lines_a = TrcValueLines(a), lines_b = TrcValueLines(b);
    for (size_t line = 0; line < lines_a.size(); ++line) {
      const size_t colon = lines_a[line].find(": ");
      d.Field(r, lines_a[line].substr(0, colon).c_str(), lines_a[line].substr(colon + 2),
              lines_b[line].substr(colon + 2));
    }
    d.Field(r, "colour", Hex(a.trc_colour, 8), Hex(b.trc_colour, 8));
    if (HeaderRest(a) != HeaderRest(b)) d.Changed(r + " header");
    d.Table(r + " layers", r + " layer", a.layers, b.layers);
    d.Table(r + " 36-byte records", r + " 36-byte record", a.trc_records36, b.trc_records36);
    d.Block(r + " trailing bytes", a.trc_trailing, b.trc_trailing);
  }
}

// Texture pages of one form, page by page: how many texels changed.
void Pages(Differ& d, const char* form, const SharedBlock& a, const SharedBlock& b,
           size_t page_bytes, size_t texel_bytes) {
  if (a == b) return;
  const size_t pages_a = a.size() / page_bytes, pages_b = b.size() / page_bytes;
  const std::string table = std::string(form) + " texture pages";
  d.Count(table, pages_a, pages_b);
  const uint8_t* pa = a.bytes();
  const uint8_t* pb = b.bytes();
  for (size_t p = 0; p < std::max(pages_a, pages_b); ++p) {
    const std::string r = std::string(form) + " texture page " + Num(p);
    if (p >= pages_a) {
      d.Added(r);
      continue;
    }
    if (p >= pages_b) {
      d.Removed(r);
      continue;
    }
    size_t changed = 0;
    for (size_t t = 0; t < page_bytes; t += texel_bytes)
      changed += !std::equal(pa + p * page_bytes + t, pa + p * page_bytes + t + texel_bytes,
                             pb + p * page_bytes + t);
    if (changed > 0) d.Field(r, "texels changed", "", Num(changed));
  }
}

}  // namespace

std::string LevelDifference::Text() const {
  if (field.empty()) {
    if (before.empty() && after.empty()) return record + " changed";
    if (before.empty()) return record + " " + after;
    if (after.empty()) return record + " " + before;
    return record + ": " + before + " -> " + after;
  }
  if (before.empty()) return record + " " + field + ": " + after;
  return record + " " + field + ": " + before + " -> " + after;
}

Expected<std::vector<LevelDifference>> DiffLevels(const Ttrlevel& a, const Ttrlevel& b) {
  if (!a.IsLoaded() || !b.IsLoaded())
    return Result::Fail(Status::kNothingLoaded, "there is no level to compare");
  const int32_t gen = Generation(a.version_kind);
  if (gen != Generation(b.version_kind))
    return Result::Fail(Status::kWrongGeneration,
                        std::string("the levels are of different generations (") +
                            GenerationName(a.version_kind) + " and " +
                            GenerationName(b.version_kind) + "); diff compares levels of one");
  // Pages read from the same packed stream are equal unpacked: only pages that may differ are
  // unpacked (a damaged chunk is then said).
  if (!(a.pages16 == b.pages16 && a.pages32 == b.pages32 && a.misc_pages == b.misc_pages))
    for (const Ttrlevel* level : {&a, &b})
      if (Result unpacked = UnpackTexturePages(*level); !unpacked) return unpacked;

  Diffs out;
  Differ d(out);
  d.Field("version word", "", Hex(a.version, 8), Hex(b.version, 8));
  constexpr size_t kTexels = 256 * 256;
  Pages(d, "8-bit", a.pages8, b.pages8, kTexels, 1);
  Pages(d, "16-bit", a.pages16, b.pages16, kTexels * 2, 2);
  Pages(d, "32-bit", a.pages32, b.pages32, kTexels * 4, 4);
  d.Block("third texture chunk", a.misc_pages.span(), b.misc_pages.span());
  d.Block("palette",
          std::span(reinterpret_cast<const uint8_t*>(a.palette.data()), sizeof a.palette),
          std::span(reinterpret_cast<const uint8_t*>(b.palette.data()), sizeof b.palette));
  d.Block("16-bit palette", a.palette16, b.palette16);

  d.Count("rooms", a.rooms.size(), b.rooms.size());
  for (size_t i = 0; i < std::max(a.rooms.size(), b.rooms.size()); ++i) {
    if (i >= a.rooms.size())
      d.Added("room " + Num(i));
    else if (i >= b.rooms.size())
      d.Removed("room " + Num(i));
    else if (!(a.rooms[i] == b.rooms[i]))
      Room(d, static_cast<int>(i), a.rooms[i], b.rooms[i], gen);
  }
  d.Table("floor data", "floor data word", a.floor_data, b.floor_data);
  d.Table("mesh data", "mesh data word", a.mesh_data, b.mesh_data);
  d.Table("mesh pointers", "mesh pointer", a.mesh_pointers, b.mesh_pointers);
  d.Table("animations", "animation", a.animations, b.animations);
  d.Table("state changes", "state change", a.state_changes, b.state_changes);
  d.Table("animation dispatches", "animation dispatch", a.anim_dispatches, b.anim_dispatches);
  d.Table("animation commands", "animation command word", a.anim_commands, b.anim_commands);
  d.Table("mesh trees", "mesh tree word", a.mesh_trees, b.mesh_trees);
  d.Table("frames", "frame word", a.frames, b.frames);
  d.Table("movables", "movable", a.movables, b.movables);
  d.Table("static mesh objects", "static mesh object", a.static_meshes, b.static_meshes);
  d.Table("object textures", "object texture", a.object_textures, b.object_textures);
  d.Table("sprite textures", "sprite texture", a.sprite_textures, b.sprite_textures);
  d.Table("sprite sequences", "sprite sequence", a.sprite_sequences, b.sprite_sequences);
  d.Table("cameras", "camera", a.cameras, b.cameras);
  d.Table("flyby cameras", "flyby camera", a.flyby_cameras, b.flyby_cameras);
  d.Table("sound sources", "sound source", a.sound_sources, b.sound_sources);
  if (gen == kTR1)
    d.Table("boxes", "box", a.boxes1, b.boxes1);
  else
    d.Table("boxes", "box", a.boxes2, b.boxes2);
  d.Table("overlaps", "overlap word", a.overlaps, b.overlaps);
  for (size_t z = 0; z < a.zones.size(); ++z)
    d.Table("zone array " + Num(z + 1), "zone " + Num(z + 1) + " word", a.zones[z], b.zones[z]);
  d.Table("animated textures", "animated texture word", a.animated_textures, b.animated_textures);
  if (gen == kTR1)
    Items(d, a.items1, b.items1, gen);
  else
    Items(d, a.items2, b.items2, gen);
  d.Block("light map", a.light_map, b.light_map);
  d.Table("AI items", "AI item", a.aux_items, b.aux_items);
  d.Table("16-byte records", "16-byte record", a.aux16_records, b.aux16_records);
  d.Block("sound map", a.byte_list, b.byte_list);
  d.Block("sound word table", a.word_table, b.word_table);
  d.Table("extended sound word table", "extended sound word", a.extended_word_table,
          b.extended_word_table);
  d.Table("sound details", "sound detail", a.records8, b.records8);
  d.Value("samples", "count", a.tail_count, b.tail_count);
  d.Block("samples", a.tail_data.span(), b.tail_data.span());
  d.Table("sample indices", "sample index", a.index_list, b.index_list);
  d.Block("bytes after the last table", a.level_data_end, b.level_data_end);
  // The weather by its value; the rest of the TR5 header as a whole.
  if (gen == kTR5) d.Value("level", "weather", Weather(a), Weather(b));
  auto header_a = a.trc_header, header_b = b.trc_header;
  for (size_t at : {kWeatherAt, kWeatherAt + 1}) header_a[at] = header_b[at] = 0;
  d.Block("TR5 header", header_a, header_b);
  return out;
}

std::optional<ProblemPlace> PlaceOfDifference(const LevelDifference& difference) {
  std::istringstream words(difference.record);
  std::string kind, face;
  words >> kind;
  ProblemPlace place;
  if (kind == "item") {
    place.kind = PlaceKind::kItem;
    if (words >> place.index && words.eof() && place.index >= 0) return place;
  } else if (kind == "static") {
    char dot = 0;
    place.kind = PlaceKind::kStatic;
    if (words >> place.room >> dot >> place.index && dot == '.' && words.eof() && place.room >= 0 &&
        place.index >= 0)
      return place;
  } else if (kind == "room") {
    place.kind = PlaceKind::kRoom;
    if (!(words >> place.room) || place.room < 0) return std::nullopt;
    if (words.eof()) return place;
    // "room 3 rectangle 40"; the room's other records ("room 3 statics") go to the room.
    if (!(words >> face)) return place;
    if ((face == "rectangle" || face == "triangle") && words >> place.index && place.index >= 0)
      place.kind = face == "rectangle" ? PlaceKind::kRectangle : PlaceKind::kTriangle;
    else
      place.index = -1;
    return place;
  }
  return std::nullopt;
}

}  // namespace qavel
