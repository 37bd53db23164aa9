#pragma once
// TGLCamera and TGLViewport: the camera, the mouse-driven scene rotation, pan and zoom, camera
// centring, and the matrices of a frame, without any device. A window forwards its control's
// size and mouse events here and draws the layer buffers with the matrices PrepareFrame gives.

#include <cstdint>
#include <functional>

#include "view/scene.h"
#include "view/view_math.h"

namespace qavel {

// Eye position and mouse sensitivities.
struct TGLCamera {
  float x = 0, y = 0, z = 5.0f;
  double pan_scale = 2.0;
  double rotation_divisor = 50.0;  // mouse pixels per radian of scene rotation
  double zoom_divisor = 5.0;
  double zoom = 0;
  // The view matrix: eye (x . pan scale, -y . pan scale, z - zoom) looking 5 units down -z,
  // with y pointing down the screen.
  Mat4 Apply() const;
};

// A camera placed in list space (x, y down, z turned: 2 / 1024 of world units), turned by a
// heading (yaw, degrees: 0 looks toward the file's +z, 90 toward +x) and a pitch (degrees,
// positive looks up). `distance` is how far in front the orbit target lies.
struct LookCamera {
  double x = 0, y = 0, z = 0;
  double yaw = 0, pitch = 0;
  double distance = 10;
  // The direction the camera looks in, in list space.
  Vec3 Forward() const;
  Vec3 Target() const;
  // World units as the file stores them (y down), and back.
  static LookCamera FromWorld(double wx, double wy, double wz, double yaw, double pitch);
  void World(double& wx, double& wy, double& wz) const;
};

// Buttons held during a mouse event, and the modifier keys.
struct MouseState {
  bool left = false, right = false, middle = false;
  bool shift = false, ctrl = false, alt = false;
};

// What a frame draws with.
struct FrameMatrices {
  Mat4 world, view, projection;
  int width = 1, height = 1;  // the control, in pixels
};

class TGLViewport {
 public:
  TGLViewport() = default;

  TGLCamera& camera() { return camera_; }
  const TGLCamera& camera() const { return camera_; }

  // The control's size in pixels (a zero side counts as one, so the aspect stays finite).
  void SetControlSize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  // Window colour value (red in the low byte); the frame clears to ClearColour.
  void SetBackgroundColor(uint32_t window_colour) { background_ = window_colour; }
  uint32_t background_colour() const { return background_; }
  uint32_t ClearColour() const;  // 0xFFRRGGBB

  // The scene builder runs at the next frame after a rebuild request, once.
  void SetSceneBuilder(std::function<void()> builder) { builder_ = std::move(builder); }
  // Marks the scene stale; the caller then asks its control to repaint.
  void Rebuild() { built_ = false; }
  bool built() const { return built_; }
  // Runs a pending build now, without a frame (a click reads the list before the next paint).
  void EnsureBuilt();
  // One frame: builds the scene when a rebuild is pending, and returns the matrices.
  FrameMatrices PrepareFrame();
  // The matrices of a frame now, without building.
  FrameMatrices Matrices() const;
  uint64_t build_count() const { return builds_; }
  uint64_t frame_count() const { return frames_; }

  // Mouse events over the control. Each returns whether the view must be drawn again (moves
  // do; nothing here ever asks for a rebuild).
  bool MouseDown(const MouseState& state, int x, int y);
  bool MouseMove(const MouseState& state, int x, int y);
  bool MouseUp(const MouseState& state, int x, int y);

  // The box camera centring frames (the owner copies the room's box in first).
  ViewBox box;
  // Places the camera to show the box and resets rotation, translation and drag state.
  void CentreOnBox();
  // For a view of one object rather than a room: places the camera straight in front of the
  // box of what was drawn (list coordinates, before the world matrix) and far enough back that
  // all of it shows at the control's aspect; resets rotation and drag state as CentreOnBox
  // does. An empty box changes nothing.
  void FrameDrawnBox(const ViewBox& drawn);

  // The look camera replaces the room camera and its rotation while it is on: an orbit around
  // its target, or a free camera that moves and looks from where it stands.
  void SetLookCamera(const LookCamera& camera);
  void UseRoomCamera() { look_on_ = false; }
  bool look_on() const { return look_on_; }
  const LookCamera& look() const { return look_; }
  void set_free(bool free) { free_ = free; }
  bool free() const { return free_; }
  // Places the look camera above the box (list space) at an angle, looking at its centre, far
  // enough back that all of it shows at the control's aspect.
  void FrameFromAbove(const ViewBox& box);
  // As FrameFromAbove, from the camera's present heading and pitch.
  void FrameBox(const ViewBox& box);
  // One wheel step (notches > 0 nearer) toward the point under pixel (mx, my): the camera
  // comes a share of the way to its target and never reaches it; the room camera comes
  // nearer by its zoom and stops short of the room's front.
  void WheelZoom(double notches, int mx, int my);
  // The free camera moves along its heading (forward), sideways (right) and up by that many
  // list units, and turns by pixels of a drag.
  void MoveFree(double forward, double right, double up);
  void TurnFree(double dx_pixels, double dy_pixels);

  double pitch() const { return pitch_; }
  double yaw() const { return yaw_; }
  double roll() const { return roll_; }
  double scale_x() const { return scale_[0]; }
  double scale_y() const { return scale_[1]; }
  double scale_z() const { return scale_[2]; }
  int last_mouse_x() const { return last_x_; }
  int last_mouse_y() const { return last_y_; }

 private:
  // Rotation, translation and drag state back to rest, the drag origins at the camera.
  void ResetMotion();

  TGLCamera camera_;
  LookCamera look_;
  bool look_on_ = false, free_ = false;
  int look_start_x_ = 0, look_start_y_ = 0;
  bool looking_ = false, panning_ = false;
  int width_ = 1, height_ = 1;
  uint32_t background_ = 0;
  std::function<void()> builder_;
  bool built_ = false;
  uint64_t builds_ = 0, frames_ = 0;

  int rotate_start_x_ = 0, rotate_start_y_ = 0;
  int pan_start_x_ = 0, pan_start_y_ = 0;
  int zoom_start_x_ = 0, zoom_start_y_ = 0;
  bool rotating_ = false, zooming_ = false;
  double pitch_start_ = 0, yaw_start_ = 0;
  double camera_x_start_ = 0, camera_y_start_ = 0;
  double scale_start_[3] = {0, 0, 0};
  double zoom_start_ = 0;
  double translation_[3] = {0, 0, 0};
  double pitch_ = 0, yaw_ = 0, roll_ = 0;
  double scale_[3] = {1, 1, 1};
  int last_x_ = 0, last_y_ = 0;
};

}  // namespace qavel
