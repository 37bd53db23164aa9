#include "ui/gl_view.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

namespace qavel {

MouseState MouseStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers keys) {
  MouseState s;
  s.left = buttons & Qt::LeftButton;
  s.right = buttons & Qt::RightButton;
  s.middle = buttons & Qt::MiddleButton;
  s.shift = keys & Qt::ShiftModifier;
  s.ctrl = keys & Qt::ControlModifier;
  s.alt = keys & Qt::AltModifier;
  return s;
}

GlView::GlView(const TextureStore& store, LayerBuffers buffers, QWidget* parent)
    : QOpenGLWidget(parent), store_(store), buffers_(std::move(buffers)) {
  setFormat(ViewSurfaceFormat());
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  setMinimumSize(16, 16);
  // About a frame apart: the camera moves smoothly while a key is held.
  heldTicker_.setInterval(16);
  connect(&heldTicker_, &QTimer::timeout, this, &GlView::tickHeldKeys);
}

GlView::~GlView() {
  releaseContext();
  // The base class destroys the context after this class is gone: its last signal must not
  // reach us.
  if (QOpenGLContext* c = context()) disconnect(c, nullptr, this, nullptr);
}

void GlView::rebuild() {
  viewport_.Rebuild();
  update();
}

void GlView::setBackground(const QColor& colour) {
  viewport_.SetBackgroundColor(static_cast<uint32_t>(colour.red()) |
                               static_cast<uint32_t>(colour.green()) << 8 |
                               static_cast<uint32_t>(colour.blue()) << 16);
  update();
}

QColor GlView::background() const {
  const uint32_t c = viewport_.background_colour();
  return {static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
          static_cast<int>((c >> 16) & 0xFF)};
}

void GlView::setRenderOptions(const RenderOptions& options) {
  renderer_.set_options(options);
  update();
}

void GlView::initializeGL() {
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &GlView::releaseContext,
          Qt::UniqueConnection);
  const Result ready = renderer_.Initialize();
  if (!ready) {
    failure_ = QString::fromStdString(ready.message());
    emit failed(failure_);
    return;
  }
  failure_.clear();
  // A context made again (after the widget changed window or screen) starts without textures:
  // every record of the store is made again at once, not only those the next frame meets.
  // (A texture the device refuses draws as none, as at any other upload.)
  if (had_context_) static_cast<void>(renderer_.textures().RestoreTextures(store_, -1));
  had_context_ = true;
}

void GlView::releaseContext() {
  if (!renderer_.ready() || !context()) return;
  makeCurrent();
  renderer_.Release();
  doneCurrent();
}

void GlView::resizeGL(int w, int h) {
  // The viewport works in the widget's pixels, as the mouse reports them; the renderer draws
  // into the device pixels of the framebuffer.
  (void)w;
  (void)h;
  viewport_.SetControlSize(width(), height());
}

void GlView::paintGL() {
  const FrameMatrices frame = viewport_.PrepareFrame();
  const qreal ratio = devicePixelRatioF();
  // Without a renderer the frame only shows the background, and initializeGL said why.
  const bool ready = renderer_.ready();
  RoomDraw rooms;
  const bool some = roomsToDraw(frame, rooms);
  const Result drawn = renderer_.DrawFrame(
      list_, buffers_, frame, viewport_.ClearColour(), store_, static_cast<int>(width() * ratio),
      static_cast<int>(height() * ratio), some ? &rooms : nullptr);
  if (const QString text = overlayText(); !text.isEmpty()) {
    QPainter painter(this);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, text);
  }
  emit cameraMoved();
  if (!ready) return;
  // A frame the driver cannot hold is told once, not at every paint.
  const QString why = drawn ? QString() : QString::fromStdString(drawn.message());
  if (why == failure_) return;
  failure_ = why;
  if (!why.isEmpty()) emit failed(why);
}

void GlView::mousePressEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  const MouseState state = MouseStateOf(e->buttons(), e->modifiers());
  if (viewport_.MouseDown(state, at.x(), at.y())) update();
  if (e->button() == Qt::LeftButton) emit leftPressed(at, state);
  e->accept();
}

void GlView::mouseMoveEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (viewport_.MouseMove(MouseStateOf(e->buttons(), e->modifiers()), at.x(), at.y())) update();
  e->accept();
}

void GlView::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (viewport_.MouseUp(MouseStateOf(e->buttons(), e->modifiers()), at.x(), at.y())) update();
  e->accept();
}

void GlView::wheelEvent(QWheelEvent* e) {
  // Forward brings the eye nearer the point under the cursor, as in other 3D tools, and never
  // past what it looks at.
  const double notches = e->angleDelta().y() / 120.0;
  if (notches == 0) return;
  const QPoint at = e->position().toPoint();
  viewport_.WheelZoom(notches, at.x(), at.y());
  update();
  e->accept();
}

void GlView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) emit leftDoubleClicked(e->position().toPoint());
  e->accept();
}

namespace {

bool IsFreeCameraKey(int key) {
  switch (key) {
    case Qt::Key_W:
    case Qt::Key_S:
    case Qt::Key_A:
    case Qt::Key_D:
    case Qt::Key_Q:
    case Qt::Key_E:
      return true;
    default:
      return false;
  }
}

}  // namespace

void GlView::moveFree(double steps, Qt::KeyboardModifiers modifiers, int only_key) {
  // Shift moves faster and Ctrl slower (Alt opens the menus).
  double step = freeStep() * steps;
  if (modifiers & Qt::ShiftModifier) step *= 4;
  if (modifiers & Qt::ControlModifier) step /= 4;
  double forward = 0, right = 0, up = 0;
  auto add = [&](int key) {
    switch (key) {
      case Qt::Key_W:
        forward += step;
        break;
      case Qt::Key_S:
        forward -= step;
        break;
      case Qt::Key_D:
        right += step;
        break;
      case Qt::Key_A:
        right -= step;
        break;
      case Qt::Key_E:
        up += step;
        break;
      case Qt::Key_Q:
        up -= step;
        break;
      default:
        break;
    }
  };
  if (only_key)
    add(only_key);
  else
    for (int key : held_) add(key);
  if (forward == 0 && right == 0 && up == 0) return;
  viewport_.MoveFree(forward, right, up);
  update();
}

void GlView::tickHeldKeys() {
  if (held_.empty() || !viewport_.look_on() || !viewport_.free()) {
    held_.clear();
    heldTicker_.stop();
    return;
  }
  const double seconds = static_cast<double>(heldClock_.restart()) / 1000;
  moveFree(seconds * kFreeStepsPerSecond, QGuiApplication::queryKeyboardModifiers());
}

void GlView::keyPressEvent(QKeyEvent* e) {
  if (!viewport_.look_on() || !viewport_.free() || !IsFreeCameraKey(e->key())) {
    QOpenGLWidget::keyPressEvent(e);
    return;
  }
  e->accept();
  // The repeats of a held key: the ticker already moves by the time held.
  if (e->isAutoRepeat()) return;
  if (std::find(held_.begin(), held_.end(), e->key()) == held_.end()) held_.push_back(e->key());
  moveFree(1, e->modifiers(), e->key());
  if (!heldTicker_.isActive()) {
    heldClock_.start();
    heldTicker_.start();
  }
}

void GlView::keyReleaseEvent(QKeyEvent* e) {
  if (!IsFreeCameraKey(e->key()) || e->isAutoRepeat()) {
    QOpenGLWidget::keyReleaseEvent(e);
    return;
  }
  e->accept();
  std::erase(held_, e->key());
  if (held_.empty()) heldTicker_.stop();
}

void GlView::focusOutEvent(QFocusEvent* e) {
  held_.clear();
  heldTicker_.stop();
  QOpenGLWidget::focusOutEvent(e);
}

}  // namespace qavel
