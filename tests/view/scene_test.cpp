// The scene: room placement, angles, layers and colours of selected objects, skipped items,
// animation lookups, and drawing that never reads past a table.

#include <gtest/gtest.h>

#include <map>

#include "view/scene.h"
#include "view_fixtures.h"

namespace qavel {
namespace {

struct Built {
  Ttrlevel level;
  MovableCatalog catalog;
  Tmesh_list meshes;
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  SceneResult result;

  explicit Built(Ttrlevel l) : level(std::move(l)), catalog(test::MakeViewCatalog(level)) {
    BuildMeshTable(meshes, level);
    list.set_standard_texture(8888);
  }
  void Build(ViewOptions o) {
    if (o.room < 0) o.room = 0;
    const auto items = RoomItemEntries(level, o.room);
    result = BuildScene(list, buffers, {level, meshes, catalog, items}, o);
  }
  // (layer, kind, index) -> triangles, and the colours seen per (kind, index).
  std::map<std::tuple<int, int, int>, int> Tags() const {
    std::map<std::tuple<int, int, int>, int> out;
    for (int l = 0; l < kLayerCount; ++l)
      for (const TriangleInfo& t : test::LayerTriangles(list, l))
        ++out[{l, t.tag.kind, t.tag.index}];
    return out;
  }
};

TEST(Scene, PlacementOfAFourBySixRoom) {
  const Ttrlevel level = test::MakeViewLevel();
  const RoomPlacement p = PlaceRoom(level.rooms[0]);
  EXPECT_EQ(p.box, (ViewBox{-2, -1, 3, 2, 1, 9}));
  EXPECT_EQ(p.world_x, -2 - 8192 / 1024);
  EXPECT_EQ(p.world_z, 3 + 4);
  EXPECT_EQ(p.room_y, -1);
  // The floor's corners span x -2..2 and z -3..3, doubled by the scene scale; y is the floor.
  Built b(level);
  b.Build({.hide_items = true, .hide_statics = true});
  float lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
  for (const BufferVertex& v : test::LayerVertices(b.list, 0))
    for (int k = 0; k < 3; ++k) {
      const float c = (&v.x)[k];
      lo[k] = std::min(lo[k], c);
      hi[k] = std::max(hi[k], c);
    }
  EXPECT_EQ(lo[0], -4);
  EXPECT_EQ(hi[0], 4);
  EXPECT_EQ(lo[2], -6);
  EXPECT_EQ(hi[2], 6);
  EXPECT_EQ(hi[1], 2);  // floor at y 0: (0 / 1024 - 1) turned once more, doubled
  EXPECT_EQ(lo[1], 0);  // the wall's top at y -1024
}

TEST(Scene, EighthTurns) {
  const std::pair<uint16_t, float> cases[] = {{0, 0},        {0x1FFF, 0},  {0x2000, 315},
                                              {0x4000, 270}, {0xC000, 90}, {0xFFFF, 45}};
  for (auto [angle, degrees] : cases) EXPECT_EQ(EighthTurnDegrees(angle), degrees) << angle;
}

TEST(Scene, SelectionLayersColoursAndSkippedItems) {
  Built b(test::MakeViewLevel());
  b.Build({.item_entry = 0, .static_entry = 1});
  auto tags = b.Tags();
  EXPECT_EQ((tags[{0, kPickRoomRectangle, 1}]), 2);
  EXPECT_EQ((tags[{0, kPickRoomTriangle, 1}]), 1);
  EXPECT_EQ((tags[{2, kPickItem, 0}]), 3);  // selected: its own layer (2 triangles + 1)
  EXPECT_EQ((tags[{0, kPickItem, 2}]), 1);
  EXPECT_EQ((tags[{0, kPickStatic, 1}]), 1);  // mesh 1 of static mesh 20
  EXPECT_EQ((tags[{1, kPickStatic, 2}]), 2);  // unknown id 99: mesh record 0, wireframe
  EXPECT_EQ(test::LayerVertices(b.list, 2)[0].colour, 0xFFFF0000u);
  EXPECT_EQ(test::LayerVertices(b.list, 0).back().colour, 0xFFFFFFFFu);
  ASSERT_EQ(b.result.skipped_items.size(), 1u);
  EXPECT_EQ(b.result.skipped_items[0].entry, 1);
  EXPECT_EQ(b.result.skipped_items[0].message, "Object ID77 is missing.");

  // Wireframe objects: the others go to layer 1, the selected one stays solid in layer 0.
  b.Build({.item_entry = 0, .wireframe_objects = true});
  tags = b.Tags();
  EXPECT_EQ((tags[{0, kPickItem, 0}]), 3);
  EXPECT_EQ((tags[{1, kPickItem, 2}]), 1);
  EXPECT_EQ((tags[{0, kPickStatic, 2}]), 2);  // statics do not follow the switch

  // Hidden objects, the room in wireframe with the standard texture.
  b.Build(
      {.wireframe_room = true, .hide_items = true, .hide_statics = true, .standard_room = true});
  EXPECT_EQ(b.list.vertex_count(0), 0);
  EXPECT_EQ(b.buffers[1].runs, (std::vector<TextureRun>{{8888, 3}}));
  EXPECT_EQ(test::LayerVertices(b.list, 1)[0].u, 1);  // Quad's first triangle starts at V2: (1, 0)
  EXPECT_TRUE(b.result.skipped_items.empty());

  // A room outside the level draws nothing.
  b.Build({.room = 7});
  EXPECT_EQ(b.list.total_vertices(), 0u);
  EXPECT_FALSE(b.result.placement);
}

TEST(Scene, AnimationLookups) {
  Ttrlevel level = test::MakeViewLevel();
  EXPECT_EQ(AnimationCount(level, 0), 1);
  EXPECT_EQ(AnimationCount(level, 1), 0);  // 0xFFFF: none
  EXPECT_EQ(AnimationCount(level, 9), 0);
  EXPECT_EQ(FrameCount(level, 0, 0), 1);
  EXPECT_EQ(FrameCount(level, 0, 3), 0);
  EXPECT_EQ(FrameOffset(level, 0, 0, 5), 0);  // clamped to the last frame
  EXPECT_EQ(FrameOffset(level, 1, 0, 0), -1);
  EXPECT_EQ(FrameOffset(level, 9, 0, 0), -1);
  EXPECT_EQ(FrameOffset(level, -1, 0, 0), 0);
  EXPECT_EQ(FindStaticMesh(level, 20), 1);
  EXPECT_EQ(FindStaticMesh(level, 99), -1);
}

// The mesh's first vertex for a movable drawn alone at the origin, unscaled.
Vec3 FirstVertexOf(const Ttrlevel& level, int m) {
  Tmesh_list meshes;
  BuildMeshTable(meshes, level);
  DrawList list;
  list.LoadIdentity();
  DrawMovable({list, meshes, level}, m, 0, 0, 0, 0, 0.1);
  EXPECT_EQ(list.stack_depth(), 0);
  EXPECT_EQ(list.matrix(), Identity());
  const BufferVertex v = test::LayerVertices(list, 0).at(2);  // Quad: (V2, V3, V1) first
  return {v.x, v.y, v.z};
}

TEST(Scene, MovablesWithoutFramesAndBrokenTablesDrawSafely) {
  Ttrlevel level = test::MakeViewLevel();
  level.mesh_trees[0] = 2;  // mesh 2 pushes and nothing pops: the movable cleans up itself
  // Root offset (10, 20, 30) / 1000, y and z turned by the scene and y once more by the list.
  const Vec3 with_frame = FirstVertexOf(level, 0);
  EXPECT_NEAR(with_frame.x, -0.1 + 0.01, 1e-6);
  EXPECT_NEAR(with_frame.y, 0.02, 1e-6);
  EXPECT_NEAR(with_frame.z, 0.1 - 0.03, 1e-6);
  // Object 6 has no animations: no root offset, no rotation (its mesh is the triangle).
  level.movables[1].start_mesh = 0;
  const Vec3 rest = FirstVertexOf(level, 1);
  EXPECT_NEAR(rest.x, -0.1, 1e-6);
  EXPECT_NEAR(rest.z, 0.1, 1e-6);

  // Tables pointing outside themselves: nothing is read past them.
  Ttrlevel bad = test::MakeViewLevel(kTR2);
  bad.movables[0].mesh_tree = 1000;
  bad.movables[0].start_mesh = 60000;
  bad.movables[1].num_meshes = 60;  // unbalanced trees and missing pointers
  bad.frames.resize(7);
  bad.rooms[0].rectangles[0].vertices[2] = 400;
  bad.rooms[0].triangles[0].texture = 999;
  bad.static_meshes[0].mesh = 5000;
  Built b(bad);
  b.Build({.item_entry = 2});
  auto tags = b.Tags();
  EXPECT_EQ((tags[{0, kPickRoomRectangle, 1}]), 0);
  for (const TriangleInfo& t : test::LayerTriangles(b.list, 0)) {  // a texture the level lacks
    if (t.tag.kind == kPickRoomTriangle) {
      EXPECT_EQ(t.texture, 8888);
    }
  }
  EXPECT_EQ((tags[{0, kPickStatic, 1}]), 0);
}

TEST(Scene, PaletteColoursPerGeneration) {
  Ttrlevel level;
  level.palette[0x12] = {{}, 1, 2, 63};
  level.palette16[4 * 0x34] = 200;
  level.palette16[4 * 0x34 + 2] = 7;
  level.version_kind = kTR1;
  EXPECT_EQ(PaletteColour(level, 0x3412), (Rgb{7, 11, 255}));
  level.version_kind = kTR3;
  EXPECT_EQ(PaletteColour(level, 0x3412), (Rgb{200, 0, 7}));
  level.version_kind = kTR4;
  EXPECT_EQ(PaletteColour(level, 0x3412), (Rgb{}));
}

}  // namespace
}  // namespace qavel
