// The commands of the panels on the session: the selection goes with the edit, a refusal or an
// edit that changes nothing adds no step, steps that follow each other fold, and the face clicks
// of the Textures page. What each edit changes is tested with the edits (tests/inspect); that
// every control makes its one named step, through the window (tests/ui).

#include "demo/demo_level.h"
#include "editor/face_commands.h"
#include "editor/item_commands.h"
#include "editor/room_commands.h"
#include "editor/static_commands.h"
#include "session_cases.h"

namespace qavel {
namespace {

using CommandsTest = test::SessionTest;

TEST_F(CommandsTest, RefusalsAndEditsThatChangeNothingAddNoStep) {
  // A refusal says why and changes nothing, the undo stack included.
  const Ttrlevel before = level();
  select().SelectItem(3);
  EXPECT_EQ(DuplicateItem(session).message(), "Aux entries cannot be duplicated.");
  select().SelectStatic(-1);
  EXPECT_EQ(DuplicateStatic(session).message(), "No static mesh is selected.");
  EXPECT_EQ(level().FirstDifference(before), "");
  select().SelectItem(0);
  ASSERT_TRUE(SetRoomFlag(session, kFlagWater, true));  // already set
  ASSERT_TRUE(SetItemPosition(session, Axis::kY, -3));  // already there
  EXPECT_EQ(session.undo_stack().count(), 0);
  EditorSession empty;
  for (const Result& r : {RotateItem(empty), DuplicateStatic(empty), SetWeatherValue(empty, 1),
                          FindNextPlacement(empty, 0, -1)})
    EXPECT_EQ(r.status(), Status::kNothingLoaded);
  EXPECT_FALSE(PositionFrom(empty, PositionSource::kRoom));
}

TEST_F(CommandsTest, AutomaticStepsAndArrowMovesFoldIntoOneUndoStep) {
  select().SelectItem(0);
  for (int x = 1; x <= 5; ++x) ASSERT_TRUE(SetItemPosition(session, Axis::kX, x));
  EXPECT_EQ(+level().items2[0].x, 5 * 512);
  EXPECT_EQ(session.undo_stack().count(), 1);
  session.undo_stack().undo();
  // Shift+Left on x = -700 gives -716; presses that follow are one step.
  for (Arrow a : {Arrow::kLeft, Arrow::kLeft, Arrow::kLeft, Arrow::kUp, Arrow::kUp, Arrow::kDown,
                  Arrow::kRight})
    ASSERT_TRUE(MoveItemByArrow(session, a));
  EXPECT_EQ(+level().items2[0].x, -732);
  EXPECT_EQ(+level().items2[0].z, 1536 + 16);
  EXPECT_EQ(session.undo_stack().count(), 1);
  // Another entry starts a step of its own.
  select().SelectItem(4);
  ASSERT_TRUE(MoveItem(session, 0, kItemKeyStep));
  EXPECT_EQ(session.undo_stack().count(), 2);
  // Spins moved away and back again leave no step.
  select().SelectStatic(0);
  for (int z : {5, 4}) ASSERT_TRUE(SetStaticPosition(session, Axis::kZ, z));
  EXPECT_EQ(session.undo_stack().count(), 2);
}

// Shift and the arrows move along the world axis nearest to the view's right (left, right) and
// the other one (up away from the viewer), whichever way the view looks.
TEST_F(CommandsTest, ArrowsFollowTheView) {
  const struct {
    const char* view;
    GroundAxes axes;
    Arrow arrow;
    int dx, dz;
  } rows[] = {
      {"along +z", {}, Arrow::kLeft, -16, 0},
      {"along +z", {}, Arrow::kUp, 0, 16},
      {"along -z", {-1, 0, 0, -1}, Arrow::kLeft, 16, 0},
      {"along -z", {-1, 0, 0, -1}, Arrow::kDown, 0, 16},
      {"along +x", {0, -1, 1, 0}, Arrow::kLeft, 0, 16},
      {"along +x", {0, -1, 1, 0}, Arrow::kUp, 16, 0},
      {"along -x, tilted", {0.2, 0.9, -0.9, 0.3}, Arrow::kRight, 0, 16},
      {"along -x, tilted", {0.2, 0.9, -0.9, 0.3}, Arrow::kUp, -16, 0},
  };
  select().SelectItem(0);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.view);
    const int x = level().items2[0].x, z = level().items2[0].z;
    ASSERT_TRUE(MoveItemByArrow(session, row.arrow, row.axes));
    EXPECT_EQ(level().items2[0].x - x, row.dx);
    EXPECT_EQ(level().items2[0].z - z, row.dz);
  }
}

// Painting in one drag: every face passed takes the piece, and the whole drag is one step.
TEST(FaceCommands, APaintStrokeIsOneUndoStep) {
  EditorSession session;
  session.document().Adopt(BuildDemoLevel(), "demo.tr4");
  const Ttrlevel before = session.level();
  session.selection().SelectPiece(3);
  {
    PaintStroke stroke(session);
    for (int face : {0, 1, 2, 1}) ASSERT_TRUE(stroke.Paint(0, {FaceKind::kRectangle, face}, {}));
    // Ctrl picks up, it does not paint.
    ASSERT_TRUE(stroke.Paint(0, {FaceKind::kRectangle, 3}, {false, true, false}));
  }
  for (int face : {0, 1, 2})
    EXPECT_EQ(session.level().rooms[0].rectangles[face].texture & 0x0FFF, 3);
  EXPECT_EQ(session.level().rooms[0].rectangles[3], before.rooms[0].rectangles[3]);
  EXPECT_EQ(session.undo_stack().count(), 1);
  EXPECT_EQ(session.undo_stack().undoText(), "Paint Texture");
  session.undo_stack().undo();
  EXPECT_EQ(session.level().FirstDifference(before), "");
}

TEST_F(CommandsTest, TheSelectionGoesWithTheEdit) {
  // Change ID shows the item's room; Duplicate selects the copy, its undo the entry that takes
  // its place (an aux record).
  select().SelectRoom(4);
  select().SelectItem(1);
  ASSERT_TRUE(ChangeItemId(session, 30));
  EXPECT_EQ(select().room(), 1);
  select().SelectRoom(5);
  ASSERT_TRUE(DuplicateItem(session));
  EXPECT_EQ(select().item(), 3);
  session.undo_stack().undo();
  EXPECT_EQ(select().item(), 3);
  // Undo in another room shows that room and the static it changed.
  select().SelectRoom(0);
  select().SelectStatic(1);
  ASSERT_TRUE(SetStaticPosition(session, Axis::kX, 2));
  select().SelectRoom(3);
  session.undo_stack().undo();
  EXPECT_EQ(select().room(), 0);
  EXPECT_EQ(select().static_instance(), 1);
  // The placement search selects the entry and its room (movable 1: object id 5).
  ASSERT_TRUE(FindNextPlacement(session, 1, 2));
  EXPECT_EQ(select().item(), 4);
  EXPECT_EQ(select().room(), 4);
  EXPECT_EQ(MovableOfSelectedItem(session), 1);
}

TEST_F(CommandsTest, CreateModeMakesTheDialogsItemOnce) {
  select().SelectRoom(5);
  select().SelectItem(1);
  session.SetCreateMode(true);
  EXPECT_EQ(PositionFrom(session, PositionSource::kItem), (PanelPosition{1, 0, 1}));
  ASSERT_TRUE(DuplicateItem(session, {3, {2, -3, -1}}));
  EXPECT_FALSE(session.create_mode());
  EXPECT_EQ(session.undo_stack().undoText(), "Create Item");
  EXPECT_EQ(+level().items2[3].object_id, 30);
  // Out of create mode, Duplicate copies the selected (new) item again.
  ASSERT_TRUE(DuplicateItem(session, {1, {9, 9, 9}}));
  EXPECT_EQ(level().items2[4], level().items2[3]);
}

TEST(FaceCommands, ClicksOnTheTexturesPage) {
  EditorSession session;
  session.document().Adopt(BuildDemoLevel(), "demo.tr4");
  auto room = [&session](int r) -> const troom& { return session.level().rooms[r]; };
  int r = 0;
  while (room(r).triangles.empty()) ++r;
  const FaceRef rect0{FaceKind::kRectangle, 0}, tri{FaceKind::kTriangle, 0};
  session.selection().SelectPiece(7);
  const trectangle rect = room(0).rectangles[0];
  const ttriangle t = room(r).triangles[0];
  const int shown = rect.texture & 0x0FFF;
  const ClickModifiers shift{true, false, false}, ctrl{false, true, false}, alt{false, false, true},
      ctrl_alt{false, true, true};
  // A click (room, face, keys) and what it leaves: the face's texture and first corner, the
  // selected piece, the undo steps and the last one's name.
  const struct {
    const char* what;
    int face_room;
    FaceRef face;
    ClickModifiers keys;
    int texture, first_corner, piece, steps;
    const char* step;
  } cases[] = {
      {"paint", 0, rect0, {}, 7, rect.vertices[0], 7, 1, "Paint Texture"},
      {"shift: nothing", 0, rect0, shift, rect.texture, rect.vertices[0], 7, 0, ""},
      {"shift paints a triangle", r, tri, shift, 7, t.vertices[0], 7, 1, "Paint Texture"},
      {"alt turns", 0, rect0, alt, rect.texture, rect.vertices[3], 7, 1, "Turn Texture"},
      {"ctrl picks", 0, rect0, ctrl, rect.texture, rect.vertices[0], shown, 0, ""},
      {"both", 0, rect0, ctrl_alt, rect.texture, rect.vertices[3], shown, 1, "Turn Texture"},
  };
  const Ttrlevel before = session.level();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(ClickFaceForTextures(session, c.face_room, c.face, c.keys));
    const bool is_tri = c.face.kind == FaceKind::kTriangle;
    const troom& hit = room(c.face_room);
    EXPECT_EQ(is_tri ? +hit.triangles[0].texture : +hit.rectangles[0].texture, c.texture);
    EXPECT_EQ(is_tri ? +hit.triangles[0].vertices[0] : +hit.rectangles[0].vertices[0],
              c.first_corner);
    EXPECT_EQ(session.selection().piece(), c.piece);
    EXPECT_EQ(session.undo_stack().count(), c.steps);
    EXPECT_EQ(session.undo_stack().undoText().toStdString(), c.step);
    while (session.undo_stack().canUndo()) session.undo_stack().undo();
    EXPECT_EQ(session.level().FirstDifference(before), "");
    session.undo_stack().clear();
    session.selection().SelectPiece(7);
  }
  EXPECT_EQ(PickFaceTexture(session, 9, rect0).status(), Status::kRefused);
}

}  // namespace
}  // namespace qavel
