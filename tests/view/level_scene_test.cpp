// Picking (nearest front face, ties, rotated views, a face's sector, what a tag selects) and many
// rooms at once: the rooms each mode and state shows, the scene of many rooms as the sum of the
// rooms' own, its per-room draw ranges, picking across rooms and portals, culling, and the look
// camera's moves.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "view/level_scene.h"
#include "view/picking.h"
#include "view/scene.h"
#include "view_fixtures.h"

namespace qavel {
namespace {

TEST(LevelScene, RoomsOfEachModeFollowPortalsAndAlternates) {
  const Ttrlevel level = test::MakePortalLevel();
  EXPECT_EQ(AlternateRooms(level), (std::vector<bool>{false, false, false, false, true, false, true,
                                                      false, false, false}));
  struct Row {
    ViewMode mode;
    int room, depth;
    bool flipped;
    std::vector<int> rooms;
  };
  const Row rows[] = {
      {ViewMode::kLevel, 0, 1, false, {0, 1, 2, 3, 5, 7, 8, 9}},
      // 0 -> 4, 1 <-> 5 swap, 2 and 3 -> 6 drawn once; 7 (itself) and 8 (no room) stay.
      {ViewMode::kLevel, 0, 1, true, {1, 4, 5, 6, 7, 8, 9}},
      {ViewMode::kNeighbours, 0, 1, false, {0, 1}},
      {ViewMode::kNeighbours, 0, 2, false, {0, 1, 2}},
      {ViewMode::kNeighbours, 0, 5, false, {0, 1, 2, 3}},
      {ViewMode::kNeighbours, 2, 1, false, {1, 2, 3}},
      {ViewMode::kNeighbours, 0, 0, false, {0, 1}},  // depth at least 1
      {ViewMode::kNeighbours, 0, 9, false, {0, 1, 2, 3}},
      // Flipped: 4 stands for 0 and follows its own portal to 1, shown as 5; 5 opens to 2,
      // shown as 6, which opens to 9.
      {ViewMode::kNeighbours, 0, 1, true, {4, 5}},
      {ViewMode::kNeighbours, 0, 2, true, {4, 5, 6}},
      {ViewMode::kNeighbours, 0, 3, true, {4, 5, 6, 9}},
      {ViewMode::kNeighbours, 7, 2, true, {7}},
      {ViewMode::kRoom, 0, 1, true, {4}},
      {ViewMode::kRoom, 7, 1, true, {7}},
      {ViewMode::kRoom, 8, 1, true, {8}},
      {ViewMode::kRoom, 3, 1, false, {3}},
      {ViewMode::kRoom, 10, 1, false, {}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(RoomsOfMode(level, row.mode, row.room, row.depth, row.flipped), row.rooms)
        << static_cast<int>(row.mode) << " room " << row.room << " depth " << row.depth
        << " flipped " << row.flipped;
}

using test::Built;

TEST(LevelScene, LayersAreTheRoomsOwnScenesSummedAndCutByRoom) {
  Ttrlevel level = test::MakeViewLevel();
  level.rooms[1].x = 0;  // the second room beside the first
  Built b(std::move(level));
  for (const ViewOptions options :
       {ViewOptions{}, ViewOptions{.wireframe_objects = true, .standard_room = true}}) {
    // Each room's own scene, per layer and texture.
    std::map<std::pair<int, int32_t>, int64_t> own;
    std::vector<int64_t> own_layers(3, 0);
    Built single(b.level);
    for (int r = 0; r < 2; ++r) {
      ViewOptions o = options;
      o.room = r;
      single.Build(o);
      for (int l = 0; l < 3; ++l) {
        own_layers[size_t(l)] += single.list.vertex_count(l);
        for (const TextureRun& run : single.buffers[size_t(l)].runs)
          own[{l, run.texture}] += run.triangles;
      }
    }
    const std::vector<int> rooms = {1, 0, 1};
    const LevelScene scene = BuildLevelScene(b.list, b.buffers, b.Sources(), options, rooms);
    EXPECT_EQ(scene.rooms, (std::vector<int>{0, 1}));
    std::map<std::pair<int, int32_t>, int64_t> summed;
    for (int l = 0; l < 3; ++l) {
      EXPECT_EQ(b.list.vertex_count(l), own_layers[size_t(l)]) << l;
      int32_t previous = INT32_MIN;
      for (const TextureRun& run : b.buffers[size_t(l)].runs) {
        EXPECT_GT(run.texture, previous) << "one run per texture, ascending";
        previous = run.texture;
        summed[{l, run.texture}] += run.triangles;
      }
      // The room spans tile the layer in buffer order, each within its texture's run.
      uint32_t next = 0;
      for (const RoomSpan& s : scene.spans[size_t(l)]) {
        EXPECT_EQ(s.first_vertex, next);
        next += s.vertex_count;
      }
      EXPECT_EQ(next, static_cast<uint32_t>(b.list.vertex_count(l)));
    }
    EXPECT_EQ(summed, own);
  }
  // An item the level keeps far outside its room is in the box of what is drawn, but the
  // cameras frame the rooms.
  Ttrlevel far = test::MakeViewLevel();
  far.items1[0].x = far.items2[0].x = 524288;
  Built f(std::move(far));
  const LevelScene scene = BuildLevelScene(f.list, f.buffers, f.Sources(), {}, std::vector{0});
  EXPECT_GT(scene.box.max_x, 500);
  EXPECT_LT(scene.frame_box.max_x, 100);
}

// A frame of a look camera at a world place, heading and pitch.
FrameMatrices LookFrame(double x, double y, double z, double yaw, double pitch, int w = 320,
                        int h = 240) {
  TGLViewport viewport;
  viewport.SetControlSize(w, h);
  viewport.SetLookCamera(LookCamera::FromWorld(x, y, z, yaw, pitch));
  return viewport.Matrices();
}

TEST(LevelScene, PickingAcrossRoomsAndThroughPortals) {
  Built b(test::MakePortalLevel());
  const std::vector<int> rooms = LevelRooms(b.level, false);
  const LevelScene scene =
      BuildLevelScene(b.list, b.buffers, b.Sources(), {}, rooms, {.portals = true});
  // Straight down onto the middle of room 2's floor (x 4096..6144); from inside room 1 toward
  // +x the portal to room 2 is what lies nearest; from room 2 toward -x its own portal back.
  const PickTag floor{kPickRoomRectangle, 1};
  const struct {
    FrameMatrices frame;
    PickTag tag;
    int room;
  } picks[] = {{LookFrame(5120, -3000, 1024, 0, -89.9), floor, 2},
               {LookFrame(2560, -512, 1024, 90, 0), {kPickPortal, 2}, 1},
               {LookFrame(5120, -512, 1024, 270, 0), {kPickPortal, 1}, 2}};
  for (const auto& p : picks) {
    const auto hit = Pick(b.list, p.frame, 160, 120);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->tag, p.tag);
    EXPECT_EQ(scene.RoomOfTriangle(hit->triangle), p.room);
  }
  EXPECT_EQ(scene.RoomOfTriangle(0), 0);

  // What frame selection fits: a tag's triangles of one room only, and a sector from floor to
  // ceiling standing on its outline; a sector the room lacks gives an empty box.
  const int slot = scene.SlotOf(2);
  const ViewBox floor_box = TaggedBox(b.list, floor, &scene, slot);
  const ViewBounds& room2 = scene.bounds[size_t(slot)];
  EXPECT_GE(floor_box.min_x, room2.lo[0] - 1e-4);
  EXPECT_LE(floor_box.max_x, room2.hi[0] + 1e-4);
  EXPECT_LT(TaggedBox(b.list, floor).min_x, floor_box.min_x) << "every room's rectangle 1";
  troom r = b.level.rooms[2];
  for (tsector& sector : r.sectors) sector.ceiling = -4;  // a sector high
  const RoomPlacement at = PlaceRoomInLevel(r);
  DrawList outline;
  LayerBuffers outline_buffers = MainViewBuffers();
  for (const auto& [column, row] : {std::pair{1, 1}, std::pair{2, 1}}) {
    outline.ClearLayer(-1);
    DrawSectorOutline(outline, outline_buffers, r, at, column, row);
    const ViewBox drawn = DrawnBox(outline), sector = SectorBox(r, at, column, row);
    for (auto side : {&ViewBox::min_x, &ViewBox::max_x, &ViewBox::min_z, &ViewBox::max_z})
      EXPECT_NEAR(sector.*side, drawn.*side, 1e-5) << column;
    EXPECT_GT(sector.max_y - sector.min_y, 1) << column;
    EXPECT_LE(std::min(std::abs(drawn.min_y - sector.min_y), std::abs(drawn.min_y - sector.max_y)),
              0.02)
        << column;
  }
  const ViewBox none = SectorBox(r, at, 0, 1);
  EXPECT_GT(none.min_x, none.max_x);
}

TEST(LevelScene, CullingKeepsEveryRoomWhoseBoxMeetsTheView) {
  Built b(test::MakePortalLevel());
  const std::vector<int> rooms = LevelRooms(b.level, false);
  const LevelScene scene = BuildLevelScene(b.list, b.buffers, b.Sources(), {}, rooms);
  struct Row {
    double x, yaw, pitch;
  };
  for (const Row& row : {Row{5120, 90, 0}, Row{5120, 270, 0}, Row{1024, 0, 0}, Row{9000, 135, 30},
                         Row{-4000, 90, 0}, Row{30000, 90, 0}}) {
    const FrameMatrices frame = LookFrame(row.x, -512, 1024, row.yaw, row.pitch);
    const std::vector<uint8_t> visible = RoomsInView(scene, frame);
    const Mat4 m = Multiply(Multiply(frame.world, frame.view), frame.projection);
    for (size_t slot = 0; slot < scene.rooms.size(); ++slot) {
      // A room the test finds a point of inside the frustum (of 9 x 9 x 9 points of its box) is
      // never dropped.
      const ViewBounds& box = scene.bounds[slot];
      bool seen = false;
      for (int n = 0; n < 729 && !seen; ++n) {
        double c[4];
        for (int a = 0; a < 4; ++a) {
          c[a] = m.m[3][a];
          for (int k = 0, d = n; k < 3; ++k, d /= 9)
            c[a] += std::lerp(box.lo[k], box.hi[k], d % 9 / 8.0) * m.m[k][a];
        }
        seen = c[3] > 0 && std::abs(c[0]) <= c[3] && std::abs(c[1]) <= c[3] && c[2] >= 0 &&
               c[2] <= c[3];
      }
      EXPECT_TRUE(!seen || visible[slot]) << "room " << scene.rooms[slot] << " at " << row.x;
    }
    // Looking along the row, what lies behind the camera is dropped.
    if (row.x == 5120 && row.yaw == 90) {
      EXPECT_FALSE(visible[size_t(scene.SlotOf(0))]);
      EXPECT_TRUE(visible[size_t(scene.SlotOf(9))]);
    }
  }
  // From inside room 1 looking along the row, only the rooms the portals open onto.
  const std::vector<uint8_t> through =
      RoomsSeenThroughPortals(scene, b.level, LookFrame(3072, -512, 1024, 90, 0));
  std::vector<int> seen;
  for (size_t slot = 0; slot < through.size(); ++slot)
    if (through[slot]) seen.push_back(scene.rooms[slot]);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
  // Outside every room: all that is in view.
  EXPECT_EQ(RoomsSeenThroughPortals(scene, b.level, LookFrame(-4000, -512, 1024, 90, 0)),
            RoomsInView(scene, LookFrame(-4000, -512, 1024, 90, 0)));
  // The selected room bright, the others dimmer, water tinted.
  const RoomDraw draw = MakeRoomDraw(scene, LookFrame(5120, -512, 1024, 90, 0),
                                     {.selected = 2, .highlight = true, .water_tint = true});
  EXPECT_EQ(draw.tint[size_t(scene.SlotOf(2))], (std::array<float, 3>{1, 1, 1}));
  EXPECT_LT(draw.tint[size_t(scene.SlotOf(3))][0], 1);
  EXPECT_LT(draw.tint[size_t(scene.SlotOf(7))][0], draw.tint[size_t(scene.SlotOf(7))][2]);
  // An alternate room the normal state leaves out lights the rooms drawn in its place.
  const RoomDraw alternate = MakeRoomDraw(scene, LookFrame(5120, -512, 1024, 90, 0),
                                          {.selected = 6, .highlight = true}, &b.level);
  for (int room : {2, 3, 0})
    EXPECT_EQ(alternate.tint[size_t(scene.SlotOf(room))][0], room == 0 ? 0.5f : 1.0f) << room;
}

TEST(LookCamera, MovesLooksAndZoomsStoppingShortOfTheTarget) {
  const LookCamera c = LookCamera::FromWorld(1024, -512, 2048, 0, 0);
  double x = 0, y = 0, z = 0;
  c.World(x, y, z);
  EXPECT_EQ((std::vector<double>{x, y, z}), (std::vector<double>{1024, -512, 2048}));
  TGLViewport v;
  v.SetControlSize(320, 240);
  v.SetLookCamera(c);
  v.set_free(true);
  // Heading 0 moves toward +z, 90 toward +x; right is +x at heading 0; up is -y.
  v.MoveFree(2, 1, 0.5);
  v.look().World(x, y, z);
  EXPECT_NEAR(x, 1024 + 512, 1e-6);
  EXPECT_NEAR(y, -512 - 256, 1e-6);
  EXPECT_NEAR(z, 2048 + 1024, 1e-6);
  v.TurnFree(360, 0);  // a quarter turn to the right
  EXPECT_NEAR(v.look().yaw, 90, 1e-9);
  v.MoveFree(2, 0, 0);
  v.look().World(x, y, z);
  EXPECT_NEAR(x, 1024 + 512 + 1024, 1e-3);
  v.TurnFree(0, 10000);  // looking down as far as it goes, never over
  EXPECT_EQ(v.look().pitch, -89);
  // A right-drag looks around a free camera where it stands.
  v.set_free(false);
  v.SetLookCamera(LookCamera::FromWorld(0, 0, 0, 0, 0));
  const Vec3 target = v.look().Target();
  v.MouseDown({.right = true}, 100, 100);
  v.MouseMove({.right = true}, 180, 100);
  EXPECT_NEAR(v.look().yaw, 20, 1e-9);
  EXPECT_NEAR(v.look().Target().x, target.x, 1e-4) << "an orbit keeps its target";
  EXPECT_NEAR(v.look().Target().z, target.z, 1e-4);
  // The wheel comes nearer the target and never reaches it.
  const double before = v.look().distance;
  for (int k = 0; k < 200; ++k) v.WheelZoom(1, 160, 120);
  EXPECT_GT(v.look().distance, 0.2);
  EXPECT_LT(v.look().distance, before);
  const Vec3 eye{float(v.look().x), float(v.look().y), float(v.look().z)};
  EXPECT_LT((eye.x - target.x) * v.look().Forward().x + (eye.z - target.z) * v.look().Forward().z,
            0)
      << "the eye stays in front of the target";
  // The room camera stops short of the room's middle.
  TGLViewport room;
  room.SetControlSize(320, 240);
  room.box = {-2, -1, 3, 2, 1, 9};
  room.CentreOnBox();
  for (int k = 0; k < 100; ++k) room.WheelZoom(1, 10, 10);
  EXPECT_GE(room.camera().z - room.camera().zoom, 0.99);
}

using C = DrawList::Corner;

// A triangle around (0, cy) at depth z, facing the default camera (or away from it).
void Tri(DrawList& list, uint16_t index, float z, bool facing = true, float cy = 0,
         int32_t texture = 0, float cx = 0) {
  list.SetPickTag({1, index});
  list.SetTextureNumber(texture);
  const C a{cx - 1, 1 - cy, z}, b{cx + 1, 1 - cy, z}, c{cx, -1 - cy, z};
  facing ? list.Triangle(a, b, c) : list.Triangle(a, c, b);
}

TEST(Picking, NearestFrontFaceTiesAndScreenUp) {
  TGLViewport vp;
  vp.SetControlSize(800, 600);
  const FrameMatrices f = vp.Matrices();  // eye (0, 0, 5) looking down -z
  DrawList list;
  EXPECT_FALSE(Pick(list, f, 400, 300));
  Tri(list, 1, 0);
  Tri(list, 2, 2, false);  // nearer but seen from behind: never hit
  EXPECT_EQ(Pick(list, f, 400, 300)->tag.index, 1);
  EXPECT_NEAR(Pick(list, f, 400, 300)->distance, 5, 1e-6);
  Tri(list, 3, 1, true, 0, 9);
  Tri(list, 4, 1, true, 0, 2);  // as near, lower texture: earlier in list order
  EXPECT_EQ(Pick(list, f, 400, 300)->tag.index, 4);
  EXPECT_FALSE(Pick(list, f, 10, 10));
  // Screen up is the list's -y: a triangle moved to y -2 is found above the centre.
  list.ClearLayer(-1);
  Tri(list, 7, 0, true, -2);
  EXPECT_FALSE(Pick(list, f, 400, 300));
  EXPECT_EQ(Pick(list, f, 400, 100)->tag.index, 7);
  // Off the centre, the pixel a point is drawn at picks the triangle around it.
  for (auto [cx, cy] : {std::pair{2.5f, 0.5f}, {-3.0f, 1.5f}, {1.0f, -2.0f}}) {
    list.ClearLayer(-1);
    Tri(list, 8, 0, true, cy, 0, cx);
    const Vec3 e = TransformPoint(f.view, cx, cy, 0);
    const int x = int((1 + e.x * f.projection.m[0][0] / e.z) * 400);
    EXPECT_EQ(Pick(list, f, x, int((1 - e.y * f.projection.m[1][1] / e.z) * 300)).value().tag.index,
              8);
  }
}

TEST(Picking, ARotatedWorldPicksWhatItShows) {
  // Triangles seen through a turned world matrix, or turned in the list: the same picks.
  TGLViewport vp;
  vp.SetControlSize(640, 480);
  vp.MouseDown({.right = true}, 0, 0);
  vp.MouseMove({.right = true}, 40, -15);
  const FrameMatrices turned = vp.Matrices();
  FrameMatrices straight = turned;
  straight.world = Identity();
  DrawList plain, pre;
  pre.LoadMatrix(turned.world);
  for (int k = 0; k < 6; ++k) {
    Tri(plain, uint16_t(k + 1), -k * 0.5f, true, float(k) - 2.5f);
    Tri(pre, uint16_t(k + 1), -k * 0.5f, true, float(k) - 2.5f);
  }
  int hits = 0;
  for (int y = 0; y < 480; y += 16)
    for (int x = 0; x < 640; x += 16) {
      const auto a = Pick(plain, turned, x, y), b = Pick(pre, straight, x, y);
      ASSERT_EQ(bool(a), bool(b)) << x << "," << y;
      hits += a && a->tag == b->tag;
    }
  EXPECT_GT(hits, 20);
}

TEST(Picking, FaceSectorsAndWhatTagsSelect) {
  Ttrlevel level;
  troom room;
  const int16_t corners[][3] = {{1024, 0, 3072},     {2048, 0, 3072},    {2048, 0, 4096},
                                {1024, 0, 4096},     {2048, 0, 1024},    {2048, 0, 2048},
                                {2048, -1024, 2048}, {2048, -1024, 1024}};
  for (auto [x, y, z] : corners) AddVertex(room, x, y, z, 0);
  room.rectangles = {trectangle{{}, {0, 1, 2, 3}, 0}, trectangle{{}, {4, 5, 6, 7}, 0},
                     trectangle{{}, {5, 4, 7, 6}, 0}};
  room.triangles = {ttriangle{{}, {0, 1, 2}, 0}, ttriangle{{}, {0, 1, 9}, 0}};
  level.rooms = {room};
  const std::tuple<int, int, SectorCell> cases[] = {
      {1, 1, {2, 4}},  // floor x 1024..2048, z 3072..4096
      {1, 2, {2, 2}},  // wall on x = 2048 facing lower x: the sector before it
      {1, 3, {3, 2}},  // the same wall facing higher x: the sector from 2048
      {2, 1, {2, 4}},  // triangle: its third corner counts twice
      {2, 2, {}},      // a corner the room does not have
      {1, 4, {}},      // no such face
      {3, 1, {}},      // not a room face
  };
  for (auto [kind, face, cell] : cases)
    EXPECT_EQ(FindFaceSector(room, kind, face), cell) << kind << " " << face;
  EXPECT_EQ(FacingX(1, 2, 2, 1), -1);
  EXPECT_EQ(FacingX(5, 5, 5, 5), 1);
  EXPECT_EQ(FacingZ(1, 2, 2, 1), 1);

  auto hit = [&](uint8_t kind, uint16_t index) {
    return DispatchPick(level, 0, PickResult{{kind, index}, 1, 0});
  };
  EXPECT_EQ(hit(kPickRoomRectangle, 3).target, PickTarget::kRoomRectangle);
  EXPECT_EQ(hit(kPickRoomRectangle, 3).face, 2);
  EXPECT_EQ(hit(kPickRoomTriangle, 1).sector, (SectorCell{2, 4}));
  EXPECT_EQ(hit(kPickItem, 12).item_entry, 12);
  EXPECT_EQ(hit(kPickStatic, 3).static_entry, 2);
  EXPECT_EQ(hit(9, 1).target, PickTarget::kOther);
  EXPECT_EQ(DispatchPick(level, 0, std::nullopt).target, PickTarget::kNothing);
  EXPECT_EQ(PickStatusText({1, 5}), "Object type:1, Index:=5");
  EXPECT_EQ(SectorStatusText({2, 4}), "Column:2 Row:4");
  EXPECT_EQ(StaticStatusText(3), "STATIC MESH #3");
}

}  // namespace
}  // namespace qavel
