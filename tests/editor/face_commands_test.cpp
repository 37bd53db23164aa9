// Face commands as the 3D view's clicks run them: paint, turn, pick up; every form of the face
// in step, each edit one step, undone byte-identical and reaching the file.

#include "editor/face_commands.h"

#include "../support/test_paths.h"
#include "session_cases.h"

namespace qavel {
namespace {

using test::Do;

constexpr FaceRef kRect0{FaceKind::kRectangle, 0};

// The first room with a triangle, or -1.
int RoomWithTriangle(const Ttrlevel& level) {
  for (int r = 0; r < level.num_rooms(); ++r)
    if (!level.rooms[r].triangles.empty()) return r;
  return -1;
}

class FaceCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(session.document().Open(test::DataPath("demo.tr4"))); }
  const troom& room(int r) const { return session.level().rooms[r]; }
  EditorSession session;
};

TEST_F(FaceCommandsTest, PaintAndTurnAreStepsThatUndoExactly) {
  const int tri_room = RoomWithTriangle(session.level());
  ASSERT_GE(tri_room, 0);
  const int other = (room(0).rectangles[0].texture + 1) % 45;
  const FaceRef tri{FaceKind::kTriangle, 0};
  const FaceRef beyond{FaceKind::kRectangle, static_cast<int>(room(0).rectangles.size())};
  auto none = [](EditorSession&) {};
  test::ExpectEachUndoesExactly(session, {{"Paint Texture", none, Do(PaintFace, 0, kRect0, other)},
                                          {"Turn Texture", none, Do(TurnFace, 0, kRect0)},
                                          {"Turn Texture", none, Do(TurnFace, tri_room, tri)}});
  const char* choose = "Choose a texture piece on the Textures page first.";
  test::ExpectEachRefused(
      session, {{"no piece", none, Do(PaintFace, 0, kRect0, -1), choose},
                {"piece beyond", none, Do(PaintFace, 0, kRect0, 45), choose},
                {"face beyond", none, Do(TurnFace, 0, beyond), "Room 0 has no such face."},
                {"room beyond", none, Do(PickFaceTexture, 4, kRect0),
                 "Room 4 does not exist in this level."}});
}

// Four turns of a rectangle, three of a triangle, give the first corner order back.
TEST_F(FaceCommandsTest, TurnsComeRoundToTheFirstOrder) {
  const trectangle rect = room(0).rectangles[0];
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(TurnFace(session, 0, kRect0));
  EXPECT_EQ(room(0).rectangles[0], rect);
  const int r = RoomWithTriangle(session.level());
  const ttriangle tri = room(r).triangles[0];
  ASSERT_TRUE(TurnFace(session, r, {FaceKind::kTriangle, 0}));
  EXPECT_EQ(+room(r).triangles[0].vertices[0], +tri.vertices[2]);
  EXPECT_EQ(+room(r).triangles[0].vertices[1], +tri.vertices[0]);
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(TurnFace(session, r, {FaceKind::kTriangle, 0}));
  EXPECT_EQ(room(r).triangles[0], tri);
}

TEST_F(FaceCommandsTest, PickingUpSelectsThePieceTheFaceShows) {
  Ttrlevel level = session.level();
  level.rooms[0].rectangles[1].texture = 0x8003;  // double-sided piece 3
  level.rooms[0].rectangles[2].texture = 0x0FFF;  // a piece the level lacks
  session.document().Adopt(level, "demo.tr4");
  ASSERT_TRUE(PickFaceTexture(session, 0, {FaceKind::kRectangle, 1}));
  EXPECT_EQ(session.selection().piece(), 3);
  EXPECT_EQ(PickFaceTexture(session, 0, {FaceKind::kRectangle, 2}).message(),
            "The face shows texture piece 4095, which this level does not have.");
  EXPECT_EQ(session.selection().piece(), 3);
  EXPECT_EQ(session.undo_stack().count(), 0);
}

}  // namespace
}  // namespace qavel
