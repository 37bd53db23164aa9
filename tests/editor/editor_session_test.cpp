// Every edit of the session done and undone, the selections, create mode and the open/save path.

#include "editor/editor_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "../support/test_paths.h"
#include "fixtures/editor_fixture.h"
#include "level/level_reader.h"

namespace qavel {
namespace {

class SessionTest : public ::testing::Test {
 protected:
  // The list text of an entry: its index and the name of its object id.
  std::string Entry(int index, uint16_t id) const {
    return std::to_string(index) + ".-" + session.names().NameOf(id);
  }
  void SetUp() override { session.Adopt(test::MakeEditorLevel(), "memory.tr4"); }
  const Ttrlevel& level() const { return session.level(); }
  EditorSession session;
};

// One command of the window, run on a fresh selection.
struct Edit {
  const char* name;
  std::function<void(EditorSession&)> select;
  std::function<EditResult(EditorSession&)> run;
};

TEST_F(SessionTest, EveryEditUndoesToTheSameModel) {
  auto item = [](int n) { return [n](EditorSession& s) { s.SelectItem(n); }; };
  auto stat = [](int k) {
    return [k](EditorSession& s) {
      s.SelectRoom(0);
      s.SelectStatic(k);
    };
  };
  const std::vector<Edit> edits = {
      {"item id", item(1), [](EditorSession& s) { return s.ChangeItemId(30); }},
      {"aux id", item(3), [](EditorSession& s) { return s.ChangeItemId(9); }},
      {"ocb", item(0), [](EditorSession& s) { return s.ChangeItemOcb(-1); }},
      {"aux ocb", item(4), [](EditorSession& s) { return s.ChangeItemOcb(12); }},
      {"rotate", item(2), [](EditorSession& s) { return s.RotateItem(); }},
      {"x", item(0), [](EditorSession& s) { return s.SetItemX(-3); }},
      {"y", item(0), [](EditorSession& s) { return s.SetItemY(5); }},
      {"z", item(3), [](EditorSession& s) { return s.SetItemZ(7); }},
      {"room", item(0), [](EditorSession& s) { return s.ChangeItemRoom(5); }},
      {"light", item(1), [](EditorSession& s) { return s.ChangeItemLight(-1); }},
      {"duplicate", item(2), [](EditorSession& s) { return s.DuplicateItem(); }},
      {"static id", stat(0), [](EditorSession& s) { return s.ChangeStaticId(8); }},
      {"static x", stat(1), [](EditorSession& s) { return s.SetStaticX(4); }},
      {"static y", stat(1), [](EditorSession& s) { return s.SetStaticY(-4); }},
      {"static z", stat(0), [](EditorSession& s) { return s.SetStaticZ(9); }},
      {"static rotate", stat(0), [](EditorSession& s) { return s.RotateStatic(); }},
      {"static lights", stat(1), [](EditorSession& s) { return s.ChangeStaticLights(1, 2); }},
      {"static duplicate", stat(1), [](EditorSession& s) { return s.DuplicateStatic(); }},
      {"flag", stat(0), [](EditorSession& s) { return s.SetRoomFlag(kFlagSky, true); }},
      {"weather", stat(0), [](EditorSession& s) { return s.SetWeatherValue(1); }},
      {"trc value", stat(0), [](EditorSession& s) { return s.SetTrcValue(5, -9); }},
  };
  const Ttrlevel before = level();
  for (const Edit& e : edits) {
    SCOPED_TRACE(e.name);
    e.select(session);
    ASSERT_TRUE(e.run(session).done);
    EXPECT_FALSE(level() == before);
    EXPECT_TRUE(session.IsModified());
    session.undo_stack().undo();
    EXPECT_EQ(level().FirstDifference(before), "");
    EXPECT_FALSE(session.IsModified());
    session.undo_stack().redo();
    session.undo_stack().undo();
    EXPECT_TRUE(level() == before);
  }
  // Each undone step is dropped by the next edit: only the last one remains to redo.
  EXPECT_EQ(session.undo_stack().count(), 1);
}

TEST_F(SessionTest, UndoStepsAreNamedAfterTheirCommand) {
  session.SelectItem(0);
  session.RotateItem();
  session.SetItemX(1);
  EXPECT_EQ(session.undo_stack().undoText(), "Change -X-");
  session.undo_stack().undo();
  EXPECT_EQ(session.undo_stack().undoText(), "Rotate");
}

TEST_F(SessionTest, AutomaticPositionStepsFoldIntoOneUndoStep) {
  session.SelectItem(0);
  for (int x = 1; x <= 5; ++x) session.SetItemX(x);
  EXPECT_EQ(+level().items2[0].x, 5 * 512);
  EXPECT_EQ(session.undo_stack().count(), 1);
  session.undo_stack().undo();
  EXPECT_EQ(+level().items2[0].x, -700);
  // Stepping back to the start leaves nothing to undo.
  session.SetItemX(3);
  session.SetItemX(-1);  // -1 x 512 is not -700: still a change
  EXPECT_EQ(session.undo_stack().count(), 1);
}

TEST_F(SessionTest, ItemEditsKeepBothFormsInStep) {
  session.SelectItem(1);
  session.SetItemX(-3);
  EXPECT_EQ(+level().items2[1].x, -1536);
  EXPECT_EQ(+level().items1[1].x, -1536);
  for (int i = 0; i < 8; ++i) session.RotateItem();
  EXPECT_EQ(+level().items2[1].angle, 0x4000);
  session.RotateItem();
  EXPECT_EQ(+level().items1[1].angle, 0x6000);

  session.ChangeItemLight(-1);
  EXPECT_EQ(+level().items2[1].light1, -1);
  EXPECT_EQ(+level().items2[1].light2_ocb, -1);
  EXPECT_EQ(static_cast<uint16_t>(level().items1[1].light), 0xFFFF);
  session.ChangeItemLight(0x1234);
  EXPECT_EQ(+level().items2[1].light1, 0x1234);
  EXPECT_EQ(+level().items2[1].light2_ocb, 0x1234);
  EXPECT_EQ(static_cast<uint16_t>(level().items1[1].light), 0x3434);

  session.ChangeItemOcb(-1);
  EXPECT_EQ(+level().items2[1].light2_ocb, -1);
  EXPECT_EQ(OcbStoredText(level(), 1), "OCB:65535");
}

TEST_F(SessionTest, OcbIsLeftAloneBeforeTr4) {
  session.Adopt(test::MakeEditorLevel(kTR3), "memory.tr2");
  session.SelectItem(0);
  EXPECT_FALSE(session.ChangeItemOcb(3).done);
  EXPECT_EQ(session.undo_stack().count(), 0);
}

TEST_F(SessionTest, NoSelectionTouchesNothing) {
  const Ttrlevel before = level();
  session.SelectItem(-1);
  session.SelectStatic(-1);
  EXPECT_FALSE(session.ChangeItemId(1).done);
  EXPECT_FALSE(session.ChangeItemOcb(1).done);
  EXPECT_FALSE(session.RotateItem().done);
  EXPECT_FALSE(session.SetItemX(1).done);
  EXPECT_FALSE(session.ChangeItemRoom(1).done);
  EXPECT_FALSE(session.ChangeItemLight(1).done);
  EXPECT_FALSE(session.DuplicateItem().done);
  EXPECT_FALSE(session.ChangeStaticId(1).done);
  EXPECT_FALSE(session.SetStaticY(1).done);
  EXPECT_FALSE(session.RotateStatic().done);
  EXPECT_FALSE(session.ChangeStaticLights(1, 1).done);
  EXPECT_FALSE(session.DuplicateStatic().done);
  EXPECT_FALSE(session.SetTrcValue(13, 1).done);
  EXPECT_FALSE(session.SetTrcValue(-1, 1).done);
  EXPECT_TRUE(level() == before);
  EXPECT_EQ(session.undo_stack().count(), 0);

  // Without a level nothing at all is done.
  EditorSession empty;
  EXPECT_FALSE(empty.SetRoomFlag(kFlagWater, true).done);
  EXPECT_FALSE(empty.SetWeatherValue(1).done);
  EXPECT_FALSE(empty.FindNextPlacement(0, -1).done);
  EXPECT_FALSE(empty.PositionFrom(PositionSource::kRoom));
}

TEST_F(SessionTest, AuxEntriesEditTheirOwnRecordOnly) {
  const Ttrlevel before = level();
  session.SelectItem(3);
  EXPECT_FALSE(session.RotateItem().done);
  EXPECT_EQ(session.RotateItem().message, "Aux entries have no angle.");
  EXPECT_FALSE(session.ChangeItemLight(3).done);
  EXPECT_FALSE(session.DuplicateItem().done);
  EXPECT_TRUE(level() == before);
  ASSERT_TRUE(session.SetItemY(-4).done);
  EXPECT_EQ(+level().aux_items[0].y, -1024);
  EXPECT_EQ(level().items2, before.items2);
}

TEST_F(SessionTest, ChangeRoomMovesTheItemToTheNewRoomsList) {
  session.SelectItem(0);
  ASSERT_TRUE(session.ChangeItemRoom(5).done);
  EXPECT_EQ(+level().items1[0].room, 5);
  EXPECT_EQ(session.room_items()[0].count, 0);
  EXPECT_EQ(session.room_items()[5].items, std::vector<uint16_t>{0});
  const EditResult r = session.ChangeItemRoom(6);
  EXPECT_FALSE(r.done);
  EXPECT_EQ(r.message, "Room 6 does not exist in this level.");
  EXPECT_FALSE(session.ChangeItemRoom(-1).done);
}

TEST_F(SessionTest, ChangeIdRenamesTheEntryAndShowsItsRoom) {
  session.SelectRoom(4);
  session.SelectItem(1);
  ASSERT_TRUE(session.ChangeItemId(30).done);
  EXPECT_EQ(session.selected_room(), 1);
  EXPECT_EQ(session.item_texts()[1], Entry(1, 30));
  EXPECT_EQ(session.ItemListSize(), 5);  // the aux entries stay listed
}

TEST_F(SessionTest, DuplicatePutsTheCopyInTheShownRoomAndKeepsAuxEntries) {
  session.SelectItem(2);  // in room 3
  session.SelectRoom(5);
  ASSERT_TRUE(session.DuplicateItem().done);
  ASSERT_EQ(level().num_items(), 4u);
  const titem2& copy = level().items2[3];
  EXPECT_EQ(copy.room, 5);
  EXPECT_EQ(copy.x, 1024);
  EXPECT_EQ(copy.y, 256);
  EXPECT_EQ(copy.z, 2048);
  EXPECT_EQ(copy.light2_ocb, 7);  // the OCB travels with the copy
  EXPECT_EQ(level().items1[3], ItemToTr1(copy));
  EXPECT_EQ(session.selected_item(), 3);
  EXPECT_EQ(session.item_texts(),
            (std::vector<std::string>{Entry(0, 5), Entry(1, 9), Entry(2, 5), Entry(3, 5),
                                      Entry(4, 30), Entry(5, 5)}));
  EXPECT_EQ(session.room_items()[5].items, std::vector<uint16_t>{3});
  EXPECT_EQ(session.room_items()[4].items, std::vector<uint16_t>{5});  // aux entry moved on
  session.undo_stack().undo();
  EXPECT_EQ(session.ItemListSize(), 5);
  EXPECT_EQ(session.selected_item(), 3);  // the aux entry that took the place
}

TEST_F(SessionTest, StaticEditsKeepTheFirstFormInStepAndStopAtFifty) {
  session.SelectRoom(0);
  session.SelectStatic(1);
  session.SetStaticY(4);
  EXPECT_EQ(+level().rooms[0].statics2[1].y, 1024);
  EXPECT_EQ(+level().rooms[0].statics1[1].y, 1024);
  session.ChangeStaticLights(100, 200);
  EXPECT_EQ(+level().rooms[0].statics1[1].intensity, 100);
  for (int i = 0; i < 8; ++i) session.RotateStatic();
  EXPECT_EQ(+level().rooms[0].statics2[1].rotation, 0);

  ASSERT_TRUE(session.DuplicateStatic().done);
  EXPECT_EQ(session.selected_static(), 2);
  EXPECT_EQ(level().rooms[0].statics2[2], level().rooms[0].statics2[1]);
  EXPECT_EQ(level().rooms[0].statics1.size(), 3u);
  while (level().rooms[0].num_static_instances() < 50) ASSERT_TRUE(session.DuplicateStatic().done);
  const EditResult full = session.DuplicateStatic();
  EXPECT_FALSE(full.done);
  EXPECT_EQ(full.message, "This room already holds 50 static meshes; no more can be added.");
  EXPECT_EQ(level().rooms[0].num_static_instances(), 50u);
}

TEST_F(SessionTest, UndoShowsTheEditedStaticInItsRoom) {
  session.SelectRoom(0);
  session.SelectStatic(1);
  session.SetStaticX(2);
  session.SelectRoom(3);
  session.undo_stack().undo();
  EXPECT_EQ(session.selected_room(), 0);
  EXPECT_EQ(session.selected_static(), 1);
}

TEST_F(SessionTest, RoomFlagsSwitchOneBitEach) {
  session.SelectRoom(1);
  session.Adopt(test::MakeEditorLevel(), "memory.tr4");
  Ttrlevel base = test::MakeEditorLevel();
  base.rooms[0].flags = 0x0009;
  session.Adopt(base, "memory.tr4");
  ASSERT_TRUE(session.SetRoomFlag(kFlagWater, false).done);
  EXPECT_EQ(level().rooms[0].flags, 0x0008);
  base.rooms[0].flags = 0x0100;
  session.Adopt(base, "memory.tr4");
  session.SetRoomFlag(kFlagQuicksand, true);
  EXPECT_EQ(level().rooms[0].flags, 0x0180);
  // Setting a bit that is already set records nothing.
  session.SetRoomFlag(kFlagQuicksand, true);
  EXPECT_EQ(session.undo_stack().count(), 1);
}

TEST_F(SessionTest, FindNextPlacementWalksItemsThenAuxRecords) {
  // Movable 1 has object id 5: items 0 and 2, then aux record 1 (entry 4).
  ASSERT_TRUE(session.FindNextPlacement(1, -1).done);
  EXPECT_EQ(session.selected_item(), 0);
  ASSERT_TRUE(session.FindNextPlacement(1, 0).done);
  EXPECT_EQ(session.selected_item(), 2);
  EXPECT_EQ(session.selected_room(), 3);
  ASSERT_TRUE(session.FindNextPlacement(1, 2).done);
  EXPECT_EQ(session.selected_item(), 4);
  EXPECT_EQ(session.selected_room(), 4);
  const EditResult none = session.FindNextPlacement(1, 4);
  EXPECT_FALSE(none.done);
  EXPECT_EQ(none.message, "No more Items found");
  EXPECT_EQ(session.selected_item(), 4);
  EXPECT_FALSE(session.FindNextPlacement(9, -1).done);
}

TEST_F(SessionTest, CreateModeMakesTheDialogsItemOnce) {
  session.SelectRoom(5);
  session.SelectItem(1);  // in room 1; its angle, light and flags are copied
  bool mode_signal = true;
  QObject::connect(&session, &EditorSession::createModeChanged, [&](bool on) { mode_signal = on; });
  session.BeginCreate();
  EXPECT_TRUE(session.create_mode());
  // Taking the position from the selected item: y = 0 shows 0, x 512 shows 1.
  EXPECT_EQ(session.PositionFrom(PositionSource::kItem), (PanelPosition{1, 0, 1}));
  session.SelectRoom(0);
  EXPECT_EQ(session.PositionFrom(PositionSource::kRoom), (PanelPosition{-2, -3, 9}));
  EXPECT_FALSE(session.PositionFrom(PositionSource::kStatic));
  session.SelectStatic(0);
  EXPECT_EQ(session.PositionFrom(PositionSource::kStatic), (PanelPosition{2, -2, 4}));

  session.SelectRoom(5);
  EXPECT_FALSE(session.DuplicateItem({-1, {}}).done);  // no movable chosen
  EXPECT_TRUE(session.create_mode());
  ASSERT_TRUE(session.DuplicateItem({3, {2, -3, -1}}).done);
  EXPECT_FALSE(session.create_mode());
  EXPECT_FALSE(mode_signal);
  const titem2& made = level().items2[3];
  EXPECT_EQ(made.object_id, 30);
  EXPECT_EQ(made.room, 5);
  EXPECT_EQ(made.x, 1024);
  EXPECT_EQ(made.y, -768);
  EXPECT_EQ(made.z, -512);
  EXPECT_EQ(made.angle, 0x4000);
  EXPECT_EQ(made.item_flags, 0x3E00);
  EXPECT_EQ(session.undo_stack().undoText(), "Create Item");

  // Out of create mode, Duplicate copies the selected (new) item again.
  ASSERT_TRUE(session.DuplicateItem({1, {9, 9, 9}}).done);
  EXPECT_EQ(+level().items2[4].object_id, 30);
  EXPECT_EQ(+level().items2[4].x, 1024);
}

TEST_F(SessionTest, FailedOpenKeepsTheShownLevel) {
  const Ttrlevel before = level();
  session.SelectItem(2);
  std::string message;
  EXPECT_FALSE(session.Open("/nonexistent/level.tr4", &message));
  EXPECT_FALSE(message.empty());
  EXPECT_TRUE(level() == before);
  EXPECT_EQ(session.selected_item(), 2);

  const std::string dir = test::ScratchDir("editor_bad_open");
  const std::string bad = dir + "/bad.tr4";
  std::ofstream(bad) << "not a level";
  EXPECT_FALSE(session.Open(bad, &message));
  EXPECT_FALSE(message.empty());
  EXPECT_TRUE(level() == before);
  EXPECT_EQ(session.file_path(), "memory.tr4");
}

std::vector<char> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(SessionRealLevels, EditedUndoneAndSavedIsByteIdentical) {
  auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels present; skipped";
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(generation);
    EditorSession session;
    std::string message;
    ASSERT_TRUE(session.Open(path, &message)) << message;
    ASSERT_TRUE(session.HasLevel());
    session.SelectItem(0);
    session.RotateItem();
    session.SetItemX(3);
    session.ChangeItemLight(-1);
    session.DuplicateItem();
    for (int r = 0; r < session.level().num_rooms(); ++r) {
      if (session.level().rooms[r].num_static_instances() == 0) continue;
      session.SelectRoom(r);
      session.SelectStatic(0);
      session.SetStaticZ(2);
      session.DuplicateStatic();
      break;
    }
    session.SetRoomFlag(kFlagWater, !(session.level().rooms[session.selected_room()].flags & 1));
    EXPECT_GT(session.undo_stack().count(), 3);
    while (session.undo_stack().canUndo()) session.undo_stack().undo();
    const std::string ext = std::filesystem::path(path).extension().string();
    const std::string out = test::ScratchDir("editor_undo_" + generation) + "/level" + ext;
    ASSERT_TRUE(session.SaveAs(out, &message)) << message;
    EXPECT_EQ(FileBytes(out), FileBytes(path));
  }
}

TEST(SessionRealLevels, Tr1StaticPositionReachesTheFile) {
  QAVEL_REAL_LEVEL_OR_SKIP(path, "TR1");
  EditorSession session;
  std::string message;
  ASSERT_TRUE(session.Open(path, &message)) << message;
  int room = -1;
  for (int r = 0; r < session.level().num_rooms() && room < 0; ++r)
    if (session.level().rooms[r].num_static_instances() > 0) room = r;
  if (room < 0) GTEST_SKIP() << "the TR1 level has no static meshes";
  session.SelectRoom(room);
  session.SelectStatic(0);
  ASSERT_TRUE(session.SetStaticX(7).done);
  ASSERT_TRUE(session.ChangeStaticLights(321, 5).done);
  const std::string out = test::ScratchDir("editor_tr1_static") + "/level.phd";
  ASSERT_TRUE(session.SaveAs(out, &message)) << message;
  EXPECT_FALSE(session.IsModified());
  const Ttrlevel reread = test::ReadLevelOrFail(out);
  EXPECT_EQ(+reread.rooms[room].statics2[0].x, 7 * 512);
  EXPECT_EQ(+reread.rooms[room].statics1[0].intensity, 321);
}

}  // namespace
}  // namespace qavel
