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
  for (auto [layer, texture, index] : {std::tuple{1, 7, 1},
                                       {0, 12, 2},
                                       {0, 3, 3},
                                       {0, 12, 4},
                                       {0, 8888, 5},
                                       {16, 1, 6},
                                       {0, 3, 7},
                                       {0, -1, 8}}) {
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
  EXPECT_EQ(buffers[0].vertices[3].x, 1);
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
  EXPECT_EQ(list.BuildLayerBuffer(3, buffers), "exiting prematuraly from vertex#3");
}

}  // namespace
}  // namespace qavel
