// The window as a user drives it: its files, menus and panels, and the wiring of each control to
// its command and of the selection to the panels. What each edit does is tested with the edits.

#include "ui/main_window.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "editor/edit_command.h"
#include "editor/face_commands.h"
#include "fixtures/texture_fixtures.h"
#include "inspect/item_edits.h"
#include "inspect/panel_texts.h"
#include "inspect/room_edits.h"
#include "inspect/static_edits.h"
#include "level/level_writer.h"
#include "level/zfile.h"
#include "textures/atlas.h"
#include "ui/compare_dialog.h"
#include "ui/create_item_dialog.h"
#include "ui/piece_palette.h"
#include "ui/problems_panel.h"
#include "ui/texture_tab.h"
#include "ui/view_panel.h"
#include "ui_support.h"

namespace qavel {
namespace test {
namespace {

// One QApplication for the whole test program, made before the first widget.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    // Settings (the last folder used) go to a test location, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    // Started as the program is in normal use: the room picture lies in the working folder.
    QDir::setCurrent(QString::fromStdString(DataPath("")));
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
}  // namespace test

namespace {

namespace fs = std::filesystem;
using test::Piece;
using test::Quad;

using test::WindowTest;

QString Demo() {
  return QString::fromStdString(test::DataPath("demo.tr4"));
}

// A switch is one checkable action in the menu and on the toolbar: its caption never changes and
// a tick means the caption is in effect.
TEST_F(WindowTest, ViewSwitchesAndGridBox) {
  auto* grid = Find<QGroupBox>("GroupBox3");
  window.show();
  EXPECT_FALSE(grid->isVisible());
  const std::tuple<const char*, const char*, const char*, bool> switches[] = {
      {"HideRoomsGridbox1", "Action6", "Show Rooms Gridbox", false},
      {"TexturedRoom1", "Action7", "Textured Room", true},
      {"HideItems1", "Action3", "Hide &Items", false},
      {"HideStaticMesh1", "Action2", "Hide &Static Mesh", false},
  };
  for (const auto& [menu, tool_name, caption, ticked_at_start] : switches) {
    SCOPED_TRACE(menu);
    auto* action = Find<QAction>(menu);
    auto* tool = Find<QToolButton>(tool_name);
    EXPECT_EQ(std::tuple(tool->defaultAction(), action->isChecked()),
              std::tuple(action, ticked_at_start));
    for (int click = 1; click <= 3; ++click) {
      tool->click();
      EXPECT_EQ(std::tuple(action->isChecked(), action->text()),
                std::tuple(ticked_at_start != (click % 2 == 1), QString(caption)));
    }
  }
  // Each switched once: the map shows (the options the view switches set are the view's tests).
  EXPECT_TRUE(grid->isVisible());
  Trigger("BackgroundcolorBlue1");
  EXPECT_EQ(window.viewPanel()->background(), QColor(0, 0, 255));
  Trigger("BackgroundcolorTeal1");  // the colour it starts with
  EXPECT_EQ(window.viewPanel()->background(), QColor(0, 128, 128));
}

TEST_F(WindowTest, TheTexturesPageAndTheSelectionShareOnePiece) {
  ASSERT_TRUE(test::OpenNow(window, Demo()));
  auto* pieces = Find<QListWidget>("ListBox5");
  ASSERT_TRUE(PickFaceTexture(window.session(), 1, {FaceKind::kRectangle, 0}));
  EXPECT_EQ(pieces->currentRow(), window.session().selection().piece());
  pieces->setCurrentRow(7);
  EXPECT_EQ(window.session().selection().piece(), 7);
}

// Opening reads beside the window: meanwhile nothing that would edit, save or open again takes
// input, and Cancel leaves the shown level as it was. A file that cannot be read, or written,
// leaves the shown level too and says why once: the headline names the file, the reason
// follows, in an error box.
TEST_F(WindowTest, AnOpenCancelledOrFailedOrAFailedSaveLeavesTheShownLevel) {
  Select("ListBox1", 3);
  const QString title = window.windowTitle();
  ASSERT_TRUE(window.openFile(Demo()));
  EXPECT_TRUE(window.busy());
  EXPECT_FALSE(window.openFile(Demo()));
  for (const char* name : {"Open1", "Save1", "Undo1", "ImportDXF1", "ListBox1", "CheckBox11",
                           "Button4", "Button7", "Panel1"})
    EXPECT_FALSE(Enabled(name)) << name;
  Click("ButtonCancelFile");
  EXPECT_FALSE(test::WaitForFile(window));
  EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
  EXPECT_EQ(window.windowTitle(), title);
  for (const char* name : {"ListBox1", "CheckBox11", "Button4", "Open1"})
    EXPECT_TRUE(Enabled(name)) << name;

  const QString folder = QString::fromStdString(test::ScratchDir("window_open_folder"));
  const QString missing = "/nonexistent/LEVEL.TR4";
  for (const QString& path : {missing, folder}) EXPECT_FALSE(test::OpenNow(window, path));
  EXPECT_EQ(std::tuple(Find<QListWidget>("ListBox1")->count(), Row("ListBox1")), std::tuple(6, 3));
  const QString path = folder + "/no/such/level.tr4";
  Click("Button4");
  EXPECT_FALSE(test::SaveNow(window, path));
  EXPECT_TRUE(window.isWindowModified());
  ASSERT_EQ(kinds, std::vector<MessageKind>(3, MessageKind::kError));
  EXPECT_TRUE(messages[0].startsWith("Cannot open /nonexistent/LEVEL.TR4:\n"));
  EXPECT_EQ(messages[1], "Cannot open " + folder + ":\nit is a folder");
  EXPECT_TRUE(messages[2].startsWith("Cannot save " + path + ":\n")) << messages[2].toStdString();
  EXPECT_EQ(messages[2].count(path), 1) << messages[2].toStdString();
}

// A level with much of its level data unread (a damaged count), or with a damaged texture chunk
// (read only when the window unpacks the pages), opens with one warning that says what is wrong.
TEST_F(WindowTest, ADamagedLevelOpensWithAWarning) {
  const std::string folder = test::ScratchDir("window_damaged");
  Ttrlevel unread = test::MakeTinyLevel(kTR4);
  unread.level_data_end = Bytes(300, 0xEE);
  ASSERT_TRUE(WriteLevel(unread, folder + "/unread.tr4"));
  // The first texture chunk (after the version word and three page counts) loses the last byte
  // of its checksum.
  const Expected<WrittenLevel> tiny = WriteLevelBytes(test::MakeTinyLevel(kTR4), "tiny.tr4");
  ASSERT_TRUE(tiny);
  Bytes pages = tiny->bytes;
  uint32_t packed = 0;
  std::memcpy(&packed, pages.data() + 14, 4);
  pages.at(18 + packed - 1) ^= 0xFF;
  std::ofstream(folder + "/pages.tr4", std::ios::binary)
      .write(reinterpret_cast<const char*>(pages.data()), std::streamsize(pages.size()));

  for (const auto& [file, said] :
       {std::pair{"unread.tr4", "300 bytes after the last table are left unread"},
        std::pair{"pages.tr4", "; its textures show black."}}) {
    SCOPED_TRACE(file);
    messages.clear();
    kinds.clear();
    ASSERT_TRUE(test::OpenNow(window, QString::fromStdString(folder + "/" + file)));
    EXPECT_EQ(kinds, std::vector{MessageKind::kWarning});
    EXPECT_TRUE(messages.value(0).contains(said)) << messages.join("\n").toStdString();
  }
}

TEST_F(WindowTest, UnsavedEditsAreAskedAboutBeforeTheyAreLost) {
  Select("ListBox2", 0);
  Click("Button4");
  int asked = 0;
  auto reply = QMessageBox::Cancel;
  window.setSavePrompt([&] {
    ++asked;
    return reply;
  });
  EXPECT_FALSE(window.close());
  EXPECT_EQ(asked, 1);

  // A dropped file is opened once the user lets the edits go.
  reply = QMessageBox::Discard;
  EXPECT_FALSE(window.openDropped({QUrl("https://example.org/level.tr4")}));
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(window.openDropped({QUrl::fromLocalFile(Demo())}));
  ASSERT_TRUE(test::WaitForFile(window));
  EXPECT_EQ(std::tuple(asked, Find<QListWidget>("ListBox1")->count(), window.windowTitle(),
                       window.isWindowModified()),
            std::tuple(2, 4, QString("demo.tr4[*] - Qavel"), false));

  // Saved under another name, the title follows and the edits count as saved.
  Click("Button4");
  EXPECT_TRUE(window.isWindowModified());
  const QString out = QString::fromStdString(test::ScratchDir("ui_save") + "/level.tr4");
  ASSERT_TRUE(test::SaveNow(window, out));
  EXPECT_EQ(std::tuple(window.isWindowModified(), window.windowTitle()),
            std::tuple(false, QFileInfo(out).fileName() + "[*] - Qavel"));

  // "Save" at the question saves first and opens the dropped file once the save is done.
  Click("Button4");
  const titem2 rotated = level().items2[0];
  reply = QMessageBox::Save;
  EXPECT_TRUE(window.openDropped({QUrl::fromLocalFile(Demo())}));
  ASSERT_TRUE(test::WaitForFile(window));  // the save
  ASSERT_TRUE(test::WaitForFile(window));  // the open
  EXPECT_EQ(window.windowTitle(), "demo.tr4[*] - Qavel");
  EXPECT_EQ(test::ReadLevelOrFail(out.toStdString()).items2[0], rotated);
}

TEST_F(WindowTest, EveryRoomItemAndStaticOfTheRealLevelsCanBeShown) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels present; skipped";
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(generation);
    ASSERT_TRUE(test::OpenNow(window, QString::fromStdString(path)));
    auto* rooms = Find<QListWidget>("ListBox1");
    auto* statics = Find<QListWidget>("ListBox4");
    for (int r = 0; r < rooms->count(); ++r) {
      rooms->setCurrentRow(r);
      ASSERT_EQ(Text("Label7"), "Width: " + QString::number(level().rooms[r].num_x_sectors));
      for (int k = 0; k < statics->count(); ++k) statics->setCurrentRow(k);
    }
    auto* items = Find<QListWidget>("ListBox2");
    // Showing entries with "-Auto-" ticked fills the spins without writing anything.
    Find<QCheckBox>("CheckBox2")->setChecked(true);
    for (int i = 0; i < items->count(); ++i) items->setCurrentRow(i);
    EXPECT_EQ(std::tuple(Steps(), window.isWindowModified()), std::tuple(0, false));
  }
  EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
}

TEST_F(WindowTest, SectorMapAndTriggerSearchesOnTheDemoLevel) {
  ASSERT_TRUE(test::OpenNow(window, Demo())) << messages.join("\n").toStdString();
  Select("ListBox1", 0);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  Trigger("HideRoomsGridbox1");
  auto* map = Find<QLabel>("Image1");
  ASSERT_TRUE(map->isVisible());
  // Column 3, row 2 of a five-row room.
  QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(1 + 24 + 5, 1 + 36 + 5));
  EXPECT_EQ(std::tuple(Text("StatusPanel1"), Page()), std::tuple("Column:3 Row:2", "TabSheet3"));
  EXPECT_TRUE(Find<QPlainTextEdit>("Memo2")->toPlainText().startsWith("DO WITH ACTIVATE\n"));
  EXPECT_TRUE(Find<QPlainTextEdit>("Memo3")->toPlainText().startsWith("FD Index:16\nCount:1\n"));
  // The selected cell is framed in yellow; a click beside the room's cells selects nothing.
  EXPECT_EQ(map->pixmap().toImage().pixelColor(1 + 24 - 1, 1 + 36 - 1), QColor(255, 255, 0));
  QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(72, 30));
  EXPECT_EQ(Text("StatusPanel1"), "Column:3 Row:2");

  // The searches (their results are the floor-data layer's) select the room and the sector
  // they find, Find starts over and Find Next goes on; the empty last command is command 14.
  Select("ListBox1", 3);
  EXPECT_EQ(Text("StatusPanel1"), "");
  Select("ListBox2", 2);
  for (const auto& [button, status] :
       {std::pair{"SpeedButton2", "Column:2 Row:2"}, std::pair{"SpeedButton8", "Column:3 Row:2"},
        std::pair{"SpeedButton2", "Column:2 Row:2"}}) {
    Click(button);
    EXPECT_EQ(std::tuple(Row("ListBox1"), Text("StatusPanel1")), std::tuple(0, QString(status)));
  }
  Click("SpeedButton8");
  Click("SpeedButton3");
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("One trigger found..."));
  Find<QComboBox>("ComboBox3")->setCurrentIndex(15);
  Click("SpeedButton4");
  EXPECT_EQ(std::tuple(Row("ListBox1"), Text("StatusPanel1")),
            std::tuple(2, QString("Column:2 Row:4")));
  EXPECT_TRUE(
      Find<QPlainTextEdit>("Memo2")->toPlainText().contains("Unknown command #14 With Operand 3"));
}

// The view takes Panel1 under the sector map, which stays on top of it at the panel's top left
// corner and scrolls when the window is small.
TEST_F(WindowTest, TheSectorMapLiesOverTheViewAndScrollsInASmallWindow) {
  // A room of 40 x 30 sectors makes a map far taller than a small window's view.
  Ttrlevel big = test::MakeEditorLevel();
  big.rooms[0].num_x_sectors = 40;
  big.rooms[0].num_z_sectors = 30;
  big.rooms[0].sectors.resize(40 * 30);
  window.session().document().Adopt(big, "big.tr4");
  auto* view = new QWidget;
  window.viewPanel()->setViewWidget(view);
  window.resize(640, 480);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  Trigger("HideRoomsGridbox1");
  auto* box = Find<QGroupBox>("GroupBox3");
  auto* panel = Find<QWidget>("Panel1");
  EXPECT_EQ(std::tuple(view->parentWidget(), view->isVisible()), std::tuple(panel, true));
  QWidget* top = window.viewPanel()->childAt(box->geometry().center());
  EXPECT_TRUE(top == box || box->isAncestorOf(top));
  EXPECT_LE(box->geometry().bottom(), panel->height());
  auto* area = Find<QScrollArea>("SectorMapScroll");
  QScrollBar* bar = area->verticalScrollBar();
  QCoreApplication::processEvents();  // the scroll bars follow the layout's posted resize
  ASSERT_TRUE(bar->isVisible());
  bar->setValue(bar->maximum());
  // The map's bottom row is in sight.
  const int map_bottom = Find<QLabel>("Image1")->pixmap().height() - 1;
  const QPoint seen =
      area->viewport()->mapFromGlobal(Find<QLabel>("Image1")->mapToGlobal(QPoint(1, map_bottom)));
  EXPECT_LT(seen.y(), area->viewport()->height());
}

TEST_F(WindowTest, UndoAndRedoWorkWhileASpinBoxHasTheFocus) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  Select("ListBox2", 0);
  Click("Button4");  // Rotate
  auto* spin = Find<QSpinBox>("SpinEdit7");
  spin->setFocus();
  ASSERT_TRUE(spin->hasFocus());
  QTest::keyClick(spin, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(+level().items2[0].angle, 0x4000);
  QTest::keyClick(spin, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(+level().items2[0].angle, 0x6000);
  // ... and in the Create Item tool window.
  Click("Button18");
  window.createDialog()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.createDialog()));
  auto* x = test::FindIn<QSpinBox>(window.createDialog(), "SpinEdit1");
  x->setFocus();
  QTest::keyClick(x, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(+level().items2[0].angle, 0x4000);
}

TEST_F(WindowTest, ImportAndExportMenusRunTheExchangeCommands) {
  const std::string dir = test::ScratchDir("window_exchange");
  QStringList asked;
  QString answer;
  window.setFileChooser([&](const MainWindow::FileRequest& r) {
    asked << r.caption + "|" + r.filter + (r.save ? "|save" : "|open") + "|" + r.folder;
    return answer;
  });
  ASSERT_TRUE(test::OpenNow(window, Demo()));
  EXPECT_NE(window.textureStore().Find(0), nullptr);  // the level's first page
  const QString folder = "|" + QFileInfo(Demo()).absolutePath();

  // A cancelled dialog does nothing.
  Trigger("ExportZQP1");
  EXPECT_EQ(asked.value(0), "Export ZQP|ZQP File (*.zqp)|save" + folder);
  EXPECT_TRUE(messages.isEmpty());

  Select("ListBox1", 1);
  answer = QString::fromStdString(dir + "/room.dxf");
  Trigger("ExportDXF1");
  EXPECT_EQ(asked.value(1), "Export DXF(Current Room)|DXF File (*.dxf)|save" + folder);
  ASSERT_EQ(kinds, std::vector{MessageKind::kInfo});

  Select("ListBox1", 0);
  Trigger("ImportDXF1");
  // The dialogs start where the last file was read or written.
  EXPECT_EQ(asked.value(2),
            "Import DXF(Current Room)|DXF File (*.dxf)|open|" + QString::fromStdString(dir));
  // What the import does, and on which room, is the command's test; here that it ran.
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[1].contains("imported")) << messages[1].toStdString();
  EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 0);

  // A file that is not an MSH file is refused with its reason, as a warning.
  Trigger("ImportMSH1");
  ASSERT_EQ(messages.size(), 3);
  EXPECT_TRUE(messages[2].contains("not an MSH file")) << messages[2].toStdString();
  EXPECT_EQ(kinds[2], MessageKind::kWarning);
  // Open starts in the last folder used, even in the next run.
  MainWindow next;
  QString starts;
  next.setFileChooser([&](const MainWindow::FileRequest& r) {
    starts = r.folder;
    return QString();
  });
  test::FindIn<QAction>(&next, "Open1")->trigger();
  EXPECT_EQ(starts, QString::fromStdString(dir));
}

TEST(WindowStartTest, WithoutALevelNothingLooksUsableAndTheAboutBoxFits) {
  MainWindow window;
  auto* map = test::FindIn<QLabel>(&window, "Image1");
  EXPECT_EQ(std::tuple(map->pixmap().isNull(), map->text()),
            std::tuple(true, QString("No level is open.")));
  for (const char* name : {"Button2", "Button4", "Button6", "Button18", "Button7", "Button9",
                           "Button10", "CheckBox11", "RadioButton9", "SpeedButton2", "SpeedButton4",
                           "SpeedButton6", "Button11", "ImportDXF1", "ExportMSH1"})
    EXPECT_FALSE(test::EnabledIn(&window, name)) << name;
  // The gauge shows only while a level is read or written; the view says how to begin.
  auto* gauge = test::FindIn<QWidget>(&window, "Gauge1");
  window.show();
  EXPECT_FALSE(gauge->isVisible());
  const auto begin_shown = [&window] {
    for (const QLabel* l : test::FindIn<QWidget>(&window, "Panel1")->findChildren<QLabel*>())
      if (l->isVisible() && l->text().contains("Open a level (Ctrl+O) or drop one here."))
        return true;
    return false;
  };
  EXPECT_TRUE(begin_shown());
  EXPECT_EQ(window.windowTitle(), "Qavel 1.1 - Tomb Raider level inspector and editor");
  window.setMessageSink([](MessageKind, const QString&) {});
  ASSERT_TRUE(window.openFile(Demo()));
  EXPECT_TRUE(gauge->isVisible());
  ASSERT_TRUE(test::WaitForFile(window));
  EXPECT_EQ(std::tuple(gauge->isVisible(), begin_shown(), test::EnabledIn(&window, "Button2")),
            std::tuple(false, false, true));
  // The About box is wide enough for its title.
  auto box = window.makeAboutBox();
  box->show();
  const QFontMetrics metrics(box->font());
  EXPECT_GE(box->width(), metrics.horizontalAdvance(box->windowTitle()) + 200);
  EXPECT_GE(box->width(), metrics.horizontalAdvance(box->informativeText()) / 2);
}

// A missing room picture or catalog is told once (what a broken catalog says is the names'
// test), and start-up goes on.
TEST(WindowStartTest, AMissingRoomPictureOrCatalogIsToldOnce) {
  const QString home = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(test::ScratchDir("window_no_texture")));
  QStringList messages;
  {
    MainWindow window;
    window.setMessageSink([&](MessageKind, const QString& text) { messages << text; });
    window.session().document().SetCatalogPath(test::ScratchDir("window_catalog") + "/none.xml");
    QCoreApplication::processEvents();
    EXPECT_EQ(window.textureStore().Find(kRoomTextureId), nullptr);
    EXPECT_TRUE(test::OpenNow(window, Demo()));
    EXPECT_TRUE(test::OpenNow(window, Demo()));
  }
  QDir::setCurrent(home);
  ASSERT_EQ(messages.size(), 2) << messages.join("\n").toStdString();
  EXPECT_EQ(messages[0], "Error loading texture #1");
  EXPECT_TRUE(messages[1].startsWith("No movable catalog at ")) << messages[1].toStdString();

  MainWindow window;
  EXPECT_NE(window.textureStore().Find(kRoomTextureId), nullptr);
}

// Made as small as the window lets it be, or with the view given all the splitter can give, no
// page cuts off a control: each lies within its page and gets the height it asks for at least.
TEST_F(WindowTest, AtItsSmallestNoPanelIsCut) {
  window.show();
  Select("ListBox2", 0);
  Select("ListBox4", 0);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  auto* pages = Find<QTabWidget>("PageControl1");
  auto* splitter = qobject_cast<QSplitter*>(window.centralWidget());
  ASSERT_NE(splitter, nullptr);
  for (const char* how : {"smallest window", "view dragged over the pages"}) {
    SCOPED_TRACE(how);
    window.resize(400, 300);
    if (how[0] == 'v') splitter->setSizes({10000, 0});
    for (int p = 0; p < pages->count(); ++p) {
      if (!pages->isTabVisible(p)) continue;
      pages->setCurrentIndex(p);
      QApplication::processEvents();
      QWidget* page = pages->widget(p);
      EXPECT_GT(page->height(), 0);
      for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(page) || w->parentWidget()->inherits("QAbstractScrollArea") ||
            !(qobject_cast<QAbstractButton*>(w) || qobject_cast<QGroupBox*>(w) ||
              qobject_cast<QAbstractSpinBox*>(w)))
          continue;
        const QRect in_page(w->mapTo(page, QPoint(0, 0)), w->size());
        EXPECT_TRUE(page->rect().contains(in_page))
            << page->objectName().toStdString() << ": " << w->objectName().toStdString();
        EXPECT_GE(w->height(), w->minimumSizeHint().height()) << w->objectName().toStdString();
      }
    }
  }
}

TEST_F(WindowTest, CompareWithListsTheDifferencesAndAClickGoesToThem) {
  const std::string demo = test::DataPath("demo.tr4");
  ASSERT_TRUE(test::OpenNow(window, QString::fromStdString(demo)));
  // The other version: item 1 moved, room 1's water switched, static 0.0 moved.
  Ttrlevel other = level();
  ASSERT_GE(other.num_rooms(), 2);
  ASSERT_FALSE(other.rooms[0].statics2.empty());
  const Placement item1 = *edit::ItemPlacement(other, 1);
  edit::PlaceItem(other, 1, {item1.x + 512, item1.y, item1.z, item1.angle})->Apply(other);
  edit::SetRoomFlag(other, 1, kFlagWater, !(other.rooms[1].flags & kFlagWater))->Apply(other);
  const tstatic2 s = other.rooms[0].statics2[0];
  edit::PlaceStatic(other, 0, 0, {s.x, s.y, s.z + 1024, s.rotation})->Apply(other);
  const std::string path = test::ScratchDir("compare_with") + "/other.tr4";
  ASSERT_TRUE(WriteLevel(other, path));

  window.show();
  ASSERT_TRUE(window.compareWith(QString::fromStdString(path)));
  CompareDialog* dialog = window.compareDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  QListWidget* list = test::FindIn<QListWidget>(dialog, "CompareList");
  ASSERT_EQ(list->count(), 3);
  // Each click selects what the line names and shows the page of it.
  const auto click = [&](const char* start) {
    const auto found = list->findItems(start, Qt::MatchStartsWith);
    ASSERT_EQ(found.size(), 1) << start;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found[0]).center());
  };
  const Selection& sel = window.session().selection();
  click("item 1 x: ");
  EXPECT_EQ(std::tuple(sel.item(), Page()), std::tuple(1, QString("TabSheet2")));
  click("static 0.0 z: ");
  EXPECT_EQ(std::tuple(sel.room(), sel.static_instance(), Page()),
            std::tuple(0, 0, QString("TabSheet4")));
  click("room 1 flags: water ");
  EXPECT_EQ(sel.room(), 1);

  // The level with itself: nothing differs. A file that is no level: one message, list kept.
  ASSERT_TRUE(window.compareWith(QString::fromStdString(demo)));
  EXPECT_EQ(list->count(), 0);
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_FALSE(window.compareWith(QString::fromStdString(test::DataPath("trcatalog.xml"))));
  EXPECT_EQ(messages.size(), 1);
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
  const std::tuple<const char*, ProblemPlace, int, int, int, int, const char*> rows[] = {
      {"item-object", {PlaceKind::kItem, 2}, 3, -1, -1, -1, "TabSheet2"},
      {"static-mesh", {PlaceKind::kStatic, 0, 2}, 2, 0, -1, -1, "TabSheet4"},
      {"room-alternate", {PlaceKind::kRoom, -1, 4}, 4, -1, -1, -1, "TabSheet1"},
      {"sector-box", {PlaceKind::kSector, -1, 5, 1, 2}, 5, -1, 2, 3, "TabSheet3"},
  };
  for (const auto& [code, where, room, instance, column, row, page] : rows) {
    SCOPED_TRACE(code);
    const auto found = std::find_if(
        problems.begin(), problems.end(),
        [c = code, w = where](const Problem& p) { return p.code == c && p.where == w; });
    ASSERT_NE(found, problems.end());
    const QModelIndex index = list->model()->index(static_cast<int>(found - problems.begin()), 2);
    EXPECT_EQ(index.data().toString().toStdString(), found->message);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    EXPECT_EQ(
        std::tuple(sel.item(), sel.room(), sel.static_instance(), sel.column(), sel.row(), Page()),
        std::tuple(2, room, instance, column, row, QString(page)));
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
  const SharedBlock saved = *ReadWholeFile(out);
  EXPECT_FALSE(window.saveFileAs(path));
  ASSERT_EQ(questions.size(), 1);
  EXPECT_EQ(questions[0],
            QString("The level has %1 problems that may crash the game. Save anyway?").arg(errors));
  EXPECT_TRUE(*ReadWholeFile(out) == saved);
  EXPECT_TRUE(window.isWindowModified());
  // Saving on the way out asks the same; Cancel keeps the window and the level.
  window.setSavePrompt([] { return QMessageBox::Save; });
  window.show();
  EXPECT_FALSE(window.close());
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(questions.value(1), questions[0]);
  EXPECT_TRUE(*ReadWholeFile(out) == saved);
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
  const SharedBlock theirs = *ReadWholeFile(file);
  const QString overwrite = path + " changed on disk since it was opened. Overwrite it?";

  // Cancel leaves both the file and the level as they were.
  EXPECT_FALSE(window.saveFile());
  EXPECT_EQ(questions, QStringList{overwrite});
  EXPECT_TRUE(*ReadWholeFile(file) == theirs);
  EXPECT_EQ(std::tuple(level().FirstDifference(ours), window.isWindowModified()),
            std::tuple("", true));
  // The window sees the change by itself and offers to reload; edits are not lost unless the
  // user says so.
  ASSERT_TRUE(QTest::qWaitFor([&] { return questions.size() == 2; }, 10000));
  EXPECT_EQ(questions[1], path + " changed on disk. Reload it and lose your changes?");
  QTest::qWait(500);  // and asks once
  EXPECT_EQ(std::tuple(questions.size(), level().FirstDifference(ours)), std::tuple(2, ""));

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
  EXPECT_EQ(std::tuple(questions.isEmpty(), window.isWindowModified()), std::tuple(true, true));
}

TEST_F(WindowTest, EveryEditControlRunsItsCommandOnce) {
  // A TR5 level: it has every field the panels edit, the weather and room values too.
  window.session().document().Adopt(test::MakeEditorLevel(kTR5), "memory.trc");
  Trigger("Experiments1");
  // (list and row to select, spin to set and its value, control to click, the step it makes)
  const std::tuple<const char*, int, const char*, int, const char*, const char*> rows[] = {
      {"ListBox2", 2, "SpinEdit1", 30, "Button2", "Change ID"},
      {"ListBox2", 2, "SpinEdit2", -1, "Button3", "Change OCB"},
      {"ListBox2", 2, nullptr, 0, "Button4", "Rotate"},
      {"ListBox2", 2, "SpinEdit7", -3, "Button11", "Change -X-"},
      {"ListBox2", 2, "SpinEdit4", 4, "Button5", "Change -Y-"},
      {"ListBox2", 2, "SpinEdit8", 9, "Button12", "Change -Z-"},
      {"ListBox2", 2, "SpinEdit9", 1, "Button13", "Change -R-"},
      {"ListBox2", 2, "SpinEdit12", -1, "Button16", "Change -W-"},
      {"ListBox2", 2, nullptr, 0, "Button6", "Duplicate"},
      {"ListBox2", 2, nullptr, 0, "SpeedButton21", "Activation 1"},
      {"ListBox2", 2, nullptr, 0, "SpeedButton96", "Clear Body"},
      {"ListBox2", 3, nullptr, 0, "SpeedButton97", "Invisible"},
      {"ListBox4", 1, "SpinEdit5", 8, "Button7", "Change ID"},
      {"ListBox4", 1, "SpinEdit10", 4, "Button15", "Change -X-"},
      {"ListBox4", 1, "SpinEdit6", 4, "Button8", "Change -Y-"},
      {"ListBox4", 1, "SpinEdit11", 4, "Button14", "Change -Z-"},
      {"ListBox4", 1, nullptr, 0, "Button9", "Rotate"},
      {"ListBox4", 1, nullptr, 0, "Button10", "Duplicate"},
      {"ListBox4", 1, "SpinEdit13", 77, "Button17", "Change L1,L2"},
      {"ListBox1", 0, nullptr, 0, "CheckBox11", "Water Enabled"},
      {"ListBox1", 0, nullptr, 0, "CheckBox12", "Sky Enabled"},
      {"ListBox1", 0, nullptr, 0, "CheckBox13", "Outdoor Enabled"},
      {"ListBox1", 0, nullptr, 0, "CheckBox14", "QuickSand Enabled"},
      {"ListBox1", 0, nullptr, 0, "RadioButton10", "TRC Weather"},
      {"ListBox3", 5, "SpinEdit3", -7, "SpeedButton6", "<<EDIT>>"},
  };
  const Ttrlevel before = level();
  for (const auto& [list, row, spin, value, control, step] : rows) {
    SCOPED_TRACE(control);
    Select("ListBox1", 0);  // the statics and values are room 0's
    Select(list, row);
    if (spin) Find<QSpinBox>(spin)->setValue(value);
    Click(control);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    EXPECT_EQ(std::tuple(Steps(), UndoText(), window.isWindowModified()),
              std::tuple(1, "&Undo " + QString(step), true));
    Trigger("Undo1");
    EXPECT_FALSE(window.isWindowModified());
    window.session().undo_stack().clear();
  }
  EXPECT_EQ(level().FirstDifference(before), "");
}

TEST_F(WindowTest, CaptionsShowThePanelTextsOfTheSelection) {
  auto* rooms = Find<QListWidget>("ListBox1");
  ASSERT_EQ(rooms->count(), 6);
  EXPECT_EQ(rooms->item(5)->text(), "Room #5");
  const RoomInfoTexts room = ShowRoomInfo(level().rooms[0]);
  const std::pair<const char*, std::string> room_labels[] = {
      {"Label7", room.width},        {"Label10", room.length}, {"Label11", room.position},
      {"Label12", room.height},      {"Label13", room.flag},   {"Label14", room.alternate_room},
      {"Label15", room.water_scheme}};
  for (const auto& [label, text] : room_labels) EXPECT_EQ(Text(label).toStdString(), text);
  // Room 0's flags hold water.
  EXPECT_EQ(std::tuple(Checked("CheckBox11"), Checked("CheckBox14")), std::tuple(true, false));

  Select("ListBox2", 3);
  const ItemInfo item = *ShowItemInfo(level(), 3);
  const std::pair<const char*, std::string> item_labels[] = {
      {"Label1", item.angle1_text}, {"Label2", item.angle2_text}, {"Label3", item.ocb_text},
      {"Label4", item.flags_text},  {"Label9", item.light_text},  {"Label19", item.angle_text}};
  for (const auto& [label, text] : item_labels) EXPECT_EQ(Text(label).toStdString(), text);
  EXPECT_EQ(Find<QListWidget>("ListBox2")->item(3)->text().toStdString(),
            window.session().document().item_texts()[3]);
  EXPECT_EQ(std::tuple(Find<QSpinBox>("SpinEdit9")->value(), Checked("SpeedButton97")),
            std::tuple(int(item.room), item.invisible));
  // Right after Change OCB the stored word is shown unsigned.
  Find<QSpinBox>("SpinEdit2")->setValue(-1);
  Click("Button3");
  EXPECT_EQ(Text("Label3"), "OCB:65535");

  Select("ListBox4", 1);
  const StaticInfo mesh = *ShowStaticInfo(level().rooms[0], 1);
  EXPECT_EQ(std::tuple(Text("Label18").toStdString(), Find<QSpinBox>("SpinEdit13")->value(),
                       Find<QSpinBox>("SpinEdit6")->value()),
            std::tuple(mesh.angle, int(mesh.light1), int(mesh.position.y)));
  Select("ListBox3", 5);
  EXPECT_EQ(Find<QListWidget>("ListBox3")->item(5)->text().toStdString(),
            TrcValueLines(level().rooms[0])[5]);
}

TEST_F(WindowTest, RefusalsAndTheSelectionsTheControlsFollow) {
  Select("ListBox2", 2);
  Find<QSpinBox>("SpinEdit9")->setValue(9);
  Click("Button13");
  EXPECT_EQ(messages, QStringList{"Room 9 does not exist in this level."});
  EXPECT_EQ(kinds, std::vector{MessageKind::kWarning});
  // Double click goes to the item's room.
  auto* items = Find<QListWidget>("ListBox2");
  Select("ListBox2", 1);
  emit items->itemDoubleClicked(items->item(1));
  EXPECT_EQ(Row("ListBox1"), 1);
  // A room without statics shows empty fields and offers no edits.
  Select("ListBox1", 2);
  for (const char* spin : {"SpinEdit5", "SpinEdit10", "SpinEdit6", "SpinEdit13", "SpinEdit14"})
    EXPECT_EQ(std::tuple(Find<QSpinBox>(spin)->text(), Enabled(spin)),
              std::tuple(QString(), false));
  EXPECT_EQ(std::tuple(Text("Label18"), Enabled("Button9")), std::tuple(QString("Angle:"), false));
  // A weather value the buttons do not name leaves them as they were.
  Ttrlevel odd = test::MakeEditorLevel(kTR5);
  SetWeather(odd, 1);
  window.session().document().Adopt(odd, "memory.trc");
  SetWeather(odd, 3);
  window.session().document().Adopt(odd, "memory.trc");
  EXPECT_TRUE(Find<QRadioButton>("RadioButton10")->isChecked());
  // The Experiments page shows when asked; the lines that locate the room's geometry in the
  // file say why they cannot be edited.
  auto* pages = Find<QTabWidget>("PageControl1");
  const int index = pages->indexOf(Find<QWidget>("TabSheet8"));
  EXPECT_FALSE(pages->isTabVisible(index));
  Trigger("Experiments1");
  EXPECT_TRUE(pages->isTabVisible(index));
  Select("ListBox3", 10);
  EXPECT_EQ(std::tuple(Enabled("SpeedButton6"), Text("TrcLineNote").toStdString()),
            std::tuple(false, TrcValueLockedReason(10)));
  Select("ListBox3", 7);
  EXPECT_EQ(std::tuple(Enabled("SpeedButton6"), Find<QLabel>("TrcLineNote")->isHidden()),
            std::tuple(true, true));
}

// A control whose field the level's generation lacks is disabled: a click would mark the level
// changed and add an undo step, and saving would write nothing of it.
TEST_F(WindowTest, ControlsFollowTheGeneration) {
  const char* tr5_only[] = {"RadioButton9", "RadioButton10", "RadioButton11"};
  for (int kind : {kTR1, kTR3, kTR4, kTR5}) {
    SCOPED_TRACE(kind);
    window.session().document().Adopt(test::MakeEditorLevel(kind), "memory");
    Select("ListBox2", 0);
    Select("ListBox4", 0);
    for (const char* radio : tr5_only) EXPECT_EQ(Enabled(radio), kind == kTR5) << radio;
    EXPECT_EQ(Enabled("Button3"), kind >= kTR4);     // Change OCB
    EXPECT_EQ(Enabled("SpinEdit14"), kind >= kTR2);  // Light 2
    Select("ListBox3", 0);
    EXPECT_EQ(Enabled("SpeedButton6"), kind == kTR5);
    Click("RadioButton11");
    EXPECT_EQ(std::tuple(Steps(), window.isWindowModified()),
              std::tuple(int(kind == kTR5), kind == kTR5));
  }
  // Unknown9 and Unknown10 take a number with a fraction.
  Trigger("Experiments1");
  Select("ListBox3", 6);
  EXPECT_EQ(std::tuple(Find<QWidget>("SpinEdit3Fraction")->isHidden(),
                       Find<QWidget>("SpinEdit3")->isHidden()),
            std::tuple(false, true));
  Find<QDoubleSpinBox>("SpinEdit3Fraction")->setValue(7);
  Click("SpeedButton6");
  EXPECT_EQ(Find<QListWidget>("ListBox3")->item(6)->text(), "Unknown9: 7.0");
  Select("ListBox3", 5);
  EXPECT_TRUE(Find<QWidget>("SpinEdit3Fraction")->isHidden());
}

// "Position..." shows the place in world units and the angle in degrees, and what is typed
// there comes back as one step; OK on what was shown changes nothing. With "-Auto-" ticked the
// spins store as they change.
TEST_F(WindowTest, ThePositionEditorAndAutoTakeWhatIsTyped) {
  const Ttrlevel before = level();
  // (page, list, button, what it shows of item 0 and of static 1 of room 0)
  const std::tuple<const char*, const char*, const char*, Placement> rows[] = {
      {"TabSheet2", "ListBox2", "ItemPositionButton", {-700, -768, 1536, 0x4000}},
      {"TabSheet4", "ListBox4", "StaticPositionButton", {-700, 0, 512, 0}},
  };
  for (const auto& [page_name, list, button, shown] : rows) {
    SCOPED_TRACE(button);
    QWidget* page = Find<QWidget>(page_name);
    Select("ListBox1", 0);
    Select(list, list[7] == '2' ? 0 : 1);
    EXPECT_EQ(test::FindIn<QLabel>(page, "WorldLabelX")->text().toInt(), shown.x);
    auto* dialog = test::FindIn<QDialog>(page, "PlacementDialog");
    auto world = [page](const char* axis) { return test::FindIn<QSpinBox>(page, axis); };
    auto* degrees = test::FindIn<QDoubleSpinBox>(page, "WorldAngle");
    Click(button);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(
        std::tuple(world("WorldX")->value(), world("WorldY")->value(), world("WorldZ")->value()),
        std::tuple(shown.x, shown.y, shown.z));
    dialog->accept();  // nothing typed: no step
    EXPECT_EQ(Steps(), 0);
    Click(button);
    world("WorldX")->setValue(1000);
    world("WorldY")->setValue(-300);
    degrees->setValue(45.5);
    dialog->accept();
    EXPECT_EQ(std::tuple(Steps(), UndoText()), std::tuple(1, QString("&Undo Position")));
    window.session().undo_stack().clear();
  }
  // The typed values reach the entry chosen (what the edit stores is tested with the edits).
  EXPECT_EQ(
      std::tuple(+level().items2[0].y, +level().items2[0].angle, +level().rooms[0].statics2[1].x),
      std::tuple(-300, 8283, 1000));
  EXPECT_EQ(level().items2[1], before.items2[1]);
  // "-Auto-": the spins store as they change (one step), until another room is chosen.
  Select("ListBox2", 0);
  Click("CheckBox2");
  Find<QSpinBox>("SpinEdit4")->setValue(4);
  Find<QSpinBox>("SpinEdit4")->setValue(5);
  EXPECT_EQ(std::tuple(+level().items2[0].y, Steps()), std::tuple(5 * 256, 1));
  // With the statics' "-Auto-", a light spin stores the lights, not the position.
  Select("ListBox4", 0);
  Click("CheckBox3");
  Find<QSpinBox>("SpinEdit14")->setValue(77);
  EXPECT_EQ(UndoText(), "&Undo Change L1,L2");
  Select("ListBox1", 3);
  EXPECT_EQ(std::tuple(Checked("CheckBox2"), Checked("CheckBox3")), std::tuple(false, false));
}

TEST_F(WindowTest, CreateThroughTheDialog) {
  Select("ListBox1", 5);
  Select("ListBox2", 2);
  CreateItemDialog* dialog = window.createDialog();
  // Closed without creating, the dialog leaves create mode: Duplicate copies the item again.
  Click("Button18");
  test::FindIn<QListWidget>(dialog, "ListBox1")->setCurrentRow(3);
  QTest::keyClick(dialog, Qt::Key_Escape);
  EXPECT_EQ(std::tuple(dialog->isVisible(), window.session().create_mode()),
            std::tuple(false, false));
  Click("Button6");
  EXPECT_EQ(UndoText(), "&Undo Duplicate");
  // Item 2 lies in room 3, outside room 5: the copy stays there, and the status bar says so.
  EXPECT_EQ(window.statusBar()->currentMessage(),
            "The copy stays in room 3: the item lies outside room 5.");
  Trigger("Undo1");

  Click("Button18");  // Create
  ASSERT_TRUE(dialog->isVisible());
  EXPECT_EQ(std::tuple(dialog->windowTitle(), window.session().create_mode()),
            std::tuple(QString("Create Item"), true));
  test::FindIn<QListWidget>(dialog, "ListBox1")->setCurrentRow(2);
  test::FindIn<QRadioButton>(dialog, "RadioButton1")->click();
  EXPECT_EQ(test::FindIn<QSpinBox>(dialog, "SpinEdit1")->value(), 40);  // room 5 x = 20480
  test::FindIn<QPushButton>(dialog, "Button1")->click();
  EXPECT_EQ(std::tuple(dialog->isVisible(), window.session().create_mode()),
            std::tuple(false, false));
  // The movables list names the new item's movable, not the one shown before.
  EXPECT_EQ(std::tuple(UndoText(), Row("ListBox2"), Find<QComboBox>("ComboBox1")->currentIndex()),
            std::tuple(QString("&Undo Create Item"), 3, 2));
}

class TextureTabTest : public ::testing::Test {
 protected:
  static Ttrlevel Level() {
    auto level = test::LevelWithPages16(kTR4, 2, [](uint32_t p, int x, int y) {
      return test::Word16(int(p) * 8 + x / 32, y / 8, 31);
    });
    level.object_textures = {
        Quad(0, 0, 0, 64, 64),                                                           // 0
        Piece(1, {{1, 0, 1, 0}, {255, 15, 1, 0}, {255, 15, 255, 15}, {0, 0, 0, 0}}, 2),  // 1
        Quad(1, 64, 0, 64, 64),                                                          // 2
        Quad(0, 0, 64, 64, 32),                                                          // 3
        Quad(1, 0, 0, 64, 64),                                                           // 4
        Quad(0, 128, 0, 64, 64),                                                         // 5
    };
    level.object_textures[2].attribute = 1;
    level.object_textures[5].attribute = 7;  // no such entry in the box
    return level;
  }

  template <class W>
  W* Find(const char* name) {
    return test::FindIn<W>(&tab, name);
  }
  QImage Preview() { return Find<QLabel>("Image3")->pixmap().toImage(); }
  void ClickImage(const char* image, QPoint at) {
    QTest::mouseClick(Find<QLabel>(image), Qt::LeftButton, {}, at);
  }

  TextureTab tab;
};

TEST_F(TextureTabTest, ListPreviewAttributeAndMosaicClicks) {
  const char* areas[] = {"ScrollBox2", "ScrollBox1", "ScrollBox3", "ScrollBox4", "ScrollBox5"};
  const int steps[] = {96, 88, 80, 72, 128};  // the scroll steps follow the piece sizes
  for (int k = 0; k < 5; ++k)
    EXPECT_EQ(Find<QScrollArea>(areas[k])->verticalScrollBar()->singleStep(), steps[k]);
  EXPECT_EQ(Preview().size(), QSize(4, 4) * tab.previewScale()) << "blank before any level";
  QSignalSpy chosen(&tab, &TextureTab::pieceChosen);
  tab.ShowLevel(Level());
  auto* list = Find<QListWidget>("ListBox5");
  ASSERT_EQ(list->count(), 6);
  EXPECT_EQ(std::tuple(list->item(0)->text(), list->item(5)->text(), list->currentRow()),
            std::tuple("Texture#0", "Texture#5", 0));
  // The preview is enlarged by whole steps, 4 at least, each texel a sharp square.
  const int scale = tab.previewScale();
  EXPECT_GE(scale, 4);
  EXPECT_EQ(Preview().size(), QSize(64, 64) * scale);
  ASSERT_EQ(chosen.count(), 1);

  list->setCurrentRow(1);  // a triangle
  EXPECT_EQ(Preview().size(), QSize(16, 16) * tab.previewScale());
  const int s = tab.previewScale();
  for (int texel : {0, 3, 9})
    for (int dx = 0; dx < s; ++dx)
      ASSERT_EQ(Preview().pixel(texel * s + dx, 2 * s + s - 1 - dx),
                Preview().pixel(texel * s, 2 * s))
          << "texel " << texel;
  EXPECT_EQ(Find<QComboBox>("ComboBox4")->currentText(), "Semi-Transparent");
  list->setCurrentRow(2);
  EXPECT_EQ(Find<QComboBox>("ComboBox4")->currentText(), "Transparent");
  list->setCurrentRow(5);
  EXPECT_EQ(std::tuple(Find<QComboBox>("ComboBox4")->currentIndex(), chosen.count(),
                       chosen.last().at(0).toInt()),
            std::tuple(-1, 4, 5));

  // Another level replaces everything; an empty one leaves an empty list and a blank preview.
  tab.ShowLevel(Ttrlevel());
  EXPECT_EQ(std::tuple(list->count(), Preview().size()),
            std::tuple(0, QSize(4, 4) * tab.previewScale()));
  EXPECT_TRUE(Find<QLabel>("Image2")->pixmap().isNull());
  // The mosaics: clicks select pieces.
  tab.show();
  const Ttrlevel level = Level();
  tab.ShowLevel(level, BuildAtlas(level));
  // The 64 x 64 mosaic lists pieces 0, 2, 4, 5 (where a click lands is the panel's hit test).
  EXPECT_EQ(Find<QLabel>("Image2")->pixmap().size(), QSize(259, 64));
  ClickImage("Image2", {140, 10});
  EXPECT_EQ(std::tuple(list->currentRow(), tab.selectedPiece()), std::tuple(4, 4));
  ClickImage("Image2", {200, 0});  // the top pixel row selects nothing
  EXPECT_EQ(list->currentRow(), 4);

  // Size buttons swap the visible mosaic; the 64 x 32 one holds piece 3 alone.
  Find<QRadioButton>("RadioButton3")->click();
  EXPECT_EQ(std::tuple(Find<QScrollArea>("ScrollBox3")->isVisible(),
                       Find<QScrollArea>("ScrollBox2")->isVisible()),
            std::tuple(true, false));
  ClickImage("Image5", {10, 10});
  EXPECT_EQ(list->currentRow(), 3);

  // The 64 x 16 mosaic is empty: it says so, and clicks on it do nothing.
  Find<QRadioButton>("RadioButton4")->click();
  EXPECT_EQ(Find<QLabel>("Image6")->text(), "This level has no pieces of 64 X 16.");
  ClickImage("Image6", {1, 1});
  EXPECT_EQ(list->currentRow(), 3);

  // The palette: every piece, a search by number that selects an exact match, and clicks.
  Find<QRadioButton>("RadioButtonPalette")->click();
  PiecePalette* palette = tab.palette();
  EXPECT_EQ(std::tuple(palette->isVisible(), Find<QScrollArea>("ScrollBox4")->isVisible()),
            std::tuple(true, false));
  EXPECT_EQ(palette->shownPieces(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  QTest::keyClicks(Find<QLineEdit>("PieceSearch"), "4");
  EXPECT_EQ(std::tuple(palette->shownPieces(), list->currentRow()), std::tuple(std::vector{4}, 4));
  Find<QLineEdit>("PieceSearch")->clear();
  QListView* view = palette->view();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                    view->visualRect(view->model()->index(1, 0)).center());
  EXPECT_EQ(list->currentRow(), 1);

  // Picking a face texture in the 3D view selects through the same path.
  tab.SelectPiece(2);
  EXPECT_EQ(std::tuple(list->currentRow(), Find<QComboBox>("ComboBox4")->currentText()),
            std::tuple(2, QString("Transparent")));
}

}  // namespace
}  // namespace qavel
