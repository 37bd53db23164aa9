// The draw list: vertex orders, the y turn, matrices, layers, order and runs, buffer reuse.

#include <gtest/gtest.h>

#include <vector>

#include "view/draw_list.h"
#include "view_fixtures.h"

namespace qavel {
namespace {

using C = DrawList::Corner;
using CC = DrawList::ColouredCorner;

// The positions of a layer's vertices in list order, as (x, y) pairs.
std::vector<std::pair<float, float>> Positions(const DrawList& list, int layer) {
  std::vector<std::pair<float, float>> out;
  for (const BufferVertex& v : test::LayerVertices(list, layer)) out.emplace_back(v.x, v.y);
  return out;
}

TEST(DrawList, QuadsOfBothKindsMakeTheSameTrianglesInTheirOwnOrders) {
  DrawList list;
  // Corners 1..4 at x = 1..4; y is handed over pointing down and turned up.
  list.Quad(C{1, 10}, C{2, 10}, C{3, 10}, C{4, 10});
  list.TexturedQuad(CC{1, 10}, CC{2, 10}, CC{3, 10}, CC{4, 10});
  list.Triangle(C{1, 10}, C{2, 10}, C{3, 10});
  list.TexturedTriangle(CC{1, 10}, CC{2, 10}, CC{3, 10});
  std::vector<float> xs;
  for (auto [x, y] : Positions(list, 0)) {
    xs.push_back(x);
    EXPECT_EQ(y, -10);
  }
  EXPECT_EQ(xs, (std::vector<float>{2, 3, 1, 4, 1, 3, 1, 3, 4, 1, 2, 3, 1, 2, 3, 1, 2, 3}));
}

TEST(DrawList, MatricesTurnYAndScaleReplaces) {
  DrawList list;
  list.LoadIdentity();
  list.Translate(5, 7, 0);  // moves by (5, -7, 0)
  list.Triangle(C{0, 1}, C{1, 1}, C{0, 2});
  list.Translate(100, 0, 0);
  list.Scale(2, 2, 2);  // discards both translations
  list.Triangle(C{1, 1}, C{1, 1}, C{1, 1});
  list.PushMatrix();
  list.Rotate(false, 0, 90, 0);  // degrees: (1, -1, 0) turns to (0, -1, -1), then doubles
  list.Triangle(C{1, 1}, C{1, 1}, C{1, 1});
  list.PopMatrix();
  const auto p = Positions(list, 0);
  EXPECT_EQ(p[0], std::make_pair(5.0f, -8.0f));
  EXPECT_EQ(p[3], std::make_pair(2.0f, -2.0f));
  EXPECT_NEAR(p[6].first, 0, 1e-6);
  EXPECT_EQ(list.matrix(), Scaling(2, 2, 2));
  EXPECT_NEAR(test::LayerVertices(list, 0)[6].z, -2, 1e-6);
}

TEST(DrawList, OrderIsLayerTextureCreationAndRunsFollowIt) {
  DrawList list;
  auto tri = [&](uint16_t layer, int32_t texture, uint16_t index) {
    list.SetLayer(layer);
    list.SetTextureNumber(texture);
    list.SetPickTag({1, index});
    list.Triangle(C{}, C{}, C{});
  };
  tri(1, 7, 1);
  tri(0, 12, 2);
  tri(0, 3, 3);
  tri(0, 12, 4);
  tri(0, 8888, 5);
  tri(16, 1, 6);  // layer 16 and beyond: dropped
  tri(0, 3, 7);
  std::vector<int> seen;
  LayerBuffers buffers = MakeLayerBuffers(2);
  list.BuildBuffers(buffers);
  list.ForEachTriangle(
      [&](const BufferVertex*, const TriangleInfo& t) { seen.push_back(t.tag.index); });
  EXPECT_EQ(seen, (std::vector<int>{3, 7, 2, 4, 5, 1}));
  EXPECT_EQ(buffers[0].runs, (std::vector<TextureRun>{{3, 2}, {12, 2}, {8888, 1}}));
  EXPECT_EQ(buffers[0].triangle_count, 5u);
  EXPECT_EQ(buffers[1].runs, (std::vector<TextureRun>{{7, 1}}));

  // Clearing one layer keeps the others and their order; new triangles come after.
  list.ClearLayer(0);
  EXPECT_EQ(list.vertex_count(0), 0);
  EXPECT_EQ(list.vertex_count(1), 3);
  list.ClearLayer(20);  // nothing
  EXPECT_EQ(list.vertex_count(1), 3);
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
    list.BuildBuffers(buffers);
  };
  build(4, 1);
  const uint64_t created = buffers[0].created, filled = buffers[0].filled;
  EXPECT_EQ(buffers[0].capacity, 12);
  build(4, 2);  // same count: same buffer, new contents and runs
  EXPECT_EQ(buffers[0].created, created);
  EXPECT_NE(buffers[0].filled, filled);
  EXPECT_EQ(buffers[0].runs, (std::vector<TextureRun>{{2, 4}}));
  build(0, 2);  // empty: the buffer stays, nothing is drawn
  EXPECT_EQ(buffers[0].capacity, 12);
  EXPECT_TRUE(RunsToDraw(buffers[0]).empty());
  build(5, 2);
  EXPECT_NE(buffers[0].created, created);
  EXPECT_EQ(buffers[0].vertices.size(), 15u);
  EXPECT_EQ(buffers[0].vertices[3].x, 1);

  // Wireframe layers draw as one run with the wireframe picture.
  list.SetLayer(1);
  list.SetTextureNumber(5);
  list.Triangle(C{}, C{}, C{});
  list.SetTextureNumber(6);
  list.Triangle(C{}, C{}, C{});
  list.BuildBuffers(buffers);
  EXPECT_EQ(buffers[1].runs.size(), 2u);
  EXPECT_EQ(RunsToDraw(buffers[1]), (std::vector<DrawRun>{{8889, 0, 6}}));
  EXPECT_EQ(RunsToDraw(buffers[0]), (std::vector<DrawRun>{{2, 0, 15}}));
  EXPECT_EQ(list.BuildLayerBuffer(3, buffers), "exiting prematuraly from vertex#3");
  EXPECT_EQ(list.BuildLayerBuffer(1, buffers), "");
}

TEST(DrawList, ColoursAreOpaqueArgbFromBytesOrWindowValues) {
  DrawList list;
  list.SetColorRGB(0x0000FF);  // window red
  list.PushColor();
  list.SetColor(1, 2, 3);
  list.Triangle(C{}, C{}, C{});
  list.PopColor();
  list.Triangle(C{}, C{}, C{});
  list.TexturedTriangle(CC{0, 0, 0, 9, 8, 7}, CC{}, CC{});
  const auto v = test::LayerVertices(list, 0);
  EXPECT_EQ(v[0].colour, 0xFF010203u);
  EXPECT_EQ(v[3].colour, 0xFFFF0000u);
  EXPECT_EQ(v[6].colour, 0xFF090807u);
}

}  // namespace
}  // namespace qavel
