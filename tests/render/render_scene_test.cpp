// Rooms drawn as the window draws them, checked against picking's reading of the same scene:
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

using test::Inside;
using test::RoomView;

struct Agreement {
  int covered = 0, background = 0, wrong = 0;
  std::set<QRgb> covered_colours;
};

// Compares the picture with picking's map away from the edges of what picking finds.
Agreement Compare(const QImage& image, const DrawList& list, const FrameMatrices& frame) {
  const std::vector<PickTag> map = test::PickMap(list, frame);
  Agreement a;
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) {
      if (!Inside(map, frame.width, frame.height, x, y)) continue;
      const QRgb pixel = image.pixel(x, y) & 0xFFFFFF;
      if (map[size_t(y) * frame.width + x].kind == 0) {
        ++a.background;
        a.wrong += pixel != (test::Teal() & 0xFFFFFF);
      } else {
        ++a.covered;
        a.covered_colours.insert(pixel);
        a.wrong += pixel == (test::Teal() & 0xFFFFFF);
      }
    }
  return a;
}

// The largest room of every real level and of the demo level, straight and turned (a right drag
// turns the scene: the world matrix must move picture and picking alike).
TEST(RoomPictureTest, LargestRoomOfEveryLevelAgreesWithPickingStraightAndTurned) {
  QAVEL_VIEW_OR_SKIP(view, 160, 120);
  int background = 0;
  for (const auto& [generation, path] : test::SweptLevels()) {
    Ttrlevel level = test::ReadLevelOrFail(path);
    int best = 0;
    size_t most = 0;
    for (int r = 0; r < level.num_rooms(); ++r) {
      const troom& room = level.rooms[size_t(r)];
      if (2 * room.rectangles.size() + room.triangles.size() > most) {
        most = 2 * room.rectangles.size() + room.triangles.size();
        best = r;
      }
    }
    RoomView room(std::move(level), best, 160, 120);
    for (int turn : {0, 1}) {
      SCOPED_TRACE(generation + (turn ? " turned" : ""));
      if (turn) {
        room.viewport.MouseDown({.right = true}, 80, 60);
        room.viewport.MouseMove({.right = true}, 110, 75);
      }
      const QImage image = room.Draw(*view);
      ASSERT_EQ(image.size(), QSize(160, 120));
      const Agreement a = Compare(image, room.list, room.viewport.Matrices());
      EXPECT_EQ(a.wrong, 0);
      EXPECT_GT(a.covered, 1000);
      EXPECT_GT(a.covered_colours.size(), 100u) << "textures look flat";
      background += a.background;
    }
  }
  EXPECT_GT(background, 1000);
}

// The item the demo room shows in the middle of the view (what a click there picks).
constexpr int kDemoItem = 4;

bool IsRoomFace(const TriangleInfo& t) {
  return t.tag.kind == kPickRoomRectangle || t.tag.kind == kPickRoomTriangle;
}

// Each View option: where it files every triangle of the demo room's scene (layer 0 solid and
// textured, 1 wireframe, 2 the selected item), that the picture changes, and how red the
// selected item shows: red lines over its textures, or solid red among wireframe objects.
TEST(RoomPictureTest, EveryViewOptionFilesTheTrianglesAndChangesThePicture) {
  QAVEL_VIEW_OR_SKIP(view, 200, 150);
  RoomView room(test::ReadLevelOrFail(test::DataPath("demo.tr4")), 0, 200, 150);
  const QImage plain = room.Draw(*view);
  using Rule = bool (*)(int layer, const TriangleInfo& t);
  const struct Case {
    const char* name;
    ViewOptions options;
    Rule every;                                       // holds for every triangle
    Rule some;                                        // holds for at least one
    enum { kNoRed, kSomeRed, kAllRed } red = kNoRed;  // of the pixels within the selected item
  } cases[] = {
      {"wireframe room",
       {.wireframe_room = true},
       [](int l, const TriangleInfo& t) { return l == (IsRoomFace(t) ? 1 : 0); },
       [](int l, const TriangleInfo& t) { return l == 1 && IsRoomFace(t); }},
      {"wireframe objects: items, not statics",
       {.wireframe_objects = true},
       [](int l, const TriangleInfo& t) { return l == (t.tag.kind == kPickItem ? 1 : 0); },
       [](int l, const TriangleInfo&) { return l == 1; }},
      {"hide items",
       {.hide_items = true},
       [](int, const TriangleInfo& t) { return t.tag.kind != kPickItem; },
       [](int, const TriangleInfo& t) { return t.tag.kind == kPickStatic; }},
      {"hide statics",
       {.hide_statics = true},
       [](int, const TriangleInfo& t) { return t.tag.kind != kPickStatic; },
       [](int, const TriangleInfo& t) { return t.tag.kind == kPickItem; }},
      {"standard room",
       {.standard_room = true},
       [](int, const TriangleInfo& t) { return !IsRoomFace(t) || t.texture == kRoomTextureId; },
       [](int, const TriangleInfo& t) { return IsRoomFace(t); }},
      {"selected item",
       {.item_entry = kDemoItem},
       [](int l, const TriangleInfo& t) {
         return l == (t.tag == PickTag{kPickItem, kDemoItem} ? 2 : 0);
       },
       [](int l, const TriangleInfo&) { return l == 2; },
       Case::kSomeRed},
      {"selected item among wireframe objects",
       {.item_entry = kDemoItem, .wireframe_objects = true},
       [](int l, const TriangleInfo& t) {
         return l == (t.tag.kind == kPickItem && t.tag.index != kDemoItem ? 1 : 0);
       },
       [](int l, const TriangleInfo& t) { return l == 0 && t.tag.kind == kPickItem; },
       Case::kAllRed},
      {"selected static",
       {.static_entry = 0},
       [](int l, const TriangleInfo& t) {
         return l == (t.tag == PickTag{kPickStatic, 1} ? 1 : 0);
       },
       [](int l, const TriangleInfo&) { return l == 1; }},
  };
  for (const auto& c : cases) {
    ViewOptions options = c.options;
    options.room = 0;
    room.Build(options);
    int wrong = 0, shown = 0;
    for (int l = 0; l < 3; ++l)
      room.list.ForEachTriangleOfLayer(l, [&](const BufferVertex*, const TriangleInfo& t) {
        wrong += !c.every(l, t);
        shown += c.some(l, t);
      });
    EXPECT_EQ(wrong, 0) << c.name;
    EXPECT_GT(shown, 0) << c.name;
    const QImage changed = room.Draw(*view);
    EXPECT_GT(
        test::CountPixels(changed, [&](int x, int y, QRgb p) { return p != plain.pixel(x, y); }),
        30)
        << c.name;
    if (c.red == Case::kNoRed) continue;
    const std::vector<PickTag> map = test::PickMap(room.list, room.viewport.Matrices());
    int inside = 0;
    const int red = test::CountPixels(changed, [&](int x, int y, QRgb p) {
      if (!(map[size_t(y) * 200 + x] == PickTag{kPickItem, kDemoItem})) return false;
      const bool is_red = qRed(p) > 0 && qGreen(p) == 0 && qBlue(p) == 0;
      if (Inside(map, 200, 150, x, y)) {
        ++inside;
        EXPECT_TRUE(is_red || c.red != Case::kAllRed) << x << "," << y;
      }
      return is_red;
    });
    EXPECT_GT(inside, 20) << c.name << ": the item is in view";
    EXPECT_GT(red, c.red == Case::kAllRed ? inside : 10) << c.name;
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
  const QImage lit = room.Draw(*view);
  const FrameMatrices frame = room.viewport.Matrices();
  const std::vector<PickTag> map = test::PickMap(room.list, frame);
  int faces = 0, objects = 0, wrong = 0;
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x) {
      if (!Inside(map, 200, 150, x, y) || map[size_t(y) * 200 + x].kind == 0) continue;
      const QRgb a = plain.pixel(x, y), b = lit.pixel(x, y);
      const PickTag tag = map[size_t(y) * 200 + x];
      if (tag.kind == kPickRoomRectangle || tag.kind == kPickRoomTriangle) {
        ++faces;
        wrong += std::abs(qRed(b) - qRed(a) * 8 * 255 / 31 / 255) > 2 ||
                 std::abs(qGreen(b) - qGreen(a) * 16 * 255 / 31 / 255) > 2 ||
                 std::abs(qBlue(b) - qBlue(a)) > 2;
      } else {
        ++objects;
        wrong += a != b;
      }
    }
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
      auto shot = [&](const RoomDraw& d) {
        const Expected<QImage> image =
            view->Render(room.list, room.buffers, frame, test::kTealArgb, room.store, &d);
        EXPECT_TRUE(image) << image.message();
        return image ? *image : QImage();
      };
      EXPECT_EQ(shot(portals), shot(frustum)) << "room " << r << " yaw " << yaw;
      for (size_t slot = 0; slot < scene.rooms.size(); ++slot)
        culled += frustum.visible[slot] && !portals.visible[slot];
    }
  }
  EXPECT_GT(culled, 0);
}

TEST(RoomPictureTest, BackgroundColoursRedrawWithoutUploading) {
  QAVEL_VIEW_OR_SKIP(view, 200, 150);
  RoomView room(test::ReadLevelOrFail(test::DataPath("demo.tr4")), 0, 200, 150);
  EXPECT_EQ(room.Draw(*view).pixel(0, 0), test::Teal());
  const GlRenderer::Stats before = view->renderer().stats();
  for (auto [window_colour, shown] : {std::pair{0xFFFFFFu, qRgb(255, 255, 255)},
                                      {0x000000u, qRgb(0, 0, 0)},
                                      {0xFF0000u, qRgb(0, 0, 255)}}) {
    room.viewport.SetBackgroundColor(window_colour);
    EXPECT_EQ(room.Draw(*view).pixel(0, 0), shown);
  }
  EXPECT_EQ(view->renderer().stats().buffer_creations, before.buffer_creations);
  EXPECT_EQ(view->renderer().stats().buffer_fills, before.buffer_fills);
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
