#include "render/offscreen_view.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
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

bool OffscreenView::MakeCurrent() {
  return context_ && surface_ && context_->makeCurrent(surface_.get());
}

std::string OffscreenView::Create(int width, int height) {
  Destroy();
  auto context = std::make_unique<QOpenGLContext>();
  context->setFormat(ViewSurfaceFormat());
  if (!context->create())
    return "no OpenGL context could be made on the \"" +
           QGuiApplication::platformName().toStdString() + "\" platform";
  auto surface = std::make_unique<QOffscreenSurface>();
  surface->setFormat(context->format());
  surface->create();
  if (!surface->isValid() || !context->makeCurrent(surface.get()))
    return "the OpenGL context cannot be used on the \"" +
           QGuiApplication::platformName().toStdString() + "\" platform";
  context_ = std::move(context);
  surface_ = std::move(surface);
  std::string why = renderer_.Initialize();
  if (why.empty()) {
    int largest = 0;
    context_->functions()->glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    if (width > largest || height > largest)
      why = "the OpenGL driver draws at most " + std::to_string(largest) + " pixels a side";
  }
  if (why.empty()) {
    target_ = std::make_unique<QOpenGLFramebufferObject>(
        width, height, QOpenGLFramebufferObject::CombinedDepthStencil, GL_TEXTURE_2D, GL_RGBA8);
    if (!target_->isValid()) why = "no framebuffer of that size could be made";
  }
  if (!why.empty()) Destroy();
  return why;
}

void OffscreenView::Draw(const LayerBuffers& buffers, const FrameMatrices& frame,
                         uint32_t clear_argb, const TextureStore& store) {
  if (!target_ || !MakeCurrent()) return;
  target_->bind();
  renderer_.DrawFrame(buffers, frame, clear_argb, store, target_->width(), target_->height());
  context_->functions()->glFinish();
  target_->release();
}

QImage OffscreenView::Render(const LayerBuffers& buffers, const FrameMatrices& frame,
                             uint32_t clear_argb, const TextureStore& store) {
  if (!target_ || !MakeCurrent()) return {};
  target_->bind();
  renderer_.DrawFrame(buffers, frame, clear_argb, store, target_->width(), target_->height());
  QImage image = target_->toImage().convertToFormat(QImage::Format_RGB32);
  target_->release();
  return image;
}

}  // namespace qavel
