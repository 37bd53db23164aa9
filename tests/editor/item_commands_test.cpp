// The Items panel's commands: every edit undone exactly, both item forms in step, aux entries,
// duplicate and create, the placement search and the arrow-key moves.

#include "editor/item_commands.h"

#include "editor/panel_texts.h"
#include "session_cases.h"

namespace qavel {
namespace {

using test::SessionTest;

class ItemCommandsTest : public SessionTest {
 protected:
  std::string Entry(int index, uint16_t id) const {
    return std::to_string(index) + ".-" + session.document().names().NameOf(id);
  }
};

auto Item(int n) {
  return [n](EditorSession& s) { s.selection().SelectItem(n); };
}

TEST_F(ItemCommandsTest, EveryEditIsOneNamedStepThatUndoesExactly) {
  test::ExpectEachUndoesExactly(
      session,
      {
          {"Change ID", Item(1), [](EditorSession& s) { return ChangeItemId(s, 30); }},
          {"Change ID", Item(3), [](EditorSession& s) { return ChangeItemId(s, 9); }},
          {"Change OCB", Item(0), [](EditorSession& s) { return ChangeItemOcb(s, -1); }},
          {"Change OCB", Item(4), [](EditorSession& s) { return ChangeItemOcb(s, 12); }},
          {"Rotate", Item(2), [](EditorSession& s) { return RotateItem(s); }},
          {"Change -X-", Item(0),
           [](EditorSession& s) { return SetItemPosition(s, Axis::kX, -3); }},
          {"Change -Y-", Item(0), [](EditorSession& s) { return SetItemPosition(s, Axis::kY, 5); }},
          {"Change -Z-", Item(3), [](EditorSession& s) { return SetItemPosition(s, Axis::kZ, 7); }},
          {"Change -R-", Item(0), [](EditorSession& s) { return ChangeItemRoom(s, 5); }},
          {"Change -W-", Item(1), [](EditorSession& s) { return ChangeItemLight(s, -1); }},
          {"Duplicate", Item(2), [](EditorSession& s) { return DuplicateItem(s); }},
          {"Move", Item(0), [](EditorSession& s) { return MoveItem(s, -16, 0); }},
          {"Move", Item(4), [](EditorSession& s) { return MoveItem(s, 0, 16); }},
      });
  // Each undone step is dropped by the next edit: only the last one remains to redo.
  EXPECT_EQ(session.undo_stack().count(), 1);
}

TEST_F(ItemCommandsTest, RefusalsSayWhyAndTouchNothing) {
  test::ExpectEachRefused(
      session,
      {
          {"id", Item(-1), [](EditorSession& s) { return ChangeItemId(s, 1); },
           "No item is selected."},
          {"x", Item(-1), [](EditorSession& s) { return SetItemPosition(s, Axis::kX, 1); },
           "No item is selected."},
          {"move", Item(-1), [](EditorSession& s) { return MoveItem(s, 16, 0); },
           "No item is selected."},
          {"duplicate", Item(-1), [](EditorSession& s) { return DuplicateItem(s); },
           "No item is selected."},
          {"room 6", Item(0), [](EditorSession& s) { return ChangeItemRoom(s, 6); },
           "Room 6 does not exist in this level."},
          {"room -1", Item(0), [](EditorSession& s) { return ChangeItemRoom(s, -1); },
           "Room -1 does not exist in this level."},
          {"aux angle", Item(3), [](EditorSession& s) { return RotateItem(s); },
           "Aux entries have no angle."},
          {"aux light", Item(3), [](EditorSession& s) { return ChangeItemLight(s, 3); },
           "Aux entries have no light."},
          {"aux duplicate", Item(3), [](EditorSession& s) { return DuplicateItem(s); },
           "Aux entries cannot be duplicated."},
          {"no such movable", Item(0), [](EditorSession& s) { return FindNextPlacement(s, 9, -1); },
           "Choose a movable first."},
      });
  // Before TR4 there is no OCB.
  session.document().Adopt(test::MakeEditorLevel(kTR3), "memory.tr2");
  test::ExpectEachRefused(
      session, {{"tr3 ocb", Item(0), [](EditorSession& s) { return ChangeItemOcb(s, 3); },
                 "Only TR4 and TR5 items have an OCB."}});
  // Without a level nothing at all is done.
  EditorSession empty;
  for (const Result& r : {RotateItem(empty), DuplicateItem(empty), MoveItem(empty, 16, 0),
                          FindNextPlacement(empty, 0, -1)})
    EXPECT_EQ(r.status(), Status::kNothingLoaded);
  EXPECT_FALSE(PositionFrom(empty, PositionSource::kRoom));
}

TEST_F(ItemCommandsTest, EditsKeepBothFormsInStep) {
  select().SelectItem(1);
  ASSERT_TRUE(SetItemPosition(session, Axis::kX, -3));
  EXPECT_EQ(+level().items2[1].x, -1536);
  EXPECT_EQ(+level().items1[1].x, -1536);
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(RotateItem(session));
  EXPECT_EQ(+level().items2[1].angle, 0x4000);
  ASSERT_TRUE(RotateItem(session));
  EXPECT_EQ(+level().items1[1].angle, 0x6000);

  ASSERT_TRUE(ChangeItemLight(session, -1));
  EXPECT_EQ(+level().items2[1].light1, -1);
  EXPECT_EQ(+level().items2[1].light2_ocb, -1);
  EXPECT_EQ(static_cast<uint16_t>(level().items1[1].light), 0xFFFF);
  ASSERT_TRUE(ChangeItemLight(session, 0x1234));
  EXPECT_EQ(+level().items2[1].light2_ocb, 0x1234);
  EXPECT_EQ(static_cast<uint16_t>(level().items1[1].light), 0x3434);

  ASSERT_TRUE(ChangeItemOcb(session, -1));
  EXPECT_EQ(+level().items2[1].light2_ocb, -1);
  EXPECT_EQ(OcbStoredText(level(), 1), "OCB:65535");

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
  EXPECT_EQ(+level().items2[0].x, -700);

  // Shift+Left on x = -700 gives -716 in both forms; three presses are one step.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(MoveItem(session, -kItemKeyStep, 0));
  EXPECT_EQ(+level().items2[0].x, -748);
  EXPECT_EQ(+level().items1[0].x, -748);
  EXPECT_EQ(session.undo_stack().count(), 1);
  // Another entry starts a step of its own; on an aux entry only the aux record moves.
  const auto items = level().items2;
  select().SelectItem(4);
  ASSERT_TRUE(MoveItem(session, 0, kItemKeyStep));
  EXPECT_EQ(+level().aux_items[1].z, 1024 + 16);
  EXPECT_EQ(level().items2, items);
  EXPECT_EQ(session.undo_stack().count(), 2);
  session.undo_stack().undo();
  session.undo_stack().undo();
  EXPECT_EQ(+level().items2[0].x, -700);
  EXPECT_EQ(+level().aux_items[1].z, 1024);
}

TEST_F(ItemCommandsTest, RoomAndIdChangesShowInTheTables) {
  select().SelectItem(0);
  ASSERT_TRUE(ChangeItemRoom(session, 5));
  EXPECT_EQ(+level().items1[0].room, 5);
  EXPECT_EQ(session.document().room_items()[0].count, 0);
  EXPECT_EQ(session.document().room_items()[5].items, std::vector<uint16_t>{0});

  // Change ID renames the entry and shows its room; the aux entries stay listed.
  select().SelectRoom(4);
  select().SelectItem(1);
  ASSERT_TRUE(ChangeItemId(session, 30));
  EXPECT_EQ(select().room(), 1);
  EXPECT_EQ(session.document().item_texts()[1], Entry(1, 30));
  EXPECT_EQ(session.document().ItemListSize(), 5);
}

TEST_F(ItemCommandsTest, DuplicatePutsTheCopyInTheShownRoomAndKeepsAuxEntries) {
  select().SelectItem(2);  // in room 3
  select().SelectRoom(5);
  ASSERT_TRUE(DuplicateItem(session));
  ASSERT_EQ(level().num_items(), 4u);
  const titem2& copy = level().items2[3];
  EXPECT_EQ(copy.room, 5);
  EXPECT_EQ(test::MakeItem(5, 5, 1024, 256, 2048), copy);  // the OCB travels with the copy
  EXPECT_EQ(level().items1[3], ItemToTr1(copy));
  EXPECT_EQ(select().item(), 3);
  EXPECT_EQ(session.document().item_texts(),
            (std::vector<std::string>{Entry(0, 5), Entry(1, 9), Entry(2, 5), Entry(3, 5),
                                      Entry(4, 30), Entry(5, 5)}));
  EXPECT_EQ(session.document().room_items()[5].items, std::vector<uint16_t>{3});
  EXPECT_EQ(session.document().room_items()[4].items, std::vector<uint16_t>{5});
  session.undo_stack().undo();
  EXPECT_EQ(session.document().ItemListSize(), 5);
  EXPECT_EQ(select().item(), 3);  // the aux entry that took the place
}

TEST_F(ItemCommandsTest, FindNextPlacementWalksItemsThenAuxRecords) {
  // Movable 1 has object id 5: items 0 and 2, then aux record 1 (entry 4).
  const std::pair<int, int> walk[] = {{-1, 0}, {0, 2}, {2, 4}};
  const int rooms[] = {0, 3, 4};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(FindNextPlacement(session, 1, walk[i].first));
    EXPECT_EQ(select().item(), walk[i].second);
    EXPECT_EQ(select().room(), rooms[i]);
    EXPECT_EQ(MovableOfSelectedItem(session), 1);
  }
  const Result none = FindNextPlacement(session, 1, 4);
  EXPECT_EQ(none.message(), "No more Items found");
  EXPECT_EQ(select().item(), 4);
}

TEST_F(ItemCommandsTest, CreateModeMakesTheDialogsItemOnce) {
  select().SelectRoom(5);
  select().SelectItem(1);  // in room 1; its angle, light and flags are copied
  bool mode_signal = true;
  QObject::connect(&session, &EditorSession::createModeChanged, [&](bool on) { mode_signal = on; });
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
  EXPECT_TRUE(session.create_mode());
  ASSERT_TRUE(DuplicateItem(session, {3, {2, -3, -1}}));
  EXPECT_FALSE(session.create_mode());
  EXPECT_FALSE(mode_signal);
  const titem2 made = test::MakeItem(30, 5, 1024, -768, -512);
  EXPECT_EQ(level().items2[3], made);
  EXPECT_EQ(session.undo_stack().undoText(), "Create Item");

  // Out of create mode, Duplicate copies the selected (new) item again.
  ASSERT_TRUE(DuplicateItem(session, {1, {9, 9, 9}}));
  EXPECT_EQ(level().items2[4], made);
}

}  // namespace
}  // namespace qavel
