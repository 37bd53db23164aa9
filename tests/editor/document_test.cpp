// The document and the selection: open and save, the signals panels rebuild on, and a full
// session of edits on every real level undone to a byte-identical file.

#include "editor/level_document.h"

#include <filesystem>
#include <fstream>

#include "../support/test_paths.h"
#include "editor/item_commands.h"
#include "editor/room_commands.h"
#include "editor/static_commands.h"
#include "session_cases.h"

namespace qavel {
namespace {

using test::SessionTest;
using DocumentTest = SessionTest;

TEST_F(DocumentTest, FailedOpenKeepsTheShownLevel) {
  const Ttrlevel before = level();
  select().SelectItem(2);
  const std::string dir = test::ScratchDir("editor_bad_open");
  std::ofstream(dir + "/bad.tr4") << "not a level";
  const struct {
    std::string path;
    Status status;
  } cases[] = {{"/nonexistent/level.tr4", Status::kNoSuchFile},
               {dir + "/bad.tr4", Status::kUnknownVersion},
               {dir, Status::kCannotOpen}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const Result r = session.document().Open(c.path);
    EXPECT_EQ(r.status(), c.status);
    EXPECT_FALSE(r.message().empty());
    EXPECT_TRUE(level() == before);
    EXPECT_EQ(select().item(), 2);
    EXPECT_EQ(session.document().file_path(), "memory.tr4");
  }
  EditorSession empty;
  EXPECT_EQ(empty.document().Save().status(), Status::kNothingLoaded);
}

TEST_F(DocumentTest, SelectionFollowsOpensAndEditsAndSaysWhatChanged) {
  std::vector<unsigned> seen;
  QObject::connect(&select(), &Selection::changed, [&](unsigned parts) { seen.push_back(parts); });
  select().SelectRoom(0);  // the same room, no static or sector: nothing changes
  EXPECT_TRUE(seen.empty());
  select().SelectStatic(1);
  select().SelectSector(2, 3);
  select().SelectRoom(2);  // forgets the static and the sector
  EXPECT_EQ(seen.back(), Selection::kRoom | Selection::kStatic | Selection::kSector);
  select().SelectRoom(6);    // no such room
  select().SelectStatic(0);  // room 2 has none
  EXPECT_EQ(select().room(), 2);
  EXPECT_EQ(select().static_instance(), -1);

  // A reopened level starts on its first room and entry, the search from the first group.
  session.set_search_cursor(7);
  select().SelectItem(4);
  session.document().Adopt(test::MakeEditorLevel(), "again.tr4");
  EXPECT_EQ(select().room(), 0);
  EXPECT_EQ(select().item(), 0);
  EXPECT_EQ(session.search_cursor(), 1);

  // The document tells what changed after the selection has followed.
  int announced_item = -2;
  QObject::connect(&session.document(), &LevelDocument::changed, [&](Change what, int, int) {
    if (what == Change::kItems) announced_item = select().item();
  });
  select().SelectItem(1);
  ASSERT_TRUE(DuplicateItem(session));
  EXPECT_EQ(announced_item, 3);
}

// A session of edits of every topic, undone: the saved file is the original.
TEST(DocumentRealLevels, EditedUndoneAndSavedIsByteIdentical) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels present; skipped";
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(generation);
    EditorSession session;
    ASSERT_TRUE(session.document().Open(path));
    ASSERT_TRUE(session.HasLevel());
    session.selection().SelectItem(0);
    ASSERT_TRUE(RotateItem(session));
    ASSERT_TRUE(SetItemPosition(session, Axis::kX, 3));
    ASSERT_TRUE(MoveItem(session, kItemKeyStep, -kItemKeyStep));
    ASSERT_TRUE(ChangeItemLight(session, -1));
    ASSERT_TRUE(DuplicateItem(session));
    for (int r = 0; r < session.level().num_rooms(); ++r) {
      if (session.level().rooms[r].num_static_instances() == 0) continue;
      session.selection().SelectRoom(r);
      session.selection().SelectStatic(0);
      ASSERT_TRUE(SetStaticPosition(session, Axis::kZ, 2));
      ASSERT_TRUE(DuplicateStatic(session));
      break;
    }
    const int room = session.selection().room();
    ASSERT_TRUE(SetRoomFlag(session, kFlagWater, !(session.level().rooms[room].flags & 1)));
    EXPECT_GE(session.undo_stack().count(), 5);
    while (session.undo_stack().canUndo()) session.undo_stack().undo();
    const std::string ext = std::filesystem::path(path).extension().string();
    const std::string out = test::ScratchDir("editor_undo_" + generation) + "/level" + ext;
    ASSERT_TRUE(session.document().SaveAs(out));
    EXPECT_TRUE(test::FileBytes(out) == test::FileBytes(path));
  }
}

}  // namespace
}  // namespace qavel
