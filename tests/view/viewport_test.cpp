// The viewport without a device: centring, drags, and rebuilds only when asked; and the matrix
// layer under it against matrices worked out by hand (row vectors, left-handed).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "view/view_math.h"
#include "view/viewport.h"

namespace qavel {
namespace {

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
