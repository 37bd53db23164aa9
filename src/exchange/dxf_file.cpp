#include "exchange/dxf_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "exchange/exchange_error.h"
#include "level/zfile.h"

namespace qavel {

namespace {

// ---- Writing ----

void Line(std::string& out, std::string_view s) {
  out += s;
  out += "\r\n";
}

// A level coordinate as DXF units (1000 level units) with six decimals. Formatted from the
// integer so the text is exact and no locale can turn the point into a comma.
std::string Coordinate(int value) {
  const bool negative = value < 0;
  const unsigned magnitude = static_cast<unsigned>(negative ? -value : value);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%u.%03u000", negative && magnitude ? "-" : "", magnitude / 1000,
                magnitude % 1000);
  return buf;
}

std::string LayerName(uint16_t texture_word) {
  return "Texture_" + std::to_string((texture_word & 0x0FFF) + 1);
}

void WriteFace(std::string& out, uint16_t texture, const std::array<const tvertex2*, 4>& corners) {
  Line(out, "  0");
  Line(out, "3DFACE");
  Line(out, "  8");
  Line(out, LayerName(texture));
  static constexpr const char* kCodes[4][3] = {
      {" 10", " 20", " 30"}, {" 11", " 21", " 31"}, {" 12", " 22", " 32"}, {" 13", " 23", " 33"}};
  for (size_t c = 0; c < 4; ++c) {
    const tvertex2& v = *corners[c];
    // DXF X = x, DXF Y = -z, DXF Z = -y: the level's y grows downwards, DXF's Z upwards.
    Line(out, kCodes[c][0]);
    Line(out, Coordinate(v.x));
    Line(out, kCodes[c][1]);
    Line(out, Coordinate(-int{v.z}));
    Line(out, kCodes[c][2]);
    Line(out, Coordinate(-int{v.y}));
  }
}

const tvertex2& FaceVertex(const troom& room, size_t room_index, const char* kind, size_t face,
                           uint16_t vertex) {
  if (vertex >= room.num_vertices())
    throw ExchangeError(Status::kRefused, "room " + std::to_string(room_index) + ": " + kind + " " +
                                              std::to_string(face) + " refers to vertex " +
                                              std::to_string(vertex) + " but the room has " +
                                              std::to_string(room.num_vertices()) + " vertices");
  return room.vertices2[vertex];
}

// ---- Reading ----

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

struct Pair {
  int code = 0;
  std::string_view value;
  size_t line = 0;  // line of the group code
};

// Reads a DXF text as (group code, value) pairs. Group codes are numbers however they are
// padded: CAD programs write "0" where others write "  0".
class PairReader {
 public:
  PairReader(std::string_view text, const std::string& name) : text_(text), name_(name) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") text_.remove_prefix(3);
  }

  bool Read(Pair& p) {
    if (pushed_) {
      p = *pushed_;
      pushed_.reset();
      return true;
    }
    std::string_view code_line;
    if (!NextLine(code_line)) return false;
    p.line = line_;
    const std::string_view code = Trim(code_line);
    if (code.empty() && pos_ >= text_.size()) return false;  // a final empty line
    const auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), p.code);
    if (ec != std::errc() || end != code.data() + code.size() || code.empty())
      Fail(line_, "the group code \"" + Shorten(code) + "\" is not a number");
    std::string_view value;
    if (!NextLine(value)) Fail(line_, "the file ends after a group code, without its value");
    p.value = Trim(value);
    return true;
  }

  void PushBack(const Pair& p) { pushed_ = p; }
  size_t Lines() const { return line_; }

  [[noreturn]] void Fail(size_t line, const std::string& what,
                         Status status = Status::kDamaged) const {
    throw ExchangeError(status, name_ + ", line " + std::to_string(line) + ": " + what);
  }

  static std::string Shorten(std::string_view s) {
    std::string out(s.substr(0, 40));
    for (char& c : out)
      if (static_cast<unsigned char>(c) < 0x20) c = '?';
    return s.size() > 40 ? out + "..." : out;
  }

 private:
  bool NextLine(std::string_view& out) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    out = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++line_;
    return true;
  }

  std::string_view text_;
  const std::string& name_;
  size_t pos_ = 0;
  size_t line_ = 0;
  std::optional<Pair> pushed_;
};

// DXF units to level units, rounded to the nearest unit: modelling programs write values such
// as 0.99999994 for 1, which truncation would move by a whole unit.
int16_t LevelUnits(const PairReader& in, const Pair& p, bool negate) {
  std::string_view s = p.value;
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty() || !std::isfinite(v))
    in.Fail(p.line + 1, "the coordinate \"" + PairReader::Shorten(p.value) + "\" is not a number");
  double units = std::round(v * 1000.0);
  if (negate) units = -units;
  if (units < -32768.0 || units > 32767.0)
    in.Fail(p.line + 1,
            "the coordinate " + PairReader::Shorten(p.value) +
                " lies outside what a room can hold (-32.768 to 32.767 after the axes swap)",
            Status::kRefused);
  return static_cast<int16_t>(units);
}

// The texture number a layer name stands for: up to four digits after the first "_" (the
// whole name when it has none). 0 when the name carries no number.
uint32_t LayerNumber(std::string_view name) {
  const size_t underscore = name.find('_');
  std::string_view digits =
      underscore == std::string_view::npos ? name : name.substr(underscore + 1);
  digits = digits.substr(0, 4);
  uint32_t n = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty()) return 0;
  return n;
}

DxfFace ReadFace(PairReader& in, size_t line, uint32_t num_textures, size_t face_number) {
  DxfFace f;
  f.line = line;
  std::string_view layer = "0";  // DXF's default layer
  bool has_fourth = false;
  Pair p;
  while (in.Read(p)) {
    if (p.code == 0) {
      in.PushBack(p);
      break;
    }
    if (p.code == 8) {
      layer = p.value;
    } else if (p.code >= 10 && p.code <= 13) {
      f.corners[p.code - 10][0] = LevelUnits(in, p, false);  // x = X
      has_fourth |= p.code == 13;
    } else if (p.code >= 20 && p.code <= 23) {
      f.corners[p.code - 20][2] = LevelUnits(in, p, true);  // z = -Y
      has_fourth |= p.code == 23;
    } else if (p.code >= 30 && p.code <= 33) {
      f.corners[p.code - 30][1] = LevelUnits(in, p, true);  // y = -Z
      has_fourth |= p.code == 33;
    }
  }
  if (!has_fourth) f.corners[3] = f.corners[2];
  const uint32_t number = LayerNumber(layer);
  const std::string face = "3DFACE " + std::to_string(face_number);
  if (number == 0)
    in.Fail(line,
            face + " is on layer \"" + PairReader::Shorten(layer) +
                "\", which names no object texture (faces belong on layers Texture_N)",
            Status::kRefused);
  if (number > num_textures)
    in.Fail(line,
            face + " is on layer " + PairReader::Shorten(layer) + " (texture " +
                std::to_string(number - 1) + ") but the level has " + std::to_string(num_textures) +
                " object textures",
            Status::kRefused);
  f.texture = static_cast<uint16_t>(number - 1);
  return f;
}

uint64_t PointKey(const std::array<int16_t, 3>& p) {
  return (uint64_t{static_cast<uint16_t>(p[0])} << 32) |
         (uint64_t{static_cast<uint16_t>(p[1])} << 16) | uint64_t{static_cast<uint16_t>(p[2])};
}

uint64_t PointKey(const tvertex2& v) {
  return PointKey({v.x, v.y, v.z});
}

void CheckCapacities(const DxfGeometry& g, size_t room_index) {
  const std::string room = "room " + std::to_string(room_index) + ": the file has ";
  if (g.quads.size() > RoomCapacity::rectangles)
    throw ExchangeError(Status::kRefused, room + std::to_string(g.quads.size()) +
                                              " four-cornered faces but a room holds at most " +
                                              std::to_string(RoomCapacity::rectangles) +
                                              " rectangles");
  if (g.triangles.size() > RoomCapacity::triangles)
    throw ExchangeError(Status::kRefused, room + std::to_string(g.triangles.size()) +
                                              " triangles but a room holds at most " +
                                              std::to_string(RoomCapacity::triangles));
  std::unordered_set<uint64_t> points;
  for (const auto* list : {&g.quads, &g.triangles})
    for (const auto& f : *list)
      for (size_t c = 0; c < (list == &g.quads ? 4u : 3u); ++c)
        points.insert(PointKey(f.corners[c]));
  if (points.size() > RoomCapacity::vertices)
    throw ExchangeError(Status::kRefused, room + std::to_string(points.size()) +
                                              " distinct corner points but a room holds at most " +
                                              std::to_string(RoomCapacity::vertices) + " vertices");
}

// The 12-byte vertex of an imported point. TR1 derives it as the level reader does; TR2 on take
// the lighting of the 8-byte form, and TR3 and TR4 a grey colour of the same brightness and
// attributes from the room's flags.
tvertex2 ClassicVertex(const tvertex1& v1, int32_t kind, uint16_t room_flags) {
  if (kind < kTR2) return VertexFromTr1(v1);
  tvertex2 v{{}, v1.x, v1.y, v1.z, v1.lighting, 0, 0xFFFF};
  if (kind >= kTR3) {
    const int high = static_cast<uint16_t>(v1.lighting) >> 8;
    const auto grey = static_cast<uint16_t>(std::max(0, 31 - high));
    v.colour = static_cast<uint16_t>(grey << 10 | grey << 5 | grey);
    v.attributes = (room_flags & 0x0001) ? 0x2010 : 0x0010;
    if (room_flags & 0x0080) v.attributes = 0x2000;
  }
  return v;
}

// TR5 rooms keep their 28-byte vertices as the truth: a point the room already had keeps its
// exact position, normal and colour; a new point gets the grey of its lighting byte. The other
// forms are then what reading the written room back gives.
void CompleteTr5Vertices(troom& room, const std::vector<tvertex5>& old_vertices5,
                         const std::vector<tvertex2>& old_vertices2) {
  std::unordered_map<uint64_t, size_t> old_at;
  for (size_t i = old_vertices2.size(); i-- > 0;)
    if (i < old_vertices5.size()) old_at[PointKey(old_vertices2[i])] = i;
  room.vertices5.resize(room.vertices2.size());
  for (size_t i = 0; i < room.vertices2.size(); ++i) {
    tvertex2& v2 = room.vertices2[i];
    tvertex5& v5 = room.vertices5[i];
    if (auto it = old_at.find(PointKey(v2)); it != old_at.end()) {
      v5 = old_vertices5[it->second];
    } else {
      v5 = tvertex5{};
      v5.x = v2.x;
      v5.y = v2.y;
      v5.z = v2.z;
      const int high = static_cast<uint16_t>(room.vertices1[i].lighting) >> 8;
      const auto grey = static_cast<uint8_t>(std::max(0, 31 - high) << 3);
      v5.rest[12] = v5.rest[13] = v5.rest[14] = grey;
      v5.rest[15] = 0xFF;
    }
    v2.lighting = 0;
    v2.attributes = 0;
    v2.colour = static_cast<uint16_t>(((v5.rest[14] >> 3) << 10) | ((v5.rest[13] >> 3) << 5) |
                                      (v5.rest[12] >> 3));
    room.vertices1[i] = VertexToTr1(v2);
  }
}

// The word TR5 keeps beside a face's texture survives where the same face (same corners) sits
// at the same place in the list.
template <class Face5, size_t N>
uint16_t KeptExtra(const std::vector<Face5>& old_faces, const std::vector<tvertex2>& old_vertices,
                   size_t i, const DxfFace& f) {
  if (i >= old_faces.size()) return 0;
  for (size_t c = 0; c < N; ++c) {
    const uint16_t v = old_faces[i].vertices[c];
    if (v >= old_vertices.size() || PointKey(old_vertices[v]) != PointKey(f.corners[c])) return 0;
  }
  return old_faces[i].extra;
}

// Room sprites stand on vertices of the room: each keeps its point, found among the imported
// vertices or added as it was, so that no sprite is left naming a vertex the room lost.
void KeepSpriteVertices(troom& room, size_t room_index, const std::vector<tvertex1>& old1,
                        const std::vector<tvertex2>& old2) {
  for (tsprite& sprite : room.sprites) {
    uint16_t v;
    std::memcpy(&v, sprite.raw, 2);
    if (v >= old2.size() || v >= old1.size()) continue;  // it named no vertex before either
    const tvertex2& p = old2[v];
    size_t at = FindVertex(room, p.x, p.y, p.z);
    if (at == 0) {
      if (room.vertices2.size() >= RoomCapacity::vertices)
        throw ExchangeError(Status::kRefused,
                            "room " + std::to_string(room_index) +
                                ": the file's faces and the room's sprites need more than " +
                                std::to_string(RoomCapacity::vertices) + " vertices");
      room.vertices1.push_back(old1[v]);
      room.vertices2.push_back(p);
      at = room.vertices2.size();
    }
    const auto index = static_cast<uint16_t>(at - 1);
    std::memcpy(sprite.raw, &index, 2);
  }
}

void BuildRoomGeometry(troom& room, size_t room_index, const DxfGeometry& g, int32_t kind) {
  const auto old_vertices1 = std::move(room.vertices1);
  const auto old_vertices2 = std::move(room.vertices2);
  const auto old_vertices5 = std::move(room.vertices5);
  const auto old_rectangles5 = std::move(room.rectangles5);
  const auto old_triangles5 = std::move(room.triangles5);
  ClearGeometry(room);
  const bool tr5 = kind == kTR5;

  auto corner = [&](const DxfFace& f, size_t c) {
    const auto& p = f.corners[c];
    // CheckCapacities has counted the distinct points, so every add finds room.
    return static_cast<uint16_t>(AddVertex(room, p[0], p[1], p[2], f.light) - 1);
  };
  for (size_t i = 0; i < g.quads.size(); ++i) {
    const DxfFace& f = g.quads[i];
    trectangle r{{}, {corner(f, 0), corner(f, 1), corner(f, 2), corner(f, 3)}, f.texture};
    room.rectangles.push_back(r);
    if (tr5) {
      const uint16_t extra = KeptExtra<trectangle5, 4>(old_rectangles5, old_vertices2, i, f);
      room.rectangles5.push_back(trectangle5{
          {}, {r.vertices[0], r.vertices[1], r.vertices[2], r.vertices[3]}, r.texture, extra});
    }
  }
  for (size_t i = 0; i < g.triangles.size(); ++i) {
    const DxfFace& f = g.triangles[i];
    ttriangle t{{}, {corner(f, 0), corner(f, 1), corner(f, 2)}, f.texture};
    room.triangles.push_back(t);
    if (tr5) {
      const uint16_t extra = KeptExtra<ttriangle5, 3>(old_triangles5, old_vertices2, i, f);
      room.triangles5.push_back(
          ttriangle5{{}, {t.vertices[0], t.vertices[1], t.vertices[2]}, t.texture, extra});
    }
  }

  if (tr5) {
    CompleteTr5Vertices(room, old_vertices5, old_vertices2);
    return;
  }
  // The find/add averages a shared point's light into the 8-byte form only.
  for (size_t i = 0; i < room.vertices1.size(); ++i)
    room.vertices2[i] = ClassicVertex(room.vertices1[i], kind, room.flags);
  KeepSpriteVertices(room, room_index, old_vertices1, old_vertices2);
}

Result NoSuchRoom(const Ttrlevel& level, size_t room_index) {
  if (!level.IsLoaded()) return Result::Fail(Status::kNothingLoaded, "no level is loaded");
  return Result::Fail(Status::kRefused, "room " + std::to_string(room_index) +
                                            " does not exist; the level has " +
                                            std::to_string(level.num_rooms()) + " rooms");
}

std::string RoomText(const troom& room) {
  return std::to_string(room.num_rectangles()) + " rectangles and " +
         std::to_string(room.num_triangles()) + " triangles";
}

}  // namespace

Expected<std::string> WriteRoomDxfText(const Ttrlevel& level, size_t room_index) {
  if (!level.IsLoaded() || room_index >= level.rooms.size()) return NoSuchRoom(level, room_index);
  const troom& room = level.rooms[room_index];
  return Guarded([&]() -> Expected<std::string> {
    std::string out;
    for (const char* s : {"  0", "SECTION", "  2", "HEADER", "  0", "ENDSEC", "  0", "SECTION",
                          "  2", "TABLES", "  0", "TABLE", "  2", "LAYER", "  70", "    153"})
      Line(out, s);
    // Texture numbers have 12 bits, so every layer a face can name fits this table.
    std::vector<bool> used(4096);
    for (const auto& r : room.rectangles) used[r.texture & 0x0FFF] = true;
    for (const auto& t : room.triangles) used[t.texture & 0x0FFF] = true;
    for (size_t t = 0; t < used.size(); ++t) {
      if (!used[t]) continue;
      // Right-aligned in six places (t + 1 has at most four digits).
      std::string colour = std::to_string(t + 1);
      colour.insert(0, colour.size() < 6 ? 6 - colour.size() : 0, ' ');
      const std::string name = LayerName(static_cast<uint16_t>(t));
      for (std::string_view s :
           {std::string_view("  0"), std::string_view("LAYER"), std::string_view("  2"),
            std::string_view(name), std::string_view(" 70"), std::string_view("  0"),
            std::string_view(" 62"), std::string_view(colour), std::string_view("  6"),
            std::string_view("CONTINUOUS")})
        Line(out, s);
    }
    for (const char* s : {"  0", "ENDTAB", "  0", "ENDSEC", "  0", "SECTION", "  2", "ENTITIES"})
      Line(out, s);
    for (size_t i = 0; i < room.rectangles.size(); ++i) {
      const auto& r = room.rectangles[i];
      std::array<const tvertex2*, 4> c;
      for (size_t k = 0; k < 4; ++k)
        c[k] = &FaceVertex(room, room_index, "rectangle", i, r.vertices[k]);
      WriteFace(out, r.texture, c);
    }
    for (size_t i = 0; i < room.triangles.size(); ++i) {
      const auto& t = room.triangles[i];
      std::array<const tvertex2*, 4> c;
      for (size_t k = 0; k < 3; ++k)
        c[k] = &FaceVertex(room, room_index, "triangle", i, t.vertices[k]);
      c[3] = c[2];
      WriteFace(out, t.texture, c);
    }
    for (const char* s : {" 0", "ENDSEC", " 0", "EOF"}) Line(out, s);
    return out;
  });
}

Result ExportRoomDxf(const Ttrlevel& level, size_t room_index, const std::string& file_name) {
  const auto text = WriteRoomDxfText(level, room_index);
  if (!text) return text.result();
  Result saved =
      WriteFileAtomically(file_name, reinterpret_cast<const uint8_t*>(text->data()), text->size());
  if (!saved) return saved;
  return Result::Ok(file_name + ": room " + std::to_string(room_index) + ": " +
                    RoomText(level.rooms[room_index]) + " written");
}

namespace {

DxfGeometry ReadDxf(std::string_view text, const std::string& name, uint32_t num_textures) {
  PairReader in(text, name);
  DxfGeometry g;
  std::string_view section;
  bool has_entities = false;
  size_t other_entities = 0;
  bool ended = false;
  Pair p;
  while (in.Read(p)) {
    if (p.code != 0) continue;
    if (p.value == "EOF") {
      ended = true;
      break;
    }
    if (p.value == "SECTION") {
      Pair n;
      if (in.Read(n)) {
        if (n.code == 2)
          section = n.value;
        else
          in.PushBack(n);
      }
      has_entities |= section == "ENTITIES";
    } else if (p.value == "ENDSEC") {
      section = {};
    } else if (section == "ENTITIES") {
      if (p.value != "3DFACE") {
        ++other_entities;
        continue;
      }
      const size_t number = g.quads.size() + g.triangles.size() + 1;
      DxfFace f = ReadFace(in, p.line + 1, num_textures, number);
      if (f.corners[3] == f.corners[2])
        g.triangles.push_back(f);
      else
        g.quads.push_back(f);
    }
  }
  if (!has_entities)
    throw ExchangeError(Status::kWrongMagic, name + ": not a DXF file with an ENTITIES section");
  // Every DXF file ends with an EOF group; one without it was cut short, and its last face may
  // be cut too (a coordinate of -8.192000 cut to -8 still reads as a number).
  if (!ended)
    in.Fail(in.Lines(),
            "the file ends without the EOF group that ends every DXF file: it is "
            "cut short");
  if (other_entities && g.quads.empty() && g.triangles.empty())
    throw ExchangeError(Status::kRefused,
                        name + ": the file holds " + std::to_string(other_entities) +
                            " entities but no 3DFACE; only 3D faces can become room geometry");
  return g;
}

}  // namespace

Expected<DxfGeometry> ParseDxf(std::string_view text, const std::string& name,
                               uint32_t num_textures) {
  return Guarded([&]() -> Expected<DxfGeometry> { return ReadDxf(text, name, num_textures); });
}

Result ImportRoomDxfText(Ttrlevel& level, size_t room_index, std::string_view text,
                         const std::string& name) {
  if (!level.IsLoaded() || room_index >= level.rooms.size()) return NoSuchRoom(level, room_index);
  return Guarded([&] {
    const DxfGeometry g = ReadDxf(text, name, level.num_object_textures());
    CheckCapacities(g, room_index);
    troom room = level.rooms[room_index];
    BuildRoomGeometry(room, room_index, g, level.version_kind);
    level.rooms[room_index] = std::move(room);
    const troom& r = level.rooms[room_index];
    return Result::Ok("room " + std::to_string(room_index) + ": " +
                      std::to_string(r.num_rectangles()) + " rectangles, " +
                      std::to_string(r.num_triangles()) + " triangles and " +
                      std::to_string(r.num_vertices()) + " vertices imported from " + name);
  });
}

Result ImportRoomDxf(Ttrlevel& level, size_t room_index, const std::string& file_name) {
  const auto content = ReadWholeFile(file_name);
  if (!content) return content.result();
  return ImportRoomDxfText(
      level, room_index,
      std::string_view(reinterpret_cast<const char*>(content->bytes()), content->size()),
      file_name);
}

}  // namespace qavel
