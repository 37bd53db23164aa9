// The matrix layer against matrices worked out by hand (row vectors, left-handed).

#include <gtest/gtest.h>

#include <cmath>

#include "view/view_math.h"

namespace qavel {
namespace {

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
