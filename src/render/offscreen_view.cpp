#include "render/offscreen_view.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <algorithm>
#include <cstdlib>

namespace qavel {

void ChooseHeadlessPlatform() {
  if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "wayland;xcb;offscreen");
  else if (qEnvironmentVariableIsSet("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "xcb;offscreen");
  else
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

OffscreenView::OffscreenView() = default;

OffscreenView::~OffscreenView() {
  Destroy();
}

void OffscreenView::Destroy() {
  if (context_ && MakeCurrent()) {
    renderer_.Release();
    target_.reset();
    context_->doneCurrent();
  }
  renderer_.Release();
  target_.reset();
  context_.reset();
  surface_.reset();
}

Result OffscreenView::MakeCurrent() {
  if (context_ && surface_ && context_->makeCurrent(surface_.get())) return Result::Ok();
  return Result::Fail(Status::kFailed, "the view's OpenGL context cannot be made current");
}

namespace {

// The largest side of a picture the current context draws: its framebuffer is a texture with
// a depth and stencil buffer beside it, seen through the viewport.
int LargestSide(QOpenGLFunctions& gl) {
  int renderbuffer = 0, texture = 0, viewport[2] = {0, 0};
  gl.glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
  gl.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
  gl.glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  return std::min({renderbuffer, texture, viewport[0], viewport[1]});
}

}  // namespace

Result OffscreenView::Create(int width, int height) {
  Destroy();
  auto fail = [this](Status status, std::string why) {
    Destroy();
    return Result::Fail(status, std::move(why));
  };
  auto context = std::make_unique<QOpenGLContext>();
  context->setFormat(ViewSurfaceFormat());
  if (!context->create())
    return fail(Status::kFailed, "no OpenGL context could be made on the \"" +
                                     QGuiApplication::platformName().toStdString() + "\" platform");
  auto surface = std::make_unique<QOffscreenSurface>();
  surface->setFormat(context->format());
  surface->create();
  if (!surface->isValid() || !context->makeCurrent(surface.get()))
    return fail(Status::kFailed, "the OpenGL context cannot be used on the \"" +
                                     QGuiApplication::platformName().toStdString() + "\" platform");
  context_ = std::move(context);
  surface_ = std::move(surface);
  if (Result ready = renderer_.Initialize(); !ready) return fail(ready.status(), ready.message());
  const int largest = LargestSide(*context_->functions());
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width > largest || height > largest)
    return fail(Status::kRefused, "a picture of " + size +
                                      " pixels is more than this OpenGL draws: at most " +
                                      std::to_string(largest) + " pixels a side");
  target_ = std::make_unique<QOpenGLFramebufferObject>(
      width, height, QOpenGLFramebufferObject::CombinedDepthStencil, GL_TEXTURE_2D, GL_RGBA8);
  if (!target_->isValid())
    return fail(Status::kRefused,
                "the OpenGL driver has no room for a picture of " + size + " pixels");
  return Result::Ok();
}

Result OffscreenView::Draw(const DrawList& list, const LayerBuffers& buffers,
                           const FrameMatrices& frame, uint32_t clear_argb,
                           const TextureStore& store, const RoomDraw* rooms) {
  if (!target_) return Result::Fail(Status::kFailed, "the view was not made");
  if (Result current = MakeCurrent(); !current) return current;
  target_->bind();
  Result drawn = renderer_.DrawFrame(list, buffers, frame, clear_argb, store, target_->width(),
                                     target_->height(), rooms);
  context_->functions()->glFinish();
  target_->release();
  return drawn;
}

Expected<QImage> OffscreenView::Render(const DrawList& list, const LayerBuffers& buffers,
                                       const FrameMatrices& frame, uint32_t clear_argb,
                                       const TextureStore& store, const RoomDraw* rooms) {
  if (!target_) return Result::Fail(Status::kFailed, "the view was not made");
  if (Result current = MakeCurrent(); !current) return current;
  target_->bind();
  Result drawn = renderer_.DrawFrame(list, buffers, frame, clear_argb, store, target_->width(),
                                     target_->height(), rooms);
  QImage image;
  if (drawn) image = target_->toImage().convertToFormat(QImage::Format_RGB32);
  target_->release();
  if (!drawn) return drawn;
  if (image.isNull())
    return Result::Fail(Status::kFailed, "the picture could not be read back from OpenGL");
  return image;
}

}  // namespace qavel
