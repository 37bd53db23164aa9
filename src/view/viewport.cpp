#include "view/viewport.h"

#include <algorithm>
#include <cmath>

namespace qavel {

namespace {

constexpr float kFieldOfView = 0.7853982f;  // a quarter turn over two: 45 degrees vertically
constexpr float kNearPlane = 0.1f;
constexpr float kFarPlane = 1000.0f;

}  // namespace

Mat4 TGLCamera::Apply() const {
  const Vec3 eye{static_cast<float>(x * pan_scale), static_cast<float>(-y * pan_scale),
                 static_cast<float>(z - zoom)};
  const Vec3 at{eye.x, eye.y, eye.z - 5.0f};
  return LookAtLH(eye, at, {0, -1, 0});
}

void TGLViewport::SetControlSize(int width, int height) {
  width_ = std::max(1, width);
  height_ = std::max(1, height);
}

uint32_t TGLViewport::ClearColour() const {
  const uint32_t r = background_ & 0xFF, g = (background_ >> 8) & 0xFF,
                 b = (background_ >> 16) & 0xFF;
  return 0xFF000000u | r << 16 | g << 8 | b;
}

FrameMatrices TGLViewport::Matrices() const {
  FrameMatrices f;
  f.width = width_;
  f.height = height_;
  f.view = camera_.Apply();
  f.projection =
      PerspectiveFovLH(kFieldOfView, static_cast<float>(width_) / height_, kNearPlane, kFarPlane);
  const double d = camera_.rotation_divisor;
  const Mat4 rotation = Multiply(
      Multiply(RotationY(static_cast<float>(yaw_ / d)), RotationX(static_cast<float>(-pitch_ / d))),
      RotationZ(static_cast<float>(roll_ / d)));
  f.world = Multiply(rotation, Translation(static_cast<float>(translation_[0]),
                                           static_cast<float>(translation_[1]),
                                           static_cast<float>(translation_[2])));
  return f;
}

void TGLViewport::EnsureBuilt() {
  if (built_) return;
  // Marked first: a builder that asks for a frame of its own does not run itself again.
  built_ = true;
  ++builds_;
  if (builder_) builder_();
}

FrameMatrices TGLViewport::PrepareFrame() {
  EnsureBuilt();
  ++frames_;
  return Matrices();
}

bool TGLViewport::MouseDown(const MouseState& state, int x, int y) {
  if (state.right) {
    if (!state.shift && !state.ctrl) {
      rotating_ = true;
      rotate_start_x_ = x;
      rotate_start_y_ = y;
    }
    if (state.shift) {
      pan_start_x_ = x;
      pan_start_y_ = y;
    }
  }
  return false;
}

bool TGLViewport::MouseMove(const MouseState& state, int x, int y) {
  last_x_ = x;
  last_y_ = y;
  if (rotating_ && !state.shift) {
    yaw_ = yaw_start_ + (x - rotate_start_x_);
    pitch_ = pitch_start_ + (y - rotate_start_y_);
  }
  if (state.right && state.shift) {
    // Panning goes twice as far per pixel while zoomed in past the start.
    const double step = camera_.zoom < 0 ? 25 : 50;
    camera_.x = static_cast<float>(camera_x_start_ - (x - pan_start_x_) / step);
    camera_.y = static_cast<float>(camera_y_start_ + (y - pan_start_y_) / step);
  }
  if (state.right && state.ctrl) {
    if (!zooming_) {
      zooming_ = true;
      std::copy(scale_, scale_ + 3, scale_start_);
      zoom_start_ = camera_.zoom;
      zoom_start_x_ = x;
      zoom_start_y_ = y;
    }
    const double travel = (y - zoom_start_y_) / camera_.zoom_divisor;
    for (int i = 0; i < 3; ++i) scale_[i] = std::max(0.0, travel + scale_start_[i]);
    camera_.zoom = travel + zoom_start_;
  }
  if (!state.ctrl) zooming_ = false;
  return true;
}

bool TGLViewport::MouseUp(const MouseState& /*state*/, int /*x*/, int /*y*/) {
  rotating_ = false;
  zooming_ = false;
  pitch_start_ = pitch_;
  yaw_start_ = yaw_;
  camera_x_start_ = camera_.x;
  camera_y_start_ = camera_.y;
  return false;
}

void TGLViewport::CentreOnBox() {
  const double w = box.max_x - box.min_x, h = box.max_y - box.min_y;
  const double cx = w / 2 + box.min_x;
  const double cy = h / 2 + box.min_y;
  const double front_z = box.max_z + 5.0;
  const double fx = std::abs(w) > 6 ? 6 / std::abs(w) : 1;
  const double fy = std::abs(h) > 4 ? 4 / std::abs(h) : 1;
  const double f = std::min(fx, fy);
  const double ex = std::abs(w) > 6 ? std::abs(w) - 6 : 0;
  const double ey = std::abs(h) > 4 ? std::abs(h) - 4 : 0;
  const double e = std::max(ex, ey);
  camera_.x = static_cast<float>(cx * f);
  camera_.y = static_cast<float>(cy * f);
  camera_.z = static_cast<float>(front_z + e);
  camera_.zoom = 0;
  for (double& s : scale_) s = camera_.zoom_divisor * f;
  ResetMotion();
}

void TGLViewport::FrameDrawnBox(const ViewBox& drawn) {
  if (drawn.min_x > drawn.max_x || drawn.min_y > drawn.max_y || drawn.min_z > drawn.max_z)
    return;  // nothing drawn
  // The front of the box is nearest the eye and needs the widest view: from there the eye
  // stands back until the box's half height and half width fit the field of view, plus a
  // tenth for a margin.
  const double half_w = (drawn.max_x - drawn.min_x) / 2, half_h = (drawn.max_y - drawn.min_y) / 2;
  const double slope = std::tan(kFieldOfView / 2.0);
  const double aspect = static_cast<double>(width_) / height_;
  const double distance = std::max(half_h / slope, half_w / (slope * aspect)) * 1.1;
  // The eye is (x, -y) times the pan scale, so the camera holds the centre divided by it.
  camera_.x = static_cast<float>((drawn.min_x + half_w) / camera_.pan_scale);
  camera_.y = static_cast<float>(-(drawn.min_y + half_h) / camera_.pan_scale);
  camera_.z = static_cast<float>(drawn.max_z + distance + kNearPlane);
  camera_.zoom = 0;
  for (double& s : scale_) s = camera_.zoom_divisor;
  ResetMotion();
}

void TGLViewport::ResetMotion() {
  std::fill(translation_, translation_ + 3, 0.0);
  pitch_ = yaw_ = roll_ = 0;
  rotating_ = zooming_ = false;
  rotate_start_x_ = rotate_start_y_ = pan_start_x_ = pan_start_y_ = 0;
  zoom_start_x_ = zoom_start_y_ = 0;
  pitch_start_ = yaw_start_ = 0;
  camera_x_start_ = camera_.x;
  camera_y_start_ = camera_.y;
  std::copy(scale_, scale_ + 3, scale_start_);
  zoom_start_ = camera_.zoom;
  last_x_ = last_y_ = 0;
}

}  // namespace qavel
