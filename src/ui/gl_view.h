#pragma once
// GlView: a 3D view on screen. It draws a viewport's layer buffers with the renderer into a
// QOpenGLWidget, forwards the mouse to the viewport (right button turns, Shift pans, Ctrl and
// the wheel zoom) and draws again without rebuilding; what it shows comes from the scene
// builder its owner gives the viewport.

#include <QColor>
#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QTimer>
#include <vector>

#include "render/gl_renderer.h"
#include "textures/texture_store.h"
#include "view/draw_list.h"
#include "view/viewport.h"

namespace qavel {

class GlView : public QOpenGLWidget {
  Q_OBJECT

 public:
  // Draws with the textures of store (which outlives the view) and the given buffer set.
  GlView(const TextureStore& store, LayerBuffers buffers, QWidget* parent);
  ~GlView() override;
  // The free camera's steps a second while a key is held.
  static constexpr double kFreeStepsPerSecond = 12;

  TGLViewport& viewport() { return viewport_; }
  const TGLViewport& viewport() const { return viewport_; }
  DrawList& list() { return list_; }
  const DrawList& list() const { return list_; }
  LayerBuffers& buffers() { return buffers_; }
  const GlRenderer& renderer() const { return renderer_; }

  // Marks the scene stale and asks for a paint; the builder runs once before the next frame.
  void rebuild();
  // The background (a colour change draws again without a rebuild).
  void setBackground(const QColor& colour);
  QColor background() const;
  void setRenderOptions(const RenderOptions& options);
  // Why this view cannot draw (no OpenGL 3.3 in its context, or no room in the driver for the
  // last frame); empty while it can.
  const QString& failure() const { return failure_; }

 signals:
  // The left button went down at a pixel of the view, after the viewport saw the press.
  void leftPressed(const QPoint& at, const MouseState& state);
  // The left button was double-clicked at a pixel of the view.
  void leftDoubleClicked(const QPoint& at);
  // The view's context could not draw, or the driver had no room for a frame.
  void failed(const QString& why);
  // The camera moved (after a frame that shows it moved).
  void cameraMoved();

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  // The free camera's keys: a press moves one step at once, and while the key is held the
  // camera keeps moving by the time that passes (key repeats add nothing).
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

  // For a scene of many rooms: which rooms a frame draws and their tints; false draws every
  // run of every layer.
  virtual bool roomsToDraw(const FrameMatrices& /*frame*/, RoomDraw& /*draw*/) { return false; }
  // A line of text drawn over the middle of the view (empty for none).
  virtual QString overlayText() const { return {}; }
  // How far one key press moves the free camera (list units), before Shift and Ctrl.
  virtual double freeStep() const { return 0.5; }

 private:
  // The context goes (the widget moved to another window or screen): its objects go with it,
  // and the next initializeGL makes them again from the store.
  void releaseContext();
  // Moves the free camera by `steps` steps along every key held (or the one given).
  void moveFree(double steps, Qt::KeyboardModifiers modifiers, int only_key = 0);
  // A held key's movement since the last tick.
  void tickHeldKeys();

  const TextureStore& store_;
  TGLViewport viewport_;
  DrawList list_;
  LayerBuffers buffers_;
  GlRenderer renderer_;
  QString failure_;
  bool had_context_ = false;
  std::vector<int> held_;  // free camera keys down, in the order pressed
  QTimer heldTicker_;
  QElapsedTimer heldClock_;
};

// The buttons and keys of a mouse event as the viewport takes them.
MouseState MouseStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers keys);

}  // namespace qavel
