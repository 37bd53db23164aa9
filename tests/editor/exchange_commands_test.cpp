// The Import and Export commands on the session: one undo step per import that changes the
// level, exact undo, refused files that change nothing, exports that say why.

#include "editor/exchange_commands.h"

#include <filesystem>
#include <fstream>

#include "../support/test_paths.h"
#include "editor/room_commands.h"
#include "level/level_writer.h"
#include "session_cases.h"

namespace qavel {
namespace {

namespace fs = std::filesystem;

Bytes LevelBytes(const Ttrlevel& level) {
  Ttrlevel copy = level;
  Bytes out;
  std::string why;
  EXPECT_EQ(WriteLevelBytes(copy, "demo.tr4", out, nullptr, &why), kWriteOk) << why;
  return out;
}

class ExchangeCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session.document().Open(test::DataPath("demo.tr4")));
    dir = test::ScratchDir(
        "exchange_session_" +
        std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    QObject::connect(&session.document(), &LevelDocument::changed, [this](Change what, int, int) {
      if (what == Change::kLevel || what == Change::kLevelFloorData) ++level_changes;
    });
  }
  std::string Path(const std::string& name) const { return dir + "/" + name; }

  EditorSession session;
  std::string dir;
  int level_changes = 0;
};

TEST_F(ExchangeCommandsTest, DxfImportIsOneUndoStepThatGivesTheLevelsBytesBack) {
  const Bytes original = LevelBytes(session.level());
  session.selection().SelectRoom(1);
  Result r = ExportRoomDxf(session, Path("room1.dxf"));
  ASSERT_TRUE(r) << r.message();
  EXPECT_NE(r.message().find("room 1"), std::string::npos) << r.message();

  // Room 1's faces go into room 0: the level changes in one step named after the command.
  session.selection().SelectRoom(0);
  const troom room0 = session.level().rooms[0];
  const troom room1 = session.level().rooms[1];
  ASSERT_TRUE(ImportRoomDxf(session, Path("room1.dxf")));
  ASSERT_EQ(session.undo_stack().count(), 1);
  EXPECT_EQ(session.undo_stack().undoText(), "Import DXF");
  EXPECT_EQ(level_changes, 1);
  EXPECT_EQ(session.level().rooms[0].num_rectangles(), room1.num_rectangles());
  EXPECT_EQ(session.level().rooms[0].num_triangles(), room1.num_triangles());
  EXPECT_NE(session.level().rooms[0], room0);
  EXPECT_EQ(session.level().rooms[1], room1);

  session.undo_stack().undo();
  EXPECT_EQ(level_changes, 2);
  EXPECT_EQ(LevelBytes(session.level()), original);
  EXPECT_FALSE(session.document().IsModified());
  session.undo_stack().redo();
  EXPECT_EQ(session.level().rooms[0].num_rectangles(), room1.num_rectangles());
}

TEST_F(ExchangeCommandsTest, RefusedFilesChangeNothingAndSayWhy) {
  ASSERT_TRUE(SetRoomFlag(session, kFlagWater, !(session.level().rooms[0].flags & kFlagWater)));
  std::ofstream(Path("junk.dxf"), std::ios::binary) << "hello\r\n";
  std::ofstream(Path("junk.msh"), std::ios::binary) << "not a mesh file at all";
  std::ofstream(Path("junk.zqp"), std::ios::binary) << "nor a project";
  auto run = [this](std::function<Result(EditorSession&, const std::string&)> f, const char* name) {
    return [this, f, name](EditorSession& s) { return f(s, Path(name)); };
  };
  const std::vector<std::pair<const char*, std::function<Result(EditorSession&)>>> cases = {
      {"dxf", run(ImportRoomDxf, "junk.dxf")},
      {"missing dxf", run(ImportRoomDxf, "none.dxf")},
      {"msh 1", run([](EditorSession& s, const std::string& p) { return ImportMsh(s, p, false); },
                    "junk.msh")},
      {"msh 2", run([](EditorSession& s, const std::string& p) { return ImportMsh(s, p, true); },
                    "junk.msh")},
      {"zqp", run(ImportZqp, "junk.zqp")},
      {"export into no folder", run(ExportMsh, "no/such/folder/out.msh")},
      {"zqp into no folder", run(ExportZqp, "no/such/folder/out.zqp")},
      {"dxf into no folder", run(ExportRoomDxf, "no/such/folder/out.dxf")},
  };
  const Ttrlevel before = session.level();
  for (const auto& [name, command] : cases) {
    SCOPED_TRACE(name);
    const Result r = command(session);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.message().empty());
    EXPECT_EQ(session.level().FirstDifference(before), "");
    EXPECT_EQ(session.undo_stack().count(), 1);
  }
  EXPECT_NE(ImportZqp(session, Path("junk.zqp")).message().find("junk.zqp"), std::string::npos);
  EXPECT_EQ(level_changes, 0);
  EXPECT_FALSE(fs::exists(Path("no")));

  // Without a level every command refuses at once.
  EditorSession empty;
  EXPECT_EQ(ExportMsh(empty, Path("e.msh")).message(), "No level is open.");
  EXPECT_EQ(ImportMsh(empty, Path("e.msh"), false).status(), Status::kNothingLoaded);
  EXPECT_FALSE(fs::exists(Path("e.msh")));
}

TEST_F(ExchangeCommandsTest, ZqpIsRecognisedAndChangesNothing) {
  ASSERT_TRUE(ExportZqp(session, Path("p.zqp")));
  EXPECT_EQ(fs::file_size(Path("p.zqp")), 25u);
  const Ttrlevel before = session.level();
  const Result r = ImportZqp(session, Path("p.zqp"));
  ASSERT_TRUE(r) << r.message();
  EXPECT_NE(r.message().find("TR4"), std::string::npos) << r.message();
  EXPECT_TRUE(session.level() == before);
  EXPECT_EQ(session.undo_stack().count(), 0);
}

TEST_F(ExchangeCommandsTest, MshGeometryImportIsOneStepAndUndoesExactly) {
  ASSERT_TRUE(ExportMsh(session, Path("all.msh")));
  // Change the geometry of room 0 through a second session, and export that.
  EditorSession other;
  ASSERT_TRUE(other.document().Open(test::DataPath("demo.tr4")));
  other.selection().SelectRoom(1);
  ASSERT_TRUE(ExportRoomDxf(other, Path("r1.dxf")));
  other.selection().SelectRoom(0);
  ASSERT_TRUE(ImportRoomDxf(other, Path("r1.dxf")));
  ASSERT_TRUE(ExportMsh(other, Path("changed.msh")));

  const Bytes original = LevelBytes(session.level());
  ASSERT_TRUE(ImportMsh(session, Path("changed.msh"), true));
  EXPECT_EQ(session.undo_stack().undoText(), "Import MSH_2");
  EXPECT_EQ(session.level().rooms[0].rectangles, other.level().rooms[0].rectangles);
  session.undo_stack().undo();
  EXPECT_EQ(LevelBytes(session.level()), original);

  // A file equal to the level is imported without adding an undo step.
  ASSERT_TRUE(ImportMsh(session, Path("all.msh"), false));
  EXPECT_EQ(session.undo_stack().count(), 1);
  EXPECT_EQ(session.undo_stack().index(), 0);
}

TEST(ExchangeCommandsRealLevels, MshAndDxfRoundTripsSaveTheOriginalBytes) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels present in " << QAVEL_LEVELS_DIR;
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(generation);
    EditorSession session;
    ASSERT_TRUE(session.document().Open(path));
    const std::string dir = test::ScratchDir("exchange_session_real_" + generation);
    ASSERT_TRUE(ExportMsh(session, dir + "/level.msh"));
    ASSERT_TRUE(ImportMsh(session, dir + "/level.msh", false));
    const std::string saved = dir + "/" + fs::path(path).filename().string();
    ASSERT_TRUE(session.document().SaveAs(saved));
    EXPECT_TRUE(test::FileBytes(saved) == test::FileBytes(path)) << "saved level differs";

    // A DXF round trip of room 0 is one step (or none, when nothing differs) whose undo leaves
    // the model as read.
    const Ttrlevel before = session.level();
    ASSERT_TRUE(ExportRoomDxf(session, dir + "/room0.dxf"));
    const Result imported = ImportRoomDxf(session, dir + "/room0.dxf");
    ASSERT_TRUE(imported) << imported.message();
    if (session.undo_stack().count() > 0) {
      EXPECT_EQ(session.undo_stack().undoText(), "Import DXF");
      session.undo_stack().undo();
    }
    EXPECT_EQ(session.level().FirstDifference(before), "");
  }
}

}  // namespace
}  // namespace qavel
