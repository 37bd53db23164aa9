// The renderer on small hand-made lists (which faces it culls, how it binds textures, when it
// uploads, what survives a lost context, transparent texels, the depth range it clips to), and
// rooms drawn as the window draws them, checked against picking's reading of the same scene:
// covered pixels where a front face lies under the pixel's centre and the background elsewhere,
// the selected item red, textures visible, and every View option changing the picture.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "fixtures/many_items.h"
#include "level/level_writer.h"
#include "peak_memory.h"
#include "render_support.h"
#include "view/scene_models.h"

namespace qavel {
namespace {

constexpr int kSide = 64;
constexpr QRgb kYellow = qRgb(255, 255, 0);

// A frame of the viewport's start: camera at z 5 looking at the origin.
FrameMatrices Frame() {
  TGLViewport vp;
  vp.SetControlSize(kSide, kSide);
  return vp.Matrices();
}

// Adds a texture of side x side 16-bit texels, texel i of word(i).
template <class F>
void AddTexels(TextureStore& store, int32_t id, int side, F word) {
  Bytes texels(size_t(side) * size_t(side) * 2);
  for (size_t i = 0; i < texels.size() / 2; ++i) {
    texels[2 * i] = uint8_t(word(i) & 0xFF);
    texels[2 * i + 1] = uint8_t(word(i) >> 8);
  }
  store.AddTexture(id, side, side, texels, 16);
}

TextureStore StoreWith(std::initializer_list<std::pair<int32_t, uint16_t>> solid_textures) {
  TextureStore store;
  for (auto [id, word] : solid_textures) AddTexels(store, id, 4, [w = word](size_t) { return w; });
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

// A hand-made list in layer buffers of its own, drawn in the start frame on teal.
struct Drawn {
  DrawList list;
  LayerBuffers buffers;
  explicit Drawn(size_t layers = 1) : buffers(MakeLayerBuffers(layers)) {}
  QImage Shot(OffscreenView& view, const TextureStore& store = {}, bool rebuild = true) {
    if (rebuild) list.BuildBuffers(buffers);
    return test::Shot(view, list, buffers, Frame(), test::kTealArgb, store);
  }
  QRgb Centre(OffscreenView& view, const TextureStore& store = {}, bool rebuild = true) {
    return Shot(view, store, rebuild).pixel(kSide / 2, kSide / 2);
  }
};

TEST(RendererTest, DrawsExactlyTheFacesPickingCanHit) {
  QAVEL_VIEW_OR_SKIP(view, kSide, kSide);
  for (FillMode fill : {FillMode::kSolid, FillMode::kWireframe}) {
    int picked = 0;
    for (bool reversed : {false, true}) {
      Drawn d;
      d.list.SetColor(255, 255, 0);
      const DrawList::Corner a{-1, -1, 0, 0, 0}, b{1, -1, 0, 0, 0}, c{0, 1, 0, 0, 0};
      reversed ? d.list.Triangle(a, c, b) : d.list.Triangle(a, b, c);
      d.buffers[0].fill_mode = fill;
      const bool hit = Pick(d.list, Frame(), kSide / 2, kSide / 2).has_value();
      picked += hit;
      const QImage image = d.Shot(*view);
      EXPECT_EQ(test::CountPixels(image, [](int, int, QRgb p) { return p == kYellow; }) > 0, hit)
          << "reversed " << reversed << " fill " << int(fill);
      if (fill == FillMode::kSolid && hit) {
        EXPECT_EQ(image.pixel(kSide / 2, kSide / 2), kYellow);
      }
    }
    EXPECT_EQ(picked, 1) << "one of the two windings faces the camera";
  }
}

// A run is drawn in batches, the frame flushed between them: a run of many triangles out of sight
// before a square still draws the square whole, split on a triangle's edge.
TEST(RendererTest, ARunLongerThanABatchIsDrawnWhole) {
  QAVEL_VIEW_OR_SKIP(view, kSide, kSide);
  Drawn d;
  const DrawList::Corner a{90, 90, 0, 0, 0}, b{91, 90, 0, 0, 0}, c{90, 91, 0, 0, 0};
  for (int k = 0; k < 40000; ++k) d.list.Triangle(a, b, c);
  FrontSquare(d.list, 0, 255, 255, 0);
  const uint64_t calls = view->renderer().stats().draw_calls;
  EXPECT_EQ(d.Centre(*view), kYellow);
  EXPECT_GE(view->renderer().stats().draw_calls - calls, 3u) << "the run went in batches";
}

TEST(RendererTest, BindsTheRunsTextureElseTheBuffersElseNone) {
  QAVEL_VIEW_OR_SKIP(view, kSide, kSide);
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
    Drawn d;
    FrontSquare(d.list, c.face_texture, c.r, c.g, c.b);
    d.buffers[0].buffer_texture = c.buffer_texture;
    EXPECT_EQ(d.Centre(*view, c.store), c.shown) << c.name;
  }
}

TEST(RendererTest, UploadsOnlyWhatChanged) {
  QAVEL_VIEW_OR_SKIP(view, kSide, kSide);
  TextureStore store = StoreWith({{7, 0x07E0}});
  Drawn d;
  FrontSquare(d.list, 7);
  GlRenderer& r = view->renderer();
  EXPECT_EQ(d.Centre(*view, store), qRgb(0, 255, 0));
  const GlRenderer::Stats first = r.stats();
  const uint64_t uploads = r.textures().uploads();
  EXPECT_EQ(first.buffer_creations, 1u);
  d.Shot(*view, store, false);  // a frame without a rebuild
  EXPECT_EQ(r.stats().buffer_creations, 1u);
  EXPECT_EQ(r.stats().buffer_fills, first.buffer_fills);
  EXPECT_EQ(r.textures().uploads(), uploads);
  d.Shot(*view, store);  // the same count again: rewritten in place
  EXPECT_EQ(r.stats().buffer_creations, 1u);
  EXPECT_EQ(r.stats().buffer_fills, first.buffer_fills + 1);
  FrontSquare(d.list, 7);  // another count: new storage
  d.Shot(*view, store);
  EXPECT_EQ(r.stats().buffer_creations, 2u);
  // New texels under the same number reach the device at the next frame.
  store = StoreWith({{7, 0x001F}});
  EXPECT_EQ(d.Centre(*view, store, false), qRgb(0, 0, 255));
  EXPECT_EQ(r.textures().uploads(), uploads + 1);
}

TEST(RendererTest, LostContextMakesEverythingAgainAndBackgroundsRedrawWithoutUploading) {
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

  EXPECT_EQ(before.pixel(0, 0), test::kTeal);
  const GlRenderer::Stats stats = view->renderer().stats();
  for (auto [window_colour, shown] : {std::pair{0xFFFFFFu, qRgb(255, 255, 255)},
                                      {0x000000u, qRgb(0, 0, 0)},
                                      {0xFF0000u, qRgb(0, 0, 255)}}) {
    room.viewport.SetBackgroundColor(window_colour);
    EXPECT_EQ(room.Draw(*view).pixel(0, 0), shown);
  }
  EXPECT_EQ(view->renderer().stats().buffer_creations, stats.buffer_creations);
  EXPECT_EQ(view->renderer().stats().buffer_fills, stats.buffer_fills);
}

TEST(RendererTest, TransparentTexelsLeaveTheBackgroundShowing) {
  QAVEL_VIEW_OR_SKIP(view, kSide, kSide);
  TextureStore store;  // left half magenta, right half white, 16 texels wide
  AddTexels(store, 3, 16, [](size_t i) { return i % 16 < 8 ? kTransparentWord : 0xFFFF; });
  Drawn d;
  FrontSquare(d.list, 3);
  // Which side of the square shows the magenta half depends on the corners' texture
  // coordinates; count the colours instead, opaque [0] and transparent [1].
  int teal[2] = {}, magenta[2] = {}, white[2] = {}, tinted = 0;
  for (bool transparent : {false, true}) {
    view->renderer().set_options({.transparent_texels = transparent});
    test::CountPixels(d.Shot(*view, store), [&](int, int, QRgb p) {
      teal[transparent] += p == test::kTeal;
      magenta[transparent] += p == qRgb(255, 0, 255);
      white[transparent] += p == qRgb(255, 255, 255);
      // Nothing of the magenta bleeds into its neighbours through the filtering.
      tinted += transparent && p != test::kTeal && !(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p));
      return false;
    });
  }
  view->renderer().set_options({});
  EXPECT_GT(std::min(white[0], white[1]), 100);
  EXPECT_GT(magenta[0], 100);
  EXPECT_EQ(magenta[1], 0);
  EXPECT_GT(teal[1], teal[0] + 300) << "the magenta half shows the background";
  EXPECT_EQ(tinted, 0);
}

TEST(RendererTest, ALayerTheDriverHasNoRoomForIsAMessage) {
  QAVEL_VIEW_OR_SKIP(view, kSide, kSide);
  // 180 million vertices (4.3 GB), more than one buffer of the driver holds, cheaply: a model
  // of a thousand triangles placed 60,000 times. Layer 1 is a square that fits.
  MeshModel model;
  model.points = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}};
  model.triangles.assign(1000, MeshModel::Triangle{{0, 1, 2}, 0, {}});
  model.textures = {{0, 0, 1000}};
  Drawn d(2);
  d.list.SetLayer(1);
  FrontSquare(d.list, 7, 0, 0, 255);
  d.list.SetLayer(0);
  const uint32_t index = d.list.AddModel({1, 0}, std::move(model));
  for (int k = 0; k < 60000; ++k) d.list.PlaceModel(index, 0xFFFFFFFF);
  d.list.BuildBuffers(d.buffers);
  for (int frame_number = 0; frame_number < 2; ++frame_number) {
    const Expected<QImage> image = view->Render(d.list, d.buffers, Frame(), test::kTealArgb, {});
    ASSERT_FALSE(image);
    EXPECT_EQ(image.message(),
              "the OpenGL driver has no room for the 180000000 vertices of layer 0 (4119 MiB)");
  }
  // The view draws on: the layer it could hold, once the other is gone.
  d.list.ClearLayer(0);
  EXPECT_EQ(d.Centre(*view), qRgb(0, 0, 255));
}

TEST(RendererTest, ClipsAtTheViewportsNearAndFarPlanesAndTexelsOfEveryDepthBecome565) {
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

  // Bits a texel, the texel's bytes, and the word it becomes.
  const std::tuple<uint16_t, Bytes, uint16_t> cases[] = {
      {16, {0x1F, 0xF8}, 0xF81F},
      {15, {0x1F, 0x7C}, 0xF81F},        // x1111100000 11111: red and blue full
      {15, {0xE0, 0x03}, 0x07E0},        // green 31 of 31 stays full
      {24, {0x10, 0x80, 0xFF}, 0xFC02},  // blue, green, red bytes
      {32, {0x00, 0xFF, 0x00, 0x80}, 0x07E0},
  };
  for (const auto& [bits, texel, word] : cases) {
    TextureStore store;
    ASSERT_TRUE(store.AddTexture(1, 1, 1, texel, bits));
    EXPECT_EQ(TexelsAs565(*store.Find(1)), std::vector<uint16_t>{word}) << bits;
  }
}

using test::RoomView;

bool IsRoomFace(const TriangleInfo& t) {
  return t.tag.kind == kPickRoomRectangle || t.tag.kind == kPickRoomTriangle;
}

// The largest room of every real level and of the demo level, straight and turned (a right drag
// turns the scene: the world matrix must move picture and picking alike). Away from the edges of
// what picking finds, a pixel is covered where picking finds a face and teal where it finds none.
TEST(RoomPictureTest, LargestRoomOfEveryLevelAgreesWithPickingStraightAndTurned) {
  QAVEL_VIEW_OR_SKIP(view, 160, 120);
  int background = 0;
  for (const auto& [generation, path] : test::SweptLevels()) {
    Ttrlevel level = test::ReadLevelOrFail(path);
    const auto faces = [](const troom& r) { return 2 * r.rectangles.size() + r.triangles.size(); };
    const auto best = int(std::max_element(level.rooms.begin(), level.rooms.end(),
                                           [&](auto& a, auto& b) { return faces(a) < faces(b); }) -
                          level.rooms.begin());
    RoomView room(std::move(level), best, 160, 120);
    for (int turn : {0, 1}) {
      SCOPED_TRACE(generation + (turn ? " turned" : ""));
      if (turn) {
        room.viewport.MouseDown({.right = true}, 80, 60);
        room.viewport.MouseMove({.right = true}, 110, 75);
      }
      const QImage image = room.Draw(*view);
      ASSERT_EQ(image.size(), QSize(160, 120));
      int covered = 0, wrong = 0;
      std::set<QRgb> colours;
      test::ForEachInside(image, room.list, room.viewport.Matrices(),
                          [&](int, int, PickTag tag, QRgb pixel) {
                            const bool teal = pixel == test::kTeal;
                            (tag.kind ? covered : background) += 1;
                            wrong += tag.kind ? teal : !teal;
                            if (tag.kind) colours.insert(pixel);
                          });
      EXPECT_EQ(wrong, 0);
      EXPECT_GT(covered, 1000);
      EXPECT_GT(colours.size(), 100u) << "textures look flat";
    }
  }
  EXPECT_GT(background, 1000);
}

// The item the demo room shows in the middle of the view (what a click there picks).
constexpr int kDemoItem = 4;

// Each View option: the layer it files each kind of triangle of the demo room's scene in (0 solid
// and textured, 1 wireframe, 2 the selected item, -1 none drawn), that the picture changes, and
// how red the selected item shows: red lines over its textures, or solid red among wireframe
// objects.
TEST(RoomPictureTest, EveryViewOptionFilesTheTrianglesAndChangesThePicture) {
  QAVEL_VIEW_OR_SKIP(view, 200, 150);
  RoomView room(test::ReadLevelOrFail(test::DataPath("demo.tr4")), 0, 200, 150);
  const QImage plain = room.Draw(*view);
  enum Red { kNoRed, kSomeRed, kAllRed };
  const struct {
    const char* name;
    ViewOptions options;
    int layers[4];     // of room faces, the other items, item kDemoItem, the room's static
    Red red = kNoRed;  // of the pixels within item kDemoItem
  } cases[] = {
      {"wireframe room", {.wireframe_room = true}, {1, 0, 0, 0}},
      {"wireframe objects: items, not statics", {.wireframe_objects = true}, {0, 1, 1, 0}},
      {"hide items", {.hide_items = true}, {0, -1, -1, 0}},
      {"hide statics", {.hide_statics = true}, {0, 0, 0, -1}},
      {"standard room (its own texture)", {.standard_room = true}, {0, 0, 0, 0}},
      {"selected item", {.item_entry = kDemoItem}, {0, 0, 2, 0}, kSomeRed},
      {"selected item among wireframe objects",
       {.item_entry = kDemoItem, .wireframe_objects = true},
       {0, 1, 0, 0},
       kAllRed},
      {"selected static", {.static_entry = 0}, {0, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    ViewOptions options = c.options;
    options.room = 0;
    room.Build(options);
    int wrong = 0, shown[4] = {};
    for (int l = 0; l < 3; ++l)
      room.list.ForEachTriangleOfLayer(l, [&](const BufferVertex*, const TriangleInfo& t) {
        // Static 1 is the room's only static; nothing else is drawn.
        const int kind = IsRoomFace(t)             ? 0
                         : t.tag.kind == kPickItem ? 1 + (t.tag.index == kDemoItem)
                                                   : 3;
        if (kind == 3 && !(t.tag == PickTag{kPickStatic, 1})) return void(++wrong);
        ++shown[kind];
        wrong += l != c.layers[kind] ||
                 (kind == 0 && options.standard_room && t.texture != kRoomTextureId);
      });
    EXPECT_EQ(wrong, 0) << c.name;
    for (int k = 0; k < 4; ++k) EXPECT_EQ(shown[k] > 0, c.layers[k] >= 0) << c.name << " " << k;
    const QImage changed = room.Draw(*view);
    EXPECT_GT(
        test::CountPixels(changed, [&](int x, int y, QRgb p) { return p != plain.pixel(x, y); }),
        30)
        << c.name;
    if (c.red == kNoRed) continue;
    int inside = 0, red = 0;
    test::ForEachInside(changed, room.list, room.viewport.Matrices(),
                        [&](int, int, PickTag tag, QRgb p) {
                          if (!(tag == PickTag{kPickItem, kDemoItem})) return;
                          ++inside;
                          red += qRed(p) > 0 && qGreen(p) == 0 && qBlue(p) == 0;
                        });
    EXPECT_GT(inside, 20) << c.name << ": the item is in view";
    // All red, or red lines over textures: some red and not all.
    EXPECT_EQ(red, c.red == kAllRed ? inside : std::clamp(red, 11, inside - 1)) << c.name;
  }
}

TEST(RoomPictureTest, RoomLightingMultipliesRoomFacesByTheLightOfTheirVertices) {
  // The stored light, read the way each generation stores it.
  const struct {
    int32_t kind;
    int16_t lighting;
    uint16_t colour;
    uint32_t argb;
  } lights[] = {
      {kTR1, 0, 0x3DEF, 0xFFFFFFFF}, {kTR1, 8191, 0x3DEF, 0xFF000000},
      {kTR2, 4096, 0, 0xFF7F7F7F},   {kTR2, -5, 0, 0xFFFFFFFF},
      {kTR2, 0x7FFF, 0, 0xFF000000}, {kTR4, 0, 0x7C00, 0xFFFF0000},
      {kTR3, 0, 0x7FFF, 0xFFFFFFFF}, {kTR5, 0, 0x8000 | 31, 0xFF0000FF},
  };
  for (const auto& l : lights)
    EXPECT_EQ(RoomVertexLight(l.kind, tvertex2{{}, 0, 0, 0, l.lighting, 0, l.colour}), l.argb)
        << l.kind << " " << l.lighting << " " << l.colour;

  QAVEL_VIEW_OR_SKIP(view, 200, 150);
  RoomView room(test::ReadLevelOrFail(test::DataPath("demo.tr4")), 0, 200, 150);
  // Every vertex a quarter red, half green, full blue: room faces darken by those, objects not.
  for (tvertex2& v : room.level.rooms[0].vertices2) v.colour = 8 << 10 | 16 << 5 | 31;
  const QImage plain = room.Draw(*view);
  room.Build({.room = 0, .room_lighting = true});
  int faces = 0, objects = 0, wrong = 0;
  test::ForEachInside(room.Draw(*view), room.list, room.viewport.Matrices(),
                      [&](int x, int y, PickTag tag, QRgb b) {
                        const QRgb a = plain.pixel(x, y);
                        if (tag.kind == kPickRoomRectangle || tag.kind == kPickRoomTriangle) {
                          ++faces;
                          wrong += std::abs(qRed(b) - qRed(a) * 8 * 255 / 31 / 255) > 2 ||
                                   std::abs(qGreen(b) - qGreen(a) * 16 * 255 / 31 / 255) > 2 ||
                                   std::abs(qBlue(b) - qBlue(a)) > 2;
                        } else if (tag.kind) {
                          ++objects;
                          wrong += a != b;
                        }
                      });
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(faces, 5000);
  EXPECT_GT(objects, 20);
}

// What the window and `render` draw from a camera inside a room: the rooms the portals open
// onto, never one that shows, so the picture is the frustum's alone.
TEST(RoomPictureTest, FromInsideARoomPortalCullingKeepsThePicture) {
  QAVEL_VIEW_OR_SKIP(view, 320, 240);
  RoomView room(test::ReadLevelOrFail(test::DataPath("demo.tr4")), 0, 320, 240);
  const LevelScene scene =
      BuildLevelScene(room.list, room.buffers, {room.level, room.meshes, room.catalog, {}},
                      {.room = 0}, LevelRooms(room.level, false));
  int culled = 0;
  for (const int r : scene.rooms) {
    const troom& at = room.level.rooms[size_t(r)];
    for (const double yaw : {0, 90, 180, 270}) {
      room.viewport.SetLookCamera(LookCamera::FromWorld(at.x + at.num_x_sectors * 512.0,
                                                        (at.y_top + at.y_bottom) / 2.0,
                                                        at.z + at.num_z_sectors * 512.0, yaw, 0));
      const FrameMatrices frame = room.viewport.Matrices();
      const RoomDraw frustum = MakeRoomDraw(scene, frame, {.selected = r});
      const RoomDraw portals = MakeRoomDraw(scene, frame, {.selected = r}, &room.level);
      EXPECT_EQ(
          test::Shot(*view, room.list, room.buffers, frame, test::kTealArgb, room.store, &portals),
          test::Shot(*view, room.list, room.buffers, frame, test::kTealArgb, room.store, &frustum))
          << "room " << r << " yaw " << yaw;
      for (size_t slot = 0; slot < scene.rooms.size(); ++slot)
        culled += frustum.visible[slot] && !portals.visible[slot];
    }
  }
  EXPECT_GT(culled, 0);
}

// The render command on a room of 65,535 copies of the largest movable of the real TR1 level (or
// of the demo level where it is absent): drawn up to the budget, within a gigabyte.
TEST(RoomPictureTest, ARoomOfManyItemsRendersWithinAGigabyte) {
  QAVEL_VIEW_OR_SKIP(view, 64, 48);
  std::string path = test::DataPath("demo.tr4");
  if (auto tr1 = test::RealLevel("TR1")) path = *tr1;
  RoomView base(test::ReadLevelOrFail(path), 0, 64, 48);
  const size_t best = test::LargestMovableItem(base.level, base.catalog, base.meshes);
  const std::string many = test::ScratchDir("render_many_items") + "/many" +
                           std::filesystem::path(path).extension().string();
  ASSERT_TRUE(WriteLevel(test::WithManyItems(base.level, base.level.items2[best], 0), many));
  const long kib = test::ProgramPeakKiB({QAVEL_CLI, "render", many, "0", many + ".png"});
  EXPECT_GE(kib, 0) << "the render command failed";
  EXPECT_LT(kib, 1L << 20) << "KiB";
  EXPECT_TRUE(std::filesystem::exists(many + ".png"));
}

}  // namespace
}  // namespace qavel
