#include "exchange/msh_file.h"

#include "exchange/exchange_error.h"
#include "level/byte_reader.h"
#include "level/byte_writer.h"
#include "level/zfile.h"

namespace qavel {

namespace {

constexpr size_t kMagicSize = sizeof(kMshMagic) - 1;

// Which of the level's zone arrays the file carries: arrays 1 and 2, for TR2 on also 3 and 4,
// then array 5 (the flying zones of every generation).
std::vector<size_t> ZoneArrays(int32_t kind) {
  if (kind > kTR1Tub) return {0, 1, 2, 3, 4};
  return {0, 1, 4};
}

size_t LightSize(int32_t kind) {
  if (kind < kTR2) return sizeof(tlight1);
  if (kind < kTR4) return sizeof(tlight2);
  if (kind == kTR4) return sizeof(tlight4);
  return sizeof(tlight5);
}

void WriteRoom(ByteWriter& w, const troom& room, int32_t kind) {
  auto counted = [&](const auto& list) {
    w.Put(static_cast<uint16_t>(list.size()));
    w.Records(list);
  };
  if (kind < kTR2)
    counted(room.vertices1);
  else if (kind < kTR5)
    counted(room.vertices2);
  else
    counted(room.vertices5);
  if (kind == kTR5) {
    counted(room.rectangles5);
    counted(room.triangles5);
    w.Raw(&room.trc_colour, 3);
  } else {
    counted(room.rectangles);
    counted(room.triangles);
    w.Raw(room.ambient.data(), 2);
    w.Put(static_cast<uint8_t>(room.ambient2 & 0xFF));
  }
  w.Put(static_cast<uint8_t>(room.flags & 0xFF));
  if (kind < kTR2)
    counted(room.lights1);
  else if (kind < kTR4)
    counted(room.lights2);
  else if (kind == kTR4)
    counted(room.lights4);
  else
    counted(room.lights5);
}

// A count read from the file, refused when it is beyond what a room holds.
size_t RoomCount(ByteReader& r, const char* what, size_t capacity) {
  const uint16_t n = r.Get<uint16_t>();
  if (n > capacity)
    r.Fail(std::to_string(n) + " " + what + " exceed a room's capacity of " +
           std::to_string(capacity));
  return n;
}

template <class Face>
void CheckFaces(const ByteReader& r, const std::vector<Face>& faces, size_t corners,
                size_t num_vertices, const char* what) {
  for (size_t i = 0; i < faces.size(); ++i)
    for (size_t c = 0; c < corners; ++c)
      if (faces[i].vertices[c] >= num_vertices)
        r.Fail(std::string(what) + " " + std::to_string(i) + " refers to vertex " +
               std::to_string(faces[i].vertices[c]) + " but the room has " +
               std::to_string(num_vertices) + " vertices");
}

// Reads one room record into room. Geometry always; ambient, flags and lights when full.
void ReadRoom(ByteReader& r, troom& room, int32_t kind, bool full) {
  const size_t nv = RoomCount(r, "vertices", RoomCapacity::vertices);
  if (kind < kTR2) {
    r.Array(room.vertices1, nv);
    room.vertices2.resize(nv);
    for (size_t i = 0; i < nv; ++i) room.vertices2[i] = VertexFromTr1(room.vertices1[i]);
  } else if (kind < kTR5) {
    r.Array(room.vertices2, nv);
    room.vertices1.resize(nv);
    for (size_t i = 0; i < nv; ++i) room.vertices1[i] = VertexToTr1(room.vertices2[i]);
  }
  if (kind == kTR5) {
    // The file holds the room's merged 28-byte list; the other forms are what the level
    // reader derives from it, so a level's own export comes back exactly as it was read.
    ttr5_layer_block block;
    r.Array(block.vertices, nv);
    r.Array(block.rectangles, RoomCount(r, "rectangles", RoomCapacity::rectangles));
    r.Array(block.triangles, RoomCount(r, "triangles", RoomCapacity::triangles));
    CheckFaces(r, block.rectangles, 4, nv, "rectangle");
    CheckFaces(r, block.triangles, 3, nv, "triangle");
    troom merged;
    merged.tr5_layers.push_back(std::move(block));
    MergeTr5Layers(merged);
    room.vertices1 = std::move(merged.vertices1);
    room.vertices2 = std::move(merged.vertices2);
    room.vertices5 = std::move(merged.vertices5);
    room.rectangles = std::move(merged.rectangles);
    room.rectangles5 = std::move(merged.rectangles5);
    room.triangles = std::move(merged.triangles);
    room.triangles5 = std::move(merged.triangles5);
  } else {
    r.Array(room.rectangles, RoomCount(r, "rectangles", RoomCapacity::rectangles));
    r.Array(room.triangles, RoomCount(r, "triangles", RoomCapacity::triangles));
    CheckFaces(r, room.rectangles, 4, nv, "rectangle");
    CheckFaces(r, room.triangles, 3, nv, "triangle");
  }

  std::array<uint8_t, 3> ambient;
  r.Copy(ambient.data(), 3);
  const uint8_t flags = r.Get<uint8_t>();
  const size_t nl = RoomCount(r, "lights", RoomCapacity::lights);
  if (!full) {
    r.Skip(nl * LightSize(kind));
    return;
  }
  if (kind == kTR5) {
    std::memcpy(&room.trc_colour, ambient.data(), 3);
  } else {
    room.ambient = {ambient[0], ambient[1]};
    room.ambient2 = static_cast<uint16_t>((room.ambient2 & 0xFF00) | ambient[2]);
  }
  room.flags = static_cast<uint16_t>((room.flags & 0xFF00) | flags);
  if (kind < kTR2)
    r.Array(room.lights1, nl);
  else if (kind < kTR4)
    r.Array(room.lights2, nl);
  else if (kind == kTR4)
    r.Array(room.lights4, nl);
  else
    r.Array(room.lights5, nl);
}

// The TR1 variants share one layout, so their files are interchangeable.
bool SameGeneration(int32_t file, int32_t level) {
  const auto family = [](int32_t k) { return k == kTR1Tub ? kTR1 : k; };
  return family(file) == family(level);
}

}  // namespace

Bytes WriteMshBytes(const Ttrlevel& level) {
  const int32_t kind = level.version_kind;
  ByteWriter w;
  w.Raw(kMshMagic, kMagicSize);
  w.Put(kind);
  w.Put(level.num_rooms());
  for (const auto& room : level.rooms) WriteRoom(w, room, kind);
  if (kind == kTR5) w.Raw(level.trc_header.data() + 2, 2);
  const uint32_t zones = level.num_zones();
  w.Put(zones);
  for (size_t a : ZoneArrays(kind)) {
    auto zone = level.zones[a];
    zone.resize(zones);
    w.Records(zone);
  }
  return w.Take();
}

Result ExportMsh(const Ttrlevel& level, const std::string& file_name) {
  if (!level.IsLoaded()) return Result::Fail(Status::kNothingLoaded, "no level is loaded");
  Result saved = WriteFileAtomically(file_name, WriteMshBytes(level));
  if (!saved) return saved;
  return Result::Ok(file_name + ": " + std::to_string(level.num_rooms()) + " rooms and " +
                    std::to_string(level.num_zones()) + " zone entries written");
}

Result ImportMshBytes(Ttrlevel& level, std::span<const uint8_t> content, MshImportMode mode,
                      const std::string& name) {
  if (!level.IsLoaded()) return Result::Fail(Status::kNothingLoaded, "no level is loaded");
  const bool full = mode == MshImportMode::kFull;
  if (content.size() < kMagicSize || std::memcmp(content.data(), kMshMagic, kMagicSize) != 0)
    return Result::Fail(Status::kWrongMagic, name +
                                                 " is not an MSH file (it does not start with \"" +
                                                 std::string(kMshMagic + 1) + "\")");
  return Guarded([&] {
    ByteReader r(content.data(), content.size(), name);
    r.Skip(kMagicSize);
    r.SetSection("header");
    const int32_t kind = r.Get<int32_t>();
    if (!SameGeneration(kind, level.version_kind))
      return Result::Fail(Status::kWrongGeneration,
                          name + " holds " + GenerationName(kind) + " rooms (generation " +
                              std::to_string(kind) + ") but the level is " +
                              GenerationName(level.version_kind) + "; nothing was imported");
    const size_t file_rooms = r.Get<uint16_t>();
    const size_t rooms = std::min(file_rooms, level.rooms.size());

    std::vector<troom> staged(level.rooms.begin(), level.rooms.begin() + rooms);
    for (size_t i = 0; i < file_rooms; ++i) {
      r.SetSection("room " + std::to_string(i));
      troom surplus;  // rooms the level does not have are read only to find what follows
      ReadRoom(r, i < rooms ? staged[i] : surplus, level.version_kind, full);
    }

    r.SetSection("zones");
    std::array<uint8_t, 2> tr5_word{};
    if (level.version_kind == kTR5) r.Copy(tr5_word.data(), 2);
    const size_t file_zones = r.Get<uint32_t>();
    const size_t zones = std::min<size_t>(file_zones, level.num_zones());
    const auto arrays = ZoneArrays(level.version_kind);
    const uint64_t zone_bytes = uint64_t{file_zones} * 2 * arrays.size();
    if (zone_bytes > r.Left())
      r.Fail(std::to_string(file_zones) + " zone entries need " + std::to_string(zone_bytes) +
             " bytes but only " + std::to_string(r.Left()) + " are left");
    std::vector<std::vector<uint16_t>> staged_zones;
    for (size_t a : arrays) {
      staged_zones.push_back(level.zones[a]);
      auto& zone = staged_zones.back();
      zone.resize(std::max(zone.size(), zones));
      r.Copy(zone.data(), zones * 2);
      r.Skip((file_zones - zones) * 2);
    }
    if (r.Left() != 0)
      r.Fail(std::to_string(r.Left()) + " bytes follow the zones, where the file should end");

    // The whole file is good: change the level.
    for (size_t i = 0; i < rooms; ++i) level.rooms[i] = std::move(staged[i]);
    std::string message = name + ": ";
    if (full) {
      if (level.version_kind == kTR5) std::memcpy(level.trc_header.data() + 2, tr5_word.data(), 2);
      for (size_t k = 0; k < arrays.size(); ++k)
        level.zones[arrays[k]] = std::move(staged_zones[k]);
      message += "geometry, ambient, flags and lights of " + std::to_string(rooms) + " rooms and " +
                 std::to_string(zones) + " zone entries imported";
    } else {
      message += "geometry of " + std::to_string(rooms) + " rooms imported";
    }
    if (file_rooms > rooms)
      message +=
          "; the file's " + std::to_string(file_rooms - rooms) + " further rooms were skipped";
    if (file_rooms < level.rooms.size())
      message += "; the level's last " + std::to_string(level.rooms.size() - file_rooms) +
                 " rooms are not in the file and stay as they were";
    if (full && file_zones > zones)
      message += "; " + std::to_string(file_zones - zones) +
                 " zone entries beyond the level's boxes were skipped";
    return Result::Ok(message);
  });
}

Result ImportMsh(Ttrlevel& level, const std::string& file_name, MshImportMode mode) {
  const auto file = TZfile::Read(file_name);
  if (!file) return file.result();
  return ImportMshBytes(level, file->content.span(), mode, file_name);
}

}  // namespace qavel
