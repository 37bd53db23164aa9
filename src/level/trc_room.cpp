#include "level/trc_room.h"

#include <algorithm>

namespace qavel {

namespace {

// Byte positions of the header values inside the 216-byte room header.
enum HeaderAt : size_t {
  kMarker = 0,
  kDataSize = 4,
  kOffsets = 12,
  kX = 28,
  kUnknown1 = 32,
  kZ = 36,
  kYBottom = 40,
  kYTop = 44,
  kZSectors = 48,
  kXSectors = 50,
  kColour = 52,
  kLights = 56,
  kStatics = 58,
  kUnknown2 = 60,
  kAlternateRoom = 84,
  kFlags = 86,
  kRoomWord = 88,
  kBlock16 = 104,
  kRoomXFloat = 108,
  kRoomZFloat = 116,
  kUnknown6 = 136,
  kUnknown7 = 144,
  kRecords36 = 164,
  kUnknown9 = 168,
  kUnknown10 = 172,
  kLayers = 176,
  kUnknown11 = 180,
};

// Inside a layer record: its bounding box (six floats) and the offsets of its vertices and faces.
constexpr size_t kLayerBounds = 16;
constexpr size_t kLayerPlaces = 44;

template <class T>
T At(const std::array<uint8_t, kTrcRoomHeaderSize>& h, size_t at) {
  T v;
  std::memcpy(&v, h.data() + at, sizeof(T));
  return v;
}

template <class T>
void SetAt(std::array<uint8_t, kTrcRoomHeaderSize>& h, size_t at, const T& v) {
  std::memcpy(h.data() + at, &v, sizeof(T));
}

uint32_t FloatBits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

// Header bytes of a room that was never read: markers and fillers as the engine expects them.
std::array<uint8_t, kTrcRoomHeaderSize> FreshHeader() {
  std::array<uint8_t, kTrcRoomHeaderSize> h{};
  std::memcpy(h.data(), "XELA", 4);
  const uint32_t cd = 0xCDCDCDCD;
  SetAt(h, 8, cd);
  SetAt(h, 72, cd);
  SetAt(h, 76, cd);
  std::memset(h.data() + 80, 0xFF, 4);
  SetAt(h, 100, cd);
  for (size_t at = 120; at < 136; at += 4) SetAt(h, at, cd);
  SetAt(h, 140, cd);
  for (size_t at = 200; at < 216; at += 4) SetAt(h, at, cd);
  return h;
}

// Takes the named values out of the raw header.
void ParseHeader(troom& room) {
  const auto& h = room.trc_header_raw;
  room.trc_data_size = At<uint32_t>(h, kDataSize);
  for (size_t i = 0; i < 4; ++i) room.trc_offsets[i] = At<uint32_t>(h, kOffsets + 4 * i);
  room.x = At<int32_t>(h, kX);
  room.trc_unknown1 = At<uint32_t>(h, kUnknown1);
  room.z = At<int32_t>(h, kZ);
  room.y_bottom = At<int32_t>(h, kYBottom);
  room.y_top = At<int32_t>(h, kYTop);
  room.num_z_sectors = At<uint16_t>(h, kZSectors);
  room.num_x_sectors = At<uint16_t>(h, kXSectors);
  room.trc_colour = At<uint32_t>(h, kColour);
  room.trc_unknown2 = At<uint32_t>(h, kUnknown2);
  room.trc_unknown3 = At<uint32_t>(h, kUnknown2 + 4);
  room.trc_unknown4 = At<uint32_t>(h, kUnknown2 + 8);
  room.alternate_room = At<int16_t>(h, kAlternateRoom);
  room.flags = At<uint16_t>(h, kFlags);
  room.trc_room_word = At<uint16_t>(h, kRoomWord);
  std::memcpy(room.trc_block16.data(), h.data() + kBlock16, 16);
  room.trc_unknown6 = At<uint32_t>(h, kUnknown6);
  for (size_t i = 0; i < 5; ++i) room.trc_unknown7[i] = At<uint32_t>(h, kUnknown7 + 4 * i);
  room.trc_unknown9 = At<uint32_t>(h, kUnknown9);
  room.trc_unknown10 = At<uint32_t>(h, kUnknown10);
  for (size_t i = 0; i < 5; ++i) room.trc_unknown11[i] = At<uint32_t>(h, kUnknown11 + 4 * i);
}

// The layer record of a room written from its merged lists: the first layer's word and bytes
// the program does not interpret, its counts, and the bounds of its vertices (room coordinates,
// y bottom first). The three words at its end locate its vertices and faces; the writer fills
// them in once it knows where they are.
tlayer5 SingleLayer(const troom& room) {
  tlayer5 layer{};
  if (!room.layers.empty()) layer = room.layers.front();
  layer.num_vertices = static_cast<uint32_t>(room.vertices5.size());
  layer.num_rectangles = static_cast<uint16_t>(room.rectangles5.size());
  layer.num_triangles = static_cast<uint16_t>(room.triangles5.size());
  layer.layer_word = 0;
  std::memset(layer.layer_rest, 0, sizeof layer.layer_rest);
  std::array<float, 6> bounds = {0, static_cast<float>(room.y_bottom - room.y_top),
                                 0, static_cast<float>(room.num_x_sectors * 1024),
                                 0, static_cast<float>(room.num_z_sectors * 1024)};
  if (!room.vertices5.empty()) {
    const auto& f = room.vertices5.front();
    bounds = {f.x, f.y, f.z, f.x, f.y, f.z};
    for (const auto& v : room.vertices5) {
      bounds[0] = std::min(bounds[0], v.x);
      bounds[1] = std::max(bounds[1], v.y);
      bounds[2] = std::min(bounds[2], v.z);
      bounds[3] = std::max(bounds[3], v.x);
      bounds[4] = std::min(bounds[4], v.y);
      bounds[5] = std::max(bounds[5], v.z);
    }
  }
  std::memcpy(reinterpret_cast<uint8_t*>(&layer) + kLayerBounds, bounds.data(), sizeof bounds);
  return layer;
}

}  // namespace

void ReadTrcRoom(ByteReader& r, troom& room) {
  const size_t start = r.Position();
  r.Skip(4);
  room.trc_data_size = r.Get<uint32_t>();
  if (room.trc_data_size > r.Left())
    r.Fail("room block size " + std::to_string(room.trc_data_size) + " exceeds the " +
           std::to_string(r.Left()) + " bytes left");
  const size_t end = r.Position() + room.trc_data_size;
  ByteReader b(r.Data(), end, r.Where());
  b.SetSection(r.Section());
  b.Seek(start);
  b.Copy(room.trc_header_raw.data(), room.trc_header_raw.size());
  ParseHeader(room);
  const auto& h = room.trc_header_raw;
  const uint16_t lights = At<uint16_t>(h, kLights);
  const uint16_t statics = At<uint16_t>(h, kStatics);
  const uint32_t records36 = At<uint32_t>(h, kRecords36);
  const uint32_t layers = At<uint32_t>(h, kLayers);

  b.Array(room.lights5, lights, sizeof(tlight5), RoomCapacity::lights);
  b.Array(room.trc_records36, records36, sizeof(ttrc_record36), RoomCapacity::trc_records36);
  b.Array(room.sectors, uint64_t{room.num_z_sectors} * room.num_x_sectors, sizeof(tsector),
          RoomCapacity::sectors);
  b.Array(room.portals, b.Get<uint16_t>(), sizeof(tportal), RoomCapacity::portals);
  b.Copy(room.trc_portal_pad.data(), 2);
  b.Array(room.statics2, statics, sizeof(tstatic2), RoomCapacity::static_instances);
  b.Array(room.layers, layers, sizeof(tlayer5));
  room.tr5_layers.assign(room.layers.size(), {});
  size_t rectangles = 0, triangles = 0;
  for (size_t l = 0; l < room.layers.size(); ++l) {
    auto& block = room.tr5_layers[l];
    b.Array(block.rectangles, room.layers[l].num_rectangles);
    b.Array(block.triangles, room.layers[l].num_triangles);
    rectangles += block.rectangles.size();
    triangles += block.triangles.size();
  }
  if (rectangles > RoomCapacity::rectangles)
    b.Fail("count " + std::to_string(rectangles) + " of rectangles exceeds the capacity of " +
           std::to_string(RoomCapacity::rectangles));
  if (triangles > RoomCapacity::triangles)
    b.Fail("count " + std::to_string(triangles) + " of triangles exceeds the capacity of " +
           std::to_string(RoomCapacity::triangles));
  room.trc_has_face_pad = triangles % 2 == 1;
  if (room.trc_has_face_pad) b.Copy(room.trc_face_pad.data(), 2);
  for (size_t l = 0; l < room.layers.size(); ++l)
    b.Array(room.tr5_layers[l].vertices, room.layers[l].num_vertices, sizeof(tvertex5));
  room.trc_trailing.assign(b.Here(), b.Here() + b.Left());
  r.Seek(end);

  MergeTr5Layers(room);
  if (room.vertices2.size() > RoomCapacity::vertices)
    r.Fail("count " + std::to_string(room.vertices2.size()) +
           " of distinct vertices exceeds the capacity of " +
           std::to_string(RoomCapacity::vertices));
  DeriveRoomForms(room, kTR5);
}

bool Tr5GeometryAsRead(const troom& room) {
  troom merged;
  merged.tr5_layers = room.tr5_layers;
  MergeTr5Layers(merged);
  return merged.vertices5 == room.vertices5 && merged.vertices2 == room.vertices2 &&
         merged.rectangles == room.rectangles && merged.rectangles5 == room.rectangles5 &&
         merged.triangles == room.triangles && merged.triangles5 == room.triangles5;
}

TrcRoomWritten WriteTrcRoom(ByteWriter& w, const troom& room) {
  const size_t start = w.Position();
  const bool never_read = std::all_of(room.trc_header_raw.begin(), room.trc_header_raw.end(),
                                      [](uint8_t b) { return b == 0; });
  auto h = never_read ? FreshHeader() : room.trc_header_raw;
  const bool as_read = Tr5GeometryAsRead(room);

  SetAt(h, kX, room.x);
  SetAt(h, kUnknown1, room.trc_unknown1);
  SetAt(h, kZ, room.z);
  SetAt(h, kYBottom, room.y_bottom);
  SetAt(h, kYTop, room.y_top);
  SetAt(h, kZSectors, room.num_z_sectors);
  SetAt(h, kXSectors, room.num_x_sectors);
  SetAt(h, kColour, room.trc_colour);
  SetAt(h, kLights, static_cast<uint16_t>(room.lights5.size()));
  SetAt(h, kStatics, static_cast<uint16_t>(room.statics2.size()));
  SetAt(h, kUnknown2, room.trc_unknown2);
  SetAt(h, kUnknown2 + 4, room.trc_unknown3);
  SetAt(h, kUnknown2 + 8, room.trc_unknown4);
  SetAt(h, kAlternateRoom, room.alternate_room);
  SetAt(h, kFlags, room.flags);
  SetAt(h, kRoomWord, room.trc_room_word);
  std::memcpy(h.data() + kBlock16, room.trc_block16.data(), 4);
  SetAt(h, kRoomXFloat, static_cast<float>(room.x));
  SetAt(h, kRoomZFloat, static_cast<float>(room.z));
  SetAt(h, kUnknown6, room.trc_unknown6);
  auto unknown7 = room.trc_unknown7;
  unknown7[3] = static_cast<uint32_t>(room.lights5.size() * sizeof(tlight5));
  if (!as_read) {
    unknown7[0] = static_cast<uint32_t>(room.triangles5.size());
    unknown7[1] = static_cast<uint32_t>(room.rectangles5.size());
  }
  unknown7[4] = static_cast<uint32_t>(room.lights5.size());
  for (size_t i = 0; i < 5; ++i) SetAt(h, kUnknown7 + 4 * i, unknown7[i]);
  SetAt(h, kRecords36, static_cast<uint32_t>(room.trc_records36.size()));
  // Files hold the room's top and bottom here as floats. The values are written as the room
  // holds them, so an edit of either reaches the file; a room never read gets the floats.
  SetAt(h, kUnknown9,
        never_read && room.trc_unknown9 == 0 ? FloatBits(static_cast<float>(room.y_top))
                                             : room.trc_unknown9);
  SetAt(h, kUnknown10,
        never_read && room.trc_unknown10 == 0 ? FloatBits(static_cast<float>(room.y_bottom))
                                              : room.trc_unknown10);
  const size_t layer_count = as_read ? room.layers.size() : 1;
  SetAt(h, kLayers, static_cast<uint32_t>(layer_count));
  w.Raw(h.data(), h.size());

  // Offsets count from the start of the lights.
  const size_t o = w.Position();
  auto offset = [&] { return static_cast<uint32_t>(w.Position() - o); };
  w.Records(room.lights5);
  w.Records(room.trc_records36);
  const uint32_t sectors_begin = offset();
  w.Records(room.sectors);
  const uint32_t sectors_end = offset();
  w.Put(static_cast<uint16_t>(room.portals.size()));
  w.Records(room.portals);
  w.Raw(room.trc_portal_pad.data(), 2);
  const uint32_t statics_begin = offset();
  w.Records(room.statics2);

  TrcRoomWritten written;
  const uint32_t layers_begin = offset();
  size_t triangles = 0, vertex_bytes = 0;
  uint32_t faces_begin = 0;
  size_t layer_at = 0;
  if (as_read) {
    w.Records(room.layers);
    faces_begin = offset();
    for (const auto& block : room.tr5_layers) {
      w.Records(block.rectangles);
      w.Records(block.triangles);
      triangles += block.triangles.size();
    }
  } else {
    layer_at = w.Position();
    w.Put(SingleLayer(room));
    faces_begin = offset();
    w.Records(room.rectangles5);
    w.Records(room.triangles5);
    triangles = room.triangles5.size();
  }
  if (triangles % 2) {
    // A pad the room was read with is kept; a new one is the filler the engine writes.
    written.face_pad =
        room.trc_has_face_pad ? room.trc_face_pad : std::array<uint8_t, 2>{0xCD, 0xCD};
    written.has_face_pad = true;
    w.Raw(written.face_pad.data(), 2);
  }
  const uint32_t vertices_begin = offset();
  if (as_read) {
    for (const auto& block : room.tr5_layers) {
      w.Records(block.vertices);
      vertex_bytes += block.vertices.size() * sizeof(tvertex5);
    }
  } else {
    w.Records(room.vertices5);
    vertex_bytes = room.vertices5.size() * sizeof(tvertex5);
  }
  w.Raw(room.trc_trailing.data(), room.trc_trailing.size());

  w.PutAt(start + kDataSize, static_cast<uint32_t>(w.Position() - (start + 8)));
  w.PutAt(start + kOffsets, sectors_end);
  w.PutAt(start + kOffsets + 4, sectors_begin);
  w.PutAt(start + kOffsets + 12, statics_begin);
  w.PutAt(start + kUnknown11, layers_begin);
  w.PutAt(start + kUnknown11 + 4, vertices_begin);
  w.PutAt(start + kUnknown11 + 8, faces_begin);
  w.PutAt(start + kUnknown11 + 12, faces_begin);
  w.PutAt(start + kUnknown11 + 16, static_cast<uint32_t>(vertex_bytes));

  std::memcpy(written.header.data(), w.At(start), kTrcRoomHeaderSize);
  if (!as_read) {
    w.PutAt(layer_at + kLayerPlaces, vertices_begin);
    w.PutAt(layer_at + kLayerPlaces + 4, faces_begin);
    w.PutAt(layer_at + kLayerPlaces + 8, faces_begin);
    tlayer5 layer{};
    std::memcpy(&layer, w.At(layer_at), sizeof layer);
    written.single_layer = layer;
  }
  return written;
}

void AdoptTrcRoomWritten(troom& room, const TrcRoomWritten& written) {
  room.trc_header_raw = written.header;
  ParseHeader(room);
  room.trc_face_pad = written.face_pad;
  room.trc_has_face_pad = written.has_face_pad;
  if (written.single_layer) {
    room.layers.assign(1, *written.single_layer);
    room.tr5_layers.assign(1, ttr5_layer_block{room.vertices5, room.rectangles5, room.triangles5});
  }
}

}  // namespace qavel
