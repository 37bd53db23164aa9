// Every room of the real levels (and the demo level): the scene builds, runs add up, tags name
// what exists, objects stand in or near their room, and a pick finds the face under a pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "level/level_reader.h"
#include "test_paths.h"
#include "view/picking.h"
#include "view/scene.h"

namespace qavel {
namespace {

struct Opened {
  Ttrlevel level;
  MovableCatalog catalog;
  Tmesh_list meshes;
};

std::vector<std::pair<std::string, std::string>> Levels() {
  auto all = test::RealLevels();
  all.emplace_back("demo", test::DataPath("demo.tr4"));
  return all;
}

bool Open(Opened& o, const std::string& path) {
  if (ReadLevel(o.level, path) != kReadOk) return false;
  LoadMovableCatalog(o.catalog, test::DataPath("trcatalog.xml"), o.level.version_kind);
  EnterLevelMovables(o.catalog, o.level);
  BuildMeshTable(o.meshes, o.level);
  return true;
}

void CheckRoom(const Opened& o, int r, const ViewOptions& options) {
  const troom& room = o.level.rooms[size_t(r)];
  const auto items = RoomItemEntries(o.level, r);
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  const SceneResult res = BuildScene(list, buffers, {o.level, o.meshes, o.catalog, items}, options);
  ASSERT_TRUE(res.placement);
  for (size_t l = 0; l < buffers.size(); ++l) {
    int run_triangles = 0;
    for (const TextureRun& run : buffers[l].runs) run_triangles += run.triangles;
    EXPECT_EQ(3 * run_triangles, list.vertex_count(int(l)));
    EXPECT_EQ(3 * buffers[l].triangle_count, uint32_t(list.vertex_count(int(l))));
  }
  // Tags name real faces, entries of this room and instances; room geometry bounds objects.
  std::map<std::pair<int, int>, std::pair<Vec3, int>> centres;
  float lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
  int faces = 0;
  list.ForEachTriangle([&](const BufferVertex* v, const TriangleInfo& t) {
    const int i = t.tag.index;
    switch (t.tag.kind) {
      case kPickRoomRectangle:
      case kPickRoomTriangle:
        EXPECT_GE(i, 1);
        EXPECT_LE(size_t(i), t.tag.kind == 1 ? room.rectangles.size() : room.triangles.size());
        ++faces;
        for (int c = 0; c < 3; ++c)
          for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], (&v[c].x)[k]);
            hi[k] = std::max(hi[k], (&v[c].x)[k]);
          }
        return;
      case kPickItem:
        EXPECT_NE(std::find(items.begin(), items.end(), i), items.end()) << "entry " << i;
        break;
      case kPickStatic:
        EXPECT_GE(i, 1);
        EXPECT_LE(size_t(i), room.num_static_instances());
        break;
      default:
        ADD_FAILURE() << "tag kind " << int(t.tag.kind);
        return;
    }
    auto& [sum, n] = centres[{t.tag.kind, i}];
    sum = {sum.x + v[0].x, sum.y + v[0].y, sum.z + v[0].z};
    ++n;
  });
  EXPECT_EQ(faces, int(2 * room.rectangles.size() + room.triangles.size()));
  // Objects the file places inside the room's walls must be drawn inside the drawn room (a
  // level may park an object far away: those are not checked).
  auto inside = [&](int x, int y, int z) {
    return x >= room.x && x <= room.x + 1024 * room.num_x_sectors && z >= room.z &&
           z <= room.z + 1024 * room.num_z_sectors && y >= room.y_top && y <= room.y_bottom;
  };
  for (auto it = centres.begin(); it != centres.end();) {
    const auto [kind, i] = it->first;
    bool in = false;
    if (kind == kPickStatic) {
      const tstatic2& st = room.statics2[size_t(i - 1)];
      in = inside(st.x, st.y, st.z);
    } else if (size_t(i) < o.level.num_items()) {
      const titem2& it2 = o.level.items2[size_t(i)];
      in = inside(it2.x, it2.y, it2.z);
    } else {
      const taux_item& a = o.level.aux_items[size_t(i) - o.level.num_items()];
      in = inside(a.x, a.y, a.z);
    }
    it = in ? std::next(it) : centres.erase(it);
  }
  for (const auto& [tag, c] : centres) {
    const float p[3] = {c.first.x / c.second, c.first.y / c.second, c.first.z / c.second};
    for (int k = 0; k < 3; ++k) {
      // Two units: one sector at the scene's double scale.
      EXPECT_GE(p[k], lo[k] - 2) << "kind " << tag.first << " index " << tag.second;
      EXPECT_LE(p[k], hi[k] + 2) << "kind " << tag.first << " index " << tag.second;
    }
  }
}

TEST(RealLevels, EveryRoomBuildsWithSoundTagsRunsAndPlaces) {
  for (const auto& [generation, path] : Levels()) {
    SCOPED_TRACE(generation);
    Opened o;
    ASSERT_TRUE(Open(o, path));
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
  }
}

TEST(RealLevels, APickAtAFacesPixelFindsThatFace) {
  for (const auto& [generation, path] : Levels()) {
    SCOPED_TRACE(generation);
    Opened o;
    ASSERT_TRUE(Open(o, path));
    DrawList list;
    LayerBuffers buffers = MainViewBuffers();
    const ViewOptions options{.room = 0, .hide_items = true, .hide_statics = true};
    const SceneResult res = BuildScene(list, buffers, {o.level, o.meshes, o.catalog, {}}, options);
    TGLViewport vp;
    vp.SetControlSize(800, 600);
    vp.box = res.placement->box;
    vp.CentreOnBox();
    const FrameMatrices f = vp.Matrices();
    const Mat4 to_screen = Multiply(f.view, f.projection);
    int tried = 0, same = 0;
    list.ForEachTriangle([&](const BufferVertex* v, const TriangleInfo& t) {
      // The pixel under the triangle's centre.
      float p[4] = {};
      const float c[3] = {(v[0].x + v[1].x + v[2].x) / 3, (v[0].y + v[1].y + v[2].y) / 3,
                          (v[0].z + v[1].z + v[2].z) / 3};
      for (int j = 0; j < 4; ++j)
        p[j] = c[0] * to_screen.m[0][j] + c[1] * to_screen.m[1][j] + c[2] * to_screen.m[2][j] +
               to_screen.m[3][j];
      if (p[3] <= 0) return;
      const int x = int((p[0] / p[3] + 1) * 400), y = int((1 - p[1] / p[3]) * 300);
      if (x < 0 || x >= 800 || y < 0 || y >= 600) return;
      double own = 0;
      if (!HitTriangle(RayThroughPixel(f, x, y), v, own)) return;  // from behind, or a sliver
      ++tried;
      const auto pick = Pick(list, f, x, y);
      ASSERT_TRUE(pick);
      EXPECT_LE(pick->distance, own + 1e-9);
      same += pick->tag == t.tag;
    });
    EXPECT_GT(tried, 10);
    EXPECT_GT(same, tried / 2) << same << " of " << tried;
  }
}

}  // namespace
}  // namespace qavel
