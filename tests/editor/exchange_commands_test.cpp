// The Import and Export commands on the session: one undo step per import that changes the
// level, exact undo, refused files that change nothing, exports that say why.

#include "editor/exchange_commands.h"

#include <filesystem>
#include <fstream>

#include "editor/room_commands.h"
#include "level/level_writer.h"
#include "session_cases.h"
#include "test_paths.h"

namespace qavel {
namespace {

namespace fs = std::filesystem;
using enum ExchangeFormatId;

Bytes LevelBytes(const Ttrlevel& level) {
  Expected<WrittenLevel> written = WriteLevelBytes(level, "demo.tr4");
  EXPECT_TRUE(written) << written.message();
  return written ? written->bytes : Bytes();
}

class ExchangeCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session.document().Open(test::DataPath("demo.tr4")));
    dir = test::ScratchDir(
        "exchange_session_" +
        std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    QObject::connect(&session.document(), &LevelDocument::changed,
                     [this](const EditTarget& target) {
                       if (AsLevel(target)) ++level_changes;
                     });
  }
  std::string Path(const std::string& name) const { return dir + "/" + name; }
  Result Export(ExchangeFormatId f, const std::string& name) {
    return ExportFile(session, f, Path(name));
  }
  Result Import(ExchangeFormatId f, const std::string& name) {
    return ImportFile(session, f, Path(name));
  }

  EditorSession session;
  std::string dir;
  int level_changes = 0;
};

TEST_F(ExchangeCommandsTest, ImportsAreOneUndoStepThatGivesTheLevelsBytesBack) {
  const Bytes original = LevelBytes(session.level());
  session.selection().SelectRoom(1);
  Result r = Export(kDxf, "room1.dxf");
  ASSERT_TRUE(r) << r.message();
  EXPECT_NE(r.message().find("room 1"), std::string::npos) << r.message();

  // Room 1's faces go into room 0: the level changes in one step named after the command.
  session.selection().SelectRoom(0);
  const troom room0 = session.level().rooms[0];
  const troom room1 = session.level().rooms[1];
  ASSERT_TRUE(Import(kDxf, "room1.dxf"));
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
  const troom changed = session.level().rooms[0];

  // The changed level as an MSH file: importing its geometry is one step too.
  ASSERT_TRUE(Export(kMshFull, "changed.msh"));
  session.undo_stack().undo();
  ASSERT_TRUE(Import(kMshGeometry, "changed.msh"));
  EXPECT_EQ(session.undo_stack().undoText(), "Import MSH_2");
  EXPECT_EQ(session.level().rooms[0].rectangles, changed.rectangles);
  session.undo_stack().undo();
  EXPECT_EQ(LevelBytes(session.level()), original);
}

TEST_F(ExchangeCommandsTest, RefusedFilesChangeNothingAndSayWhy) {
  ASSERT_TRUE(SetRoomFlag(session, kFlagWater, !(session.level().rooms[0].flags & kFlagWater)));
  std::ofstream(Path("junk.dxf"), std::ios::binary) << "hello\r\n";
  std::ofstream(Path("junk.msh"), std::ios::binary) << "not a mesh file at all";
  std::ofstream(Path("junk.zqp"), std::ios::binary) << "nor a project";
  const struct {
    ExchangeFormatId format;
    bool save;
    const char* name;
  } cases[] = {{kDxf, false, "junk.dxf"},         {kDxf, false, "none.dxf"},
               {kMshGeometry, false, "junk.msh"}, {kZqp, false, "junk.zqp"},
               {kDxf, true, "no/such/out.dxf"},   {kMshGeometry, true, "x.msh"}};
  const Ttrlevel before = session.level();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = c.save ? Export(c.format, c.name) : Import(c.format, c.name);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.message().empty());
    EXPECT_EQ(session.level().FirstDifference(before), "");
    EXPECT_EQ(session.undo_stack().count(), 1);
  }
  EXPECT_NE(Import(kZqp, "junk.zqp").message().find("junk.zqp"), std::string::npos);
  EXPECT_EQ(level_changes, 0);
  EXPECT_FALSE(fs::exists(Path("no")));
  EXPECT_FALSE(fs::exists(Path("x.msh")));
  EditorSession empty;
  EXPECT_EQ(ExportFile(empty, kMshFull, Path("e.msh")).message(), "No level is open.");
  EXPECT_EQ(ImportFile(empty, kMshFull, Path("e.msh")).status(), Status::kNothingLoaded);
}

TEST_F(ExchangeCommandsTest, FilesEqualToTheLevelAddNoStep) {
  ASSERT_TRUE(Export(kMshFull, "all.msh"));
  ASSERT_TRUE(Export(kZqp, "p.zqp"));
  const Ttrlevel before = session.level();
  ASSERT_TRUE(Import(kMshFull, "all.msh"));
  // A project file is recognised and names its generation; it carries no edits.
  const Result r = Import(kZqp, "p.zqp");
  EXPECT_NE(r.message().find("TR4"), std::string::npos) << r.message();
  EXPECT_TRUE(session.level() == before);
  EXPECT_EQ(session.undo_stack().count(), 0);
  EXPECT_EQ(level_changes, 0);
}

}  // namespace
}  // namespace qavel
