// The scene: the mesh table per generation, room placement, angles, layers and colours of
// selected objects, skipped items, animation lookups, drawing that never reads past a table, and
// every room of the real levels (and the demo level) built sound. Picking (nearest front face,
// ties, rotated views, a face's sector, what a tag selects) and many rooms at once: the rooms
// each mode and state shows, the scene of many rooms as the sum of the rooms' own, its per-room
// draw ranges, picking across rooms and portals, culling, and the look camera's moves.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "fixtures/many_items.h"
#include "level/level_reader.h"
#include "peak_memory.h"
#include "pieces/texture_pages.h"
#include "test_paths.h"
#include "view/level_scene.h"
#include "view/mesh_table.h"
#include "view/picking.h"
#include "view/scene.h"
#include "view_fixtures.h"

namespace qavel {
namespace {

using test::Built;

TEST(Scene, PlacementEighthTurnsSelectedItemRedStandardRoomAndNoRoom) {
  Built b(test::MakeViewLevel());
  const RoomPlacement p = PlaceRoom(b.level.rooms[0]);
  EXPECT_EQ(p.box, (ViewBox{-2, -1, 3, 2, 1, 9}));
  EXPECT_EQ(p.world_x, -2 - 8192 / 1024);
  EXPECT_EQ(p.world_z, 3 + 4);
  // The room's corners span x -2..2 and z -3..3, doubled by the scene scale; the floor (y 0)
  // lies at -1 turned and doubled, the wall's top (y -1024) at 0.
  b.Build({.hide_items = true, .hide_statics = true});
  EXPECT_EQ(DrawnBox(b.list), (ViewBox{-4, 0, -6, 4, 2, 6}));
  const std::pair<uint16_t, float> turns[] = {{0, 0},        {0x1FFF, 0},  {0x2000, 315},
                                              {0x4000, 270}, {0xC000, 90}, {0xFFFF, 45}};
  for (auto [angle, degrees] : turns) EXPECT_EQ(EighthTurnDegrees(angle), degrees) << angle;
  // Where each View option files the triangles is checked with the pictures (render tests);
  // here what the scene makes of them: colours, the standard picture, a room the level lacks.
  b.Build({.item_entry = 0});  // the selected item red (see the pictures), the others white
  EXPECT_EQ(test::LayerVertices(b.list, 0).back().colour, 0xFFFFFFFFu);
  b.Build({.wireframe_room = true, .standard_room = true});
  EXPECT_EQ(test::LayerVertices(b.list, 1)[0].u, 1);  // Quad's first triangle starts at V2
  EXPECT_EQ(b.buffers[1].runs, (std::vector<TextureRun>{{kRoomTextureId, 3}}));
  b.Build({.room = 7});  // a room outside the level draws nothing
  EXPECT_EQ(b.list.total_vertices(), 0u);
  EXPECT_FALSE(b.result.placement);
}

TEST(Scene, AnimationLookupsAndPalettes) {
  Ttrlevel level = test::MakeViewLevel();
  EXPECT_EQ(AnimationCount(level, 0), 1);
  EXPECT_EQ(AnimationCount(level, 1), 0);  // 0xFFFF: none
  EXPECT_EQ(FrameCount(level, 0, 0), 1);
  EXPECT_EQ(FrameOffset(level, 0, 0, 5), 0);  // clamped to the last frame
  EXPECT_EQ(FrameOffset(level, 1, 0, 0), -1);
  EXPECT_EQ(FrameOffset(level, 9, 0, 0), -1);
  EXPECT_EQ(FrameOffset(level, -1, 0, 0), 0);
  EXPECT_EQ(FindStaticMesh(level, 20), 1);
  EXPECT_EQ(FindStaticMesh(level, 99), -1);
  level.palette[0x12] = {{}, 1, 2, 63};
  level.palette16[4 * 0x34] = 200;
  level.palette16[4 * 0x34 + 2] = 7;
  const std::pair<int32_t, Rgb> cases[] = {{kTR1, {7, 11, 255}}, {kTR3, {200, 0, 7}}, {kTR4, {}}};
  for (auto [kind, rgb] : cases) {
    level.version_kind = kind;
    EXPECT_EQ(PaletteColour(level, 0x3412), rgb) << kind;
  }
}

// The first vertex of a movable drawn alone at the origin (its first quad's V1).
Vec3 FirstVertexOf(const Ttrlevel& level, int m) {
  Tmesh_list meshes;
  BuildMeshTable(meshes, level);
  DrawList list;
  DrawMovable({list, meshes, level}, m, 0, 0, 0, 0, 0.1);
  EXPECT_EQ(list.stack_depth(), 0);
  EXPECT_EQ(list.matrix(), Identity());
  const BufferVertex v = test::LayerVertices(list, 0).at(2);  // Quad: (V2, V3, V1) first
  return {v.x, v.y, v.z};
}

TEST(Scene, MovablesWithoutFramesDrawInTheirRestPose) {
  Ttrlevel level = test::MakeViewLevel();
  level.mesh_trees[0] = 2;  // mesh 2 pushes and nothing pops: the movable cleans up itself
  // Root offset (10, 20, 30) / 1000, y and z turned by the scene and y once more by the list.
  const Vec3 with_frame = FirstVertexOf(level, 0);
  EXPECT_NEAR(with_frame.x, -0.1 + 0.01, 1e-6);
  EXPECT_NEAR(with_frame.y, 0.02, 1e-6);
  EXPECT_NEAR(with_frame.z, 0.1 - 0.03, 1e-6);
  // Object 6 has no animations: no root offset, no rotation.
  level.movables[1].start_mesh = 0;
  const Vec3 rest = FirstVertexOf(level, 1);
  EXPECT_NEAR(rest.x, -0.1, 1e-6);
  EXPECT_NEAR(rest.z, 0.1, 1e-6);
}

// Every message of a build: items, then static meshes.
std::vector<std::string> Messages(const SceneResult& r) {
  std::vector<std::string> out;
  for (const SkippedItem& s : r.skipped_items)
    out.push_back("item " + std::to_string(s.entry) + " " + std::to_string(s.object_id) + ": " +
                  s.message);
  for (const SkippedStatic& s : r.skipped_statics)
    out.push_back("static " + std::to_string(s.entry) + " " + std::to_string(s.mesh_id) + ": " +
                  s.message);
  return out;
}

TEST(Scene, ObjectsNotDrawnWholeAreNamedWithWhy) {
  // The view level draws 10 triangles: room 3, static meshes 1 + 2, items 3 + 1; item 1 and
  // static mesh 2 (id 99) name what the level lacks, in every row below unless it says other.
  const struct {
    void (*damage)(Ttrlevel&);
    uint64_t triangles;
    std::vector<std::string> messages;  // besides the two missing objects
    uint64_t budget = kViewTriangleBudget;
  } cases[] = {
      {[](Ttrlevel&) {}, 10, {}},  // whole
      {[](Ttrlevel& l) { l.movables[0].start_mesh = 60000; },
       7,
       {"item 0 5: Object ID5 is not drawn: mesh pointer 60000 lies outside the 3 mesh pointers."}},
      {[](Ttrlevel& l) { l.movables[0].mesh_tree = 1; },
       9,
       {"item 0 5: Object ID5 is drawn in part: the mesh tree has no place for mesh 2 of 2."}},
      {[](Ttrlevel& l) { l.static_meshes[0].mesh = 2; },
       11,
       {"static 0 20: Static mesh ID20 is drawn in part: mesh pointer 2 (byte 6 of the mesh "
        "data) starts no mesh."}},
      {[](Ttrlevel& l) { l.static_meshes[0].mesh = 5000; },
       9,
       {"static 0 20: Static mesh ID20 is not drawn: mesh pointer 5000 lies outside the 3 mesh "
        "pointers."}},
      {[](Ttrlevel& l) { l.mesh_data[22] = 9; },
       6,
       {"item 0 5: Object ID5 is drawn in part: mesh 0 names vertices it lacks in 1 faces."}},
      // A room face naming a vertex the room lacks; frames cut short.
      {[](Ttrlevel& l) {
         l.rooms[0].rectangles[0].vertices[2] = 400;
         l.frames.resize(7);
       },
       8,
       {}},
      {[](Ttrlevel& l) { l.mesh_data.resize(l.mesh_data.size() - 6); },
       7,
       {"item 0 5: Object ID5 is drawn in part: mesh 1 is cut short by the end of the mesh data.",
        "item 2 6: Object ID6 is not drawn: mesh 1 is cut short by the end of the mesh data.",
        "static 0 20: Static mesh ID20 is not drawn: mesh 1 is cut short by the end of the mesh "
        "data."}},
      // Beyond the budget whole objects are left out from the first that does not fit on: a
      // budget reached by item 0.
      {[](Ttrlevel&) {},
       6,
       {"item 0 5: Object ID5 is left out: the view draws at most 7 triangles.",
        "item 2 6: Object ID6 is left out: the view draws at most 7 triangles."},
       7},
      // A budget reached by the room: static mesh 99 left out, not missing.
      {[](Ttrlevel&) {},
       3,
       {"item 0 5: Object ID5 is left out: the view draws at most 2 triangles.",
        "item 2 6: Object ID6 is left out: the view draws at most 2 triangles.",
        "static 0 20: Static mesh ID20 is left out: the view draws at most 2 triangles.",
        "static 1 99: Static mesh ID99 is left out: the view draws at most 2 triangles."},
       2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases));
    Ttrlevel level = test::MakeViewLevel(kTR2);
    level.mesh_pointers.push_back(6);  // pointer 2: inside mesh 0
    c.damage(level);
    Built b(level);
    b.Build({}, c.budget);
    std::vector<std::string> want = c.messages;
    want.push_back("item 1 77: Object ID77 is missing.");
    if (std::none_of(want.begin(), want.end(), [](auto& m) { return m.starts_with("static 1 "); }))
      want.push_back("static 1 99: Static mesh ID99 is missing.");
    std::vector<std::string> got = Messages(b.result);
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, want);
    EXPECT_EQ(b.result.triangles, c.triangles);
    EXPECT_EQ(b.list.total_vertices(), 3 * c.triangles);
  }
  // The window's status line: what the budget left out in a word, the other messages once
  // each with how often, up to three and how many more.
  Ttrlevel level = test::MakeViewLevel(kTR2);
  for (uint16_t id : {77, 77, 78, 79, 80}) AppendItem(level, {{}, id, 0, 9000, 0, 5000, 0});
  Built b(level);
  b.Build({}, 2);
  EXPECT_EQ(SceneNote(b.result),
            "4 objects are left out: the view draws at most 2 triangles. Object ID77 is missing. "
            "(3 times) Object ID78 is missing. Object ID79 is missing. And 1 more.");
}

// 65,535 items of a level's largest movable in one room: drawn up to the budget, the rest named
// in list order; the scene holds the movable once and a record per item, and picks through it.
TEST(Scene, ManyCopiesOfAMovableStayWithinTheBudgetAndTheirMemory) {
  std::vector<std::pair<std::string, std::string>> levels = {{"demo", test::DataPath("demo.tr4")}};
  if (auto tr1 = test::RealLevel("TR1"))
    levels.emplace_back("TR1", *tr1);
  else
    std::printf("note: real TR1 level absent; only the demo level's row runs\n");
  for (const auto& [name, path] : levels) {
    SCOPED_TRACE(name);
    Built base(test::ReadLevelOrFail(path));
    const size_t best = test::LargestMovableItem(base.level, base.catalog, base.meshes);
    const uint64_t most =
        CheckMovable(base.meshes, base.level,
                     MovableOfItem(base.catalog, base.level, base.level.items2[best].object_id))
            .triangles;
    Built b(test::WithManyItems(base.level, base.level.items2[best], 0));
    // Measured first, before this process holds memory freed by another build.
    const auto items = RoomItemEntries(b.level, 0);
    const long kib = test::PeakGrowthKiB([&] {
      DrawList list;
      LayerBuffers buffers = MainViewBuffers();
      const SceneResult r = BuildScene(list, buffers, {b.level, b.meshes, b.catalog, items},
                                       {.room = 0, .hide_statics = true});
      TGLViewport vp;
      vp.SetControlSize(800, 600);
      vp.box = r.placement->box;
      vp.CentreOnBox();
      // A click in the middle of the view, through the items.
      static_cast<void>(Pick(list, vp.Matrices(), 400, 300));
      return r.triangles > 0;
    });
    EXPECT_GE(kib, 0);
    EXPECT_LT(kib, long{test::kManyItems}) << "KiB: more than a KiB per item";
    b.Build({.hide_items = true, .hide_statics = true});
    const uint64_t all = b.result.triangles + uint64_t{most} * test::kManyItems;
    b.Build({.hide_statics = true});
    const size_t drawn = test::kManyItems - b.result.skipped_items.size();
    EXPECT_LE(b.result.triangles, kViewTriangleBudget);
    EXPECT_EQ(b.result.budget_reached, all > kViewTriangleBudget);
    EXPECT_GT(b.result.triangles + most, std::min(all, kViewTriangleBudget));
    EXPECT_EQ(b.list.total_vertices(), 3 * b.result.triangles);
    if (drawn < test::kManyItems) {
      EXPECT_EQ(b.result.skipped_items.front().entry, int(drawn)) << "left out in list order";
      EXPECT_EQ(b.result.skipped_items.back().message,
                "Object ID" + std::to_string(base.level.items2[best].object_id) +
                    " is left out: the view draws at most 4000000 triangles.");
      EXPECT_LT(SceneNote(b.result).size(), 400u) << "a status line, not a page";
    }
  }
}

// Appends one mesh (and its pad to a 4-byte boundary) to a word block: vertices, normal count
// (normals or lights follow), and faces per kind; TR4 faces carry an effects word.
void PutMesh(std::vector<uint16_t>& w, bool tr4, int vertices, int normals, int rects, int tris,
             int crects = 0, int ctris = 0) {
  const size_t start = w.size();
  auto put = [&](std::initializer_list<int> words) {
    for (int x : words) w.push_back(uint16_t(x));
  };
  put({1, 2, 3, 100, 0, vertices});
  for (int v = 0; v < vertices; ++v) put({v, -v, 2 * v});
  put({normals});
  w.resize(w.size() + size_t(normals > 0 ? 3 * normals : -normals));
  put({rects});
  for (int k = 0; k < rects; ++k) tr4 ? put({0, 1, 2, 3, 7, 0}) : put({0, 1, 2, 3, 7});
  put({tris});
  for (int k = 0; k < tris; ++k) tr4 ? put({0, 1, 2, 9, 0}) : put({0, 1, 2, 9});
  if (!tr4) {
    put({crects});
    for (int k = 0; k < crects; ++k) put({0, 1, 2, 3, 0x1234});
    put({ctris});
    for (int k = 0; k < ctris; ++k) put({0, 1, 2, 0x4321});
  }
  if ((w.size() - start) % 2) put({0});
}

TEST(MeshTable, MeshSizesThePadAndPointers) {
  // Normals, rectangles and triangles of the first mesh, and where the following one starts.
  const std::tuple<int32_t, int, int, int, int> cases[] = {
      {kTR4, 0, 1, 1, 76},  {kTR2, 0, 1, 1, 76},  {kTR2, 0, 1, 2, 84},
      {kTR2, 0, 1, 0, 68},  {kTR2, -1, 1, 0, 72},  // 70 bytes and the pad
      {kTR1, -5, 0, 0, 68},                        // five lights: 10 bytes
  };
  for (const auto& [kind, normals, rects, tris, next] : cases) {
    Ttrlevel level;
    level.version_kind = kind;
    PutMesh(level.mesh_data, kind >= kTR4, 6, normals, rects, tris);
    PutMesh(level.mesh_data, kind >= kTR4, 3, 0, 0, 1);
    level.mesh_pointers = {0, uint32_t(next), 3, 100000};
    Tmesh_list table;
    BuildMeshTable(table, level);
    ASSERT_EQ(table.count(), 2) << "kind " << kind << " next " << next;
    EXPECT_EQ(table.meshes[1].offset, next);
    EXPECT_EQ(table.pointer_map, (std::vector<int32_t>{0, 1, 0, 0}));
    EXPECT_EQ(table.Vertices(table.meshes[0])[2].z, 4);
    EXPECT_EQ(table.TexturedTriangles(table.meshes[0]).size(), size_t(tris));
    EXPECT_EQ(table.TexturedTriangles(table.meshes[1])[0].texture, 9);
  }
}

TEST(MeshTable, WholeMeshesAndBlocksThatEndInsideOne) {
  Ttrlevel level;
  level.version_kind = kTR3;
  PutMesh(level.mesh_data, false, 600, 600, 700, 400, 350, 320);  // far beyond 501 and 301
  Tmesh_list table;
  BuildMeshTable(table, level);
  ASSERT_EQ(table.count(), 1);
  const tmesh_record& mesh = table.meshes[0];
  EXPECT_EQ(std::tuple(mesh.vertex_count, table.TexturedRectangles(mesh).size(),
                       table.ColouredRectangles(mesh).back().texture,
                       table.ColouredTriangles(mesh).size(), mesh.triangles, mesh.cut),
            std::tuple(600u, 700u, 0x1234, 320u, 2u * 700 + 400 + 2 * 350 + 320, false));
  // A cut block keeps the whole faces that fit and reads no further; so do garbage counts.
  level.mesh_data.resize(level.mesh_data.size() - 1000);
  BuildMeshTable(table, level);
  ASSERT_EQ(table.count(), 1);  // 70 of 320 coloured triangles: (1280 words - 1000) / 4
  EXPECT_EQ(std::tuple(table.meshes[0].coloured_rectangles, table.meshes[0].coloured_triangles,
                       table.meshes[0].cut),
            std::tuple(350u, 70u, true));
  level.mesh_data = {0, 0, 0, 0, 0, 0x7FFF, 1, 2, 3, 4};
  BuildMeshTable(table, level);
  EXPECT_EQ(table.count(), 1);
  EXPECT_EQ(table.meshes[0].vertex_count, 1u);
  // Faces naming a vertex the mesh lacks are counted, not drawn: a rectangle over 3 vertices.
  level.mesh_data.clear();
  PutMesh(level.mesh_data, false, 3, 0, 1, 1);
  BuildMeshTable(table, level);
  EXPECT_EQ(std::tuple(table.meshes[0].broken_faces, table.meshes[0].triangles),
            std::tuple(1u, 1u));
}

TEST(MeshTable, SkinModelAndKeptPairPerGeneration) {
  const std::tuple<int32_t, uint32_t, int, int> cases[] = {
      {kTR1, 0, 0, 1}, {kTR2, 0, 0, 1}, {kTR3, 315, 1, 2}, {kTR4, 8, 1, 11}, {kTR5, 8, 1, 11}};
  for (const auto& [kind, skin_id, kept_movable, kept_mesh] : cases) {
    Ttrlevel level;
    level.version_kind = kind;
    level.movables = {tmovable{{}, 5, 1, 1, 0, 0, 0, 0}, tmovable{{}, skin_id, 1, 7, 0, 0, 0, 0},
                      tmovable{{}, skin_id, 1, 9, 0, 0, 0, 0}};
    Tmesh_list table;
    BuildMeshTable(table, level);
    EXPECT_EQ(std::tuple(table.skin_start_mesh, table.kept_movable, table.kept_mesh),
              std::tuple(7, kept_movable, kept_mesh))
        << kind;
    level.movables.resize(1);
    BuildMeshTable(table, level);
    EXPECT_EQ(table.skin_start_mesh, 0);
  }
}

void CheckRoom(Built& o, const ViewOptions& options) {
  const troom& room = o.level.rooms[size_t(options.room)];
  const auto items = RoomItemEntries(o.level, options.room);
  o.Build(options);
  const SceneResult& scene = o.result;
  const DrawList& list = o.list;
  ASSERT_TRUE(scene.placement);
  // Real levels are drawn whole: only items whose movable the level lacks are named.
  EXPECT_TRUE(scene.skipped_statics.empty()) << scene.skipped_statics[0].message;
  for (const SkippedItem& s : scene.skipped_items)
    EXPECT_NE(s.message.find(" is missing."), std::string::npos) << s.message;
  // Tags name real faces, this room's entries and instances; objects the file places inside
  // the room's walls are drawn within a sector (2 units at double scale) of its faces.
  std::map<std::pair<int, int>, std::pair<Vec3, int>> centres;
  ViewBox box;  // of the room's faces
  int faces = 0;
  list.ForEachTriangle([&](const BufferVertex* v, const TriangleInfo& t) {
    const int i = t.tag.index, kind = t.tag.kind;
    if (kind == kPickRoomRectangle || kind == kPickRoomTriangle) {
      EXPECT_TRUE(i >= 1 &&
                  size_t(i) <= (kind == 1 ? room.num_rectangles() : room.num_triangles()));
      ++faces;
      for (int c = 0; c < 3; ++c) box.Add(v[c].x, v[c].y, v[c].z);
      return;
    }
    if (kind == kPickItem)
      EXPECT_NE(std::find(items.begin(), items.end(), i), items.end()) << "entry " << i;
    else
      EXPECT_TRUE(kind == kPickStatic && i >= 1 && size_t(i) <= room.num_static_instances());
    auto& [sum, n] = centres[{kind, i}];
    sum = {sum.x + v[0].x, sum.y + v[0].y, sum.z + v[0].z};
    ++n;
  });
  EXPECT_EQ(faces, int(2 * room.num_rectangles() + room.num_triangles()));
  for (const auto& [tag, c] : centres) {
    const auto [kind, i] = tag;
    const int32_t* at = kind == kPickStatic ? &room.statics2[size_t(i - 1)].x
                        : size_t(i) < o.level.num_items()
                            ? &o.level.items2[size_t(i)].x
                            : &o.level.aux_items[size_t(i) - o.level.num_items()].x;
    if (at[0] < room.x || at[0] > room.x + 1024 * room.num_x_sectors || at[2] < room.z ||
        at[2] > room.z + 1024 * room.num_z_sectors || at[1] < room.y_top || at[1] > room.y_bottom)
      continue;  // parked outside its room by the level
    const double x = c.first.x / c.second, y = c.first.y / c.second, z = c.first.z / c.second;
    EXPECT_TRUE(x >= box.min_x - 2 && x <= box.max_x + 2 && y >= box.min_y - 2 &&
                y <= box.max_y + 2 && z >= box.min_z - 2 && z <= box.max_z + 2)
        << "kind " << kind << " index " << i;
  }
}

TEST(RealLevels, EveryRoomBuildsSound) {
  for (const auto& [generation, path] : test::SweptLevels()) {
    SCOPED_TRACE(generation);
    Built o(test::ReadLevelOrFail(path));
    o.UseShippedCatalog();
    for (int r = 0; r < o.level.num_rooms(); ++r) {
      SCOPED_TRACE("room " + std::to_string(r));
      CheckRoom(o, {.room = r});
      const auto items = RoomItemEntries(o.level, r);
      CheckRoom(o, {.room = r,
                    .item_entry = items.empty() ? -1 : items[0],
                    .static_entry = 0,
                    .wireframe_room = true,
                    .wireframe_objects = true,
                    .standard_room = true});
    }
  }
}

TEST(LevelScene, RoomsOfEachModeFollowPortalsAndAlternates) {
  const Ttrlevel level = test::MakePortalLevel();
  EXPECT_EQ(AlternateRooms(level), (std::vector<bool>{false, false, false, false, true, false, true,
                                                      false, false, false}));
  const std::tuple<ViewMode, int, int, bool, std::vector<int>> rows[] = {
      {ViewMode::kLevel, 0, 1, false, {0, 1, 2, 3, 5, 7, 8, 9}},
      // 0 -> 4, 1 <-> 5 swap, 2 and 3 -> 6 drawn once; 7 (itself) and 8 (no room) stay.
      {ViewMode::kLevel, 0, 1, true, {1, 4, 5, 6, 7, 8, 9}},
      {ViewMode::kNeighbours, 0, 1, false, {0, 1}},
      {ViewMode::kNeighbours, 0, 2, false, {0, 1, 2}},
      {ViewMode::kNeighbours, 0, 5, false, {0, 1, 2, 3}},
      {ViewMode::kNeighbours, 2, 1, false, {1, 2, 3}},
      {ViewMode::kNeighbours, 0, 0, false, {0, 1}},  // depth at least 1
      {ViewMode::kNeighbours, 0, 9, false, {0, 1, 2, 3}},
      // Flipped: 4 stands for 0 and follows its own portal to 1, shown as 5; 5 opens to 2,
      // shown as 6, which opens to 9.
      {ViewMode::kNeighbours, 0, 1, true, {4, 5}},
      {ViewMode::kNeighbours, 0, 2, true, {4, 5, 6}},
      {ViewMode::kNeighbours, 0, 3, true, {4, 5, 6, 9}},
      {ViewMode::kNeighbours, 7, 2, true, {7}},
      {ViewMode::kRoom, 0, 1, true, {4}},
      {ViewMode::kRoom, 7, 1, true, {7}},
      {ViewMode::kRoom, 8, 1, true, {8}},
      {ViewMode::kRoom, 3, 1, false, {3}},
      {ViewMode::kRoom, 10, 1, false, {}},
  };
  for (const auto& [mode, room, depth, flipped, rooms] : rows)
    EXPECT_EQ(RoomsOfMode(level, mode, room, depth, flipped), rooms)
        << static_cast<int>(mode) << " room " << room << " depth " << depth << " flipped "
        << flipped;
}

TEST(LevelScene, LayersAreTheRoomsOwnScenesSummedAndCutByRoom) {
  Ttrlevel level = test::MakeViewLevel();
  level.rooms[1].x = 0;  // the second room beside the first
  Built b(std::move(level));
  for (const ViewOptions options :
       {ViewOptions{}, ViewOptions{.wireframe_objects = true, .standard_room = true}}) {
    // Each room's own scene, per layer and texture.
    std::map<std::pair<int, int32_t>, int64_t> own;
    std::vector<int64_t> own_layers(3, 0);
    Built single(b.level);
    for (int r = 0; r < 2; ++r) {
      ViewOptions o = options;
      o.room = r;
      single.Build(o);
      for (int l = 0; l < 3; ++l) {
        own_layers[size_t(l)] += single.list.vertex_count(l);
        for (const TextureRun& run : single.buffers[size_t(l)].runs)
          own[{l, run.texture}] += run.triangles;
      }
    }
    const std::vector<int> rooms = {1, 0, 1};
    const LevelScene scene = BuildLevelScene(b.list, b.buffers, b.Sources(), options, rooms);
    EXPECT_EQ(scene.rooms, (std::vector<int>{0, 1}));
    std::map<std::pair<int, int32_t>, int64_t> summed;
    for (int l = 0; l < 3; ++l) {
      EXPECT_EQ(b.list.vertex_count(l), own_layers[size_t(l)]) << l;
      int32_t previous = INT32_MIN;
      for (const TextureRun& run : b.buffers[size_t(l)].runs) {
        EXPECT_GT(run.texture, previous) << "one run per texture, ascending";
        previous = run.texture;
        summed[{l, run.texture}] += run.triangles;
      }
      // The room spans tile the layer in buffer order, each within its texture's run.
      uint32_t next = 0;
      for (const RoomSpan& s : scene.spans[size_t(l)]) {
        EXPECT_EQ(s.first_vertex, next);
        next += s.vertex_count;
      }
      EXPECT_EQ(next, static_cast<uint32_t>(b.list.vertex_count(l)));
    }
    EXPECT_EQ(summed, own);
  }
  // An item the level keeps far outside its room is in the box of what is drawn, but the
  // cameras frame the rooms.
  Ttrlevel far = test::MakeViewLevel();
  far.items1[0].x = far.items2[0].x = 524288;
  Built f(std::move(far));
  const LevelScene scene = BuildLevelScene(f.list, f.buffers, f.Sources(), {}, std::vector{0});
  EXPECT_GT(scene.box.max_x, 500);
  EXPECT_LT(scene.frame_box.max_x, 100);
}

// A frame of a look camera at a world place, heading and pitch.
FrameMatrices LookFrame(double x, double y, double z, double yaw, double pitch, int w = 320,
                        int h = 240) {
  TGLViewport viewport;
  viewport.SetControlSize(w, h);
  viewport.SetLookCamera(LookCamera::FromWorld(x, y, z, yaw, pitch));
  return viewport.Matrices();
}

TEST(LevelScene, PickingAcrossRoomsAndThroughPortals) {
  Built b(test::MakePortalLevel());
  const std::vector<int> rooms = LevelRooms(b.level, false);
  const LevelScene scene =
      BuildLevelScene(b.list, b.buffers, b.Sources(), {}, rooms, {.portals = true});
  // Straight down onto the middle of room 2's floor (x 4096..6144); from inside room 1 toward
  // +x the portal to room 2 is what lies nearest; from room 2 toward -x its own portal back.
  const PickTag floor{kPickRoomRectangle, 1};
  const struct {
    FrameMatrices frame;
    PickTag tag;
    int room;
  } picks[] = {{LookFrame(5120, -3000, 1024, 0, -89.9), floor, 2},
               {LookFrame(2560, -512, 1024, 90, 0), {kPickPortal, 2}, 1},
               {LookFrame(5120, -512, 1024, 270, 0), {kPickPortal, 1}, 2}};
  for (const auto& p : picks) {
    const auto hit = Pick(b.list, p.frame, 160, 120);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->tag, p.tag);
    EXPECT_EQ(scene.RoomOfTriangle(hit->triangle), p.room);
  }
  EXPECT_EQ(scene.RoomOfTriangle(0), 0);

  // What frame selection fits: a tag's triangles of one room only, and a sector from floor to
  // ceiling standing on its outline; a sector the room lacks gives an empty box.
  const int slot = scene.SlotOf(2);
  const ViewBox floor_box = TaggedBox(b.list, floor, &scene, slot);
  const ViewBounds& room2 = scene.bounds[size_t(slot)];
  EXPECT_GE(floor_box.min_x, room2.lo[0] - 1e-4);
  EXPECT_LE(floor_box.max_x, room2.hi[0] + 1e-4);
  EXPECT_LT(TaggedBox(b.list, floor).min_x, floor_box.min_x) << "every room's rectangle 1";
  troom r = b.level.rooms[2];
  for (tsector& sector : r.sectors) sector.ceiling = -4;  // a sector high
  const RoomPlacement at = PlaceRoomInLevel(r);
  DrawList outline;
  LayerBuffers outline_buffers = MainViewBuffers();
  for (const auto& [column, row] : {std::pair{1, 1}, std::pair{2, 1}}) {
    outline.ClearLayer(-1);
    DrawSectorOutline(outline, outline_buffers, r, at, column, row);
    const ViewBox drawn = DrawnBox(outline), sector = SectorBox(r, at, column, row);
    for (auto side : {&ViewBox::min_x, &ViewBox::max_x, &ViewBox::min_z, &ViewBox::max_z})
      EXPECT_NEAR(sector.*side, drawn.*side, 1e-5) << column;
    EXPECT_GT(sector.max_y - sector.min_y, 1) << column;
    EXPECT_LE(std::min(std::abs(drawn.min_y - sector.min_y), std::abs(drawn.min_y - sector.max_y)),
              0.02)
        << column;
  }
  const ViewBox none = SectorBox(r, at, 0, 1);
  EXPECT_GT(none.min_x, none.max_x);
}

TEST(LevelScene, CullingKeepsEveryRoomWhoseBoxMeetsTheView) {
  Built b(test::MakePortalLevel());
  const std::vector<int> rooms = LevelRooms(b.level, false);
  const LevelScene scene = BuildLevelScene(b.list, b.buffers, b.Sources(), {}, rooms);
  const std::tuple<double, double, double> rows[] = {
      {5120, 90, 0}, {5120, 270, 0}, {1024, 0, 0}, {9000, 135, 30}, {-4000, 90, 0}, {30000, 90, 0}};
  for (const auto& [x, yaw, pitch] : rows) {
    const FrameMatrices frame = LookFrame(x, -512, 1024, yaw, pitch);
    const std::vector<uint8_t> visible = RoomsInView(scene, frame);
    const Mat4 m = Multiply(Multiply(frame.world, frame.view), frame.projection);
    for (size_t slot = 0; slot < scene.rooms.size(); ++slot) {
      // A room the test finds a point of inside the frustum (of 9 x 9 x 9 points of its box) is
      // never dropped.
      const ViewBounds& box = scene.bounds[slot];
      bool seen = false;
      for (int n = 0; n < 729 && !seen; ++n) {
        double c[4];
        for (int a = 0; a < 4; ++a) {
          c[a] = m.m[3][a];
          for (int k = 0, d = n; k < 3; ++k, d /= 9)
            c[a] += std::lerp(box.lo[k], box.hi[k], d % 9 / 8.0) * m.m[k][a];
        }
        seen = c[3] > 0 && std::abs(c[0]) <= c[3] && std::abs(c[1]) <= c[3] && c[2] >= 0 &&
               c[2] <= c[3];
      }
      EXPECT_TRUE(!seen || visible[slot]) << "room " << scene.rooms[slot] << " at " << x;
    }
    // Looking along the row, what lies behind the camera is dropped.
    if (x == 5120 && yaw == 90) {
      EXPECT_FALSE(visible[size_t(scene.SlotOf(0))]);
      EXPECT_TRUE(visible[size_t(scene.SlotOf(9))]);
    }
  }
  // From inside room 1 looking along the row, only the rooms the portals open onto.
  const std::vector<uint8_t> through =
      RoomsSeenThroughPortals(scene, b.level, LookFrame(3072, -512, 1024, 90, 0));
  std::vector<int> seen;
  for (size_t slot = 0; slot < through.size(); ++slot)
    if (through[slot]) seen.push_back(scene.rooms[slot]);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
  // Outside every room: all that is in view.
  EXPECT_EQ(RoomsSeenThroughPortals(scene, b.level, LookFrame(-4000, -512, 1024, 90, 0)),
            RoomsInView(scene, LookFrame(-4000, -512, 1024, 90, 0)));
  // The selected room bright, the others dimmer, water tinted.
  const RoomDraw draw = MakeRoomDraw(scene, LookFrame(5120, -512, 1024, 90, 0),
                                     {.selected = 2, .highlight = true, .water_tint = true});
  EXPECT_EQ(draw.tint[size_t(scene.SlotOf(2))], (std::array<float, 3>{1, 1, 1}));
  EXPECT_LT(draw.tint[size_t(scene.SlotOf(3))][0], 1);
  EXPECT_LT(draw.tint[size_t(scene.SlotOf(7))][0], draw.tint[size_t(scene.SlotOf(7))][2]);
  // An alternate room the normal state leaves out lights the rooms drawn in its place.
  const RoomDraw alternate = MakeRoomDraw(scene, LookFrame(5120, -512, 1024, 90, 0),
                                          {.selected = 6, .highlight = true}, &b.level);
  for (int room : {2, 3, 0})
    EXPECT_EQ(alternate.tint[size_t(scene.SlotOf(room))][0], room == 0 ? 0.5f : 1.0f) << room;
}

TEST(LookCamera, MovesLooksAndZoomsStoppingShortOfTheTarget) {
  const LookCamera c = LookCamera::FromWorld(1024, -512, 2048, 0, 0);
  double x = 0, y = 0, z = 0;
  c.World(x, y, z);
  EXPECT_EQ((std::vector<double>{x, y, z}), (std::vector<double>{1024, -512, 2048}));
  TGLViewport v;
  v.SetControlSize(320, 240);
  v.SetLookCamera(c);
  v.set_free(true);
  // Heading 0 moves toward +z, 90 toward +x; right is +x at heading 0; up is -y.
  v.MoveFree(2, 1, 0.5);
  v.look().World(x, y, z);
  EXPECT_NEAR(x, 1024 + 512, 1e-6);
  EXPECT_NEAR(y, -512 - 256, 1e-6);
  EXPECT_NEAR(z, 2048 + 1024, 1e-6);
  v.TurnFree(360, 0);  // a quarter turn to the right
  EXPECT_NEAR(v.look().yaw, 90, 1e-9);
  v.MoveFree(2, 0, 0);
  v.look().World(x, y, z);
  EXPECT_NEAR(x, 1024 + 512 + 1024, 1e-3);
  v.TurnFree(0, 10000);  // looking down as far as it goes, never over
  EXPECT_EQ(v.look().pitch, -89);
  // A right-drag looks around a free camera where it stands.
  v.set_free(false);
  v.SetLookCamera(LookCamera::FromWorld(0, 0, 0, 0, 0));
  const Vec3 target = v.look().Target();
  v.MouseDown({.right = true}, 100, 100);
  v.MouseMove({.right = true}, 180, 100);
  EXPECT_NEAR(v.look().yaw, 20, 1e-9);
  EXPECT_NEAR(v.look().Target().x, target.x, 1e-4) << "an orbit keeps its target";
  EXPECT_NEAR(v.look().Target().z, target.z, 1e-4);
  // The wheel comes nearer the target and never reaches it.
  const double before = v.look().distance;
  for (int k = 0; k < 200; ++k) v.WheelZoom(1, 160, 120);
  EXPECT_GT(v.look().distance, 0.2);
  EXPECT_LT(v.look().distance, before);
  const Vec3 eye{float(v.look().x), float(v.look().y), float(v.look().z)};
  EXPECT_LT((eye.x - target.x) * v.look().Forward().x + (eye.z - target.z) * v.look().Forward().z,
            0)
      << "the eye stays in front of the target";
  // The room camera stops short of the room's middle.
  TGLViewport room;
  room.SetControlSize(320, 240);
  room.box = {-2, -1, 3, 2, 1, 9};
  room.CentreOnBox();
  for (int k = 0; k < 100; ++k) room.WheelZoom(1, 10, 10);
  EXPECT_GE(room.camera().z - room.camera().zoom, 0.99);
}

using C = DrawList::Corner;

// A triangle around (0, cy) at depth z, facing the default camera (or away from it).
void Tri(DrawList& list, uint16_t index, float z, bool facing = true, float cy = 0,
         int32_t texture = 0, float cx = 0) {
  list.SetPickTag({1, index});
  list.SetTextureNumber(texture);
  const C a{cx - 1, 1 - cy, z}, b{cx + 1, 1 - cy, z}, c{cx, -1 - cy, z};
  facing ? list.Triangle(a, b, c) : list.Triangle(a, c, b);
}

TEST(Picking, NearestFrontFaceTiesAndScreenUp) {
  TGLViewport vp;
  vp.SetControlSize(800, 600);
  const FrameMatrices f = vp.Matrices();  // eye (0, 0, 5) looking down -z
  DrawList list;
  EXPECT_FALSE(Pick(list, f, 400, 300));
  Tri(list, 1, 0);
  Tri(list, 2, 2, false);  // nearer but seen from behind: never hit
  EXPECT_EQ(Pick(list, f, 400, 300)->tag.index, 1);
  EXPECT_NEAR(Pick(list, f, 400, 300)->distance, 5, 1e-6);
  Tri(list, 3, 1, true, 0, 9);
  Tri(list, 4, 1, true, 0, 2);  // as near, lower texture: earlier in list order
  EXPECT_EQ(Pick(list, f, 400, 300)->tag.index, 4);
  EXPECT_FALSE(Pick(list, f, 10, 10));
  // Screen up is the list's -y: a triangle moved to y -2 is found above the centre.
  list.ClearLayer(-1);
  Tri(list, 7, 0, true, -2);
  EXPECT_FALSE(Pick(list, f, 400, 300));
  EXPECT_EQ(Pick(list, f, 400, 100)->tag.index, 7);
  // Off the centre, the pixel a point is drawn at picks the triangle around it.
  for (auto [cx, cy] : {std::pair{2.5f, 0.5f}, {-3.0f, 1.5f}, {1.0f, -2.0f}}) {
    list.ClearLayer(-1);
    Tri(list, 8, 0, true, cy, 0, cx);
    const Vec3 e = TransformPoint(f.view, cx, cy, 0);
    const int x = int((1 + e.x * f.projection.m[0][0] / e.z) * 400);
    EXPECT_EQ(Pick(list, f, x, int((1 - e.y * f.projection.m[1][1] / e.z) * 300)).value().tag.index,
              8);
  }
}

TEST(Picking, ARotatedWorldPicksWhatItShows) {
  // Triangles seen through a turned world matrix, or turned in the list: the same picks.
  TGLViewport vp;
  vp.SetControlSize(640, 480);
  vp.MouseDown({.right = true}, 0, 0);
  vp.MouseMove({.right = true}, 40, -15);
  const FrameMatrices turned = vp.Matrices();
  FrameMatrices straight = turned;
  straight.world = Identity();
  DrawList plain, pre;
  pre.LoadMatrix(turned.world);
  for (int k = 0; k < 6; ++k) {
    Tri(plain, uint16_t(k + 1), -k * 0.5f, true, float(k) - 2.5f);
    Tri(pre, uint16_t(k + 1), -k * 0.5f, true, float(k) - 2.5f);
  }
  int hits = 0;
  for (int y = 0; y < 480; y += 16)
    for (int x = 0; x < 640; x += 16) {
      const auto a = Pick(plain, turned, x, y), b = Pick(pre, straight, x, y);
      ASSERT_EQ(bool(a), bool(b)) << x << "," << y;
      hits += a && a->tag == b->tag;
    }
  EXPECT_GT(hits, 20);
}

TEST(Picking, FaceSectorsAndWhatTagsSelect) {
  Ttrlevel level;
  troom room;
  const int16_t corners[][3] = {{1024, 0, 3072},     {2048, 0, 3072},    {2048, 0, 4096},
                                {1024, 0, 4096},     {2048, 0, 1024},    {2048, 0, 2048},
                                {2048, -1024, 2048}, {2048, -1024, 1024}};
  for (auto [x, y, z] : corners) AddVertex(room, x, y, z, 0);
  room.rectangles = {trectangle{{}, {0, 1, 2, 3}, 0}, trectangle{{}, {4, 5, 6, 7}, 0},
                     trectangle{{}, {5, 4, 7, 6}, 0}};
  room.triangles = {ttriangle{{}, {0, 1, 2}, 0}, ttriangle{{}, {0, 1, 9}, 0}};
  level.rooms = {room};
  const std::tuple<int, int, SectorCell> cases[] = {
      {1, 1, {2, 4}},  // floor x 1024..2048, z 3072..4096
      {1, 2, {2, 2}},  // wall on x = 2048 facing lower x: the sector before it
      {1, 3, {3, 2}},  // the same wall facing higher x: the sector from 2048
      {2, 1, {2, 4}},  // triangle: its third corner counts twice
      {2, 2, {}},      // a corner the room does not have
      {1, 4, {}},      // no such face
      {3, 1, {}},      // not a room face
  };
  for (auto [kind, face, cell] : cases)
    EXPECT_EQ(FindFaceSector(room, kind, face), cell) << kind << " " << face;
  EXPECT_EQ(FacingX(1, 2, 2, 1), -1);
  EXPECT_EQ(FacingX(5, 5, 5, 5), 1);
  EXPECT_EQ(FacingZ(1, 2, 2, 1), 1);

  auto hit = [&](uint8_t kind, uint16_t index) {
    return DispatchPick(level, 0, PickResult{{kind, index}, 1, 0});
  };
  EXPECT_EQ(hit(kPickRoomRectangle, 3).target, PickTarget::kRoomRectangle);
  EXPECT_EQ(hit(kPickRoomRectangle, 3).face, 2);
  EXPECT_EQ(hit(kPickRoomTriangle, 1).sector, (SectorCell{2, 4}));
  EXPECT_EQ(hit(kPickItem, 12).item_entry, 12);
  EXPECT_EQ(hit(kPickStatic, 3).static_entry, 2);
  EXPECT_EQ(hit(9, 1).target, PickTarget::kOther);
  EXPECT_EQ(DispatchPick(level, 0, std::nullopt).target, PickTarget::kNothing);
  EXPECT_EQ(PickStatusText({1, 5}), "Object type:1, Index:=5");
  EXPECT_EQ(SectorStatusText({2, 4}), "Column:2 Row:4");
  EXPECT_EQ(StaticStatusText(3), "STATIC MESH #3");
}

}  // namespace
}  // namespace qavel
