// Every room of the real levels (and the demo level): the scene builds, runs add up, tags name
// what exists, objects stand in their room, and a pick finds the face under a pixel.

#include <gtest/gtest.h>

#include <map>

#include "level/level_reader.h"
#include "test_paths.h"
#include "view/picking.h"
#include "view/scene.h"
#include "view_fixtures.h"

namespace qavel {
namespace {

struct Opened {
  Ttrlevel level;
  MovableCatalog catalog;
  Tmesh_list meshes;
  explicit Opened(const std::string& path) {
    level = test::ReadLevelOrFail(path);
    LoadMovableCatalog(catalog, test::DataPath("trcatalog.xml"), level.version_kind);
    EnterLevelMovables(catalog, level);
    BuildMeshTable(meshes, level);
  }
};

void CheckRoom(const Opened& o, int r, const ViewOptions& options) {
  const troom& room = o.level.rooms[size_t(r)];
  const auto items = RoomItemEntries(o.level, r);
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  const SceneResult scene =
      BuildScene(list, buffers, {o.level, o.meshes, o.catalog, items}, options);
  ASSERT_TRUE(scene.placement);
  // Real levels are drawn whole: only items whose movable the level lacks are named.
  EXPECT_TRUE(scene.skipped_statics.empty()) << scene.skipped_statics[0].message;
  for (const SkippedItem& s : scene.skipped_items)
    EXPECT_NE(s.message.find(" is missing."), std::string::npos) << s.message;
  for (size_t l = 0; l < buffers.size(); ++l) {
    int run_triangles = 0;
    for (const TextureRun& run : buffers[l].runs) run_triangles += run.triangles;
    EXPECT_EQ(3 * run_triangles, list.vertex_count(int(l)));
    // What a renderer uploads is what picking reads.
    std::vector<BufferVertex> written(size_t(list.vertex_count(int(l))));
    list.WriteLayer(int(l), written.data());
    EXPECT_TRUE(written == test::LayerVertices(list, int(l))) << "layer " << l;
  }
  // Tags name real faces, this room's entries and instances; objects the file places inside
  // the room's walls are drawn within a sector (2 units at double scale) of its faces.
  std::map<std::pair<int, int>, std::pair<Vec3, int>> centres;
  float lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
  int faces = 0;
  list.ForEachTriangle([&](const BufferVertex* v, const TriangleInfo& t) {
    const int i = t.tag.index, kind = t.tag.kind;
    if (kind == kPickRoomRectangle || kind == kPickRoomTriangle) {
      EXPECT_TRUE(i >= 1 &&
                  size_t(i) <= (kind == 1 ? room.num_rectangles() : room.num_triangles()));
      ++faces;
      for (int c = 0; c < 9; ++c) {
        lo[c % 3] = std::min(lo[c % 3], (&v[c / 3].x)[c % 3]);
        hi[c % 3] = std::max(hi[c % 3], (&v[c / 3].x)[c % 3]);
      }
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
    const float p[3] = {c.first.x / c.second, c.first.y / c.second, c.first.z / c.second};
    for (int k = 0; k < 3; ++k)
      EXPECT_TRUE(p[k] >= lo[k] - 2 && p[k] <= hi[k] + 2) << "kind " << kind << " index " << i;
  }
}

// A pick at the pixel under a face's centre finds that face (or one nearer) in room 0.
void CheckPicks(const Opened& o) {
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  const SceneResult res = BuildScene(list, buffers, {o.level, o.meshes, o.catalog, {}},
                                     {.room = 0, .hide_items = true, .hide_statics = true});
  TGLViewport vp;
  vp.SetControlSize(800, 600);
  vp.box = res.placement->box;
  vp.CentreOnBox();
  const FrameMatrices f = vp.Matrices();
  const Mat4 to_screen = Multiply(f.view, f.projection);
  int tried = 0, same = 0;
  list.ForEachTriangle([&](const BufferVertex* v, const TriangleInfo& t) {
    // The pixel under the triangle's centre; its ray must meet the triangle from the front.
    const float c[4] = {(v[0].x + v[1].x + v[2].x) / 3, (v[0].y + v[1].y + v[2].y) / 3,
                        (v[0].z + v[1].z + v[2].z) / 3, 1};
    float p[4] = {};
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) p[j] += c[k] * to_screen.m[k][j];
    const int x = int((p[0] / p[3] + 1) * 400), y = int((1 - p[1] / p[3]) * 300);
    double own = 0;
    if (p[3] <= 0 || x < 0 || x >= 800 || y < 0 || y >= 600 ||
        !HitTriangle(RayThroughPixel(f, x, y), v, own))
      return;
    ++tried;
    const auto pick = Pick(list, f, x, y);
    ASSERT_TRUE(pick);
    EXPECT_LE(pick->distance, own + 1e-9);
    same += pick->tag == t.tag;
  });
  EXPECT_GT(tried, 10);
  EXPECT_GT(same, tried / 2) << same << " of " << tried;
}

TEST(RealLevels, EveryRoomBuildsSoundAndAPickFindsTheFaceUnderIt) {
  for (const auto& [generation, path] : test::SweptLevels()) {
    SCOPED_TRACE(generation);
    const Opened o(path);
    for (int r = 0; r < o.level.num_rooms(); ++r) {
      SCOPED_TRACE("room " + std::to_string(r));
      CheckRoom(o, r, {.room = r});
      const auto items = RoomItemEntries(o.level, r);
      CheckRoom(o, r,
                {.room = r,
                 .item_entry = items.empty() ? -1 : items[0],
                 .static_entry = 0,
                 .wireframe_room = true,
                 .wireframe_objects = true,
                 .standard_room = true});
    }
    CheckPicks(o);
  }
}

}  // namespace
}  // namespace qavel
