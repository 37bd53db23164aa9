// The model's derived values and shared points (the paired record forms: the round trips and
// the edits).

#include <gtest/gtest.h>

#include "level/ttrlevel.h"

namespace qavel {
namespace {

TEST(AnimatedTextures, GroupsAreNumberedFromOne) {
  Ttrlevel level;
  level.object_textures.resize(12);
  level.animated_textures = {2, 1, 7, 8, 0, 9};
  DeriveAnimatedTextureGroups(level);
  for (size_t t = 0; t < 12; ++t) {
    const uint16_t want = (t == 7 || t == 8) ? 1 : t == 9 ? 2 : 0;
    EXPECT_EQ(+level.object_textures[t].anim_group, want) << "texture " << t;
  }
  // Numbers beyond the table and lists shorter than they claim are ignored, never written.
  level.animated_textures = {5, 3, 11, 500, 2};
  DeriveAnimatedTextureGroups(level);
  EXPECT_EQ(+level.object_textures[11].anim_group, 1);
}

TEST(Vertices, FindAddSharesPointsAndStopsAtCapacity) {
  troom room;
  EXPECT_EQ(AddVertex(room, 1, 2, 3, 0x40), 1u);
  EXPECT_EQ(AddVertex(room, 4, 5, 6, 0), 2u);
  EXPECT_EQ(+room.vertices1[0].lighting, 0x4000);
  EXPECT_EQ(+room.vertices2[0].lighting, 0x4000);
  // Found again: the TR1 light is averaged with the new one.
  EXPECT_EQ(AddVertex(room, 1, 2, 3, 0x80), 1u);
  EXPECT_EQ(static_cast<uint16_t>(room.vertices1[0].lighting) >> 8, 0x60);
  EXPECT_EQ(FindVertex(room, 4, 5, 6), 2u);
  EXPECT_EQ(FindVertex(room, 4, 5, 7), 0u);
  while (room.num_vertices() < RoomCapacity::vertices)
    AddVertex(room, static_cast<int16_t>(room.num_vertices()), 100, 0, 0);
  EXPECT_EQ(AddVertex(room, -1, -1, -1, 0), 0u);
  EXPECT_EQ(room.num_vertices(), RoomCapacity::vertices);
  EXPECT_EQ(room.vertices1.size(), room.vertices2.size());
}

TEST(Tr5Merge, SharedCornersBecomeOneVertex) {
  troom room;
  ttr5_layer_block a, b;
  auto v = [](float x, float y, float z) {
    tvertex5 r{};
    r.x = x;
    r.y = y;
    r.z = z;
    r.rest[12] = 0xF8;  // blue byte of the colour
    return r;
  };
  a.vertices = {v(0, 0, 0), v(1024, 0, 0), v(1024, 0, 1024)};
  a.triangles = {ttriangle5{{}, {0, 1, 2}, 5, 0}};
  // 1023.6 rounds to the same point as 1024; 2.5 rounds to 2 (halves to even).
  b.vertices = {v(1023.6f, 0, 0), v(2048, 0, 0), v(2.5f, 0, 0)};
  b.triangles = {ttriangle5{{}, {0, 1, 2}, 6, 1}};
  room.tr5_layers = {a, b};
  MergeTr5Layers(room);
  ASSERT_EQ(room.num_vertices(), 5u);
  EXPECT_EQ(room.triangles[1].vertices[0], 1);  // the shared corner
  EXPECT_EQ(+room.vertices2[4].x, 2);
  EXPECT_EQ(+room.triangles5[1].extra, 1);
  EXPECT_EQ(+room.triangles[1].texture, 6);
  EXPECT_EQ(+room.vertices2[0].colour, 0x1F);
}

TEST(LevelEquality, ComparesEveryTableByContentButNotTheOrigin) {
  Ttrlevel a, b;
  a.rooms.resize(2);
  b.rooms.resize(2);
  b.rooms[1].flags = 1;
  EXPECT_EQ(a.FirstDifference(b), "rooms");
  b.rooms[1].flags = 0;
  b.loaded = true;
  EXPECT_EQ(a.FirstDifference(b), "loaded");
  b.loaded = false;
  // Page blocks compare by content; what the file looked like is not level data.
  a.pages16 = SharedBlock::Of(Bytes(10, 1));
  b.pages16 = SharedBlock::Of(Bytes(10, 1));
  b.origin.pages16.packed = SharedBlock::Of(Bytes(3, 7));
  EXPECT_TRUE(a == b);
  EXPECT_EQ(a.FirstDifference(b), "");
}

}  // namespace
}  // namespace qavel
