// The editor layer on a session: the document, the selection, the undo steps, the face clicks
// and the exchange commands. What each edit changes is tested with the edits (tests/inspect).

#include <QCoreApplication>
#include <QEventLoop>
#include <filesystem>
#include <fstream>

#include "demo/demo_level.h"
#include "editor/editor_session.h"
#include "editor/exchange_commands.h"
#include "editor/face_commands.h"
#include "editor/item_commands.h"
#include "editor/level_document.h"
#include "editor/room_commands.h"
#include "editor/static_commands.h"
#include "fixtures/test_level.h"
#include "inspect/panel_texts.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

namespace fs = std::filesystem;
using enum ExchangeFormatId;

// A session on the fixture level (six rooms, three items, two aux records, two statics).
class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override { session.document().Adopt(test::MakeEditorLevel(), "memory.tr4"); }
  const Ttrlevel& level() const { return session.level(); }
  Selection& select() { return session.selection(); }
  EditorSession session;
};
using CommandsTest = SessionTest;
using DocumentTest = SessionTest;

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
  // Shift+Left on x = -700 gives -716; presses that follow are one step.
  for (Arrow a : {Arrow::kLeft, Arrow::kLeft, Arrow::kLeft, Arrow::kUp, Arrow::kUp, Arrow::kDown,
                  Arrow::kRight})
    ASSERT_TRUE(MoveItemByArrow(session, a));
  EXPECT_EQ(std::tuple(+level().items2[0].x, +level().items2[0].z, session.undo_stack().count()),
            std::tuple(-732, 1536 + 16, 1));
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
  const std::tuple<const char*, GroundAxes, Arrow, int, int> rows[] = {
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
  for (const auto& [view, axes, arrow, dx, dz] : rows) {
    SCOPED_TRACE(view);
    const int x = level().items2[0].x, z = level().items2[0].z;
    ASSERT_TRUE(MoveItemByArrow(session, arrow, axes));
    EXPECT_EQ(std::tuple(level().items2[0].x - x, level().items2[0].z - z), std::tuple(dx, dz));
  }
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
  EXPECT_EQ(std::tuple(select().room(), select().static_instance()), std::tuple(0, 1));
  // The placement search selects the entry and its room (movable 1: object id 5).
  ASSERT_TRUE(FindNextPlacement(session, 1, 2));
  EXPECT_EQ(std::tuple(select().item(), select().room(), MovableOfSelectedItem(session)),
            std::tuple(4, 4, 1));
}

TEST(FaceCommands, ClicksOnTheTexturesPageAndAPaintStroke) {
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
  const std::tuple<const char*, int, FaceRef, ClickModifiers, int, int, int, int, const char*>
      cases[] = {
          {"paint", 0, rect0, {}, 7, rect.vertices[0], 7, 1, "Paint Texture"},
          {"shift: nothing", 0, rect0, shift, rect.texture, rect.vertices[0], 7, 0, ""},
          {"shift paints a triangle", r, tri, shift, 7, t.vertices[0], 7, 1, "Paint Texture"},
          {"alt turns", 0, rect0, alt, rect.texture, rect.vertices[3], 7, 1, "Turn Texture"},
          {"ctrl picks", 0, rect0, ctrl, rect.texture, rect.vertices[0], shown, 0, ""},
          {"both", 0, rect0, ctrl_alt, rect.texture, rect.vertices[3], shown, 1, "Turn Texture"},
      };
  const Ttrlevel before = session.level();
  for (const auto& [what, face_room, face, keys, texture, first_corner, piece, steps, step] :
       cases) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(ClickFaceForTextures(session, face_room, face, keys));
    const bool is_tri = face.kind == FaceKind::kTriangle;
    const troom& hit = room(face_room);
    EXPECT_EQ(std::tuple(is_tri ? +hit.triangles[0].texture : +hit.rectangles[0].texture,
                         is_tri ? +hit.triangles[0].vertices[0] : +hit.rectangles[0].vertices[0],
                         session.selection().piece(), session.undo_stack().count(),
                         session.undo_stack().undoText().toStdString()),
              std::tuple(texture, first_corner, piece, steps, step));
    while (session.undo_stack().canUndo()) session.undo_stack().undo();
    EXPECT_EQ(session.level().FirstDifference(before), "");
    session.undo_stack().clear();
    session.selection().SelectPiece(7);
  }
  EXPECT_EQ(PickFaceTexture(session, 9, rect0).status(), Status::kRefused);
  // Painting in one drag: every face passed takes the piece, and the whole drag is one step.
  session.selection().SelectPiece(3);
  {
    PaintStroke stroke(session);
    for (int face : {0, 1, 2, 1}) ASSERT_TRUE(stroke.Paint(0, {FaceKind::kRectangle, face}, {}));
    // Ctrl picks up, it does not paint.
    ASSERT_TRUE(stroke.Paint(0, {FaceKind::kRectangle, 3}, ctrl));
  }
  for (int face : {0, 1, 2})
    EXPECT_EQ(session.level().rooms[0].rectangles[face].texture & 0x0FFF, 3);
  EXPECT_EQ(session.level().rooms[0].rectangles[3], before.rooms[0].rectangles[3]);
  EXPECT_EQ(std::tuple(session.undo_stack().count(), session.undo_stack().undoText().toStdString()),
            std::tuple(1, "Paint Texture"));
  session.undo_stack().undo();
  EXPECT_EQ(session.level().FirstDifference(before), "");
}

// A stopped or failed open leaves the shown level, its file and its selection. The window's
// tests drive the worker through the menus; here what they cannot reach, since the window asks
// busy() first: one task at a time.
TEST_F(DocumentTest, AStoppedOrFailedOpenKeepsTheShownLevel) {
  static int argc = 1;
  static char name[] = "editor_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  const Ttrlevel before = level();
  select().SelectItem(2);
  ASSERT_TRUE(session.document().StartOpen(test::DataPath("demo.tr4")));
  EXPECT_FALSE(session.document().StartOpen(test::DataPath("demo.tr4")));
  bool cancelled = false;
  QEventLoop loop;
  QObject::connect(&session.document(), &LevelDocument::fileTaskDone, &loop,
                   [&](const FileOutcome& o) {
                     cancelled = o.cancelled;
                     loop.quit();
                   });
  EXPECT_TRUE(session.document().CancelFileTask());
  if (session.document().busy()) loop.exec();
  EXPECT_TRUE(cancelled);
  const std::string dir = test::ScratchDir("editor_bad_open");
  std::ofstream(dir + "/bad.tr4") << "not a level";
  const std::pair<std::string, Status> cases[] = {{"/nonexistent/level.tr4", Status::kNoSuchFile},
                                                  {dir + "/bad.tr4", Status::kUnknownVersion},
                                                  {dir, Status::kCannotOpen}};
  for (const auto& [path, status] : cases) {
    SCOPED_TRACE(path);
    const Result r = session.document().Open(path);
    EXPECT_EQ(std::tuple(r.status(), r.message().empty(), level() == before, select().item(),
                         session.document().file_path()),
              std::tuple(status, false, true, 2, "memory.tr4"));
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
  EXPECT_EQ(std::tuple(select().room(), select().static_instance()), std::tuple(2, -1));

  // A reopened level starts on its first room and entry, the search from the first group.
  session.set_search_cursor(7);
  select().SelectItem(4);
  session.document().Adopt(test::MakeEditorLevel(), "again.tr4");
  EXPECT_EQ(std::tuple(select().room(), select().item(), session.search_cursor()),
            std::tuple(0, 0, 1));

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
    // Every room and item reads back as the session holds it, with what the writer computes
    // (sizes, TR5 headers) filled in; what each edit makes of them is the edits' test.
    Ttrlevel expected = level;
    AdoptFileValues(expected, WriteLevelBytes(level, path)->values);
    EXPECT_TRUE(read->rooms == expected.rooms && read->items2 == expected.items2);

    while (session.undo_stack().canUndo()) session.undo_stack().undo();
    ASSERT_TRUE(session.document().SaveAs(dir + "/undone" + ext));
    EXPECT_TRUE(*ReadWholeFile(dir + "/undone" + ext) == *ReadWholeFile(path));
  }
}

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
  EXPECT_EQ(std::tuple(session.undo_stack().count(), session.undo_stack().undoText().toStdString(),
                       level_changes),
            std::tuple(1, "Import DXF", 1));
  const troom& now = session.level().rooms[0];
  EXPECT_EQ(std::tuple(now.num_rectangles(), now.num_triangles(), now == room0),
            std::tuple(room1.num_rectangles(), room1.num_triangles(), false));
  EXPECT_EQ(session.level().rooms[1], room1);

  session.undo_stack().undo();
  EXPECT_EQ(std::tuple(level_changes, session.document().IsModified()), std::tuple(2, false));
  EXPECT_EQ(LevelBytes(session.level()), original);
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

TEST_F(ExchangeCommandsTest, RefusedOrUnchangingFilesAddNoStep) {
  ASSERT_TRUE(SetRoomFlag(session, kFlagWater, !(session.level().rooms[0].flags & kFlagWater)));
  std::ofstream(Path("junk.dxf"), std::ios::binary) << "hello\r\n";
  std::ofstream(Path("junk.msh"), std::ios::binary) << "not a mesh file at all";
  std::ofstream(Path("junk.zqp"), std::ios::binary) << "nor a project";
  const std::tuple<ExchangeFormatId, bool, const char*> cases[] = {
      {kDxf, false, "junk.dxf"}, {kDxf, false, "none.dxf"},       {kMshGeometry, false, "junk.msh"},
      {kZqp, false, "junk.zqp"}, {kDxf, true, "no/such/out.dxf"}, {kMshGeometry, true, "x.msh"}};
  const Ttrlevel before = session.level();
  for (const auto& [format, save, name] : cases) {
    SCOPED_TRACE(name);
    const Result r = save ? Export(format, name) : Import(format, name);
    EXPECT_EQ(std::tuple(r.ok(), r.message().empty(), session.level().FirstDifference(before),
                         session.undo_stack().count()),
              std::tuple(false, false, "", 1));
  }
  EXPECT_NE(Import(kZqp, "junk.zqp").message().find("junk.zqp"), std::string::npos);
  EXPECT_FALSE(fs::exists(Path("no")) || fs::exists(Path("x.msh")));
  // A file equal to the level adds no step; a project file is recognised and names its
  // generation, and carries no edits.
  ASSERT_TRUE(Export(kMshFull, "all.msh"));
  ASSERT_TRUE(Export(kZqp, "p.zqp"));
  ASSERT_TRUE(Import(kMshFull, "all.msh"));
  const Result r = Import(kZqp, "p.zqp");
  EXPECT_NE(r.message().find("TR4"), std::string::npos) << r.message();
  EXPECT_EQ(std::tuple(session.level() == before, session.undo_stack().count(), level_changes),
            std::tuple(true, 1, 0));
  EditorSession empty;
  EXPECT_EQ(ExportFile(empty, kMshFull, Path("e.msh")).message(), "No level is open.");
  EXPECT_EQ(ImportFile(empty, kMshFull, Path("e.msh")).status(), Status::kNothingLoaded);
}

}  // namespace
}  // namespace qavel
