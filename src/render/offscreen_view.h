#pragma once
// OffscreenView: the view drawn without a window, into an image, with the renderer the window
// uses; and the choice of a windowing platform for programs that may run without a display.

#include <QImage>
#include <memory>

#include "render/gl_renderer.h"

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

namespace qavel {

// Before the QGuiApplication of a headless program: unless the user chose a platform, try the
// display there is and fall back to Qt's offscreen platform, so that a missing display gives a
// message from us instead of ending the process.
void ChooseHeadlessPlatform();

class OffscreenView {
 public:
  OffscreenView();
  ~OffscreenView();
  OffscreenView(const OffscreenView&) = delete;
  OffscreenView& operator=(const OffscreenView&) = delete;

  // Makes a context of its own and a framebuffer of width x height pixels. Needs a
  // QGuiApplication. Refused (Status::kRefused) for a size beyond what the driver draws, whose
  // message names the largest side it takes; failed for a context that cannot draw the view.
  Result Create(int width, int height);
  // Draws one frame of the list's layers and waits until it is drawn (as a window waits to
  // show it).
  Result Draw(const DrawList& list, const LayerBuffers& buffers, const FrameMatrices& frame,
              uint32_t clear_argb, const TextureStore& store, const RoomDraw* rooms = nullptr);
  // Draws one frame and reads it back, top row first.
  Expected<QImage> Render(const DrawList& list, const LayerBuffers& buffers,
                          const FrameMatrices& frame, uint32_t clear_argb,
                          const TextureStore& store, const RoomDraw* rooms = nullptr);
  GlRenderer& renderer() { return renderer_; }
  // Makes the view's context current (for work on the renderer outside a frame).
  Result MakeCurrent();
  // Drops the context and everything in it, as a window's view loses its context when it
  // moves; the next Create makes a new one and the renderer uploads everything again.
  void Destroy();

 private:
  std::unique_ptr<QOpenGLContext> context_;
  std::unique_ptr<QOffscreenSurface> surface_;
  std::unique_ptr<QOpenGLFramebufferObject> target_;
  GlRenderer renderer_;
};

}  // namespace qavel
