// Random mesh blocks, movables, mesh trees, frames, animations, room faces, statics and items
// through the mesh table, the scene build, picking and face sectors: whatever a level file
// holds, drawing reads nothing outside its tables, and a room of thousands of copies of an item
// stays within the triangle budget (which the input may make small).

#include <cstdint>
#include <cstring>

#include "view/picking.h"
#include "view/scene.h"

namespace {

// Hands out the input's bytes; zeros once they run out.
struct Input {
  const uint8_t* data;
  size_t size;
  template <class T>
  T Take() {
    T value{};
    const size_t n = std::min(sizeof(T), size);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
  }
  template <class T>
  void Fill(std::vector<T>& table, size_t count) {
    table.resize(count);
    for (T& t : table) t = Take<T>();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qavel;
  Input in{data, size};
  Ttrlevel level;
  level.version_kind = in.Take<uint8_t>() % 7 + 1;
  const auto counts = in.Take<std::array<uint8_t, 12>>();
  troom room;
  room.num_x_sectors = counts[0] % 8;
  room.num_z_sectors = counts[1] % 8;
  room.y_top = -in.Take<uint16_t>();
  in.Fill(room.vertices2, counts[2] % 32);
  in.Fill(room.rectangles, counts[3] % 16);
  in.Fill(room.triangles, counts[4] % 16);
  in.Fill(room.statics2, counts[5] % 4);
  DeriveRoomForms(room, kTR2);
  level.rooms.push_back(room);
  in.Fill(level.movables, counts[6] % 6);
  in.Fill(level.animations, counts[7] % 4);
  in.Fill(level.static_meshes, counts[8] % 3);
  in.Fill(level.object_textures, counts[9] % 4);
  std::vector<titem2> items;
  in.Fill(items, counts[10] % 6);
  // Now and then a room of thousands of copies of the items (the unit tests take it to the
  // 65,535 a pick tag numbers; here fewer keep the runs quick).
  const bool many = (counts[10] & 0x80) && (counts[11] & 0xF0) == 0xF0 && !items.empty();
  const size_t copies = many ? 8192 / items.size() : 1;
  for (size_t k = 0; k < copies; ++k)
    for (titem2& it : items) {
      it.room = 0;
      AppendItem(level, it);
    }
  const auto budget_word = in.Take<uint16_t>();
  const uint64_t budget = budget_word & 0x8000 ? budget_word & 0x7FFF : kViewTriangleBudget;
  if (counts[11] & 1) {
    in.Fill(level.aux_items, 2);
    for (taux_item& a : level.aux_items) a.room = 0;
  }
  in.Fill(level.mesh_pointers, in.Take<uint8_t>() % 16);
  in.Fill(level.mesh_trees, in.Take<uint8_t>() % 32);
  in.Fill(level.frames, in.Take<uint8_t>() % 64);
  in.Fill(level.mesh_data, in.size / 2);

  MovableCatalog catalog;
  for (tmovable_record& e : catalog.entries) e.alias_id = -1;
  EnterLevelMovables(catalog, level);
  Tmesh_list meshes;
  BuildMeshTable(meshes, level);
  const auto entries = RoomItemEntries(level, 0);
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  ViewOptions options{.room = 0,
                      .item_entry = counts[11] % 4,
                      .static_entry = counts[11] % 3,
                      .wireframe_objects = (counts[11] & 8) != 0};
  const SceneResult res =
      BuildScene(list, buffers, {level, meshes, catalog, entries, budget}, options);
  if (res.triangles > budget || list.total_vertices() != 3 * res.triangles) __builtin_trap();
  SceneNote(res);
  TGLViewport vp;
  vp.SetControlSize(64, 48);
  vp.box = res.placement->box;
  vp.CentreOnBox();
  for (int y = 0; y < 48; y += 12)
    for (int x = 0; x < 64; x += 16) DispatchPick(level, 0, Pick(list, vp.Matrices(), x, y));
  for (int k = 0; k <= 16; ++k) {
    FindFaceSector(level.rooms[0], kPickRoomRectangle, k);
    FindFaceSector(level.rooms[0], kPickRoomTriangle, k);
  }
  // The preview's way: one movable on its own, every frame and animation asked for.
  for (int m = -1; m <= static_cast<int>(level.movables.size()); ++m)
    DrawMovable({list, meshes, level}, m, 1, 0, 0, 0, 1, {.frame = 3, .animation = m % 3});
  return 0;
}
