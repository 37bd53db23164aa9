#pragma once
// What the renderer's tests share: one QGuiApplication, an offscreen view (or a visible skip
// where no OpenGL 3.3 can be had), a level's room scene as the window builds it, and the pick
// ray through a pixel's centre, which is where the rasteriser samples.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <memory>
#include <optional>

#include "render/offscreen_view.h"
#include "test_paths.h"
#include "textures/atlas.h"
#include "view/picking.h"
#include "view/scene.h"
#include "view_fixtures.h"

namespace qavel::test {

inline QGuiApplication& GuiApp() {
  static int argc = 1;
  static char name[] = "render_tests";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QGuiApplication> app = [] {
    ChooseHeadlessPlatform();
    return std::make_unique<QGuiApplication>(argc, argv);
  }();
  return *app;
}

// An offscreen view of w x h, or nullptr after recording why there is none.
inline std::unique_ptr<OffscreenView> MakeView(int w, int h, std::string& why) {
  GuiApp();
  auto view = std::make_unique<OffscreenView>();
  const Result made = view->Create(w, h);
  why = made.message();
  if (!made) return nullptr;
  return view;
}

// A frame drawn (of the given rooms only where a room draw is given) and read back; a frame that
// fails fails the test and gives a null image.
inline QImage Shot(OffscreenView& view, const DrawList& list, const LayerBuffers& buffers,
                   const FrameMatrices& frame, uint32_t clear_argb, const TextureStore& store,
                   const RoomDraw* rooms = nullptr) {
  const Expected<QImage> image = view.Render(list, buffers, frame, clear_argb, store, rooms);
  EXPECT_TRUE(image) << image.message();
  return image ? *image : QImage();
}

#define QAVEL_VIEW_OR_SKIP(var, w, h)                  \
  std::string var##_why;                               \
  auto var = ::qavel::test::MakeView(w, h, var##_why); \
  if (!var) GTEST_SKIP() << "no OpenGL 3.3 to draw with (" << var##_why << "); skipped"

inline constexpr uint32_t kTealArgb = 0xFF008080;
inline constexpr QRgb kTeal = qRgb(0, 128, 128);

// A room of a level as the window shows it after selecting it, with its textures.
struct RoomView : Built {
  TextureStore store;
  TGLViewport viewport;

  RoomView(Ttrlevel lvl, int room, int width, int height) : Built(std::move(lvl)) {
    UseShippedCatalog();
    LoadViewTextures(store, DataPath("texture1.jpg"), DataPath("colored.bmp"));
    AddLevelPages(store, BuildAtlas(level), 0);
    viewport.SetControlSize(width, height);
    viewport.SetBackgroundColor(0x808000);
    Build({.room = room});
    viewport.box = result.placement->box;
    viewport.CentreOnBox();
  }
  QImage Draw(OffscreenView& view) {
    return Shot(view, list, buffers, viewport.Matrices(), viewport.ClearColour(), store);
  }
};

// The ray through the centre of pixel (x, y), in the list's space.
inline PickRay CentreRay(const FrameMatrices& f, int x, int y) {
  const double dx = (2.0 * (x + 0.5) / f.width - 1) / f.projection.m[0][0];
  const double dy = -(2.0 * (y + 0.5) / f.height - 1) / f.projection.m[1][1];
  const Mat4 inv = Multiply(Inverse(f.view), Inverse(f.world));
  PickRay r;
  for (int j = 0; j < 3; ++j) {
    r.direction[j] = dx * inv.m[0][j] + dy * inv.m[1][j] + inv.m[2][j];
    r.origin[j] = inv.m[3][j];
  }
  return r;
}

// Calls fn(x, y, tag, pixel) for every pixel of a picture of the frame where picking through the
// pixel's centre (where the rasteriser samples) finds the tag (kind 0 for none) it finds at the
// eight pixels around it: away from edges, where rasteriser and picking may round apart.
template <class F>
void ForEachInside(const QImage& image, const DrawList& list, const FrameMatrices& f, F&& fn) {
  const int w = f.width, h = f.height;
  std::vector<PickTag> map(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (auto hit = Pick(list, CentreRay(f, x, y))) map[size_t(y) * w + x] = hit->tag;
  for (int y = 1; y < h - 1; ++y)
    for (int x = 1; x < w - 1; ++x) {
      const PickTag t = map[size_t(y) * w + x];
      bool inside = true;
      for (int n = 0; n < 9; ++n)
        inside = inside && map[size_t(y + n / 3 - 1) * w + x + n % 3 - 1] == t;
      if (inside) fn(x, y, t, image.pixel(x, y));
    }
}

// How many pixels of the picture hold(x, y, pixel) is true for.
template <class F>
int CountPixels(const QImage& image, F&& holds) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += holds(x, y, image.pixel(x, y)) ? 1 : 0;
  return n;
}

}  // namespace qavel::test
