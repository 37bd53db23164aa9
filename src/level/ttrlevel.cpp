#include "level/ttrlevel.h"

#include <cmath>
#include <system_error>
#include <thread>
#include <unordered_map>

namespace qavel {

size_t troom::num_lights(int32_t version_kind) const {
  if (version_kind < kTR2) return lights1.size();
  if (version_kind < kTR4) return lights2.size();
  if (version_kind == kTR4) return lights4.size();
  return lights5.size();
}

void Ttrlevel::ResizeBoxes(size_t n) {
  boxes1.resize(n);
  boxes2.resize(n);
}

void Ttrlevel::ResizeZones(size_t n) {
  for (auto& z : zones) z.resize(n);
}

void Ttrlevel::ResizeItems(size_t n) {
  items1.resize(n);
  items2.resize(n);
}

// Every member, in declaration order, so that a difference report names the first that differs.
// clang-format off
#define QAVEL_LEVEL_FIELDS(X)                                                                   \
  X(loaded) X(version) X(version_kind) X(page_counts) X(num_pages) X(pages8) X(pages16)        \
  X(pages32) X(misc_pages) X(reserved_dword) X(trc_header) X(trc_level_data_size)              \
  X(trc_level_data_size2) X(trc_room_count_high) X(rooms) X(floor_data) X(mesh_data)           \
  X(mesh_pointers) X(animations) X(state_changes) X(anim_dispatches) X(anim_commands)          \
  X(mesh_trees) X(frames) X(movables) X(static_meshes) X(tex_marker) X(object_textures)        \
  X(spr_marker) X(sprite_textures) X(sprite_sequences) X(cameras) X(flyby_cameras)             \
  X(sound_sources) X(boxes1) X(boxes2) X(overlaps) X(zones) X(animated_textures) X(items1)     \
  X(items2) X(light_map) X(palette) X(palette16) X(aux16_records) X(aux_items) X(byte_list)    \
  X(word_table) X(extended_word_table) X(records8) X(tail_count) X(tail_data) X(index_list)    \
  X(level_data_end)
// clang-format on

std::string Ttrlevel::FirstDifference(const Ttrlevel& o) const {
// The argument is a member name, which cannot be parenthesised.
#define QAVEL_CMP(f) \
  if (!(f == o.f)) return #f;  // NOLINT(bugprone-macro-parentheses)
  QAVEL_LEVEL_FIELDS(QAVEL_CMP)
#undef QAVEL_CMP
  // Equality is defaulted over every member, so a member this list lacks still makes the
  // levels differ; the report then says so instead of calling them equal.
  if (!(*this == o)) return "a member missing from the difference list";
  return {};
}
#undef QAVEL_LEVEL_FIELDS

Result UnpackTexturePages(const Ttrlevel& level) {
  Result first;
  std::thread worker;
  if (level.pages32.IsPacked()) {
    try {
      worker = std::thread([&level, &first] { first = level.pages32.Unpack(); });
    } catch (const std::system_error&) {
      // No thread to be had: the caller's does it all.
    }
  }
  const Result second = level.pages16.Unpack();
  const Result third = level.misc_pages.Unpack();
  if (worker.joinable())
    worker.join();
  else
    first = level.pages32.Unpack();
  for (const Result& r : {first, second, third})
    if (!r.ok()) return r;
  return Result::Ok();
}

// ---- Names ----

const char* GenerationName(int32_t version_kind) {
  switch (version_kind) {
    case kTR1:
      return "TR1";
    case kTR1Tub:
      return "TR1 (.tub)";
    case kTR2:
      return "TR2";
    case kTR2Trg:
      return "TR2 (.trg)";
    case kTR3:
      return "TR3";
    case kTR4:
      return "TR4";
    case kTR5:
      return "TR5";
    default:
      return "unknown";
  }
}

// ---- Items ----

titem2 ItemFromTr1(const titem1& a) {
  titem2 b{};
  b.object_id = a.object_id;
  b.room = a.room;
  b.x = a.x;
  b.y = a.y;
  b.z = a.z;
  b.angle = a.angle;
  const auto light = static_cast<uint16_t>(a.light);
  b.light1 = static_cast<int16_t>(light & 0xFF);
  b.light2_ocb = static_cast<int16_t>(light >> 8);
  b.item_flags = a.item_flags;
  return b;
}

titem1 ItemToTr1(const titem2& b) {
  titem1 a{};
  a.object_id = b.object_id;
  a.room = b.room;
  a.x = b.x;
  a.y = b.y;
  a.z = b.z;
  a.angle = b.angle;
  const auto lo = static_cast<uint16_t>(b.light1) & 0xFF;
  const auto hi = static_cast<uint16_t>(b.light2_ocb) & 0xFF;
  a.light = static_cast<int16_t>(lo | (hi << 8));
  a.item_flags = b.item_flags;
  return a;
}

void StoreItem(Ttrlevel& level, size_t index, const titem2& item) {
  level.items2.at(index) = item;
  level.items1.at(index) = ItemToTr1(item);
}

size_t AppendItem(Ttrlevel& level, const titem2& item) {
  level.ResizeItems(level.items2.size() + 1);
  StoreItem(level, level.items2.size() - 1, item);
  return level.items2.size() - 1;
}

void DeriveItemForms(Ttrlevel& level) {
  const size_t n = level.version_kind < kTR2 ? level.items1.size() : level.items2.size();
  level.ResizeItems(n);
  for (size_t i = 0; i < n; ++i) {
    if (level.version_kind < kTR2)
      level.items2[i] = ItemFromTr1(level.items1[i]);
    else
      level.items1[i] = ItemToTr1(level.items2[i]);
  }
}

// ---- Static mesh instances ----

tstatic2 StaticFromTr1(const tstatic1& a) {
  return tstatic2{{}, a.x, a.y, a.z, a.rotation, a.intensity, a.intensity, a.mesh_id};
}

tstatic1 StaticToTr1(const tstatic2& b) {
  return tstatic1{{}, b.x, b.y, b.z, b.rotation, b.intensity1, b.mesh_id};
}

void StoreStatic(troom& room, size_t index, const tstatic2& instance) {
  room.statics2.at(index) = instance;
  room.statics1.at(index) = StaticToTr1(instance);
}

size_t AppendStatic(troom& room, const tstatic2& instance) {
  room.statics1.emplace_back();
  room.statics2.emplace_back();
  StoreStatic(room, room.statics2.size() - 1, instance);
  return room.statics2.size() - 1;
}

void ResizeStatics(troom& room, size_t n) {
  room.statics1.resize(n);
  room.statics2.resize(n);
}

// ---- Vertices ----

tvertex2 VertexFromTr1(const tvertex1& a) {
  return tvertex2{{}, a.x, a.y, a.z, a.lighting, 0x0010, 0x3DEF};
}

tvertex1 VertexToTr1(const tvertex2& b) {
  return tvertex1{{}, b.x, b.y, b.z, b.lighting};
}

void StoreVertex(troom& room, size_t index, const tvertex2& vertex) {
  room.vertices2.at(index) = vertex;
  room.vertices1.at(index) = VertexToTr1(vertex);
  if (index < room.vertices5.size()) {
    room.vertices5[index].x = vertex.x;
    room.vertices5[index].y = vertex.y;
    room.vertices5[index].z = vertex.z;
  }
}

size_t FindVertex(const troom& room, int16_t x, int16_t y, int16_t z) {
  for (size_t i = 0; i < room.vertices2.size(); ++i) {
    const auto& v = room.vertices2[i];
    if (v.x == x && v.y == y && v.z == z) return i + 1;
  }
  return 0;
}

size_t AddVertex(troom& room, int16_t x, int16_t y, int16_t z, uint8_t light) {
  if (size_t found = FindVertex(room, x, y, z)) {
    auto& l = room.vertices1[found - 1].lighting;
    const auto old_high = static_cast<uint16_t>(l) >> 8;
    const auto high = static_cast<uint16_t>((old_high + light) >> 1);
    l = static_cast<int16_t>((static_cast<uint16_t>(l) & 0x00FF) | (high << 8));
    return found;
  }
  if (room.vertices2.size() >= RoomCapacity::vertices) return 0;
  const auto lighting = static_cast<int16_t>(light << 8);
  room.vertices2.push_back(tvertex2{{}, x, y, z, lighting, 0, 0});
  room.vertices1.push_back(tvertex1{{}, x, y, z, lighting});
  if (!room.vertices5.empty() || !room.tr5_layers.empty()) {
    tvertex5 v{};
    v.x = x;
    v.y = y;
    v.z = z;
    room.vertices5.push_back(v);
  }
  return room.vertices2.size();
}

void ClearGeometry(troom& room) {
  room.vertices1.clear();
  room.vertices2.clear();
  room.vertices5.clear();
  room.rectangles.clear();
  room.rectangles5.clear();
  room.triangles.clear();
  room.triangles5.clear();
}

void DeriveRoomForms(troom& room, int32_t version_kind) {
  if (version_kind < kTR2) {
    room.vertices2.resize(room.vertices1.size());
    for (size_t i = 0; i < room.vertices1.size(); ++i)
      room.vertices2[i] = VertexFromTr1(room.vertices1[i]);
    room.statics2.resize(room.statics1.size());
    for (size_t i = 0; i < room.statics1.size(); ++i)
      room.statics2[i] = StaticFromTr1(room.statics1[i]);
  } else {
    room.vertices1.resize(room.vertices2.size());
    for (size_t i = 0; i < room.vertices2.size(); ++i)
      room.vertices1[i] = VertexToTr1(room.vertices2[i]);
    room.statics1.resize(room.statics2.size());
    for (size_t i = 0; i < room.statics2.size(); ++i)
      room.statics1[i] = StaticToTr1(room.statics2[i]);
  }
}

void DeriveAnimatedTextureGroups(Ttrlevel& level) {
  for (auto& t : level.object_textures) t.anim_group = 0;
  const auto& w = level.animated_textures;
  if (w.empty()) return;
  size_t pos = 1;
  const size_t groups = w[0];
  for (size_t g = 1; g <= groups && pos < w.size(); ++g) {
    const size_t n = size_t{w[pos++]} + 1;
    for (size_t k = 0; k < n && pos < w.size(); ++k, ++pos) {
      const size_t tex = w[pos];
      if (tex < level.object_textures.size())
        level.object_textures[tex].anim_group = static_cast<uint16_t>(g);
    }
  }
}

// ---- TR5 layer merge ----

namespace {

int16_t RoundCoordinate(float f) {
  // Nearest integer, halves to even, keeping the low 16 bits.
  const double r = std::nearbyint(static_cast<double>(f));
  if (!std::isfinite(r)) return 0;
  const auto wide = static_cast<int64_t>(std::fmod(r, 65536.0));
  return static_cast<int16_t>(static_cast<uint16_t>(wide & 0xFFFF));
}

uint64_t PointKey(int16_t x, int16_t y, int16_t z) {
  return (uint64_t{static_cast<uint16_t>(x)} << 32) | (uint64_t{static_cast<uint16_t>(y)} << 16) |
         uint64_t{static_cast<uint16_t>(z)};
}

}  // namespace

void MergeTr5Layers(troom& room) {
  ClearGeometry(room);

  // Same result as scanning the room's list for the first equal point, without the scan.
  std::unordered_map<uint64_t, uint16_t> position;
  std::vector<std::vector<uint16_t>> merged_index(room.tr5_layers.size());
  for (size_t l = 0; l < room.tr5_layers.size(); ++l) {
    const auto& layer = room.tr5_layers[l];
    merged_index[l].resize(layer.vertices.size());
    for (size_t i = 0; i < layer.vertices.size(); ++i) {
      const tvertex5& src = layer.vertices[i];
      const int16_t x = RoundCoordinate(src.x), y = RoundCoordinate(src.y),
                    z = RoundCoordinate(src.z);
      const uint64_t key = PointKey(x, y, z);
      auto it = position.find(key);
      size_t at;
      if (it != position.end()) {
        at = it->second;
      } else {
        at = room.vertices2.size();
        position.emplace(key, static_cast<uint16_t>(at));
        room.vertices2.push_back(tvertex2{{}, x, y, z, 0, 0, 0});
        room.vertices1.push_back(tvertex1{{}, x, y, z, 0});
        room.vertices5.emplace_back();
      }
      room.vertices5[at] = src;
      room.vertices2[at].colour = static_cast<uint16_t>(
          ((src.rest[14] >> 3) << 10) | ((src.rest[13] >> 3) << 5) | (src.rest[12] >> 3));
      merged_index[l][i] = static_cast<uint16_t>(at);
    }
  }
  auto map = [&](size_t l, uint16_t v) -> uint16_t {
    return v < merged_index[l].size() ? merged_index[l][v] : 0;
  };
  for (size_t l = 0; l < room.tr5_layers.size(); ++l) {
    const auto& layer = room.tr5_layers[l];
    for (const auto& r : layer.rectangles) {
      trectangle5 m = r;
      for (auto& v : m.vertices) v = map(l, v);
      room.rectangles5.push_back(m);
      room.rectangles.push_back(
          trectangle{{}, {m.vertices[0], m.vertices[1], m.vertices[2], m.vertices[3]}, m.texture});
    }
    for (const auto& t : layer.triangles) {
      ttriangle5 m = t;
      for (auto& v : m.vertices) v = map(l, v);
      room.triangles5.push_back(m);
      room.triangles.push_back(
          ttriangle{{}, {m.vertices[0], m.vertices[1], m.vertices[2]}, m.texture});
    }
  }
}

}  // namespace qavel
