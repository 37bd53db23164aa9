#pragma once
// A small level made for the view's tests: one 4 x 6 room with a floor rectangle and a wall
// triangle, two meshes, a two-mesh movable with one animation frame, a movable without
// animations, a static mesh and items, plus the catalog as an open would complete it.

#include <initializer_list>

#include "exchange/catalog_movables.h"
#include "level/ttrlevel.h"
#include "pieces/texture_pages.h"
#include "test_paths.h"
#include "view/draw_list.h"
#include "view/scene.h"

namespace qavel::test {

inline Ttrlevel MakeViewLevel(int32_t kind = kTR4) {
  Ttrlevel L;
  L.loaded = true;
  L.version_kind = kind;
  for (int r = 0; r < 2; ++r) {
    troom room;
    room.x = 8192;
    room.z = 4096;
    room.y_top = -2048;
    room.y_bottom = 0;
    room.num_x_sectors = 4;
    room.num_z_sectors = 6;
    room.sectors.assign(24, tsector{});
    for (auto [x, y, z] :
         {std::tuple{0, 0, 0}, {4096, 0, 0}, {4096, 0, 6144}, {0, 0, 6144}, {2048, -1024, 6144}})
      AddVertex(room, int16_t(x), int16_t(y), int16_t(z), 0);
    room.rectangles = {trectangle{{}, {0, 1, 2, 3}, 0}};
    room.triangles = {ttriangle{{}, {2, 3, 4}, 0}};
    AppendStatic(room, tstatic2{{}, 8192 + 1536, -512, 4096 + 2560, 0x4000, 0, 0, 20});
    AppendStatic(room, tstatic2{{}, 8192 + 512, 0, 4096 + 512, 0, 0, 0, 99});  // no such mesh
    L.rooms.push_back(room);
  }
  // Mesh 0: a square of four vertices; mesh 1: one triangle; texture 0, no coloured faces.
  const bool tr4 = kind >= kTR4;
  auto mesh = [&](bool square) {
    std::vector<int> w = {0, 0,    0,   0, 0,   4,    -100, 0,   -100, 100,
                          0, -100, 100, 0, 100, -100, 0,    100, 0};
    if (square)
      w.insert(w.end(), {1, 0, 1, 2, 3, 0});  // one rectangle
    else
      w.insert(w.end(), {0, 1, 0, 1, 2, 0});  // no rectangle, one triangle
    if (tr4) w.push_back(0);                  // its effects word
    if (square) w.push_back(0);               // no triangle
    if (!tr4) w.insert(w.end(), {0, 0});      // no coloured faces
    if (w.size() % 2) w.push_back(0);
    for (int x : w) L.mesh_data.push_back(uint16_t(x));
  };
  mesh(true);
  const auto second = static_cast<uint32_t>(2 * L.mesh_data.size());
  mesh(false);
  L.mesh_pointers = {0, second};
  // Movable 0 (object 5): two meshes, mesh 2 placed 500 units along z from mesh 1.
  // Movable 1 (object 6): no animations (0xFFFF), one mesh.
  L.movables = {tmovable{{}, 5, 2, 0, 0, 0, 0, 0}, tmovable{{}, 6, 1, 1, 0, 0, 0xFFFF, 0}};
  L.mesh_trees = {0, 0, 0, 500};
  tanimation anim{};
  anim.raw[5] = 13;  // frame size in words; frame offset 0
  L.animations = {anim};
  // Bounding box, root offset (10, 20, 30), then two meshes without rotation.
  L.frames = {0, 0, 0, 0, 0, 0, 10, 20, 30, 0, 0, 0, 0};
  L.static_meshes = {tstatic_mesh{{}, 20, 1, {}}};
  tobject_texture piece{};
  piece.tile = 3;
  L.object_textures = {piece};
  auto item = [](uint16_t id, uint16_t room, int x, int z, uint16_t angle) {
    return titem2{{}, id, room, x, -256, z, angle, 0, 0, 0};
  };
  for (const titem2& it : {item(5, 0, 8192 + 1024, 4096 + 1024, 0x4000), item(77, 0, 9000, 5000, 0),
                           item(6, 0, 8192 + 3072, 4096 + 5120, 0), item(5, 1, 0, 0, 0)})
    AppendItem(L, it);
  return L;
}

// A level with its catalog (defaults, then the level's movables entered, as an open leaves it)
// and mesh table, and a list and buffers its scenes are built into.
struct Built {
  Ttrlevel level;
  MovableCatalog catalog;
  Tmesh_list meshes;
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  SceneResult result;

  explicit Built(Ttrlevel l) : level(std::move(l)) {
    for (tmovable_record& e : catalog.entries) {
      e.alias_id = -1;
      e.movable_index = 1;
    }
    EnterLevelMovables(catalog, level);
    BuildMeshTable(meshes, level);
    list.set_standard_texture(kRoomTextureId);
  }
  // The shipped catalog in place of the defaults, as an open of a real level reads it.
  void UseShippedCatalog() {
    catalog = MovableCatalog();
    LoadMovableCatalog(catalog, DataPath("trcatalog.xml"), level.version_kind);
    EnterLevelMovables(catalog, level);
  }
  SceneSources Sources(std::span<const uint16_t> items = {}) {
    return {level, meshes, catalog, items};
  }
  // Builds the scene of room o.room (room 0 when none) with its items.
  void Build(ViewOptions o, uint64_t budget = kViewTriangleBudget) {
    o.room = std::max(o.room, 0);
    const auto items = RoomItemEntries(level, o.room);
    result = BuildScene(list, buffers, {level, meshes, catalog, items, budget}, o);
  }
};

// A layer's vertices in list order.
inline std::vector<BufferVertex> LayerVertices(const DrawList& list, int layer) {
  std::vector<BufferVertex> out;
  list.ForEachTriangleOfLayer(
      layer, [&](const BufferVertex* v, const TriangleInfo&) { out.insert(out.end(), v, v + 3); });
  return out;
}

// Ten rooms of 2 x 2 sectors in a row along x, each with a floor and a wall at its far side,
// joined by portals 0-1-2-3 both ways, and alternates of every kind a file holds: 0 names 4
// (an alternate room), 1 and 5 name each other, 2 and 3 both name 6, 7 names itself, 8 names
// a room the level lacks, 9 names none. Alternate 4 opens to 1, 5 to 2 and 6 to 9.
inline Ttrlevel MakePortalLevel() {
  Ttrlevel L;
  L.loaded = true;
  L.version_kind = kTR4;
  const int16_t alternates[10] = {4, 5, 6, 6, -1, 1, -1, 7, 99, -1};
  for (int r = 0; r < 10; ++r) {
    troom room;
    room.x = 2048 * r;
    room.z = 0;
    room.y_top = -1024;
    room.y_bottom = 0;
    room.num_x_sectors = 2;
    room.num_z_sectors = 2;
    room.sectors.assign(4, tsector{});
    const int16_t corners[][3] = {{0, 0, 0},    {2048, 0, 0},     {2048, 0, 2048},
                                  {0, 0, 2048}, {0, -1024, 2048}, {2048, -1024, 2048}};
    for (auto [x, y, z] : corners) AddVertex(room, x, y, z, 0);
    room.rectangles = {trectangle{{}, {3, 2, 1, 0}, 0}, trectangle{{}, {3, 2, 5, 4}, 0}};
    room.alternate_room = alternates[r];
    if (r == 7) room.flags = 1;  // under water
    L.rooms.push_back(room);
  }
  // A portal in the wall x = 2048 of room a (or x = 0 when toward the room before it).
  auto portal = [&](int a, int b) {
    tportal p{};
    p.adjoining_room = static_cast<uint16_t>(b);
    const int16_t x = b > a ? 2048 : 0;
    p.normal[0] = b > a ? -1 : 1;
    const int16_t corners[12] = {x, 0, 0, x, 0, 2048, x, -1024, 2048, x, -1024, 0};
    std::copy(corners, corners + 12, p.vertices);
    L.rooms[size_t(a)].portals.push_back(p);
  };
  for (auto [a, b] :
       {std::pair{0, 1}, {1, 0}, {1, 2}, {2, 1}, {2, 3}, {3, 2}, {4, 1}, {5, 2}, {6, 9}})
    portal(a, b);
  tobject_texture piece{};
  piece.tile = 1;
  L.object_textures = {piece};
  return L;
}

}  // namespace qavel::test
