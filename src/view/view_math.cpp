#include "view/view_math.h"

#include <cmath>

namespace qavel {

Mat4 Identity() {
  return Scaling(1, 1, 1);
}

Mat4 Translation(float x, float y, float z) {
  Mat4 r = Identity();
  r.m[3][0] = x;
  r.m[3][1] = y;
  r.m[3][2] = z;
  return r;
}

Mat4 Scaling(float x, float y, float z) {
  Mat4 r;
  r.m[0][0] = x;
  r.m[1][1] = y;
  r.m[2][2] = z;
  r.m[3][3] = 1;
  return r;
}

Mat4 RotationX(float radians) {
  const float c = std::cos(radians), s = std::sin(radians);
  Mat4 r = Identity();
  r.m[1][1] = c;
  r.m[1][2] = s;
  r.m[2][1] = -s;
  r.m[2][2] = c;
  return r;
}

Mat4 RotationY(float radians) {
  const float c = std::cos(radians), s = std::sin(radians);
  Mat4 r = Identity();
  r.m[0][0] = c;
  r.m[0][2] = -s;
  r.m[2][0] = s;
  r.m[2][2] = c;
  return r;
}

Mat4 RotationZ(float radians) {
  const float c = std::cos(radians), s = std::sin(radians);
  Mat4 r = Identity();
  r.m[0][0] = c;
  r.m[0][1] = s;
  r.m[1][0] = -s;
  r.m[1][1] = c;
  return r;
}

Mat4 Multiply(const Mat4& a, const Mat4& b) {
  Mat4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                  a.m[i][3] * b.m[3][j];
  return r;
}

Mat4 Inverse(const Mat4& a) {
  // Cofactors in double: the view inverts only well-conditioned camera matrices, and double
  // keeps the result as close to the exact inverse as float can hold.
  double s[4][4];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) s[i][j] = a.m[i][j];
  auto minor3 = [&](int row, int col) {
    double v[3][3];
    for (int i = 0, r = 0; i < 4; ++i) {
      if (i == row) continue;
      for (int j = 0, c = 0; j < 4; ++j) {
        if (j == col) continue;
        v[r][c++] = s[i][j];
      }
      ++r;
    }
    return v[0][0] * (v[1][1] * v[2][2] - v[1][2] * v[2][1]) -
           v[0][1] * (v[1][0] * v[2][2] - v[1][2] * v[2][0]) +
           v[0][2] * (v[1][0] * v[2][1] - v[1][1] * v[2][0]);
  };
  double cof[4][4];
  double det = 0;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) cof[i][j] = ((i + j) % 2 ? -1.0 : 1.0) * minor3(i, j);
  for (int j = 0; j < 4; ++j) det += s[0][j] * cof[0][j];
  if (det == 0 || !std::isfinite(det)) return Identity();
  Mat4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = static_cast<float>(cof[j][i] / det);
  return r;
}

namespace {

Vec3 Sub(Vec3 a, Vec3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Normalised(Vec3 a) {
  const float len = std::sqrt(Dot(a, a));
  if (len == 0) return a;
  return {a.x / len, a.y / len, a.z / len};
}

}  // namespace

Mat4 LookAtLH(Vec3 eye, Vec3 at, Vec3 up) {
  const Vec3 z = Normalised(Sub(at, eye));
  const Vec3 x = Normalised(Cross(up, z));
  const Vec3 y = Cross(z, x);
  Mat4 r = Identity();
  r.m[0][0] = x.x, r.m[0][1] = y.x, r.m[0][2] = z.x;
  r.m[1][0] = x.y, r.m[1][1] = y.y, r.m[1][2] = z.y;
  r.m[2][0] = x.z, r.m[2][1] = y.z, r.m[2][2] = z.z;
  r.m[3][0] = -Dot(x, eye), r.m[3][1] = -Dot(y, eye), r.m[3][2] = -Dot(z, eye);
  return r;
}

Mat4 PerspectiveFovLH(float fov_y, float aspect, float z_near, float z_far) {
  const float y_scale = 1.0f / std::tan(fov_y / 2);
  Mat4 r;
  r.m[0][0] = y_scale / aspect;
  r.m[1][1] = y_scale;
  r.m[2][2] = z_far / (z_far - z_near);
  r.m[2][3] = 1;
  r.m[3][2] = -z_near * z_far / (z_far - z_near);
  return r;
}

void MatrixStack::Push(const Mat4& current) {
  entries_[depth_] = current;
  if (depth_ < kDepth - 1) ++depth_;
}

void MatrixStack::Pop(Mat4& current) {
  if (depth_ == 0) return;
  --depth_;
  current = entries_[depth_];
}

}  // namespace qavel
