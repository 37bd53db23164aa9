#include "view/viewport.h"

#include <algorithm>
#include <cmath>

#include "view/picking.h"

namespace qavel {

namespace {

constexpr float kFieldOfView = 0.7853982f;  // a quarter turn over two: 45 degrees vertically
constexpr float kNearPlane = 0.1f;
constexpr float kFarPlane = 1000.0f;

constexpr double kDegrees = 3.14159265358979323846 / 180;
constexpr double kListPerWorld = 2.0 / 1024;
// How near the look camera may come to its target, and the room camera to the room's middle.
constexpr double kNearestTarget = 0.25;
constexpr double kNearestRoom = 1.0;
constexpr double kFarthest = 900.0;

}  // namespace

Vec3 LookCamera::Forward() const {
  const double y = yaw * kDegrees, p = pitch * kDegrees;
  return {static_cast<float>(std::sin(y) * std::cos(p)), static_cast<float>(-std::sin(p)),
          static_cast<float>(-std::cos(y) * std::cos(p))};
}

Vec3 LookCamera::Target() const {
  const Vec3 f = Forward();
  return {static_cast<float>(x + f.x * distance), static_cast<float>(y + f.y * distance),
          static_cast<float>(z + f.z * distance)};
}

LookCamera LookCamera::FromWorld(double wx, double wy, double wz, double yaw, double pitch) {
  LookCamera c;
  c.x = wx * kListPerWorld;
  c.y = wy * kListPerWorld;
  c.z = -wz * kListPerWorld;
  c.yaw = yaw;
  c.pitch = std::clamp(pitch, -89.0, 89.0);
  return c;
}

void LookCamera::World(double& wx, double& wy, double& wz) const {
  wx = x / kListPerWorld;
  wy = y / kListPerWorld;
  wz = -z / kListPerWorld;
}

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
  f.projection =
      PerspectiveFovLH(kFieldOfView, static_cast<float>(width_) / height_, kNearPlane, kFarPlane);
  if (look_on_) {
    const Vec3 eye{static_cast<float>(look_.x), static_cast<float>(look_.y),
                   static_cast<float>(look_.z)};
    const Vec3 f3 = look_.Forward();
    f.view = LookAtLH(eye, {eye.x + f3.x, eye.y + f3.y, eye.z + f3.z}, {0, -1, 0});
    f.world = Identity();
    return f;
  }
  f.view = camera_.Apply();
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
  if (look_on_) {
    if (state.right) {
      looking_ = !state.shift;
      panning_ = state.shift;
      look_start_x_ = x;
      look_start_y_ = y;
    }
    return false;
  }
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
  if (look_on_) {
    if (!state.right) {
      looking_ = panning_ = false;
      return true;
    }
    const int dx = x - look_start_x_, dy = y - look_start_y_;
    look_start_x_ = x;
    look_start_y_ = y;
    if (panning_) {
      // The target moves with the mouse: a pixel is as wide as at the target's distance.
      const double per_pixel =
          2 * look_.distance * std::tan(kFieldOfView / 2.0) / std::max(1, height_);
      const double yaw = look_.yaw * kDegrees;
      const Vec3 right{static_cast<float>(std::cos(yaw)), 0, static_cast<float>(std::sin(yaw))};
      look_.x -= right.x * dx * per_pixel;
      look_.z -= right.z * dx * per_pixel;
      look_.y -= dy * per_pixel;
    } else if (looking_) {
      if (free_) {
        TurnFree(dx, dy);
      } else {
        const Vec3 target = look_.Target();
        TurnFree(dx, dy);
        const Vec3 f = look_.Forward();
        look_.x = target.x - f.x * look_.distance;
        look_.y = target.y - f.y * look_.distance;
        look_.z = target.z - f.z * look_.distance;
      }
    }
    return true;
  }
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
  looking_ = panning_ = false;
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

void TGLViewport::SetLookCamera(const LookCamera& camera) {
  look_ = camera;
  look_.pitch = std::clamp(look_.pitch, -89.0, 89.0);
  look_.distance = std::max(look_.distance, kNearestTarget);
  look_on_ = true;
  looking_ = panning_ = false;
}

void TGLViewport::FrameBox(const ViewBox& box) {
  if (box.min_x > box.max_x || box.min_y > box.max_y || box.min_z > box.max_z) return;
  const double c[3] = {(box.min_x + box.max_x) / 2, (box.min_y + box.max_y) / 2,
                       (box.min_z + box.max_z) / 2};
  LookCamera cam = look_;
  const Vec3 f = cam.Forward();
  const double yaw = cam.yaw * kDegrees;
  const double right[3] = {std::cos(yaw), 0, std::sin(yaw)};
  const double fw[3] = {f.x, f.y, f.z};
  const double up[3] = {fw[1] * right[2] - fw[2] * right[1], fw[2] * right[0] - fw[0] * right[2],
                        fw[0] * right[1] - fw[1] * right[0]};
  // The eye stands back along the heading until every corner lies within both fields of view.
  const double tan_y = std::tan(kFieldOfView / 2.0);
  const double tan_x = tan_y * width_ / height_;
  double distance = kNearestTarget;
  for (int corner = 0; corner < 8; ++corner) {
    const double p[3] = {(corner & 1 ? box.max_x : box.min_x) - c[0],
                         (corner & 2 ? box.max_y : box.min_y) - c[1],
                         (corner & 4 ? box.max_z : box.min_z) - c[2]};
    auto dot = [&p](const double* v) { return p[0] * v[0] + p[1] * v[1] + p[2] * v[2]; };
    const double depth = dot(fw);
    distance = std::max(
        {distance, std::abs(dot(right)) / tan_x - depth, std::abs(dot(up)) / tan_y - depth});
  }
  distance *= 1.05;
  cam.distance = distance;
  cam.x = c[0] - f.x * distance;
  cam.y = c[1] - f.y * distance;
  cam.z = c[2] - f.z * distance;
  SetLookCamera(cam);
}

void TGLViewport::FrameFromAbove(const ViewBox& box) {
  look_.yaw = 0;
  look_.pitch = -50;
  FrameBox(box);
}

void TGLViewport::WheelZoom(double notches, int mx, int my) {
  if (notches == 0) return;
  const FrameMatrices frame = Matrices();
  const PickRay ray = RayThroughPixel(frame, mx, my);
  const double length =
      std::sqrt(ray.direction[0] * ray.direction[0] + ray.direction[1] * ray.direction[1] +
                ray.direction[2] * ray.direction[2]);
  if (!look_on_) {
    // The room camera looks down -z at the room's middle: it comes nearer along the ray under
    // the cursor (whose z step is one) and stops short of the middle.
    const double eye_z = camera_.z - camera_.zoom;
    double step = notches * 2.0;
    step = std::min(step, eye_z - kNearestRoom);
    step = std::max(step, eye_z - kFarthest);
    if (notches > 0 && step <= 0) return;
    const double dz = std::abs(ray.direction[2]) > 1e-9 ? -ray.direction[2] : 1;
    camera_.x += static_cast<float>(ray.direction[0] / dz * step / camera_.pan_scale);
    camera_.y -= static_cast<float>(ray.direction[1] / dz * step / camera_.pan_scale);
    camera_.zoom += step;
    camera_x_start_ = camera_.x;
    camera_y_start_ = camera_.y;
    return;
  }
  if (notches > 0) {
    // A share of the distance for each notch; near the target the steps shrink to nothing.
    const double keep = std::pow(0.8, notches);
    const double distance = std::max(kNearestTarget, look_.distance * keep);
    const double step = look_.distance - distance;
    if (step <= 0 || length <= 0) return;
    look_.x += ray.direction[0] / length * step;
    look_.y += ray.direction[1] / length * step;
    look_.z += ray.direction[2] / length * step;
    look_.distance = distance;
  } else {
    const double distance = std::min(kFarthest, look_.distance * std::pow(1.25, -notches));
    const Vec3 f = look_.Forward();
    const double step = distance - look_.distance;
    look_.x -= f.x * step;
    look_.y -= f.y * step;
    look_.z -= f.z * step;
    look_.distance = distance;
  }
}

void TGLViewport::MoveFree(double forward, double right, double up) {
  const Vec3 f = look_.Forward();
  const double yaw = look_.yaw * kDegrees;
  look_.x += f.x * forward + std::cos(yaw) * right;
  look_.y += f.y * forward - up;
  look_.z += f.z * forward + std::sin(yaw) * right;
}

void TGLViewport::TurnFree(double dx_pixels, double dy_pixels) {
  constexpr double kDegreesPerPixel = 0.25;
  look_.yaw = std::fmod(look_.yaw + dx_pixels * kDegreesPerPixel + 360.0, 360.0);
  look_.pitch = std::clamp(look_.pitch - dy_pixels * kDegreesPerPixel, -89.0, 89.0);
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
