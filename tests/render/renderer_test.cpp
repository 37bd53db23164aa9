// The renderer on small hand-made lists: which faces it culls, how it binds textures, when it
// uploads, what survives a lost context, transparent texels, and the depth range it clips to.

#include <gtest/gtest.h>

#include "render_support.h"

namespace qavel {
namespace {

constexpr int kSide = 64;

// A frame of the viewport's start: camera at z 5 looking at the origin.
FrameMatrices Frame() {
  TGLViewport vp;
  vp.SetControlSize(kSide, kSide);
  return vp.Matrices();
}

TextureStore StoreWith(std::initializer_list<std::pair<int32_t, uint16_t>> solid_textures) {
  TextureStore store;
  for (auto [id, word] : solid_textures) {
    Bytes texels(4 * 4 * 2);
    for (size_t i = 0; i < texels.size(); i += 2) {
      texels[i] = uint8_t(word & 0xFF);
      texels[i + 1] = uint8_t(word >> 8);
    }
    store.AddTexture(id, 4, 4, texels, 16);
  }
  return store;
}

// A square of side 2 at z 0 facing the camera (as picking sees it), in one texture and colour.
void FrontSquare(DrawList& list, int32_t texture, uint8_t r = 255, uint8_t g = 255,
                 uint8_t b = 255) {
  list.SetTextureNumber(texture);
  list.SetColor(r, g, b);
  list.Quad({-1, 1, 0, 0, 1}, {1, 1, 0, 1, 1}, {1, -1, 0, 1, 0}, {-1, -1, 0, 0, 0});
  EXPECT_TRUE(Pick(list, Frame(), kSide / 2, kSide / 2)) << "the square faces the camera";
}

QRgb Centre(const QImage& image) {
  return image.pixel(kSide / 2, kSide / 2);
}

TEST(RendererTest, DrawsExactlyTheFacesPickingCanHit) {
  QAVEL_VIEW_OR_SKIP(view, kSide, kSide);
  const TextureStore store;
  const FrameMatrices frame = Frame();
  for (FillMode fill : {FillMode::kSolid, FillMode::kWireframe}) {
    int picked = 0;
    for (bool reversed : {false, true}) {
      DrawList list;
      list.SetColor(255, 255, 0);
      const DrawList::Corner a{-1, -1, 0, 0, 0}, b{1, -1, 0, 0, 0}, c{0, 1, 0, 0, 0};
      if (reversed)
        list.Triangle(a, c, b);
      else
        list.Triangle(a, b, c);
      LayerBuffers buffers = MakeLayerBuffers(1);
      buffers[0].fill_mode = fill;
      list.BuildBuffers(buffers);
      const bool hit = Pick(list, frame, kSide / 2, kSide / 2).has_value();
      picked += hit;
      const QImage image = test::Shot(*view, list, buffers, frame, test::kTealArgb, store);
      const int drawn =
          test::CountPixels(image, [](int, int, QRgb p) { return p == qRgb(255, 255, 0); });
      EXPECT_EQ(drawn > 0, hit) << "reversed " << reversed << " fill " << int(fill);
      if (fill == FillMode::kSolid && hit) {
        EXPECT_EQ(Centre(image), qRgb(255, 255, 0));
      }
    }
    EXPECT_EQ(picked, 1) << "one of the two windings faces the camera";
  }
}

// A run is drawn in batches, the frame flushed between them: a run of many triangles out of sight
// before a square still draws the square whole, split on a triangle's edge.
TEST(RendererTest, ARunLongerThanABatchIsDrawnWhole) {
  QAVEL_VIEW_OR_SKIP(view, kSide, kSide);
  DrawList list;
  const DrawList::Corner a{90, 90, 0, 0, 0}, b{91, 90, 0, 0, 0}, c{90, 91, 0, 0, 0};
  for (int k = 0; k < 40000; ++k) list.Triangle(a, b, c);
  FrontSquare(list, 0, 255, 255, 0);
  LayerBuffers buffers = MakeLayerBuffers(1);
  list.BuildBuffers(buffers);
  const uint64_t calls = view->renderer().stats().draw_calls;
  const QImage image = test::Shot(*view, list, buffers, Frame(), test::kTealArgb, TextureStore());
  EXPECT_EQ(Centre(image), qRgb(255, 255, 0));
  EXPECT_GE(view->renderer().stats().draw_calls - calls, 3u) << "the run went in batches";
}

TEST(RendererTest, BindsTheRunsTextureElseTheBuffersElseNone) {
  QAVEL_VIEW_OR_SKIP(view, kSide, kSide);
  const FrameMatrices frame = Frame();
  constexpr uint16_t kGreen = 0x07E0, kBlue = 0x001F;
  const struct {
    const char* name;
    TextureStore store;
    int32_t face_texture, buffer_texture;
    uint8_t r, g, b;
    QRgb shown;
  } cases[] = {
      {"own texture", StoreWith({{7, kGreen}}), 7, 0, 255, 255, 255, qRgb(0, 255, 0)},
      {"colour times texture", StoreWith({{7, 0xFFFF}}), 7, 0, 255, 0, 0, qRgb(255, 0, 0)},
      {"buffer's texture", StoreWith({{5001, kBlue}}), 7, 5001, 255, 255, 255, qRgb(0, 0, 255)},
      {"no texture: the colour alone", StoreWith({}), 7, 5001, 200, 100, 50, qRgb(200, 100, 50)},
  };
  for (const auto& c : cases) {
    DrawList list;
    FrontSquare(list, c.face_texture, c.r, c.g, c.b);
    LayerBuffers buffers = MakeLayerBuffers(1);
    buffers[0].buffer_texture = c.buffer_texture;
    list.BuildBuffers(buffers);
    EXPECT_EQ(Centre(test::Shot(*view, list, buffers, frame, test::kTealArgb, c.store)), c.shown)
        << c.name;
  }
}

TEST(RendererTest, UploadsOnlyWhatChanged) {
  QAVEL_VIEW_OR_SKIP(view, kSide, kSide);
  const FrameMatrices frame = Frame();
  TextureStore store = StoreWith({{7, 0x07E0}});
  DrawList list;
  FrontSquare(list, 7);
  LayerBuffers buffers = MakeLayerBuffers(1);
  list.BuildBuffers(buffers);
  GlRenderer& r = view->renderer();
  EXPECT_EQ(Centre(test::Shot(*view, list, buffers, frame, test::kTealArgb, store)),
            qRgb(0, 255, 0));
  const GlRenderer::Stats first = r.stats();
  const uint64_t uploads = r.textures().uploads();
  EXPECT_EQ(first.buffer_creations, 1u);

  test::Shot(*view, list, buffers, frame, test::kTealArgb, store);  // a frame without a rebuild
  EXPECT_EQ(r.stats().buffer_creations, 1u);
  EXPECT_EQ(r.stats().buffer_fills, first.buffer_fills);
  EXPECT_EQ(r.textures().uploads(), uploads);

  list.BuildBuffers(buffers);  // the same count again: rewritten in place
  test::Shot(*view, list, buffers, frame, test::kTealArgb, store);
  EXPECT_EQ(r.stats().buffer_creations, 1u);
  EXPECT_EQ(r.stats().buffer_fills, first.buffer_fills + 1);

  FrontSquare(list, 7);  // another count: new storage
  list.BuildBuffers(buffers);
  test::Shot(*view, list, buffers, frame, test::kTealArgb, store);
  EXPECT_EQ(r.stats().buffer_creations, 2u);

  // New texels under the same number reach the device at the next frame.
  store = StoreWith({{7, 0x001F}});
  EXPECT_EQ(Centre(test::Shot(*view, list, buffers, frame, test::kTealArgb, store)),
            qRgb(0, 0, 255));
  EXPECT_EQ(r.textures().uploads(), uploads + 1);
}

TEST(RendererTest, LostContextMakesEverythingAgain) {
  QAVEL_VIEW_OR_SKIP(view, 200, 150);
  test::RoomView room(test::ReadLevelOrFail(test::DataPath("demo.tr4")), 0, 200, 150);
  const QImage before = room.Draw(*view);
  view->Destroy();
  ASSERT_TRUE(view->Create(200, 150));
  EXPECT_EQ(view->renderer().textures().size(), 0u);
  EXPECT_EQ(room.Draw(*view), before);
  EXPECT_EQ(view->renderer().textures().size(), room.store.records().size());

  // Restoring one texture, all of them, or one past the end.
  ASSERT_TRUE(view->MakeCurrent());
  DeviceTextures& textures = view->renderer().textures();
  const uint64_t uploads = textures.uploads();
  EXPECT_TRUE(textures.RestoreTextures(room.store, 0));
  EXPECT_EQ(textures.uploads(), uploads + 1);
  EXPECT_TRUE(textures.RestoreTextures(room.store, -1));
  EXPECT_EQ(textures.uploads(), uploads + 1 + room.store.records().size());
  EXPECT_FALSE(textures.RestoreTextures(room.store, int(room.store.records().size())));
  EXPECT_FALSE(textures.RestoreTextures(TextureStore(), -1));
  EXPECT_EQ(room.Draw(*view), before);
}

TEST(RendererTest, TransparentTexelsLeaveTheBackgroundShowing) {
  QAVEL_VIEW_OR_SKIP(view, kSide, kSide);
  // Left half magenta, right half white, 16 texels wide.
  Bytes texels(16 * 16 * 2);
  for (size_t i = 0; i < 16 * 16; ++i) {
    const uint16_t w = i % 16 < 8 ? kTransparentWord : 0xFFFF;
    texels[2 * i] = uint8_t(w & 0xFF);
    texels[2 * i + 1] = uint8_t(w >> 8);
  }
  TextureStore store;
  store.AddTexture(3, 16, 16, texels, 16);
  DrawList list;
  FrontSquare(list, 3);
  LayerBuffers buffers = MakeLayerBuffers(1);
  list.BuildBuffers(buffers);
  // Which side of the square shows the magenta half depends on the corners' texture
  // coordinates; count the colours instead.
  int opaque_teal = 0;
  for (bool transparent : {false, true}) {
    view->renderer().set_options({.transparent_texels = transparent});
    const QImage image = test::Shot(*view, list, buffers, Frame(), test::kTealArgb, store);
    auto count = [&image](auto holds) {
      return test::CountPixels(image, [&](int, int, QRgb p) { return holds(p); });
    };
    const int magenta = count([](QRgb p) { return p == qRgb(255, 0, 255); });
    const int teal = count([](QRgb p) { return p == test::Teal(); });
    EXPECT_GT(count([](QRgb p) { return p == qRgb(255, 255, 255); }), 100) << transparent;
    if (!transparent) {
      EXPECT_GT(magenta, 100);
      opaque_teal = teal;
      continue;
    }
    EXPECT_EQ(magenta, 0);
    EXPECT_GT(teal, opaque_teal + 300) << "the magenta half shows the background";
    // Nothing of the magenta bleeds into its neighbours through the filtering.
    EXPECT_EQ(count([](QRgb p) {
                return p != test::Teal() && !(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p));
              }),
              0);
  }
  view->renderer().set_options({});
}

TEST(RendererTest, ALayerTheDriverHasNoRoomForIsAMessage) {
  QAVEL_VIEW_OR_SKIP(view, kSide, kSide);
  const FrameMatrices frame = Frame();
  // 180 million vertices (4.3 GB), more than one buffer of the driver holds, cheaply: a model
  // of a thousand triangles placed 60,000 times. Layer 1 is a square that fits.
  MeshModel model;
  model.points = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}};
  model.triangles.assign(1000, MeshModel::Triangle{{0, 1, 2}, 0, {}});
  model.textures = {{0, 0, 1000}};
  DrawList list;
  list.SetLayer(1);
  FrontSquare(list, 7, 0, 0, 255);
  list.SetLayer(0);
  const uint32_t index = list.AddModel({1, 0}, std::move(model));
  for (int k = 0; k < 60000; ++k) list.PlaceModel(index, 0xFFFFFFFF);
  LayerBuffers buffers = MakeLayerBuffers(2);
  list.BuildBuffers(buffers);
  for (int frame_number = 0; frame_number < 2; ++frame_number) {
    const Expected<QImage> image = view->Render(list, buffers, frame, test::kTealArgb, {});
    ASSERT_FALSE(image);
    EXPECT_EQ(image.message(),
              "the OpenGL driver has no room for the 180000000 vertices of layer 0 (4119 MiB)");
  }
  // The view draws on: the layer it could hold, once the other is gone.
  list.ClearLayer(0);
  list.BuildBuffers(buffers);
  EXPECT_EQ(Centre(test::Shot(*view, list, buffers, frame, test::kTealArgb, {})), qRgb(0, 0, 255));
}

TEST(RendererTest, ClipsAtTheViewportsNearAndFarPlanes) {
  FrameMatrices f;
  f.world = f.view = Identity();
  f.projection = PerspectiveFovLH(0.7853982f, 1.0f, 0.1f, 1000.0f);
  const Mat4 m = ClipTransform(f);
  auto clip_z = [&](float z) {
    const float zc = z * m.m[2][2] + m.m[3][2], w = z * m.m[2][3] + m.m[3][3];
    return zc / w;
  };
  EXPECT_NEAR(clip_z(0.1f), -1.0f, 1e-5);
  EXPECT_NEAR(clip_z(1000.0f), 1.0f, 1e-5);
  EXPECT_LT(clip_z(0.09f), -1.0f);  // nearer than the near plane: clipped
}

TEST(RendererTest, TexelsOfEveryDepthBecome565) {
  const struct {
    uint16_t bits;
    Bytes texel;
    uint16_t word;
  } cases[] = {
      {16, {0x1F, 0xF8}, 0xF81F},
      {15, {0x1F, 0x7C}, 0xF81F},        // x1111100000 11111: red and blue full
      {15, {0xE0, 0x03}, 0x07E0},        // green 31 of 31 stays full
      {24, {0x10, 0x80, 0xFF}, 0xFC02},  // blue, green, red bytes
      {32, {0x00, 0xFF, 0x00, 0x80}, 0x07E0},
  };
  for (const auto& c : cases) {
    TextureStore store;
    ASSERT_TRUE(store.AddTexture(1, 1, 1, c.texel, c.bits));
    EXPECT_EQ(TexelsAs565(*store.Find(1)), std::vector<uint16_t>{c.word}) << c.bits;
  }
}

}  // namespace
}  // namespace qavel
