// The document and the selection: open and save (on the caller's thread and on a worker, with a
// stop), the signals panels rebuild on, and a full session of edits on every real level undone
// to a byte-identical file.

#include "editor/level_document.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <filesystem>
#include <fstream>

#include "editor/face_commands.h"
#include "editor/item_commands.h"
#include "editor/room_commands.h"
#include "editor/static_commands.h"
#include "inspect/panel_texts.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "session_cases.h"
#include "test_paths.h"

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

// Runs the event loop until the document's file task is over and gives its outcome.
FileOutcome WaitForTask(LevelDocument& document) {
  FileOutcome outcome;
  QEventLoop loop;
  QObject::connect(&document, &LevelDocument::fileTaskDone, &loop, [&](const FileOutcome& o) {
    outcome = o;
    loop.quit();
  });
  if (document.busy()) loop.exec();
  return outcome;
}

// The window's tests drive the worker through the menus; here what they cannot reach, since the
// window asks busy() first: one task at a time.
TEST_F(DocumentTest, OneFileTaskAtATimeAndAStopThatChangesNothing) {
  static int argc = 1;
  static char name[] = "editor_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  const std::string demo = test::DataPath("demo.tr4");
  const Ttrlevel before = level();
  select().SelectItem(2);
  // A stopped open leaves the shown level, its file and its selection.
  ASSERT_TRUE(session.document().StartOpen(demo));
  EXPECT_FALSE(session.document().StartOpen(demo));  // one task at a time
  EXPECT_TRUE(session.document().CancelFileTask());
  const FileOutcome outcome = WaitForTask(session.document());
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_TRUE(level() == before);
  EXPECT_EQ(session.document().file_path(), "memory.tr4");
  EXPECT_EQ(select().item(), 2);
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
  QObject::connect(&session.document(), &LevelDocument::changed, [&](const EditTarget& target) {
    if (std::holds_alternative<ItemListTarget>(target)) announced_item = select().item();
  });
  select().SelectItem(1);
  ASSERT_TRUE(DuplicateItem(session));
  EXPECT_EQ(announced_item, 3);
}

// A session of edits of every topic on the demo level and every real level: the edits reach the
// file, and undone they give the original file back, byte for byte.
TEST(DocumentLevels, EditsReachTheFileAndUndoneGiveItBack) {
  for (const auto& [generation, path] : test::SweptLevels()) {
    SCOPED_TRACE(generation);
    EditorSession session;
    ASSERT_TRUE(session.document().Open(path));
    const Ttrlevel& level = session.level();
    const std::string dir = test::ScratchDir("editor_session_" + generation);
    const std::string ext = std::filesystem::path(path).extension().string();
    session.selection().SelectItem(0);
    const titem2 item = level.items2[0];
    ASSERT_TRUE(RotateItem(session));
    ASSERT_TRUE(MoveItem(session, kItemKeyStep, -kItemKeyStep));
    ASSERT_TRUE(ChangeItemLight(session, -1));
    ASSERT_TRUE(DuplicateItem(session));
    for (int r = 0; r < level.num_rooms(); ++r) {
      if (level.rooms[r].num_static_instances() == 0) continue;
      session.selection().SelectRoom(r);
      session.selection().SelectStatic(0);
      ASSERT_TRUE(SetStaticPosition(session, Axis::kZ, 2));
      ASSERT_TRUE(ChangeStaticLights(session, 321, 321));  // TR1 files hold one light
      ASSERT_TRUE(DuplicateStatic(session));
      break;
    }
    session.selection().SelectRoom(0);
    ASSERT_TRUE(SetRoomFlag(session, kFlagWater, !(level.rooms[0].flags & kFlagWater)));
    // Every TR5 header value that can be edited reaches the file.
    for (int line = 0; level.version_kind == kTR5 && line < kTrcValueLines; ++line) {
      if (!TrcValueLockedReason(line).empty()) continue;
      ASSERT_TRUE(SetTrcValue(session, line, 1000 + line));
    }
    // Faces: room 0's first rectangle painted and turned, the first triangle turned (TR5
    // rooms keep their layers).
    const trectangle rect = level.rooms[0].rectangles[0];
    const int piece = ((rect.texture & 0x0FFF) + 1) % static_cast<int>(level.num_object_textures());
    const FaceRef first{FaceKind::kRectangle, 0};
    ASSERT_TRUE(PaintFace(session, 0, first, piece));
    ASSERT_TRUE(TurnFace(session, 0, first));
    for (int r = 0; r < level.num_rooms(); ++r) {
      if (level.rooms[r].triangles.empty()) continue;
      ASSERT_TRUE(TurnFace(session, r, {FaceKind::kTriangle, 0}));
      break;
    }
    ASSERT_TRUE(session.document().SaveAs(dir + "/edited" + ext));
    Expected<Ttrlevel> read = ReadLevel(dir + "/edited" + ext);
    ASSERT_TRUE(read) << read.message();
    const Ttrlevel& back = *read;
    EXPECT_EQ(back.items2[0].x, item.x + kItemKeyStep);
    EXPECT_EQ(back.items2[0].z, item.z - kItemKeyStep);
    EXPECT_EQ(+back.rooms[0].rectangles[0].texture, piece);
    EXPECT_EQ(+back.rooms[0].rectangles[0].vertices[0], +rect.vertices[3]);
    // Every room reads back as the session holds it, with what the writer computes (sizes,
    // TR5 headers) filled in.
    Ttrlevel expected = level;
    AdoptFileValues(expected, WriteLevelBytes(level, path)->values);
    EXPECT_TRUE(back.rooms == expected.rooms);

    while (session.undo_stack().canUndo()) session.undo_stack().undo();
    ASSERT_TRUE(session.document().SaveAs(dir + "/undone" + ext));
    EXPECT_TRUE(test::FileBytes(dir + "/undone" + ext) == test::FileBytes(path));
  }
}

}  // namespace
}  // namespace qavel
