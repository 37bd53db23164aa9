// Rooms (alternate room, portals, sectors, faces, sprites, static mesh instances) and items.

#include <algorithm>
#include <iterator>

#include "check/check_rules.h"
#include "level/trc_room.h"

namespace qavel::check {

namespace {

constexpr uint8_t kNoRoom = 255;

std::string RoomsText(const Ttrlevel& level) {
  return LevelHas(level.num_rooms(), "room", "rooms");
}

// The box a sector names, or -1 for none. TR1 and TR2 keep the whole word (0xFFFF for none);
// from TR3 on the low four bits are the footstep material and bit 15 a flag, and 0x7FF in
// bits 4..14 means none.
int64_t SectorBox(int32_t version_kind, uint16_t word) {
  if (version_kind < kTR3) return word == 0xFFFF ? -1 : word;
  const uint16_t box = (word >> 4) & 0x7FF;
  return box == 0x7FF ? -1 : box;
}

// The object-texture number of a face's texture word: bit 15 is the double-sided flag.
uint16_t FaceTextureIndex(uint16_t word) {
  return word & 0x7FFF;
}

// The first corner of a face that names a vertex beyond `vertices`, or -1. The corners of a
// packed record are read one by one, never bound by reference.
template <class Face>
int64_t MissingCorner(const Face& f, size_t vertices) {
  for (size_t c = 0; c < std::size(f.vertices); ++c) {
    const uint16_t v = f.vertices[c];
    if (v >= vertices) return v;
  }
  return -1;
}

template <class Face>
void CheckFaces(const std::vector<Face>& faces, size_t vertices, const Ttrlevel& level, size_t room,
                PlaceKind kind, Findings& out) {
  const size_t textures = level.object_textures.size();
  for (size_t k = 0; k < faces.size(); ++k) {
    const Face& f = faces[k];
    const int64_t v = MissingCorner(f, vertices);
    if (v >= 0)
      out.Error("face-vertex", InRoom(kind, room, k),
                "vertex " + std::to_string(v) + " does not exist; the room has " +
                    Plural(vertices, "vertex", "vertices"));
    const uint16_t t = FaceTextureIndex(f.texture);
    if (t >= textures)
      out.Error("face-texture", InRoom(kind, room, k),
                "texture " + std::to_string(t) + " does not exist; " +
                    LevelHas(textures, "object texture", "object textures"));
  }
}

// TR5 faces name vertices of their own layer; the merge into the room's lists turns a vertex
// a layer lacks into vertex 0, so such faces are found in the layers. They matter only while
// the layers are what the writer writes (the room's geometry as read).
void CheckLayerFaces(const troom& room, size_t r, Findings& out) {
  struct Bad {
    PlaceKind kind;
    size_t face;
    size_t layer;
    uint16_t vertex;
    size_t vertices;
  };
  std::vector<Bad> bad;
  size_t rect = 0, tri = 0;
  for (size_t l = 0; l < room.tr5_layers.size(); ++l) {
    const auto& layer = room.tr5_layers[l];
    const size_t n = layer.vertices.size();
    auto scan = [&](const auto& faces, PlaceKind kind, size_t& counter) {
      for (const auto& f : faces) {
        const int64_t v = MissingCorner(f, n);
        if (v >= 0) bad.push_back({kind, counter, l, static_cast<uint16_t>(v), n});
        ++counter;
      }
    };
    scan(layer.rectangles, PlaceKind::kRectangle, rect);
    scan(layer.triangles, PlaceKind::kTriangle, tri);
  }
  if (bad.empty() || !Tr5GeometryAsRead(room)) return;
  for (const Bad& b : bad)
    out.Error("face-vertex", InRoom(b.kind, r, b.face),
              "vertex " + std::to_string(b.vertex) + " of layer " + std::to_string(b.layer) +
                  " does not exist; the layer has " + Plural(b.vertices, "vertex", "vertices"));
}

void CheckPortals(const Ttrlevel& level, size_t r, Findings& out) {
  const troom& room = level.rooms[r];
  for (size_t k = 0; k < room.portals.size(); ++k) {
    const uint16_t to = room.portals[k].adjoining_room;
    const ProblemPlace at = InRoom(PlaceKind::kPortal, r, k);
    if (to >= level.rooms.size()) {
      out.Error("portal-room", at,
                "room " + std::to_string(to) + " does not exist; " + RoomsText(level));
      continue;
    }
    const auto& back = level.rooms[to].portals;
    if (std::none_of(back.begin(), back.end(),
                     [&](const tportal& p) { return p.adjoining_room == r; }))
      out.Warning("portal-back", at,
                  "leads to room " + std::to_string(to) + ", which has no portal back to room " +
                      std::to_string(r));
  }
}

void CheckSectors(const Ttrlevel& level, size_t r, Findings& out) {
  const troom& room = level.rooms[r];
  const size_t rooms = level.rooms.size();
  const size_t boxes = level.num_boxes();
  for (size_t s = 0; s < room.sectors.size(); ++s) {
    const tsector& sector = room.sectors[s];
    if (sector.fd_index != 0 && sector.fd_index >= level.floor_data.size())
      out.Error("sector-floor-data", SectorPlace(room, r, s),
                "floor data index " + std::to_string(sector.fd_index) + " lies beyond the " +
                    Plural(level.floor_data.size(), "word", "words") + " of floor data");
    const int64_t box = SectorBox(level.version_kind, sector.box_index);
    if (box >= 0 && static_cast<uint64_t>(box) >= boxes)
      out.Error(
          "sector-box", SectorPlace(room, r, s),
          "box " + std::to_string(box) + " does not exist; " + LevelHas(boxes, "box", "boxes"));
    if (sector.room_below != kNoRoom && sector.room_below >= rooms)
      out.Error("sector-room-below", SectorPlace(room, r, s),
                "room below " + std::to_string(sector.room_below) + " does not exist; " +
                    RoomsText(level));
    if (sector.room_above != kNoRoom && sector.room_above >= rooms)
      out.Error("sector-room-above", SectorPlace(room, r, s),
                "room above " + std::to_string(sector.room_above) + " does not exist; " +
                    RoomsText(level));
  }
}

// Room sprites (TR1-TR4): a room vertex and a sprite texture.
void CheckRoomSprites(const Ttrlevel& level, size_t r, Findings& out) {
  const troom& room = level.rooms[r];
  for (size_t k = 0; k < room.sprites.size(); ++k) {
    const uint16_t vertex = Field<uint16_t>(room.sprites[k].raw, 0);
    const uint16_t texture = Field<uint16_t>(room.sprites[k].raw, 2);
    if (vertex >= room.num_vertices())
      out.Error("sprite-vertex", InRoom(PlaceKind::kRoomSprite, r, k),
                "vertex " + std::to_string(vertex) + " does not exist; the room has " +
                    Plural(room.num_vertices(), "vertex", "vertices"));
    if (texture >= level.sprite_textures.size())
      out.Error("sprite-texture", InRoom(PlaceKind::kRoomSprite, r, k),
                "sprite texture " + std::to_string(texture) + " does not exist; " +
                    LevelHas(level.sprite_textures.size(), "sprite texture", "sprite textures"));
  }
}

void CheckStatics(const Ttrlevel& level, const std::vector<uint8_t>& static_ids, size_t r,
                  Findings& out) {
  const troom& room = level.rooms[r];
  for (size_t k = 0; k < room.statics2.size(); ++k) {
    const uint16_t id = room.statics2[k].mesh_id;
    if (!static_ids[id])
      out.Error("static-mesh", InRoom(PlaceKind::kStatic, r, k),
                "no static mesh has ID " + std::to_string(id) + "; " +
                    LevelHas(level.static_meshes.size(), "static mesh", "static meshes"));
  }
}

void CheckAlternate(const Ttrlevel& level, size_t r, Findings& out) {
  const int16_t alt = level.rooms[r].alternate_room;
  if (alt == -1) return;
  if (alt < -1)
    out.Warning("room-alternate-negative", RoomPlace(r),
                "alternate room " + std::to_string(alt) +
                    " is a negative number other than -1; the game takes it for none");
  else if (static_cast<size_t>(alt) >= level.rooms.size())
    out.Error("room-alternate", RoomPlace(r),
              "alternate room " + std::to_string(alt) + " does not exist; " + RoomsText(level));
}

// Whether the point lies within the room's sectors and between its top and bottom.
bool InsideRoom(const troom& room, int32_t x, int32_t y, int32_t z) {
  const int64_t dx = int64_t{x} - room.x, dz = int64_t{z} - room.z;
  return dx >= 0 && dx < int64_t{room.num_x_sectors} * 1024 && dz >= 0 &&
         dz < int64_t{room.num_z_sectors} * 1024 && y >= std::min(room.y_top, room.y_bottom) &&
         y <= std::max(room.y_top, room.y_bottom);
}

std::string RoomSpan(const troom& room) {
  return "x " + std::to_string(room.x) + ".." +
         std::to_string(int64_t{room.x} + int64_t{room.num_x_sectors} * 1024) + ", y " +
         std::to_string(std::min(room.y_top, room.y_bottom)) + ".." +
         std::to_string(std::max(room.y_top, room.y_bottom)) + ", z " + std::to_string(room.z) +
         ".." + std::to_string(int64_t{room.z} + int64_t{room.num_z_sectors} * 1024);
}

void CheckItem(const Ttrlevel& level, const std::vector<uint8_t>& has_model, size_t entry,
               uint16_t object_id, uint16_t room, int32_t x, int32_t y, int32_t z, Findings& out) {
  const ProblemPlace at = TablePlace(PlaceKind::kItem, entry);
  if (room >= level.rooms.size())
    out.Error("item-room", at,
              "room " + std::to_string(room) + " does not exist; " + RoomsText(level));
  else if (!InsideRoom(level.rooms[room], x, y, z))
    out.Warning("item-position", at,
                "position " + std::to_string(x) + "," + std::to_string(y) + "," +
                    std::to_string(z) + " lies outside room " + std::to_string(room) + " (" +
                    RoomSpan(level.rooms[room]) + ")");
  if (!has_model[object_id])
    out.Warning("item-object", at,
                "object ID " + std::to_string(object_id) +
                    " has neither a movable nor a sprite sequence in the level");
}

}  // namespace

void CheckRooms(const Ttrlevel& level, Findings& out) {
  std::vector<uint8_t> static_ids(65536, 0);
  for (const tstatic_mesh& m : level.static_meshes)
    if (m.object_id < static_ids.size()) static_ids[m.object_id] = 1;
  for (size_t r = 0; r < level.rooms.size(); ++r) {
    const troom& room = level.rooms[r];
    CheckAlternate(level, r, out);
    CheckPortals(level, r, out);
    CheckSectors(level, r, out);
    CheckFaces(room.rectangles, room.num_vertices(), level, r, PlaceKind::kRectangle, out);
    CheckFaces(room.triangles, room.num_vertices(), level, r, PlaceKind::kTriangle, out);
    if (level.version_kind == kTR5) CheckLayerFaces(room, r, out);
    CheckRoomSprites(level, r, out);
    CheckStatics(level, static_ids, r, out);
  }
}

void CheckItems(const Ttrlevel& level, Findings& out) {
  // Object ids that have something to show: a movable or a sprite sequence.
  std::vector<uint8_t> has_model(65536, 0);
  for (const tmovable& m : level.movables)
    if (m.object_id < has_model.size()) has_model[m.object_id] = 1;
  for (const tsprite_sequence& s : level.sprite_sequences) {
    const int32_t id = Field<int32_t>(s.raw, 0);
    if (id >= 0 && static_cast<size_t>(id) < has_model.size()) has_model[id] = 1;
  }
  for (size_t i = 0; i < level.items2.size(); ++i) {
    const titem2& it = level.items2[i];
    CheckItem(level, has_model, i, it.object_id, it.room, it.x, it.y, it.z, out);
  }
  if (level.version_kind < kTR4) return;
  for (size_t k = 0; k < level.aux_items.size(); ++k) {
    const taux_item& a = level.aux_items[k];
    CheckItem(level, has_model, level.items2.size() + k, a.object_id, a.room, a.x, a.y, a.z, out);
  }
}

}  // namespace qavel::check
