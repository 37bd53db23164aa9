// The draw list (vertex orders and colours, the y turn, matrices, list order and runs, layers,
// and buffers made anew only when a layer's count changes), and the viewport without a device
// (centring, drags, and rebuilds only when asked) with the matrix layer under it against
// matrices worked out by hand (row vectors, left-handed).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "view/view_math.h"
#include "view/viewport.h"
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

MouseState Right(bool shift = false, bool ctrl = false) {
  return {.right = true, .shift = shift, .ctrl = ctrl};
}

void Drag(TGLViewport& vp, MouseState s, int x0, int y0, std::initializer_list<int> moves) {
  vp.MouseDown(s, x0, y0);
  for (auto it = moves.begin(); it != moves.end(); it += 2) vp.MouseMove(s, it[0], it[1]);
  vp.MouseUp(s, 0, 0);
}

TEST(Viewport, CentringATwelveByFourBoxAndASmallOne) {
  TGLViewport vp;
  vp.box = {-6, -2, 0, 6, 2, 1};
  vp.MouseDown(Right(), 0, 0);
  vp.CentreOnBox();  // f = 6 / 12 = 0.5, e = 12 - 6 = 6: z = 1 + 5 + 6
  EXPECT_EQ(vp.camera().z, 12);
  EXPECT_EQ(vp.scale_x(), 2.5);
  vp.MouseMove(Right(), 90, 90);  // the drag ended with the centring
  EXPECT_EQ(vp.yaw(), 0);
  vp.box = {1, 1, 0, 3, 2, 0};  // small boxes are not scaled: centre (2, 1.5)
  vp.CentreOnBox();
  EXPECT_EQ((std::vector<float>{vp.camera().x, vp.camera().y, vp.camera().z}),
            (std::vector<float>{2, 1.5, 5}));
}

TEST(Viewport, FramingADrawnBoxShowsAllOfItAndFillsTheView) {
  for (const ViewBox box : {ViewBox{-1, -5, -2, 3, 4, 1}, ViewBox{8, 0, 0, 20, 1, 0.5}}) {
    TGLViewport vp;
    vp.SetControlSize(300, 200);
    vp.MouseDown(Right(), 0, 0);
    vp.MouseMove(Right(), 40, 10);
    vp.FrameDrawnBox(box);
    EXPECT_EQ(vp.yaw(), 0);
    const FrameMatrices f = vp.Matrices();
    const Mat4 m = Multiply(Multiply(f.world, f.view), f.projection);
    double widest = 0;
    for (double x : {box.min_x, box.max_x})
      for (double y : {box.min_y, box.max_y})
        for (double z : {box.min_z, box.max_z}) {
          const auto X = static_cast<float>(x), Y = static_cast<float>(y),
                     Z = static_cast<float>(z);
          const float w = X * m.m[0][3] + Y * m.m[1][3] + Z * m.m[2][3] + m.m[3][3];
          const Vec3 p = TransformPoint(m, X, Y, Z);
          ASSERT_GT(w, 0.1f);
          EXPECT_LE(std::abs(p.x / w), 1.0f);
          EXPECT_LE(std::abs(p.y / w), 1.0f);
          widest = std::max({widest, std::abs(double{p.x} / w), std::abs(double{p.y} / w)});
        }
    EXPECT_GT(widest, 0.85);
  }
  TGLViewport vp;
  vp.FrameDrawnBox({});  // nothing drawn: the camera stays
  EXPECT_EQ(vp.camera().z, 5);
}

TEST(Viewport, DragsRotatePanAndZoom) {
  TGLViewport vp;
  Drag(vp, Right(), 10, 10, {60, 35});
  Drag(vp, Right(), 0, 0, {50, 0});  // rotation goes on from where the last drag ended
  EXPECT_EQ(vp.yaw(), 100);
  EXPECT_EQ(vp.pitch(), 25);
  const Mat4 world = Multiply(RotationY(2.0f), RotationX(-0.5f));
  for (int i = 0; i < 16; ++i)
    EXPECT_NEAR(vp.Matrices().world.m[i / 4][i % 4], world.m[i / 4][i % 4], 1e-6);
  // Panning continues from the last mouse-up, not from this mouse-down, and never rotates.
  Drag(vp, Right(true), 100, 100, {150, 75});
  EXPECT_EQ(std::pair(vp.camera().x, vp.camera().y), std::pair(-1.0f, -0.5f));
  Drag(vp, Right(true), 0, 0, {50, 0});
  EXPECT_EQ(vp.camera().x, -2);
  EXPECT_EQ(vp.yaw(), 100);
  // Zooming: the scales stop at 0, the camera zoom goes on; then a pan goes twice as far.
  Drag(vp, Right(false, true), 0, 100, {0, 100, 0, 0, 0, -50});
  EXPECT_EQ(vp.scale_y(), 0);
  EXPECT_EQ(vp.camera().zoom, -30);
  Drag(vp, Right(true), 0, 0, {50, 0});
  EXPECT_EQ(vp.camera().x, -4);
  // The eye: (x . 2, -y . 2, z - zoom).
  EXPECT_NEAR(vp.Matrices().view.m[3][0], 8, 1e-5);
  EXPECT_NEAR(vp.Matrices().view.m[3][2], 35, 1e-4);
}

TEST(Viewport, OnlyRebuildRequestsRunTheSceneBuilder) {
  TGLViewport vp;
  int builds = 0;
  vp.SetSceneBuilder([&] { ++builds; });
  vp.SetControlSize(800, 0);  // a zero side counts as one
  vp.PrepareFrame();
  for (int x = 0; x < 5; ++x) {
    EXPECT_TRUE(vp.MouseMove(Right(), x, x));
    vp.PrepareFrame();
  }
  EXPECT_EQ(builds, 1);
  vp.Rebuild();
  vp.Rebuild();
  vp.PrepareFrame();
  vp.PrepareFrame();
  EXPECT_EQ(builds, 2);
  EXPECT_EQ(vp.build_count(), 2u);
  EXPECT_EQ(vp.frame_count(), 8u);
  EXPECT_NEAR(vp.Matrices().projection.m[0][0] * 800, vp.Matrices().projection.m[1][1], 1e-3);
}

void ExpectNear(const Mat4& a, std::initializer_list<float> rows, float eps = 1e-6f) {
  auto it = rows.begin();
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(a.m[i][j], *it++, eps) << "at " << i << "," << j;
}

TEST(ViewMath, QuarterTurnsAndProductOrder) {
  const float q = float(M_PI / 2);
  // +y turns to +z about x, +z to +x about y, +x to +y about z.
  EXPECT_NEAR(TransformPoint(RotationX(q), 0, 1, 0).z, 1, 1e-6);
  EXPECT_NEAR(TransformPoint(RotationY(q), 0, 0, 1).x, 1, 1e-6);
  EXPECT_NEAR(TransformPoint(RotationZ(q), 1, 0, 0).y, 1, 1e-6);
  // a . b applies a first: turn then move, or move then turn.
  const Vec3 a = TransformPoint(Multiply(RotationZ(q), Translation(10, 0, 0)), 1, 0, 0);
  const Vec3 b = TransformPoint(Multiply(Translation(10, 0, 0), RotationZ(q)), 1, 0, 0);
  EXPECT_NEAR(a.x, 10, 1e-5);
  EXPECT_NEAR(b.y, 11, 1e-5);
}

TEST(ViewMath, LookAtPerspectiveAndInverseByHand) {
  // The camera: eye (0,0,5) looking down -z with y down the screen; then with y up.
  ExpectNear(LookAtLH({0, 0, 5}, {0, 0, 0}, {0, -1, 0}),
             {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 5, 1});
  ExpectNear(LookAtLH({0, 0, 5}, {0, 0, 0}, {0, 1, 0}),
             {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 5, 1});
  // 90 degrees, aspect 2, planes 1 and 3: cot 45 = 1, zf/(zf-zn) = 1.5, -zn zf/(zf-zn) = -1.5.
  ExpectNear(PerspectiveFovLH(float(M_PI / 2), 2, 1, 3),
             {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.5f, 1, 0, 0, -1.5f, 0});
  const Mat4 m = Multiply(Multiply(RotationY(0.7f), RotationX(-0.3f)), Translation(3, -2, 9));
  ExpectNear(Multiply(m, Inverse(m)), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 1e-5f);
  EXPECT_EQ(Inverse(Mat4{}), Identity());  // singular: the identity, never NaN
}

TEST(ViewMath, StackKeepsSixtyFourAndPopsAtZeroChangeNothing) {
  MatrixStack stack;
  Mat4 current;
  for (int k = 1; k <= 64; ++k) stack.Push(Translation(float(k), 0, 0));
  EXPECT_EQ(stack.depth(), 63);
  stack.Pop(current);  // the 64th push overwrote entry 63: the first pop gives the 63rd
  EXPECT_EQ(current, Translation(63, 0, 0));
  for (int k = 0; k < 70; ++k) stack.Pop(current);
  EXPECT_EQ(current, Translation(1, 0, 0));  // pops at depth 0 left it alone
}

}  // namespace
}  // namespace qavel
