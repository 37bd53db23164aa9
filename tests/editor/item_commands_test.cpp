// The Items panel's commands: every edit undone exactly, both item forms in step, aux entries,
// duplicate and create, the placement search and the arrow-key moves.

#include "editor/item_commands.h"

#include "session_cases.h"

namespace qavel {
namespace {

using test::Do;
using test::Item;

class ItemCommandsTest : public test::SessionTest {
 protected:
  std::string Entry(int index, uint16_t id) const {
    return std::to_string(index) + ".-" + session.document().names().NameOf(id);
  }
};

TEST_F(ItemCommandsTest, EveryEditIsOneNamedStepThatUndoesExactly) {
  test::ExpectEachUndoesExactly(session,
                                {
                                    {"Change ID", Item(1), Do(ChangeItemId, 30)},
                                    {"Change ID", Item(3), Do(ChangeItemId, 9)},
                                    {"Change OCB", Item(0), Do(ChangeItemOcb, -1)},
                                    {"Change OCB", Item(4), Do(ChangeItemOcb, 12)},
                                    {"Rotate", Item(2), Do(RotateItem)},
                                    {"Change -X-", Item(0), Do(SetItemPosition, Axis::kX, -3)},
                                    {"Change -Y-", Item(0), Do(SetItemPosition, Axis::kY, 5)},
                                    {"Change -Z-", Item(3), Do(SetItemPosition, Axis::kZ, 7)},
                                    {"Change -R-", Item(0), Do(ChangeItemRoom, 5)},
                                    {"Change -W-", Item(1), Do(ChangeItemLight, -1)},
                                    {"Duplicate", Item(2), Do(DuplicateItem, CreateChoice{})},
                                    {"Move", Item(0), Do(MoveItem, -16, 0)},
                                    {"Move", Item(4), Do(MoveItem, 0, 16)},
                                });
  // Each undone step is dropped by the next edit: only the last one remains to redo.
  EXPECT_EQ(session.undo_stack().count(), 1);
}

TEST_F(ItemCommandsTest, RefusalsSayWhyAndTouchNothing) {
  const char* none = "No item is selected.";
  test::ExpectEachRefused(
      session,
      {
          {"id", Item(-1), Do(ChangeItemId, 1), none},
          {"x", Item(-1), Do(SetItemPosition, Axis::kX, 1), none},
          {"move", Item(-1), Do(MoveItem, 16, 0), none},
          {"duplicate", Item(-1), Do(DuplicateItem, CreateChoice{}), none},
          {"room 6", Item(0), Do(ChangeItemRoom, 6), "Room 6 does not exist in this level."},
          {"room -1", Item(0), Do(ChangeItemRoom, -1), "Room -1 does not exist in this level."},
          {"aux angle", Item(3), Do(RotateItem), "Aux entries have no angle."},
          {"aux light", Item(3), Do(ChangeItemLight, 3), "Aux entries have no light."},
          {"aux copy", Item(3), Do(DuplicateItem, CreateChoice{}),
           "Aux entries cannot be duplicated."},
          {"movable", Item(0), Do(FindNextPlacement, 9, -1), "Choose a movable first."},
      });
  session.document().Adopt(test::MakeEditorLevel(kTR3), "memory.tr2");
  test::ExpectEachRefused(
      session, {{"tr3", Item(0), Do(ChangeItemOcb, 3), "Only TR4 and TR5 items have an OCB."}});
  EditorSession empty;
  for (const Result& r : {RotateItem(empty), DuplicateItem(empty), MoveItem(empty, 16, 0),
                          FindNextPlacement(empty, 0, -1)})
    EXPECT_EQ(r.status(), Status::kNothingLoaded);
  EXPECT_FALSE(PositionFrom(empty, PositionSource::kRoom));
}

TEST_F(ItemCommandsTest, EditsKeepBothFormsInStep) {
  select().SelectItem(1);
  ASSERT_TRUE(SetItemPosition(session, Axis::kX, -3));
  EXPECT_EQ(+level().items1[1].x, -1536);
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(RotateItem(session));
  EXPECT_EQ(+level().items2[1].angle, 0x4000);  // eight turns of 45 degrees
  ASSERT_TRUE(RotateItem(session));
  EXPECT_EQ(+level().items1[1].angle, 0x6000);
  // The light goes into both words of the second form and its low byte twice into the first.
  ASSERT_TRUE(ChangeItemLight(session, -1));
  EXPECT_EQ(+level().items2[1].light1, -1);
  EXPECT_EQ(static_cast<uint16_t>(level().items1[1].light), 0xFFFF);
  ASSERT_TRUE(ChangeItemLight(session, 0x1234));
  EXPECT_EQ(+level().items2[1].light2_ocb, 0x1234);
  EXPECT_EQ(static_cast<uint16_t>(level().items1[1].light), 0x3434);
  // An aux entry edits its own record only.
  const auto items = level().items2;
  select().SelectItem(3);
  ASSERT_TRUE(SetItemPosition(session, Axis::kY, -4));
  EXPECT_EQ(+level().aux_items[0].y, -1024);
  EXPECT_EQ(level().items2, items);
}

TEST_F(ItemCommandsTest, AutomaticStepsAndArrowMovesFoldIntoOneUndoStep) {
  select().SelectItem(0);
  for (int x = 1; x <= 5; ++x) ASSERT_TRUE(SetItemPosition(session, Axis::kX, x));
  EXPECT_EQ(+level().items2[0].x, 5 * 512);
  EXPECT_EQ(session.undo_stack().count(), 1);
  session.undo_stack().undo();
  // Shift+Left on x = -700 gives -716 in both forms; presses that follow are one step.
  for (Arrow a : {Arrow::kLeft, Arrow::kLeft, Arrow::kLeft, Arrow::kUp, Arrow::kUp, Arrow::kDown,
                  Arrow::kRight})
    ASSERT_TRUE(MoveItemByArrow(session, a));
  EXPECT_EQ(+level().items2[0].x, -732);
  EXPECT_EQ(+level().items1[0].x, -732);
  EXPECT_EQ(+level().items1[0].z, 1536 + 16);
  EXPECT_EQ(session.undo_stack().count(), 1);
  // Another entry starts a step of its own; on an aux entry only the aux record moves.
  const auto items = level().items2;
  select().SelectItem(4);
  ASSERT_TRUE(MoveItem(session, 0, kItemKeyStep));
  EXPECT_EQ(+level().aux_items[1].z, 1024 + 16);
  EXPECT_EQ(level().items2, items);
  EXPECT_EQ(session.undo_stack().count(), 2);
}

TEST_F(ItemCommandsTest, RoomIdAndDuplicateShowInTheTables) {
  select().SelectItem(0);
  ASSERT_TRUE(ChangeItemRoom(session, 5));
  EXPECT_EQ(session.document().room_items()[0].count, 0);
  EXPECT_EQ(session.document().room_items()[5].items, std::vector<uint16_t>{0});
  // Change ID renames the entry and shows its room.
  select().SelectRoom(4);
  select().SelectItem(1);
  ASSERT_TRUE(ChangeItemId(session, 30));
  EXPECT_EQ(select().room(), 1);
  EXPECT_EQ(session.document().item_texts()[1], Entry(1, 30));

  // Duplicate puts the copy (OCB and all) in the shown room; the aux entries stay listed.
  select().SelectItem(2);  // in room 3
  select().SelectRoom(5);
  ASSERT_TRUE(DuplicateItem(session));
  EXPECT_EQ(level().items2[3], test::MakeItem(5, 5, 1024, 256, 2048));
  EXPECT_EQ(select().item(), 3);
  EXPECT_EQ(session.document().item_texts(),
            (std::vector<std::string>{Entry(0, 5), Entry(1, 30), Entry(2, 5), Entry(3, 5),
                                      Entry(4, 30), Entry(5, 5)}));
  EXPECT_EQ(session.document().room_items()[4].items, std::vector<uint16_t>{5});
  session.undo_stack().undo();
  EXPECT_EQ(select().item(), 3);  // the aux entry that took the place
}

TEST_F(ItemCommandsTest, FindNextPlacementWalksItemsThenAuxRecords) {
  // Movable 1 has object id 5: items 0 and 2, then aux record 1 (entry 4), in rooms 0, 3, 4.
  const int walk[][3] = {{-1, 0, 0}, {0, 2, 3}, {2, 4, 4}};
  for (const auto& [after, entry, room] : walk) {
    ASSERT_TRUE(FindNextPlacement(session, 1, after));
    EXPECT_EQ(select().item(), entry);
    EXPECT_EQ(select().room(), room);
    EXPECT_EQ(MovableOfSelectedItem(session), 1);
  }
  EXPECT_EQ(FindNextPlacement(session, 1, 4).message(), "No more Items found");
  EXPECT_EQ(select().item(), 4);
}

TEST_F(ItemCommandsTest, CreateModeMakesTheDialogsItemOnce) {
  select().SelectRoom(5);
  select().SelectItem(1);  // in room 1; its angle, light and flags are copied
  session.SetCreateMode(true);
  // Positions in panel units: from the item (x 512 shows 1), the room, the static.
  EXPECT_EQ(PositionFrom(session, PositionSource::kItem), (PanelPosition{1, 0, 1}));
  select().SelectRoom(0);
  EXPECT_EQ(PositionFrom(session, PositionSource::kRoom), (PanelPosition{-2, -3, 9}));
  EXPECT_FALSE(PositionFrom(session, PositionSource::kStatic));
  select().SelectStatic(0);
  EXPECT_EQ(PositionFrom(session, PositionSource::kStatic), (PanelPosition{2, -2, 4}));

  select().SelectRoom(5);
  EXPECT_EQ(DuplicateItem(session, {-1, {}}).message(),
            "Choose the movable of the new item in the Create Item dialog.");
  ASSERT_TRUE(DuplicateItem(session, {3, {2, -3, -1}}));
  EXPECT_FALSE(session.create_mode());
  const titem2 made = test::MakeItem(30, 5, 1024, -768, -512);
  EXPECT_EQ(level().items2[3], made);
  EXPECT_EQ(session.undo_stack().undoText(), "Create Item");
  // Out of create mode, Duplicate copies the selected (new) item again.
  ASSERT_TRUE(DuplicateItem(session, {1, {9, 9, 9}}));
  EXPECT_EQ(level().items2[4], made);
}

}  // namespace
}  // namespace qavel
