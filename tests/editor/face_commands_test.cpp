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

TEST_F(FaceCommandsTest, ClicksOnTheTexturesPage) {
  const int r = RoomWithTriangle(session.level());
  const FaceRef tri{FaceKind::kTriangle, 0};
  session.selection().SelectPiece(7);
  const trectangle rect = room(0).rectangles[0];
  // (face, shift, ctrl, alt) and what the click leaves: the face's texture and first corner,
  // the selected piece, the undo steps.
  struct Case {
    const char* what;
    int face_room;
    FaceRef face;
    ClickModifiers keys;
    int texture, first_corner, piece, steps;
  };
  const ttriangle t = room(r).triangles[0];
  const Case cases[] = {
      {"paint", 0, kRect0, {}, 7, rect.vertices[0], 7, 1},
      {"shift: nothing", 0, kRect0, {true, false, false}, rect.texture, rect.vertices[0], 7, 0},
      {"shift paints a triangle", r, tri, {true, false, false}, 7, t.vertices[0], 7, 1},
      {"alt turns", 0, kRect0, {false, false, true}, rect.texture, rect.vertices[3], 7, 1},
      {"ctrl picks",
       0,
       kRect0,
       {false, true, false},
       rect.texture,
       rect.vertices[0],
       rect.texture & 0x0FFF,
       0},
      {"both",
       0,
       kRect0,
       {false, true, true},
       rect.texture,
       rect.vertices[3],
       rect.texture & 0x0FFF,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(ClickFaceForTextures(session, c.face_room, c.face, c.keys));
    const bool is_tri = c.face.kind == FaceKind::kTriangle;
    const troom& hit = room(c.face_room);
    EXPECT_EQ(is_tri ? +hit.triangles[0].texture : +hit.rectangles[0].texture, c.texture);
    EXPECT_EQ(is_tri ? +hit.triangles[0].vertices[0] : +hit.rectangles[0].vertices[0],
              c.first_corner);
    EXPECT_EQ(session.selection().piece(), c.piece);
    EXPECT_EQ(session.undo_stack().count(), c.steps);
    while (session.undo_stack().canUndo()) session.undo_stack().undo();
    session.undo_stack().clear();
    session.selection().SelectPiece(7);
  }
}

}  // namespace
}  // namespace qavel
