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
  // Builds room 0 (or the given one); returns triangles per (layer, kind, index).
  std::map<std::tuple<int, int, int>, int> Build(ViewOptions o) {
    o.room = std::max(o.room, 0);
    const auto items = RoomItemEntries(level, o.room);
    result = BuildScene(list, buffers, {level, meshes, catalog, items}, o);
    std::map<std::tuple<int, int, int>, int> tags;
    for (int l = 0; l < kLayerCount; ++l)
      for (const TriangleInfo& t : test::LayerTriangles(list, l))
        ++tags[{l, t.tag.kind, t.tag.index}];
    return tags;
  }
};

TEST(Scene, PlacementOfAFourBySixRoomAndEighthTurns) {
  Built b(test::MakeViewLevel());
  const RoomPlacement p = PlaceRoom(b.level.rooms[0]);
  EXPECT_EQ(p.box, (ViewBox{-2, -1, 3, 2, 1, 9}));
  EXPECT_EQ(p.world_x, -2 - 8192 / 1024);
  EXPECT_EQ(p.world_z, 3 + 4);
  // The room's corners span x -2..2 and z -3..3, doubled by the scene scale; the floor (y 0)
  // lies at -1 turned and doubled, the wall's top (y -1024) at 0.
  b.Build({.hide_items = true, .hide_statics = true});
  float lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
  for (const BufferVertex& v : test::LayerVertices(b.list, 0))
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], (&v.x)[k]);
      hi[k] = std::max(hi[k], (&v.x)[k]);
    }
  EXPECT_EQ((std::vector<float>{lo[0], hi[0], lo[1], hi[1], lo[2], hi[2]}),
            (std::vector<float>{-4, 4, 0, 2, -6, 6}));
  for (auto [angle, degrees] : {std::pair<uint16_t, float>{0, 0},
                                {0x1FFF, 0},
                                {0x2000, 315},
                                {0x4000, 270},
                                {0xC000, 90},
                                {0xFFFF, 45}})
    EXPECT_EQ(EighthTurnDegrees(angle), degrees) << angle;
}

TEST(Scene, SelectionLayersColoursAndSkippedItems) {
  Built b(test::MakeViewLevel());
  auto tags = b.Build({.item_entry = 0, .static_entry = 1});
  EXPECT_EQ((tags[{0, kPickRoomRectangle, 1}]), 2);
  EXPECT_EQ((tags[{0, kPickRoomTriangle, 1}]), 1);
  EXPECT_EQ((tags[{2, kPickItem, 0}]), 3);  // selected: its own layer, two meshes
  EXPECT_EQ((tags[{0, kPickItem, 2}]), 1);
  EXPECT_EQ((tags[{0, kPickStatic, 1}]), 1);  // mesh 1 of static mesh 20
  EXPECT_EQ((tags[{1, kPickStatic, 2}]), 2);  // unknown id 99: mesh record 0, selected
  EXPECT_EQ(test::LayerVertices(b.list, 2)[0].colour, 0xFFFF0000u);
  EXPECT_EQ(test::LayerVertices(b.list, 0).back().colour, 0xFFFFFFFFu);
  ASSERT_EQ(b.result.skipped_items.size(), 1u);
  EXPECT_EQ(b.result.skipped_items[0].entry, 1);
  EXPECT_EQ(b.result.skipped_items[0].message, "Object ID77 is missing.");
  // Wireframe objects: the others go to layer 1, the selected one stays solid in layer 0.
  tags = b.Build({.item_entry = 0, .wireframe_objects = true});
  EXPECT_EQ((tags[{0, kPickItem, 0}]), 3);
  EXPECT_EQ((tags[{1, kPickItem, 2}]), 1);
  EXPECT_EQ((tags[{0, kPickStatic, 2}]), 2);  // statics do not follow the switch
  // Hidden objects, the room in wireframe with the standard texture.
  b.Build(
      {.wireframe_room = true, .hide_items = true, .hide_statics = true, .standard_room = true});
  EXPECT_EQ(b.list.vertex_count(0), 0);
  EXPECT_EQ(b.buffers[1].runs, (std::vector<TextureRun>{{8888, 3}}));
  EXPECT_EQ(test::LayerVertices(b.list, 1)[0].u, 1);  // Quad's first triangle starts at V2
  EXPECT_TRUE(b.result.skipped_items.empty());
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

TEST(Scene, MovablesWithoutFramesAndBrokenTablesDrawSafely) {
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

  // Tables pointing outside themselves: nothing is read past them.
  Ttrlevel bad = test::MakeViewLevel(kTR2);
  bad.movables[0].mesh_tree = 1000;
  bad.movables[0].start_mesh = 60000;
  bad.movables[1].num_meshes = 60;
  bad.frames.resize(7);
  bad.rooms[0].rectangles[0].vertices[2] = 400;
  bad.rooms[0].triangles[0].texture = 999;
  bad.static_meshes[0].mesh = 5000;
  Built b(bad);
  auto tags = b.Build({.item_entry = 2});
  EXPECT_EQ((tags[{0, kPickRoomRectangle, 1}]), 0);
  EXPECT_EQ((tags[{0, kPickStatic, 1}]), 0);
  EXPECT_EQ(b.buffers[0].runs.back(), (TextureRun{8888, 1}));  // a texture the level lacks
}

}  // namespace
}  // namespace qavel
