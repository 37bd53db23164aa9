#include "level/trc_room.h"

#include <algorithm>
#include <type_traits>

#include "level/level_layout.h"

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

// The header values the file keeps as the room holds them, each at its place in the header:
// f(place, value) is called for every one.
template <class Room, class F>
void HeaderValues(Room& room, const F& f) {
  f(kX, room.x);
  f(kUnknown1, room.trc_unknown1);
  f(kZ, room.z);
  f(kYBottom, room.y_bottom);
  f(kYTop, room.y_top);
  f(kZSectors, room.num_z_sectors);
  f(kXSectors, room.num_x_sectors);
  f(kColour, room.trc_colour);
  f(kUnknown2, room.trc_unknown2);
  f(kUnknown2 + 4, room.trc_unknown3);
  f(kUnknown2 + 8, room.trc_unknown4);
  f(kAlternateRoom, room.alternate_room);
  f(kFlags, room.flags);
  f(kRoomWord, room.trc_room_word);
  f(kUnknown6, room.trc_unknown6);
  for (size_t i = 0; i < room.trc_unknown7.size(); ++i) f(kUnknown7 + 4 * i, room.trc_unknown7[i]);
  f(kUnknown9, room.trc_unknown9);
  f(kUnknown10, room.trc_unknown10);
}

// Takes the named values out of the raw header, with those the writer computes as they were read.
void ParseHeader(troom& room) {
  const auto& h = room.trc_header_raw;
  HeaderValues(room,
               [&h](size_t at, auto& v) { v = At<std::remove_reference_t<decltype(v)>>(h, at); });
  room.trc_data_size = At<uint32_t>(h, kDataSize);
  for (size_t i = 0; i < 4; ++i) room.trc_offsets[i] = At<uint32_t>(h, kOffsets + 4 * i);
  std::memcpy(room.trc_block16.data(), h.data() + kBlock16, 16);
  for (size_t i = 0; i < 5; ++i) room.trc_unknown11[i] = At<uint32_t>(h, kUnknown11 + 4 * i);
}

// The header a room is written with: the values it holds, and those the writer computes (list
// counts, the room's place as floats, the layer count). A room whose geometry was edited is
// written as one layer.
std::array<uint8_t, kTrcRoomHeaderSize> ComposeHeader(const troom& room, bool as_read,
                                                      bool never_read) {
  auto h = never_read ? FreshHeader() : room.trc_header_raw;
  HeaderValues(room, [&h](size_t at, const auto& v) { SetAt(h, at, v); });
  SetAt(h, kLights, static_cast<uint16_t>(room.lights5.size()));
  SetAt(h, kStatics, static_cast<uint16_t>(room.statics2.size()));
  std::memcpy(h.data() + kBlock16, room.trc_block16.data(), 4);
  SetAt(h, kRoomXFloat, static_cast<float>(room.x));
  SetAt(h, kRoomZFloat, static_cast<float>(room.z));
  SetAt(h, kUnknown7 + 12, static_cast<uint32_t>(room.lights5.size() * sizeof(tlight5)));
  SetAt(h, kUnknown7 + 16, static_cast<uint32_t>(room.lights5.size()));
  if (!as_read) {
    SetAt(h, kUnknown7, static_cast<uint32_t>(room.triangles5.size()));
    SetAt(h, kUnknown7 + 4, static_cast<uint32_t>(room.rectangles5.size()));
  }
  SetAt(h, kRecords36, static_cast<uint32_t>(room.trc_records36.size()));
  // Files hold the room's top and bottom here as floats. The values are written as the room
  // holds them, so an edit of either reaches the file; a room never read gets the floats.
  if (never_read && room.trc_unknown9 == 0)
    SetAt(h, kUnknown9, FloatBits(static_cast<float>(room.y_top)));
  if (never_read && room.trc_unknown10 == 0)
    SetAt(h, kUnknown10, FloatBits(static_cast<float>(room.y_bottom)));
  SetAt(h, kLayers, static_cast<uint32_t>(as_read ? room.layers.size() : 1));
  return h;
}

// The counts of a room block's lists, as its header states them.
struct TrcCounts {
  uint64_t lights, records36, sectors, statics, layers;
};
TrcCounts CountsIn(const std::array<uint8_t, kTrcRoomHeaderSize>& h) {
  return {At<uint16_t>(h, kLights), At<uint32_t>(h, kRecords36),
          uint64_t{At<uint16_t>(h, kZSectors)} * At<uint16_t>(h, kXSectors),
          At<uint16_t>(h, kStatics), At<uint32_t>(h, kLayers)};
}

// Where the parts of a room block begin, as file positions; the header locates them.
struct TrcPlaces {
  size_t lights = 0, sectors = 0, sectors_end = 0, statics = 0, layers = 0, faces = 0;
  size_t vertices = 0, vertices_end = 0;
  bool face_pad = false;
};

// A room block in file order: the header, then the lists it counts.
// layers and blocks are the layer records and their geometry, face_pad the two bytes after an
// odd number of triangles.
template <class Io, class Room, class Header, class Layers, class Blocks, class Pad>
TrcPlaces TrcRoomLayout(Io& io, Room& room, Header& header, Layers& layers, Blocks& blocks,
                        Pad& face_pad) {
  TrcPlaces p;
  io.Raw(header.data(), header.size());
  const TrcCounts n = CountsIn(header);
  p.lights = io.Position();
  io.Table(room.lights5, n.lights, RecordForm::Whole<tlight5>(), RoomCapacity::lights);
  io.Table(room.trc_records36, n.records36, RecordForm::Whole<ttrc_record36>(),
           RoomCapacity::trc_records36);
  p.sectors = io.Position();
  io.Table(room.sectors, n.sectors, RecordForm::Whole<tsector>(), RoomCapacity::sectors);
  p.sectors_end = io.Position();
  layout::RoomList(io, room.portals, RoomCapacity::portals);
  io.Raw(room.trc_portal_pad.data(), room.trc_portal_pad.size());
  p.statics = io.Position();
  io.Table(room.statics2, n.statics, RecordForm::Whole<tstatic2>(), RoomCapacity::static_instances);
  p.layers = io.Position();
  io.Table(layers, n.layers);
  io.Resize(blocks, layers.size());
  p.faces = io.Position();
  size_t rectangles = 0, triangles = 0;
  for (size_t l = 0; l < layers.size(); ++l) {
    io.Table(blocks[l].rectangles, layers[l].num_rectangles);
    io.Table(blocks[l].triangles, layers[l].num_triangles);
    rectangles += layers[l].num_rectangles;
    triangles += layers[l].num_triangles;
  }
  auto within = [&io](size_t count, const char* what, size_t most) {
    io.Refuse(count > most, [&] {
      return "count " + std::to_string(count) + " of " + what + " exceeds the capacity of " +
             std::to_string(most);
    });
  };
  within(rectangles, "rectangles", RoomCapacity::rectangles);
  within(triangles, "triangles", RoomCapacity::triangles);
  p.face_pad = triangles % 2 == 1;
  io.Store(room.trc_has_face_pad, p.face_pad);
  if (p.face_pad) io.Raw(face_pad.data(), face_pad.size());
  p.vertices = io.Position();
  for (size_t l = 0; l < layers.size(); ++l) io.Table(blocks[l].vertices, layers[l].num_vertices);
  p.vertices_end = io.Position();
  io.Rest(room.trc_trailing);
  return p;
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
  ByteReader block(r.Data(), end, r.Where());
  block.SetSection(r.Section());
  block.Seek(start);
  ReadIo io(std::move(block), kTR5);
  TrcRoomLayout(io, room, room.trc_header_raw, room.layers, room.tr5_layers, room.trc_face_pad);
  ParseHeader(room);
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

namespace {

// Puts into a written room block the places and sizes known only once it is written.
void PatchPlaces(ByteWriter& w, size_t start, const TrcPlaces& p, bool one_layer) {
  // Offsets count from the start of the lights.
  auto offset = [&p](size_t at) { return static_cast<uint32_t>(at - p.lights); };
  w.PutAt(start + kDataSize, static_cast<uint32_t>(w.Position() - (start + 8)));
  w.PutAt(start + kOffsets, offset(p.sectors_end));
  w.PutAt(start + kOffsets + 4, offset(p.sectors));
  w.PutAt(start + kOffsets + 12, offset(p.statics));
  w.PutAt(start + kUnknown11, offset(p.layers));
  w.PutAt(start + kUnknown11 + 4, offset(p.vertices));
  w.PutAt(start + kUnknown11 + 8, offset(p.faces));
  w.PutAt(start + kUnknown11 + 12, offset(p.faces));
  w.PutAt(start + kUnknown11 + 16, static_cast<uint32_t>(p.vertices_end - p.vertices));
  if (!one_layer) return;
  w.PutAt(p.layers + kLayerPlaces, offset(p.vertices));
  w.PutAt(p.layers + kLayerPlaces + 4, offset(p.faces));
  w.PutAt(p.layers + kLayerPlaces + 8, offset(p.faces));
}

}  // namespace

TrcRoomWritten WriteTrcRoom(ByteWriter& w, const troom& room) {
  const size_t start = w.Position();
  const bool never_read = std::all_of(room.trc_header_raw.begin(), room.trc_header_raw.end(),
                                      [](uint8_t b) { return b == 0; });
  const bool as_read = Tr5GeometryAsRead(room);
  TrcRoomWritten written;
  written.header = ComposeHeader(room, as_read, never_read);
  // An edited room is written as one layer of its merged lists.
  std::vector<tlayer5> one_layer;
  std::vector<ttr5_layer_block> one_block;
  if (!as_read) {
    one_layer = {SingleLayer(room)};
    one_block = {ttr5_layer_block{room.vertices5, room.rectangles5, room.triangles5}};
  }
  // A pad the room was read with is kept; a new one is the filler the engine writes.
  written.face_pad = room.trc_has_face_pad ? room.trc_face_pad : std::array<uint8_t, 2>{0xCD, 0xCD};
  WriteIo io(w, kTR5);
  const TrcPlaces places =
      TrcRoomLayout(io, room, written.header, as_read ? room.layers : one_layer,
                    as_read ? room.tr5_layers : one_block, written.face_pad);
  written.has_face_pad = places.face_pad;
  if (!places.face_pad) written.face_pad = {};
  PatchPlaces(w, start, places, !as_read);
  std::memcpy(written.header.data(), w.At(start), kTrcRoomHeaderSize);
  if (!as_read) {
    tlayer5 layer{};
    std::memcpy(&layer, w.At(places.layers), sizeof layer);
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
