// The level's problems in the window and the questions a save asks: the Problems panel goes to
// what a problem names, a save asks about errors the level did not have, about a file another
// program changed (first), and says once that a file is read-only; a changed file is offered
// for reloading.

#include <QDockWidget>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "editor/edit_command.h"
#include "level/level_writer.h"
#include "test_paths.h"
#include "ui/problems_panel.h"
#include "ui_support.h"

namespace qavel {
namespace {

namespace fs = std::filesystem;
using test::WindowTest;

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Item 0 sent to a room the level lacks, as no edit of the window would: an error a save must
// ask about.
Result LoseItemRoom(LevelDocument& document) {
  const uint16_t room = document.level().items2[0].room;
  return Push(document, LevelEdit::Change<uint16_t>("Lose Room", ItemEntryTarget{0}, kNoMerge, room,
                                                    77, [](Ttrlevel& l, const uint16_t& v) {
                                                      titem2 item = l.items2[0];
                                                      item.room = v;
                                                      StoreItem(l, 0, item);
                                                    }));
}

TEST_F(WindowTest, TheProblemsPanelGoesToWhatAProblemNames) {
  Ttrlevel broken = test::MakeEditorLevel();
  titem2 odd = broken.items2[2];
  odd.object_id = 1234;  // no movable: a warning at entry 2, in room 3
  StoreItem(broken, 2, odd);
  AppendStatic(broken.rooms[2], tstatic2{{}, 0, 0, 0, 0, 0, 0, 77});  // no static mesh 77
  broken.rooms[4].alternate_room = 9;
  // Every sector names box 0 of a level without boxes.
  window.session().document().Adopt(broken, "broken.tr4");
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  // A level with errors shows its problems at once; View > Problems hides and shows them.
  QDockWidget* dock = window.problemsDock();
  EXPECT_FALSE(dock->isHidden());
  Trigger("Problems1");
  EXPECT_TRUE(dock->isHidden());
  Trigger("Problems1");
  ASSERT_TRUE(dock->isVisible());

  auto* list = Find<QTableView>("ProblemList");
  const Selection& sel = window.session().selection();
  const auto& problems = window.session().document().problems();
  // (code, place, then the selection afterwards: room, static, column and row from 1, page)
  const struct {
    const char* code;
    ProblemPlace where;
    int room, instance, column, row;
    const char* page;
  } rows[] = {
      {"item-object", {PlaceKind::kItem, 2}, 3, -1, -1, -1, "TabSheet2"},
      {"static-mesh", {PlaceKind::kStatic, 0, 2}, 2, 0, -1, -1, "TabSheet4"},
      {"room-alternate", {PlaceKind::kRoom, -1, 4}, 4, -1, -1, -1, "TabSheet1"},
      {"sector-box", {PlaceKind::kSector, -1, 5, 1, 2}, 5, -1, 2, 3, "TabSheet3"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.code);
    const auto found = std::find_if(problems.begin(), problems.end(), [&](const Problem& p) {
      return p.code == r.code && p.where == r.where;
    });
    ASSERT_NE(found, problems.end());
    const QModelIndex index = list->model()->index(static_cast<int>(found - problems.begin()), 2);
    EXPECT_EQ(index.data().toString().toStdString(), found->message);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    EXPECT_EQ(sel.item(), 2);
    EXPECT_EQ(sel.room(), r.room);
    EXPECT_EQ(sel.static_instance(), r.instance);
    EXPECT_EQ(sel.column(), r.column);
    EXPECT_EQ(sel.row(), r.row);
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentWidget()->objectName(), r.page);
  }

  // An edit that brings a warning says so in the status bar, and the list follows it.
  const int before = list->model()->rowCount();
  Select("ListBox2", 1);
  Find<QSpinBox>("SpinEdit1")->setValue(4321);
  Click("Button2");
  EXPECT_EQ(Text("StatusPanel0"),
            "Warning: item 1: object ID 4321 has neither a movable nor a sprite sequence in the "
            "level");
  EXPECT_EQ(list->model()->rowCount(), before + 1);
  EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
}

TEST_F(WindowTest, SaveAsksAboutErrorsTheLevelDidNotHave) {
  const std::string out = test::ScratchDir("window_save_errors") + "/level.tr4";
  const QString path = QString::fromStdString(out);
  Ttrlevel opened = test::ReadLevelOrFail(test::DataPath("demo.tr4"));
  titem2 lost = opened.items2[1];
  lost.room = 77;
  StoreItem(opened, 1, lost);
  ASSERT_TRUE(WriteLevel(opened, out));
  ASSERT_TRUE(test::OpenNow(window, path));
  // The errors the level had when it was opened are not asked about.
  Select("ListBox2", 0);
  Click("Button4");
  ASSERT_TRUE(test::SaveNow(window, path));
  EXPECT_TRUE(questions.isEmpty());

  ASSERT_TRUE(LoseItemRoom(window.session().document()));
  const size_t errors = CountProblems(window.session().document().problems(), Severity::kError);
  const std::string saved = Bytes(out);
  EXPECT_FALSE(window.saveFileAs(path));
  ASSERT_EQ(questions.size(), 1);
  EXPECT_EQ(questions[0],
            QString("The level has %1 problems that may crash the game. Save anyway?").arg(errors));
  EXPECT_EQ(Bytes(out), saved);
  EXPECT_TRUE(window.isWindowModified());
  // Saving on the way out asks the same; Cancel keeps the window and the level.
  window.setSavePrompt([] { return QMessageBox::Save; });
  window.show();
  EXPECT_FALSE(window.close());
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(questions.value(1), questions[0]);
  EXPECT_EQ(Bytes(out), saved);
  EXPECT_EQ(yes_by_default, QList<bool>({false, false}));
  answer = true;
  ASSERT_TRUE(test::SaveNow(window, path));
  EXPECT_EQ(test::ReadLevelOrFail(out).items2[0].room, 77);
  // The file holds the error since: the next save asks no more.
  Click("Button4");
  ASSERT_TRUE(test::SaveNow(window, path));
  EXPECT_EQ(questions.size(), 3);
}

TEST_F(WindowTest, AFileChangedOnDiskIsNotOverwrittenUnasked) {
  const std::string dir = test::ScratchDir("window_changed_on_disk");
  const std::string file = dir + "/level.tr4";
  const QString path = QString::fromStdString(file);
  fs::copy_file(test::DataPath("demo.tr4"), file);
  ASSERT_TRUE(test::OpenNow(window, path));
  // Another program saves its own version: written beside the file, renamed over it.
  auto replace = [&](int32_t x) {
    Ttrlevel theirs = test::ReadLevelOrFail(test::DataPath("demo.tr4"));
    titem2 item = theirs.items2[1];
    item.x = x;
    StoreItem(theirs, 1, item);
    ASSERT_TRUE(WriteLevel(theirs, dir + "/theirs.tr4"));
    fs::rename(dir + "/theirs.tr4", file);
  };
  Select("ListBox2", 0);
  Click("Button4");
  const Ttrlevel ours = level();
  replace(1234);
  const std::string theirs = Bytes(file);
  const QString overwrite = path + " changed on disk since it was opened. Overwrite it?";

  // Cancel leaves both the file and the level as they were.
  EXPECT_FALSE(window.saveFile());
  EXPECT_EQ(questions, QStringList{overwrite});
  EXPECT_EQ(Bytes(file), theirs);
  EXPECT_EQ(level().FirstDifference(ours), "");
  EXPECT_TRUE(window.isWindowModified());
  // The window sees the change by itself and offers to reload; edits are not lost unless the
  // user says so.
  ASSERT_TRUE(QTest::qWaitFor([&] { return questions.size() == 2; }, 10000));
  EXPECT_EQ(questions[1], path + " changed on disk. Reload it and lose your changes?");
  QTest::qWait(500);  // and asks once
  EXPECT_EQ(questions.size(), 2);
  EXPECT_EQ(level().FirstDifference(ours), "");

  // The changed file is asked about before anything else; yes to both saves.
  ASSERT_TRUE(LoseItemRoom(window.session().document()));
  answer = true;
  ASSERT_TRUE(window.saveFile() && test::WaitForFile(window));
  EXPECT_EQ(questions.mid(2).join("|"),
            overwrite + "|The level has 1 problems that may crash the game. Save anyway?");
  EXPECT_EQ(test::ReadLevelOrFail(file).items2[0].room, 77);

  // Our own save is no change; an unedited level is reloaded when the user agrees (Yes is then
  // the default: nothing is lost).
  QTest::qWait(500);
  EXPECT_EQ(questions.size(), 4);
  replace(5678);
  ASSERT_TRUE(QTest::qWaitFor([&] { return level().items2[1].x == 5678; }, 10000));
  EXPECT_EQ(questions.last(), path + " changed on disk. Reload it?");
  EXPECT_EQ(yes_by_default, QList<bool>({false, false, false, false, true}));
  EXPECT_FALSE(window.isWindowModified());
  EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
}

// A read-only file is said to be read-only once, before any question, by Save and Save As.
TEST_F(WindowTest, ReadOnlyFilesAreSaidOnce) {
  const std::string dir = test::ScratchDir("window_read_only");
  const auto read_only = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  for (const char* name : {"opened.tr4", "other.tr4"}) {
    fs::copy_file(test::DataPath("demo.tr4"), dir + "/" + name);
    fs::permissions(dir + "/" + name, read_only);
  }
  const QString opened = QString::fromStdString(dir + "/opened.tr4");
  const QString other = QString::fromStdString(dir + "/other.tr4");
  ASSERT_TRUE(test::OpenNow(window, opened));
  Select("ListBox2", 0);
  Click("Button4");
  EXPECT_FALSE(window.saveFile());
  EXPECT_FALSE(window.saveFileAs(other));
  EXPECT_EQ(messages, QStringList({opened + " is read-only", other + " is read-only"}));
  EXPECT_TRUE(questions.isEmpty());
  EXPECT_TRUE(window.isWindowModified());
}

}  // namespace
}  // namespace qavel
