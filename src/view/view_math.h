#pragma once
// The view's small matrix library: row vectors (a point is a row multiplied on the left of a
// matrix), left-handed axes, single-precision 4x4 matrices as the renderer takes them.

#include <cstdint>

namespace qavel {

struct Vec3 {
  float x = 0, y = 0, z = 0;
  bool operator==(const Vec3&) const = default;
};

// m[row][column]; the translation sits in row 3.
struct Mat4 {
  float m[4][4] = {};
  bool operator==(const Mat4&) const = default;
};

Mat4 Identity();
Mat4 Translation(float x, float y, float z);
Mat4 Scaling(float x, float y, float z);
// Rotations by an angle in radians, positive turning y towards z (X), z towards x (Y) and
// x towards y (Z) as seen with row vectors.
Mat4 RotationX(float radians);
Mat4 RotationY(float radians);
Mat4 RotationZ(float radians);
// a . b: first a, then b.
Mat4 Multiply(const Mat4& a, const Mat4& b);
// The inverse; a singular matrix gives the identity (never produced by the view's matrices).
Mat4 Inverse(const Mat4& a);
// Left-handed look-at and perspective (vertical field of view, width / height aspect).
Mat4 LookAtLH(Vec3 eye, Vec3 at, Vec3 up);
Mat4 PerspectiveFovLH(float fov_y, float aspect, float z_near, float z_far);

// [x y z 1] . m, without a divide (the drawing layer only ever uses affine matrices).
inline Vec3 TransformPoint(const Mat4& a, float x, float y, float z) {
  return {x * a.m[0][0] + y * a.m[1][0] + z * a.m[2][0] + a.m[3][0],
          x * a.m[0][1] + y * a.m[1][1] + z * a.m[2][1] + a.m[3][1],
          x * a.m[0][2] + y * a.m[1][2] + z * a.m[2][2] + a.m[3][2]};
}

// The pushed copies of a current matrix: 64 entries, and pushes beyond the last entry keep
// overwriting it so that drawing code that nests too deep loses matrices, never memory.
class MatrixStack {
 public:
  static constexpr int kDepth = 64;
  void Push(const Mat4& current);
  // Restores the last pushed matrix into current; at depth 0 current stays as it is.
  void Pop(Mat4& current);
  int depth() const { return depth_; }
  void Reset() { depth_ = 0; }

 private:
  Mat4 entries_[kDepth];
  int depth_ = 0;
};

}  // namespace qavel
