// The matrix layer against matrices worked out by hand (row vectors, left-handed).

#include <gtest/gtest.h>

#include <cmath>

#include "view/view_math.h"

namespace qavel {
namespace {

void ExpectNear(const Mat4& a, const Mat4& b, float eps = 1e-6f) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(a.m[i][j], b.m[i][j], eps) << "at " << i << "," << j;
}

Mat4 Rows(std::initializer_list<float> v) {
  Mat4 r;
  auto it = v.begin();
  for (auto& row : r.m)
    for (float& x : row) x = *it++;
  return r;
}

TEST(ViewMath, QuarterTurnsMoveAxesTheLeftHandedWay) {
  const float q = static_cast<float>(M_PI / 2);
  // A point on +y turns to +z about x; +z to +x about y; +x to +y about z.
  struct Case {
    Mat4 m;
    Vec3 from, to;
  } cases[] = {{RotationX(q), {0, 1, 0}, {0, 0, 1}},
               {RotationY(q), {0, 0, 1}, {1, 0, 0}},
               {RotationZ(q), {1, 0, 0}, {0, 1, 0}}};
  for (const Case& c : cases) {
    const Vec3 p = TransformPoint(c.m, c.from.x, c.from.y, c.from.z);
    EXPECT_NEAR(p.x, c.to.x, 1e-6);
    EXPECT_NEAR(p.y, c.to.y, 1e-6);
    EXPECT_NEAR(p.z, c.to.z, 1e-6);
  }
}

TEST(ViewMath, ProductAppliesLeftFactorFirst) {
  // Turn then move: (1,0,0) -> (0,1,0) -> (10,1,0); the other order moves then turns.
  const Mat4 turn = RotationZ(static_cast<float>(M_PI / 2));
  const Vec3 a = TransformPoint(Multiply(turn, Translation(10, 0, 0)), 1, 0, 0);
  const Vec3 b = TransformPoint(Multiply(Translation(10, 0, 0), turn), 1, 0, 0);
  EXPECT_NEAR(a.x, 10, 1e-5);
  EXPECT_NEAR(a.y, 1, 1e-5);
  EXPECT_NEAR(b.x, 0, 1e-5);
  EXPECT_NEAR(b.y, 11, 1e-5);
}

TEST(ViewMath, LookAtAndPerspectiveByHand) {
  // The camera's default: eye (0,0,5) looking down -z with y down the screen.
  ExpectNear(LookAtLH({0, 0, 5}, {0, 0, 0}, {0, -1, 0}),
             Rows({1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 5, 1}));
  // The window's initial view: eye (0,0,5) towards the origin with y up.
  ExpectNear(LookAtLH({0, 0, 5}, {0, 0, 0}, {0, 1, 0}),
             Rows({-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 5, 1}));
  // 90 degrees, aspect 2, planes 1 and 3: cot 45 = 1, zf/(zf-zn) = 1.5, -zn zf/(zf-zn) = -1.5.
  ExpectNear(PerspectiveFovLH(static_cast<float>(M_PI / 2), 2, 1, 3),
             Rows({0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.5f, 1, 0, 0, -1.5f, 0}));
}

TEST(ViewMath, InverseUndoesACameraMatrix) {
  const Mat4 m = Multiply(Multiply(RotationY(0.7f), RotationX(-0.3f)), Translation(3, -2, 9));
  ExpectNear(Multiply(m, Inverse(m)), Identity(), 1e-5f);
  ExpectNear(Inverse(Translation(1, 2, 3)), Translation(-1, -2, -3));
  ExpectNear(Inverse(Mat4{}), Identity());  // singular: the identity, never NaN
}

TEST(ViewMath, StackKeepsSixtyFourAndPopsAtZeroChangeNothing) {
  MatrixStack stack;
  Mat4 current;
  for (int k = 1; k <= 64; ++k) stack.Push(Translation(float(k), 0, 0));
  EXPECT_EQ(stack.depth(), 63);
  stack.Pop(current);  // the 64th push overwrote entry 63; the first pop gives the 63rd
  EXPECT_EQ(current, Translation(63, 0, 0));
  for (int k = 0; k < 70; ++k) stack.Pop(current);
  EXPECT_EQ(stack.depth(), 0);
  EXPECT_EQ(current, Translation(1, 0, 0));  // pops at depth 0 left it alone
}

}  // namespace
}  // namespace qavel
