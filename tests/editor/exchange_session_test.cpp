// The Import and Export commands as the session runs them: one undo step per import that
// changes the level, exact undo, refused files that change nothing, exports that say why.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "../support/test_paths.h"
#include "editor/editor_session.h"
#include "level/level_writer.h"

namespace qavel {
namespace {

namespace fs = std::filesystem;

Bytes LevelBytes(const Ttrlevel& level, const std::string& name) {
  const auto written = WriteLevelBytes(level, name);
  EXPECT_TRUE(written) << written.message();
  return written ? written->bytes : Bytes{};
}

Bytes FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class ExchangeSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(session.Open(test::DataPath("demo.tr4"), &why)) << why;
    dir = test::ScratchDir(
        "exchange_session_" +
        std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    CountLevelChanges();
  }
  void CountLevelChanges() {
    QObject::connect(&session, &EditorSession::changed, [this](Change what, int) {
      if (what == Change::kLevel) ++level_changes;
    });
  }
  std::string Path(const std::string& name) const { return dir + "/" + name; }

  EditorSession session;
  std::string dir;
  int level_changes = 0;
};

TEST_F(ExchangeSessionTest, DxfImportIsOneUndoStepThatGivesTheLevelsBytesBack) {
  const Bytes original = LevelBytes(session.level(), "demo.tr4");
  session.SelectRoom(1);
  std::string message;
  ASSERT_TRUE(session.ExportRoomDxf(Path("room1.dxf"), &message)) << message;
  EXPECT_NE(message.find("room 1"), std::string::npos) << message;

  // Room 1's faces go into room 0: the level changes in one step named after the command.
  session.SelectRoom(0);
  const troom room0 = session.level().rooms[0];
  const troom room1 = session.level().rooms[1];
  ASSERT_TRUE(session.ImportRoomDxf(Path("room1.dxf"), &message)) << message;
  ASSERT_EQ(session.undo_stack().count(), 1);
  EXPECT_EQ(session.undo_stack().undoText(), "Import DXF");
  EXPECT_TRUE(session.IsModified());
  EXPECT_EQ(level_changes, 1);
  EXPECT_EQ(session.level().rooms[0].num_rectangles(), room1.num_rectangles());
  EXPECT_EQ(session.level().rooms[0].num_triangles(), room1.num_triangles());
  EXPECT_NE(session.level().rooms[0], room0);
  EXPECT_EQ(session.level().rooms[1], room1);

  session.undo_stack().undo();
  EXPECT_EQ(level_changes, 2);
  EXPECT_EQ(session.level().rooms[0], room0);
  EXPECT_EQ(LevelBytes(session.level(), "demo.tr4"), original);
  EXPECT_FALSE(session.IsModified());
  session.undo_stack().redo();
  EXPECT_EQ(session.level().rooms[0].num_rectangles(), room1.num_rectangles());
}

TEST_F(ExchangeSessionTest, RefusedFilesChangeNothingAndSayWhy) {
  session.SelectRoom(0);
  ASSERT_TRUE(session.SetRoomFlag(kFlagWater, !(session.level().rooms[0].flags & kFlagWater)).done);
  const Ttrlevel before = session.level();
  const int steps = session.undo_stack().count();

  WriteText(Path("junk.dxf"), "hello\r\n");
  WriteText(Path("junk.msh"), "not a mesh file at all");
  WriteText(Path("junk.zqp"), "nor a project");
  std::string message;
  struct Case {
    const char* name;
    std::function<bool(std::string*)> run;
  };
  const std::vector<Case> cases = {
      {"dxf", [&](std::string* m) { return session.ImportRoomDxf(Path("junk.dxf"), m); }},
      {"missing dxf", [&](std::string* m) { return session.ImportRoomDxf(Path("none.dxf"), m); }},
      {"msh 1", [&](std::string* m) { return session.ImportMsh(Path("junk.msh"), false, m); }},
      {"msh 2", [&](std::string* m) { return session.ImportMsh(Path("junk.msh"), true, m); }},
      {"missing msh", [&](std::string* m) { return session.ImportMsh(Path("no.msh"), false, m); }},
      {"zqp", [&](std::string* m) { return session.ImportZqp(Path("junk.zqp"), m); }},
  };
  for (const Case& c : cases) {
    message.clear();
    EXPECT_FALSE(c.run(&message)) << c.name;
    EXPECT_FALSE(message.empty()) << c.name;
    EXPECT_TRUE(session.level() == before)
        << c.name << ": " << session.level().FirstDifference(before);
    EXPECT_EQ(session.undo_stack().count(), steps) << c.name;
  }
  EXPECT_NE(message.find("junk.zqp"), std::string::npos) << message;
  EXPECT_EQ(level_changes, 0);
}

TEST_F(ExchangeSessionTest, ExportsThatFailWriteNothing) {
  std::string message;
  const std::string missing_dir = Path("no/such/folder/out.msh");
  EXPECT_FALSE(session.ExportMsh(missing_dir, &message));
  EXPECT_FALSE(message.empty());
  EXPECT_FALSE(session.ExportZqp(Path("no/such/folder/out.zqp"), &message));
  EXPECT_FALSE(message.empty());
  EXPECT_FALSE(session.ExportRoomDxf(Path("no/such/folder/out.dxf"), &message));
  EXPECT_FALSE(message.empty());
  EXPECT_FALSE(fs::exists(Path("no")));

  // Without a level every command refuses at once.
  EditorSession empty;
  EXPECT_FALSE(empty.ExportMsh(Path("e.msh"), &message));
  EXPECT_EQ(message, "No level is open.");
  EXPECT_FALSE(empty.ImportMsh(Path("e.msh"), false, &message));
  EXPECT_FALSE(fs::exists(Path("e.msh")));
}

TEST_F(ExchangeSessionTest, ZqpIsRecognisedAndChangesNothing) {
  std::string message;
  ASSERT_TRUE(session.ExportZqp(Path("p.zqp"), &message)) << message;
  EXPECT_EQ(FileBytes(Path("p.zqp")).size(), 25u);
  const Ttrlevel before = session.level();
  EXPECT_TRUE(session.ImportZqp(Path("p.zqp"), &message)) << message;
  EXPECT_NE(message.find("TR4"), std::string::npos) << message;
  EXPECT_TRUE(session.level() == before);
  EXPECT_EQ(session.undo_stack().count(), 0);
}

TEST_F(ExchangeSessionTest, MshGeometryImportIsOneStepAndUndoesExactly) {
  std::string message;
  ASSERT_TRUE(session.ExportMsh(Path("all.msh"), &message)) << message;
  // Change lights and geometry of room 0 through a second session, and export that.
  EditorSession other;
  ASSERT_TRUE(other.Open(test::DataPath("demo.tr4"), &message));
  other.SelectRoom(1);
  ASSERT_TRUE(other.ExportRoomDxf(Path("r1.dxf"), &message)) << message;
  other.SelectRoom(0);
  ASSERT_TRUE(other.ImportRoomDxf(Path("r1.dxf"), &message)) << message;
  ASSERT_TRUE(other.ExportMsh(Path("changed.msh"), &message)) << message;

  const Bytes original = LevelBytes(session.level(), "demo.tr4");
  ASSERT_TRUE(session.ImportMsh(Path("changed.msh"), true, &message)) << message;
  EXPECT_EQ(session.undo_stack().undoText(), "Import MSH_2");
  EXPECT_EQ(session.level().rooms[0].rectangles, other.level().rooms[0].rectangles);
  session.undo_stack().undo();
  EXPECT_EQ(LevelBytes(session.level(), "demo.tr4"), original);

  // A file equal to the level is imported without adding an undo step.
  ASSERT_TRUE(session.ImportMsh(Path("all.msh"), false, &message)) << message;
  EXPECT_EQ(session.undo_stack().count(), 1);
  EXPECT_EQ(session.undo_stack().index(), 0);
}

TEST(ExchangeSessionRealLevels, MshExportThenFullImportSavesTheOriginalBytes) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels present in " << QAVEL_LEVELS_DIR;
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(generation);
    EditorSession session;
    std::string message;
    ASSERT_TRUE(session.Open(path, &message)) << message;
    const std::string dir = test::ScratchDir("exchange_session_real_" + generation);
    ASSERT_TRUE(session.ExportMsh(dir + "/level.msh", &message)) << message;
    ASSERT_TRUE(session.ImportMsh(dir + "/level.msh", false, &message)) << message;
    const std::string saved = dir + "/" + fs::path(path).filename().string();
    ASSERT_TRUE(session.SaveAs(saved, &message)) << message;
    EXPECT_TRUE(FileBytes(saved) == FileBytes(path)) << "saved level differs from " << path;

    // A DXF round trip of room 0 and its undo leave the model as read.
    Ttrlevel before = session.level();
    ASSERT_TRUE(session.ExportRoomDxf(dir + "/room0.dxf", &message)) << message;
    if (session.ImportRoomDxf(dir + "/room0.dxf", &message) && session.undo_stack().canUndo()) {
      session.undo_stack().undo();
      EXPECT_TRUE(session.level() == before) << session.level().FirstDifference(before);
    }
  }
}

}  // namespace
}  // namespace qavel
