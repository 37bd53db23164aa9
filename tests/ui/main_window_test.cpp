// The window's frame: files, menus, the sector map over the view, messages, and the defects a
// new user met (undo in a spin box, a cut-off map, the About box, error boxes, the gauge, the
// empty window, the Open folder, catalog notes).

#include "ui/main_window.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <cstring>
#include <fstream>

#include "editor/face_commands.h"
#include "fixtures/test_level.h"
#include "level/level_writer.h"
#include "test_paths.h"
#include "ui/create_item_dialog.h"
#include "ui/view_panel.h"
#include "ui_support.h"

namespace qavel {
namespace {

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
  const struct {
    const char* menu;
    const char* tool;
    const char* caption;
    bool ticked;  // at start
  } switches[] = {
      {"HideRoomsGridbox1", "Action6", "Show Rooms Gridbox", false},
      {"TexturedRoom1", "Action7", "Textured Room", true},
      {"HideItems1", "Action3", "Hide &Items", false},
      {"HideStaticMesh1", "Action2", "Hide &Static Mesh", false},
  };
  for (const auto& sw : switches) {
    SCOPED_TRACE(sw.menu);
    auto* action = Find<QAction>(sw.menu);
    auto* tool = Find<QToolButton>(sw.tool);
    EXPECT_EQ(tool->defaultAction(), action);
    EXPECT_EQ(action->isChecked(), sw.ticked);
    for (int click = 1; click <= 3; ++click) {
      tool->click();
      EXPECT_EQ(action->isChecked(), sw.ticked != (click % 2 == 1));
      EXPECT_EQ(action->text(), sw.caption);
    }
  }
  // Each switched once: the map shows (the options the view switches set are the view's tests).
  EXPECT_TRUE(grid->isVisible());
  Trigger("BackgroundcolorBlue1");
  EXPECT_EQ(window.viewPanel()->background(), QColor(0, 0, 255));
  Trigger("BackgroundcolorTeal1");  // the colour it starts with
  EXPECT_EQ(window.viewPanel()->background(), QColor(0, 128, 128));
}

TEST_F(WindowTest, TheViewTakesPanel1UnderTheSectorMap) {
  auto* view = new QWidget;
  window.viewPanel()->setViewWidget(view);
  window.show();
  Trigger("HideRoomsGridbox1");
  EXPECT_EQ(view->parentWidget(), Find<QWidget>("Panel1"));
  EXPECT_TRUE(view->isVisible());
  // The map stays on top of the view, at the panel's top left corner.
  auto* box = Find<QGroupBox>("GroupBox3");
  QWidget* top = window.viewPanel()->childAt(box->geometry().center());
  EXPECT_TRUE(top == box || box->isAncestorOf(top));
}

TEST_F(WindowTest, TheTexturesPageAndTheSelectionShareOnePiece) {
  ASSERT_TRUE(test::OpenNow(window, Demo()));
  auto* pieces = Find<QListWidget>("ListBox5");
  ASSERT_TRUE(PickFaceTexture(window.session(), 1, {FaceKind::kRectangle, 0}));
  EXPECT_EQ(pieces->currentRow(), window.session().selection().piece());
  pieces->setCurrentRow(7);
  EXPECT_EQ(window.session().selection().piece(), 7);
}

// A file that cannot be read, or written, leaves the shown level and says why once: the headline
// names the file, the reason follows, in an error box.
TEST_F(WindowTest, AFailedOpenOrSaveKeepsTheLevelAndSaysWhyOnce) {
  Select("ListBox1", 3);
  const QString folder = QString::fromStdString(test::ScratchDir("window_open_folder"));
  const QString missing = "/nonexistent/LEVEL.TR4";
  for (const QString& path : {missing, folder}) EXPECT_FALSE(test::OpenNow(window, path));
  EXPECT_EQ(Find<QListWidget>("ListBox1")->count(), 6);
  EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 3);
  const QString path = folder + "/no/such/level.tr4";
  Click("Button4");
  EXPECT_FALSE(test::SaveNow(window, path));
  EXPECT_TRUE(window.isWindowModified());
  ASSERT_EQ(messages.size(), 3);
  EXPECT_TRUE(messages[0].startsWith("Cannot open /nonexistent/LEVEL.TR4:\n"));
  EXPECT_EQ(messages[1], "Cannot open " + folder + ":\nit is a folder");
  EXPECT_TRUE(messages[2].startsWith("Cannot save " + path + ":\n")) << messages[2].toStdString();
  EXPECT_EQ(messages[2].count(path), 1) << messages[2].toStdString();
  EXPECT_EQ(kinds, std::vector<MessageKind>(3, MessageKind::kError));
}

// Opening reads beside the window: meanwhile nothing that would edit, save or open again takes
// input, and Cancel leaves the shown level as it was.
TEST_F(WindowTest, AnOpenRunsBesideTheWindowAndCancelLeavesTheShownLevel) {
  Select("ListBox1", 3);
  const QString title = window.windowTitle();
  ASSERT_TRUE(window.openFile(Demo()));
  EXPECT_TRUE(window.busy());
  EXPECT_FALSE(window.openFile(Demo()));
  for (const char* action : {"Open1", "Save1", "Undo1", "ImportDXF1"})
    EXPECT_FALSE(Find<QAction>(action)->isEnabled()) << action;
  for (const char* control : {"ListBox1", "CheckBox11", "Button4", "Button7", "Panel1"})
    EXPECT_FALSE(Find<QWidget>(control)->isEnabled()) << control;
  Click("ButtonCancelFile");
  EXPECT_FALSE(test::WaitForFile(window));
  EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
  EXPECT_EQ(window.windowTitle(), title);
  EXPECT_EQ(Find<QListWidget>("ListBox1")->count(), 6);
  EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 3);
  for (const char* control : {"ListBox1", "CheckBox11", "Button4"})
    EXPECT_TRUE(Find<QWidget>(control)->isEnabled()) << control;
  EXPECT_TRUE(Find<QAction>("Open1")->isEnabled());
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
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(kinds[0], MessageKind::kWarning);
    EXPECT_TRUE(messages[0].contains(said)) << messages[0].toStdString();
  }
}

TEST_F(WindowTest, UnsavedEditsAreAskedAboutBeforeTheyAreLost) {
  Select("ListBox2", 0);
  Click("Button4");
  int asked = 0;
  window.setSavePrompt([&] {
    ++asked;
    return QMessageBox::Cancel;
  });
  EXPECT_FALSE(window.close());
  EXPECT_EQ(asked, 1);

  // A dropped file is opened once the user lets the edits go.
  window.setSavePrompt([&] {
    ++asked;
    return QMessageBox::Discard;
  });
  EXPECT_FALSE(window.openDropped({QUrl("https://example.org/level.tr4")}));
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(window.openDropped({QUrl::fromLocalFile(Demo())}));
  ASSERT_TRUE(test::WaitForFile(window));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(Find<QListWidget>("ListBox1")->count(), 4);
  EXPECT_EQ(window.windowTitle(), "demo.tr4[*] - Qavel");
  EXPECT_FALSE(window.isWindowModified());

  // Saved under another name, the title follows and the edits count as saved.
  Click("Button4");
  EXPECT_TRUE(window.isWindowModified());
  const QString out = QString::fromStdString(test::ScratchDir("ui_save") + "/level.tr4");
  ASSERT_TRUE(test::SaveNow(window, out));
  EXPECT_FALSE(window.isWindowModified());
  EXPECT_EQ(window.windowTitle(), QFileInfo(out).fileName() + "[*] - Qavel");

  // "Save" at the question saves first and opens the dropped file once the save is done.
  Click("Button4");
  const titem2 rotated = level().items2[0];
  window.setSavePrompt([] { return QMessageBox::Save; });
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
    EXPECT_EQ(window.session().undo_stack().count(), 0);
    EXPECT_FALSE(window.isWindowModified());
    // The last entry (an aux record in TR4/TR5) shows its own room.
    if (items->count() > 0) {
      EXPECT_EQ(Find<QSpinBox>("SpinEdit9")->value(),
                window.session().document().RoomOfEntry(items->count() - 1));
    }
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
  EXPECT_EQ(map->pixmap().size(), QSize(73, 61));
  // Column 3, row 2 of a five-row room.
  QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(1 + 24 + 5, 1 + 36 + 5));
  EXPECT_EQ(Text("StatusPanel1"), "Column:3 Row:2");
  EXPECT_TRUE(Find<QPlainTextEdit>("Memo2")->toPlainText().startsWith("DO WITH ACTIVATE\n"));
  EXPECT_TRUE(Find<QPlainTextEdit>("Memo3")->toPlainText().startsWith("FD Index:16\nCount:1\n"));
  EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentWidget()->objectName(), "TabSheet3");
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
    EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 0);
    EXPECT_EQ(Text("StatusPanel1"), status) << button;
  }
  Click("SpeedButton8");
  Click("SpeedButton3");
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("One trigger found..."));
  Find<QComboBox>("ComboBox3")->setCurrentIndex(15);
  Click("SpeedButton4");
  EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 2);
  EXPECT_EQ(Text("StatusPanel1"), "Column:2 Row:4");
  EXPECT_TRUE(
      Find<QPlainTextEdit>("Memo2")->toPlainText().contains("Unknown command #14 With Operand 3"));
}

TEST_F(WindowTest, SectorMapScrollsWhenTheWindowIsSmall) {
  // A room of 40 x 30 sectors makes a map far taller than a small window's view.
  Ttrlevel big = test::MakeEditorLevel();
  big.rooms[0].num_x_sectors = 40;
  big.rooms[0].num_z_sectors = 30;
  big.rooms[0].sectors.resize(40 * 30);
  window.session().document().Adopt(big, "big.tr4");
  window.resize(640, 480);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  Trigger("HideRoomsGridbox1");
  auto* box = Find<QGroupBox>("GroupBox3");
  auto* panel = Find<QWidget>("Panel1");
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
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(kinds[0], MessageKind::kInfo);

  const Ttrlevel before = level();
  Select("ListBox1", 0);
  Trigger("ImportDXF1");
  // The dialogs start where the last file was read or written.
  EXPECT_EQ(asked.value(2),
            "Import DXF(Current Room)|DXF File (*.dxf)|open|" + QString::fromStdString(dir));
  // What the import does is the command's test; here that it ran on the room shown.
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[1].contains("imported")) << messages[1].toStdString();
  EXPECT_EQ(level().rooms[0].rectangles.size(), before.rooms[1].rectangles.size());
  EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 0);

  // A file that is not an MSH file is refused with its reason, as a warning.
  Trigger("ImportMSH1");
  ASSERT_EQ(messages.size(), 3);
  EXPECT_TRUE(messages[2].contains("not an MSH file")) << messages[2].toStdString();
  EXPECT_EQ(kinds[2], MessageKind::kWarning);
}

TEST_F(WindowTest, OpenStartsInTheLastFolderUsedEvenInTheNextRun) {
  ASSERT_TRUE(test::OpenNow(window, Demo()));
  MainWindow next;
  QString folder;
  next.setFileChooser([&](const MainWindow::FileRequest& r) {
    folder = r.folder;
    return QString();
  });
  test::FindIn<QAction>(&next, "Open1")->trigger();
  EXPECT_EQ(folder, QFileInfo(Demo()).absolutePath());
}

TEST(WindowStartTest, WithoutALevelNothingLooksUsable) {
  MainWindow window;
  auto* map = test::FindIn<QLabel>(&window, "Image1");
  EXPECT_TRUE(map->pixmap().isNull());
  EXPECT_EQ(map->text(), "No level is open.");
  for (const char* name :
       {"Button2", "Button4", "Button6", "Button18", "Button7", "Button9", "Button10", "CheckBox11",
        "RadioButton9", "SpeedButton2", "SpeedButton4", "SpeedButton6", "Button11"})
    EXPECT_FALSE(test::FindIn<QWidget>(&window, name)->isEnabled()) << name;
  for (const char* name : {"ImportDXF1", "ExportMSH1"})
    EXPECT_FALSE(test::FindIn<QAction>(&window, name)->isEnabled()) << name;
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
  EXPECT_FALSE(gauge->isVisible());
  EXPECT_FALSE(begin_shown());
  EXPECT_TRUE(test::FindIn<QWidget>(&window, "Button2")->isEnabled());
}

TEST(WindowStartTest, AboutBoxIsWideEnoughForItsTitle) {
  MainWindow window;
  auto box = window.makeAboutBox();
  box->show();
  const QFontMetrics metrics(box->font());
  EXPECT_GE(box->width(), metrics.horizontalAdvance(box->windowTitle()) + 200);
  EXPECT_GE(box->width(), metrics.horizontalAdvance(box->informativeText()) / 2);
}

TEST(WindowStartTest, CatalogProblemsAreToldOnce) {
  const std::string dir = test::ScratchDir("window_catalog");
  std::ofstream(dir + "/broken.xml") << "<catalog><TR4><movable id=";
  const struct {
    std::string catalog;
    const char* says;
  } cases[] = {{dir + "/none.xml", "No movable catalog at "}, {dir + "/broken.xml", "broken.xml"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.catalog);
    MainWindow window;
    QStringList messages;
    window.setMessageSink([&](MessageKind, const QString& text) { messages << text; });
    window.session().document().SetCatalogPath(c.catalog);
    ASSERT_TRUE(test::OpenNow(window, Demo()));
    ASSERT_TRUE(test::OpenNow(window, Demo()));
    ASSERT_EQ(messages.size(), 1) << messages.join("\n").toStdString();
    EXPECT_TRUE(messages[0].contains(c.says)) << messages[0].toStdString();
  }
}

TEST(WindowStartTest, MissingRoomPictureIsToldAndStartUpGoesOn) {
  const QString home = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(test::ScratchDir("window_no_texture")));
  QStringList messages;
  {
    MainWindow window;
    window.setMessageSink([&](MessageKind, const QString& text) { messages << text; });
    QCoreApplication::processEvents();
    EXPECT_EQ(window.textureStore().Find(kRoomTextureId), nullptr);
    EXPECT_TRUE(test::OpenNow(window, Demo()));
  }
  QDir::setCurrent(home);
  ASSERT_FALSE(messages.isEmpty());
  EXPECT_EQ(messages[0], "Error loading texture #1");

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

}  // namespace
}  // namespace qavel
