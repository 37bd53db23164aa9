// Face commands as the 3D view's clicks run them: paint, turn, pick up; every form of the face
// in step, each edit one step, undone byte-identical and reaching the file.

#include "editor/face_commands.h"

#include <filesystem>

#include "../support/test_paths.h"
#include "level/level_reader.h"
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

Ttrlevel Reread(const std::string& path) {
  Ttrlevel level;
  std::string message;
  EXPECT_EQ(ReadLevel(level, path, &message), kReadOk) << message;
  return level;
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

// Paints and turns the first rectangle of room 0 and the first triangle there is, saves, reads
// back; then undoes both and saves again: the file must be the original.
void PaintTurnSaveUndo(const std::string& path, const std::string& scratch) {
  EditorSession session;
  ASSERT_TRUE(session.document().Open(path));
  const Ttrlevel& level = session.level();
  const int pieces = static_cast<int>(level.num_object_textures());
  ASSERT_GT(pieces, 1);
  const int piece = ((level.rooms[0].rectangles[0].texture & 0x0FFF) + 1) % pieces;
  const trectangle rect = level.rooms[0].rectangles[0];
  const int tri_room = RoomWithTriangle(level);
  ASSERT_TRUE(PaintFace(session, 0, kRect0, piece));
  ASSERT_TRUE(TurnFace(session, 0, kRect0));
  if (tri_room >= 0) {
    ASSERT_TRUE(TurnFace(session, tri_room, {FaceKind::kTriangle, 0}));
  }
  const Ttrlevel edited = session.level();

  const std::string ext = std::filesystem::path(path).extension().string();
  const std::string out = scratch + "/edited" + ext;
  ASSERT_TRUE(session.document().SaveAs(out));
  const Ttrlevel back = Reread(out);
  const trectangle& saved = back.rooms[0].rectangles[0];
  EXPECT_EQ(+saved.texture, piece);
  EXPECT_EQ(+saved.vertices[0], +rect.vertices[3]);
  EXPECT_EQ(+saved.vertices[1], +rect.vertices[0]);
  if (tri_room >= 0) {
    EXPECT_EQ(back.rooms[tri_room].triangles[0], edited.rooms[tri_room].triangles[0]);
  }

  while (session.undo_stack().canUndo()) session.undo_stack().undo();
  const std::string again = scratch + "/undone" + ext;
  ASSERT_TRUE(session.document().SaveAs(again));
  EXPECT_TRUE(test::FileBytes(again) == test::FileBytes(path));
}

TEST_F(FaceCommandsTest, EditsReachTheFileAndUndoneSavesTheOriginal) {
  PaintTurnSaveUndo(test::DataPath("demo.tr4"), test::ScratchDir("face_demo"));
}

TEST(FaceCommandsRealLevels, EditsReachTheFileAndUndoneSavesTheOriginal) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels present in " << QAVEL_LEVELS_DIR;
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(generation);
    PaintTurnSaveUndo(path, test::ScratchDir("face_real_" + generation));
  }
}

}  // namespace
}  // namespace qavel
