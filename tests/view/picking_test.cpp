// Picking: nearest front face, ties to the earlier triangle in list order, rotated views, the
// sector of a face, and what a tag selects.

#include <gtest/gtest.h>

#include "view/picking.h"
#include "view/scene.h"

namespace qavel {
namespace {

using C = DrawList::Corner;

// A triangle around (0, cy) at depth z, facing the default camera (or away from it).
void Tri(DrawList& list, uint8_t kind, uint16_t index, float z, bool facing = true, float cy = 0,
         int32_t texture = 0) {
  list.SetPickTag({kind, index});
  list.SetTextureNumber(texture);
  const C a{-1, 1 - cy, z}, b{1, 1 - cy, z}, c{0, -1 - cy, z};
  if (facing)
    list.Triangle(a, b, c);
  else
    list.Triangle(a, c, b);
}

FrameMatrices DefaultFrame() {
  TGLViewport vp;
  vp.SetControlSize(800, 600);
  return vp.Matrices();
}

TEST(Picking, NearestFrontFaceAndTiesToTheEarlier) {
  DrawList list;
  const FrameMatrices f = DefaultFrame();
  EXPECT_FALSE(Pick(list, f, 400, 300));
  Tri(list, 3, 1, 0);
  Tri(list, 3, 2, 2, false);  // nearer but seen from behind: never hit
  list.Sort();
  EXPECT_EQ(Pick(list, f, 400, 300)->tag, (PickTag{3, 1}));
  EXPECT_NEAR(Pick(list, f, 400, 300)->distance, 5, 1e-6);
  Tri(list, 1, 3, 1, true, 0, 9);
  Tri(list, 1, 4, 1, true, 0, 2);  // same place, lower texture: earlier in list order
  Tri(list, 5, 5, -1);
  list.Sort();
  EXPECT_EQ(Pick(list, f, 400, 300)->tag, (PickTag{1, 4}));
  EXPECT_FALSE(Pick(list, f, 10, 10));
  // Screen up is the list's -y: a triangle moved to y -2 is found above the centre.
  list.ClearLayer(-1);
  Tri(list, 2, 7, 0, true, -2);
  list.Sort();
  EXPECT_FALSE(Pick(list, f, 400, 300));
  EXPECT_EQ(Pick(list, f, 400, 100)->tag, (PickTag{2, 7}));
}

TEST(Picking, ARotatedWorldPicksWhatItShows) {
  // The same triangles seen through a rotated world matrix, or turned in the list: same picks.
  TGLViewport vp;
  vp.SetControlSize(640, 480);
  vp.MouseDown({.right = true}, 0, 0);
  vp.MouseMove({.right = true}, 40, -15);
  const FrameMatrices turned = vp.Matrices();
  DrawList plain, pre;
  pre.LoadMatrix(turned.world);
  for (int k = 0; k < 6; ++k) {
    Tri(plain, 1, uint16_t(k + 1), -k * 0.5f, true, float(k) - 2.5f);
    Tri(pre, 1, uint16_t(k + 1), -k * 0.5f, true, float(k) - 2.5f);
  }
  FrameMatrices straight = turned;
  straight.world = Identity();
  int hits = 0;
  for (int y = 0; y < 480; y += 16)
    for (int x = 0; x < 640; x += 16) {
      const auto a = Pick(plain, turned, x, y), b = Pick(pre, straight, x, y);
      ASSERT_EQ(bool(a), bool(b)) << x << "," << y;
      if (a) {
        ++hits;
        EXPECT_EQ(a->tag, b->tag);
      }
    }
  EXPECT_GT(hits, 20);
}

TEST(Picking, FaceSectors) {
  troom room;
  for (auto [x, z] : {std::pair{1024, 3072}, {2048, 3072}, {2048, 4096}, {1024, 4096}})
    AddVertex(room, int16_t(x), 0, int16_t(z), 0);
  for (auto [y, z] : {std::pair{0, 1024}, {0, 2048}, {-1024, 2048}, {-1024, 1024}})
    AddVertex(room, 2048, int16_t(y), int16_t(z), 0);
  room.rectangles = {trectangle{{}, {0, 1, 2, 3}, 0}, trectangle{{}, {4, 5, 6, 7}, 0},
                     trectangle{{}, {5, 4, 7, 6}, 0}};
  room.triangles = {ttriangle{{}, {0, 1, 2}, 0}, ttriangle{{}, {0, 1, 9}, 0}};
  struct Case {
    int kind, face;
    SectorCell cell;
  } cases[] = {
      {1, 1, {2, 4}},  // floor x 1024..2048, z 3072..4096
      {1, 2, {2, 2}},  // wall on x = 2048 facing lower x: the sector before it
      {1, 3, {3, 2}},  // the same wall facing higher x: the sector from 2048
      {2, 1, {2, 4}},  // triangle: its third corner counts twice
      {2, 2, {}},      // a corner the room does not have
      {1, 4, {}},      // no such face
      {3, 1, {}},      // not a room face
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindFaceSector(room, c.kind, c.face), c.cell) << c.kind << " " << c.face;
  EXPECT_EQ(FacingX(1, 2, 2, 1), -1);
  EXPECT_EQ(FacingX(2, 1, 1, 2), 1);
  EXPECT_EQ(FacingX(5, 5, 5, 5), 1);
  EXPECT_EQ(FacingZ(1, 2, 2, 1), 1);
}

TEST(Picking, TagsSelectFacesItemsAndStatics) {
  Ttrlevel level;
  troom room;
  for (auto [x, z] : {std::pair{0, 0}, {1024, 0}, {1024, 1024}, {0, 1024}})
    AddVertex(room, int16_t(x), 0, int16_t(z), 0);
  room.rectangles = {trectangle{{}, {0, 1, 2, 3}, 0}};
  level.rooms = {room};
  auto hit = [&](uint8_t kind, uint16_t index) {
    return DispatchPick(level, 0, PickResult{{kind, index}, 1, 0});
  };
  const PickHit face = hit(kPickRoomRectangle, 1);
  EXPECT_EQ(face.target, PickTarget::kRoomRectangle);
  EXPECT_EQ(face.face, 0);
  EXPECT_EQ(face.sector, (SectorCell{1, 1}));
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
