// Picking: nearest front face, ties to the earlier triangle in list order, rotated views, the
// sector of a face, and what a tag selects.

#include <gtest/gtest.h>

#include "view/picking.h"
#include "view/scene.h"

namespace qavel {
namespace {

using C = DrawList::Corner;

// A triangle around (0, cy) at depth z, facing the default camera (or away from it).
void Tri(DrawList& list, uint16_t index, float z, bool facing = true, float cy = 0,
         int32_t texture = 0) {
  list.SetPickTag({1, index});
  list.SetTextureNumber(texture);
  const C a{-1, 1 - cy, z}, b{1, 1 - cy, z}, c{0, -1 - cy, z};
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
  for (auto [x, y, z] : {std::tuple{1024, 0, 3072},
                         {2048, 0, 3072},
                         {2048, 0, 4096},
                         {1024, 0, 4096},
                         {2048, 0, 1024},
                         {2048, 0, 2048},
                         {2048, -1024, 2048},
                         {2048, -1024, 1024}})
    AddVertex(room, int16_t(x), int16_t(y), int16_t(z), 0);
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
