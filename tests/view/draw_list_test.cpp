// The draw list: vertex orders and colours, the y turn, matrices, list order and runs, layers,
// and buffers made anew only when a layer's count changes.

#include <gtest/gtest.h>

#include "view_fixtures.h"

namespace qavel {
namespace {

using C = DrawList::Corner;
using CC = DrawList::ColouredCorner;

TEST(DrawList, PrimitiveOrdersAndColours) {
  DrawList list;
  list.SetColorRGB(0x0000FF);  // window red
  list.PushColor();
  list.SetColor(1, 2, 3);
  // Corners 1..4 at x = 1..4; y is handed over pointing down and turned up.
  list.Quad(C{1, 10}, C{2, 10}, C{3, 10}, C{4, 10});
  list.PopColor();
  list.TexturedQuad(CC{1, 10, 0, 9, 8, 7}, CC{2, 10}, CC{3, 10}, CC{4, 10});
  list.Triangle(C{1, 10}, C{2, 10}, C{3, 10});
  list.TexturedTriangle(CC{1, 10}, CC{2, 10}, CC{3, 10});
  std::vector<float> xs;
  const auto v = test::LayerVertices(list, 0);
  for (const BufferVertex& p : v) {
    xs.push_back(p.x);
    EXPECT_EQ(p.y, -10);
  }
  EXPECT_EQ(xs, (std::vector<float>{2, 3, 1, 4, 1, 3, 1, 3, 4, 1, 2, 3, 1, 2, 3, 1, 2, 3}));
  EXPECT_EQ(v[0].colour, 0xFF010203u);
  EXPECT_EQ(v[6].colour, 0xFF090807u);
  EXPECT_EQ(v[12].colour, 0xFFFF0000u);
}

TEST(DrawList, MatricesTurnYAndScaleReplaces) {
  DrawList list;
  list.Translate(5, 7, 0);  // moves by (5, -7, 0)
  list.Triangle(C{0, 1}, C{}, C{});
  list.Scale(2, 2, 2);  // discards the translation
  list.PushMatrix();
  list.Rotate(false, 0, 90, 0);  // (1, -1, 0) turns to (0, -1, -1), then doubles
  list.Triangle(C{1, 1}, C{}, C{});
  list.PopMatrix();
  const auto v = test::LayerVertices(list, 0);
  EXPECT_EQ(v[0].x, 5);
  EXPECT_EQ(v[0].y, -8);
  EXPECT_NEAR(v[3].x, 0, 1e-6);
  EXPECT_EQ(v[3].y, -2);
  EXPECT_NEAR(v[3].z, -2, 1e-6);
  EXPECT_EQ(list.matrix(), Scaling(2, 2, 2));
}

TEST(DrawList, OrderIsLayerTextureCreationAndRunsFollowIt) {
  DrawList list;
  const int triangles[][3] = {{1, 7, 1},    {0, 12, 2}, {0, 3, 3}, {0, 12, 4},
                              {0, 8888, 5}, {16, 1, 6}, {0, 3, 7}, {0, -1, 8}};
  for (auto [layer, texture, index] : triangles) {
    list.SetLayer(uint16_t(layer));  // 16 and beyond: dropped
    list.SetTextureNumber(texture);
    list.SetPickTag({1, uint16_t(index)});
    list.Triangle(C{}, C{}, C{});
  }
  LayerBuffers buffers = MakeLayerBuffers(2);
  list.BuildBuffers(buffers);
  std::vector<int> seen;
  list.ForEachTriangle(
      [&](const BufferVertex*, const TriangleInfo& t) { seen.push_back(t.tag.index); });
  EXPECT_EQ(seen, (std::vector<int>{8, 3, 7, 2, 4, 5, 1}));
  EXPECT_EQ(buffers[0].runs, (std::vector<TextureRun>{{-1, 1}, {3, 2}, {12, 2}, {8888, 1}}));
  EXPECT_EQ(buffers[1].runs, (std::vector<TextureRun>{{7, 1}}));
  list.ClearLayer(0);   // the other layers keep their triangles
  list.ClearLayer(20);  // nothing
  EXPECT_EQ(list.total_vertices(), 3u);
  list.ClearLayer(-1);
  EXPECT_EQ(list.total_vertices(), 0u);
  EXPECT_EQ(list.texture_number(), -1);
}

TEST(DrawList, BuffersAreMadeAnewOnlyWhenTheCountChanges) {
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  auto build = [&](int triangles, int32_t texture) {
    list.ClearLayer(-1);
    list.SetTextureNumber(texture);
    for (int k = 0; k < triangles; ++k) list.Triangle(C{float(k)}, C{}, C{});
    list.Sort();
    list.BuildBuffers(buffers);
  };
  build(4, 1);
  const LayerBuffer first = buffers[0];
  build(4, 2);  // same count: same buffer, new contents and runs
  EXPECT_EQ(buffers[0].created, first.created);
  EXPECT_NE(buffers[0].filled, first.filled);
  EXPECT_EQ(buffers[0].runs, (std::vector<TextureRun>{{2, 4}}));
  build(0, 2);  // empty: the buffer stays, nothing is drawn
  EXPECT_EQ(buffers[0].capacity, 12);
  EXPECT_TRUE(RunsToDraw(buffers[0]).empty());
  build(5, 2);
  EXPECT_NE(buffers[0].created, first.created);
  EXPECT_EQ(test::LayerVertices(list, 0)[3].x, 1);
  // Wireframe layers draw as one run with the wireframe picture.
  list.SetLayer(1);
  for (int32_t t : {6, 5}) {
    list.SetTextureNumber(t);
    list.Triangle(C{}, C{}, C{});
  }
  list.BuildBuffers(buffers);
  EXPECT_EQ(buffers[1].runs, (std::vector<TextureRun>{{5, 1}, {6, 1}}));
  EXPECT_EQ(RunsToDraw(buffers[1]), (std::vector<DrawRun>{{8889, 0, 6}}));
  EXPECT_EQ(RunsToDraw(buffers[0]), (std::vector<DrawRun>{{2, 0, 15}}));
  EXPECT_EQ(list.BuildLayerBuffer(3, buffers).message(), "exiting prematuraly from vertex#3");
}

// A model placed through a matrix gives the very triangles (to the bit) that placing its points
// through the same matrix gives, filed into the groups of its textures in creation order, and
// written into a layer buffer as picking reads them.
TEST(DrawList, PlacedModelsAreTheTrianglesDrawnDirectly) {
  MeshModel model;
  model.points = {
      {-1.3f, 0.7f, 2.1f}, {1.1f, 0.3f, 2.2f}, {0.9f, -1.7f, 1.9f}, {-0.2f, -0.9f, 2.3f}};
  const TexCoord uv[4] = {{0.1f, 0.2f}, {0.9f, 0.2f}, {0.9f, 0.8f}, {0.1f, 0.8f}};
  for (int t = 0; t < 2; ++t) {
    MeshModel::Triangle tri;
    for (int c = 0; c < 3; ++c) {
      tri.corner[c] = DrawList::kQuadOrder[3 * t + c];
      tri.uv[c] = uv[tri.corner[c]];
    }
    model.triangles.push_back(tri);
  }
  model.triangles[1].colour = 0xFF102030;  // a colour of its own
  model.textures = {{4, 0, 1}, {9, 1, 1}};
  DrawList list;
  const uint32_t index = list.AddModel({7, 1}, model);
  EXPECT_EQ(list.FindModel({7, 1}), index);
  EXPECT_EQ(list.FindModel({7, 2}), -1);
  list.Scale(2, 2, 2);
  list.SetTextureNumber(9);
  list.Triangle({}, {1}, {0, 1});  // a triangle of the list's own first
  std::vector<BufferVertex> want[2] = {{}, test::LayerVertices(list, 0)};  // textures 4 and 9
  for (int k = 0; k < 2; ++k) {
    list.PushMatrix();
    list.Translate(0.37f * k, -1.9f, 5.3f);
    list.Rotate(false, 13.0f * k, 271.0f, -7.0f);
    list.SetPickTag({3, uint16_t(k)});
    list.PlaceModel(index, 0xFFFF0000u);
    for (int t = 0; t < 2; ++t)
      for (int c = 0; c < 3; ++c) {
        const Vec3& q = model.points[model.triangles[t].corner[c]];
        const Vec3 p = TransformPoint(list.matrix(), q.x, q.y, q.z);
        const TexCoord at = model.triangles[t].uv[c];
        want[t].push_back({p.x, p.y, p.z, t ? 0xFF102030u : 0xFFFF0000u, at.u, at.v});
      }
    list.PopMatrix();
  }
  want[0].insert(want[0].end(), want[1].begin(), want[1].end());
  EXPECT_EQ(test::LayerVertices(list, 0), want[0]);
  std::vector<uint16_t> tags;
  list.ForEachTriangle(
      [&](const BufferVertex*, const TriangleInfo& t) { tags.push_back(t.tag.index); });
  EXPECT_EQ(tags, (std::vector<uint16_t>{0, 1, 0, 0, 1}));
  std::vector<BufferVertex> written(list.total_vertices());
  list.WriteLayer(0, written.data());
  EXPECT_EQ(written, want[0]);
  LayerBuffers buffers = MakeLayerBuffers(1);
  list.BuildBuffers(buffers);
  EXPECT_EQ(buffers[0].runs, (std::vector<TextureRun>{{4, 2}, {9, 3}}));
  // A rebuild finds the models its scene placed; a scene that placed none drops them.
  list.ClearLayer(-1);
  EXPECT_EQ(list.FindModel({7, 1}), index);
  list.ClearLayer(-1);
  EXPECT_EQ(list.FindModel({7, 1}), -1);
}

}  // namespace
}  // namespace qavel
