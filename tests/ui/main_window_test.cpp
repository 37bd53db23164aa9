// The window driven as a user would: lists clicked, buttons pressed by name, labels read back.

#include "ui/main_window.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "../support/test_paths.h"
#include "fixtures/editor_fixture.h"
#include "ui/create_item_dialog.h"

namespace qavel {
namespace {

// One QApplication for the whole program, made before the first window.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    // Started as the program is in normal use: the room picture lies in the working folder.
    QDir::setCurrent(QString::fromStdString(test::DataPath("")));
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.setMessageSink([this](const QString& text) { messages << text; });
    window.setSavePrompt([] { return QMessageBox::Discard; });
    window.session().Adopt(test::MakeEditorLevel(), "memory.tr4");
  }
  template <class W>
  W* Find(const char* name) {
    W* w = window.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QString Text(const char* label) { return Find<QLabel>(label)->text(); }
  void Click(const char* button) { Find<QAbstractButton>(button)->click(); }
  void Select(const char* list, int row) { Find<QListWidget>(list)->setCurrentRow(row); }
  const Ttrlevel& level() { return window.session().level(); }

  MainWindow window;
  QStringList messages;
};

TEST_F(WindowTest, RoomListShowsRoomInfoAndFlags) {
  auto* rooms = Find<QListWidget>("ListBox1");
  ASSERT_EQ(rooms->count(), 6);
  EXPECT_EQ(rooms->item(5)->text(), "Room #5");
  EXPECT_EQ(rooms->currentRow(), 0);
  EXPECT_EQ(Text("Label7"), "Width: 4");
  EXPECT_EQ(Text("Label11"), "Position: -1 , 0 , 4");
  EXPECT_EQ(Text("Label13"), "Flag: 1000-0000-0000-0001");
  EXPECT_EQ(Text("Label15"), "Water Scheme: 012A");
  EXPECT_TRUE(Find<QCheckBox>("CheckBox11")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("CheckBox14")->isChecked());
  EXPECT_EQ(Find<QListWidget>("ListBox4")->count(), 2);

  Select("ListBox1", 2);
  EXPECT_EQ(Text("Label11"), "Position: 8 , 0 , 0");
  EXPECT_FALSE(Find<QCheckBox>("CheckBox11")->isChecked());
  EXPECT_EQ(Find<QListWidget>("ListBox4")->count(), 0);

  Click("CheckBox14");
  EXPECT_EQ(level().rooms[2].flags, 0x0080);
  EXPECT_EQ(Text("Label13"), "Flag: 0000-0000-1000-0000");
  EXPECT_TRUE(window.isWindowModified());
  Find<QAction>("Undo1")->trigger();
  EXPECT_EQ(level().rooms[2].flags, 0);
  EXPECT_FALSE(Find<QCheckBox>("CheckBox14")->isChecked());
  EXPECT_FALSE(window.isWindowModified());
}

TEST_F(WindowTest, ItemPanelShowsAndEditsTheSelectedItem) {
  auto* items = Find<QListWidget>("ListBox2");
  ASSERT_EQ(items->count(), 5);
  EXPECT_EQ(items->item(3)->text(),
            "3.-" + QString::fromStdString(window.session().names().NameOf(30)));
  Select("ListBox2", 2);
  EXPECT_EQ(Text("Label4"), "Flag :11111-00");
  EXPECT_EQ(Find<QSpinBox>("SpinEdit9")->value(), 3);
  EXPECT_EQ(Find<QSpinBox>("SpinEdit1")->value(), 5);
  EXPECT_TRUE(Find<QToolButton>("SpeedButton23")->isChecked());

  Click("Button4");  // Rotate
  EXPECT_EQ(Text("Label19"), "Angle: 96");
  EXPECT_EQ(+level().items1[2].angle, 0x6000);
  EXPECT_EQ(Find<QAction>("Undo1")->text(), "&Undo Rotate");

  Find<QSpinBox>("SpinEdit7")->setValue(-3);
  Click("Button11");
  EXPECT_EQ(+level().items2[2].x, -1536);

  Find<QSpinBox>("SpinEdit2")->setValue(-1);
  Click("Button3");
  EXPECT_EQ(Text("Label3"), "OCB:65535");

  Find<QSpinBox>("SpinEdit9")->setValue(9);
  Click("Button13");
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0], "Room 9 does not exist in this level.");

  // Double click goes to the item's room.
  Select("ListBox2", 1);
  emit items->itemDoubleClicked(items->item(1));
  EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 1);
}

TEST_F(WindowTest, AutoPositionFollowsTheSpinUntilAnotherRoomIsChosen) {
  Select("ListBox2", 0);
  Click("CheckBox2");
  Find<QSpinBox>("SpinEdit4")->setValue(4);
  EXPECT_EQ(+level().items2[0].y, 1024);
  Find<QSpinBox>("SpinEdit4")->setValue(5);
  EXPECT_EQ(window.session().undo_stack().count(), 1);
  Select("ListBox1", 3);
  EXPECT_FALSE(Find<QCheckBox>("CheckBox2")->isChecked());
}

TEST_F(WindowTest, DuplicateAndCreateThroughTheDialog) {
  Select("ListBox1", 5);
  Select("ListBox2", 2);
  Click("Button6");  // Duplicate into room 5
  auto* items = Find<QListWidget>("ListBox2");
  ASSERT_EQ(items->count(), 6);
  EXPECT_EQ(items->currentRow(), 3);
  // The aux entries stay listed.
  EXPECT_EQ(items->item(5)->text(),
            "5.-" + QString::fromStdString(window.session().names().NameOf(5)));
  EXPECT_EQ(+level().items2[3].room, 5);

  Click("Button18");  // Create
  CreateItemDialog* dialog = window.createDialog();
  ASSERT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), "Create Item");
  EXPECT_TRUE(window.session().create_mode());
  dialog->findChild<QListWidget*>("ListBox1")->setCurrentRow(2);
  dialog->findChild<QRadioButton*>("RadioButton1")->click();
  EXPECT_EQ(dialog->findChild<QSpinBox*>("SpinEdit1")->value(), 40);  // room 5 x = 20480
  dialog->findChild<QPushButton*>("Button1")->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(window.session().create_mode());
  ASSERT_EQ(level().num_items(), 5u);
  EXPECT_EQ(+level().items2[4].object_id, 9);
  EXPECT_EQ(+level().items2[4].x, 40 * 512);
  EXPECT_EQ(items->currentRow(), 4);
  EXPECT_EQ(Find<QAction>("Undo1")->text(), "&Undo Create Item");
}

TEST_F(WindowTest, StaticPanelEditsAndRefusesTheFiftyFirst) {
  Select("ListBox4", 1);
  EXPECT_EQ(Find<QSpinBox>("SpinEdit13")->value(), 0x1FFF);
  EXPECT_EQ(Text("Label18"), "Angle:0");
  Find<QSpinBox>("SpinEdit6")->setValue(4);
  Click("Button8");
  EXPECT_EQ(+level().rooms[0].statics2[1].y, 1024);
  EXPECT_EQ(+level().rooms[0].statics1[1].y, 1024);
  Click("Button9");
  EXPECT_EQ(Text("Label18"), "Angle:8192");
  for (int i = 0; i < 48; ++i) Click("Button10");
  auto* list = Find<QListWidget>("ListBox4");
  EXPECT_EQ(list->count(), 50);
  EXPECT_EQ(list->currentRow(), 49);
  EXPECT_EQ(list->item(49)->text(), "Static Mesh#50");
  EXPECT_TRUE(messages.isEmpty());
  Click("Button10");
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(list->count(), 50);
}

TEST_F(WindowTest, ExperimentsPageEditsOneValue) {
  auto* pages = Find<QTabWidget>("PageControl1");
  const int index = pages->indexOf(Find<QWidget>("TabSheet8"));
  EXPECT_FALSE(pages->isTabVisible(index));
  Find<QAction>("Experiments1")->trigger();
  EXPECT_TRUE(pages->isTabVisible(index));
  Select("ListBox3", 5);
  EXPECT_EQ(Find<QSpinBox>("SpinEdit3")->value(), 3);
  Find<QSpinBox>("SpinEdit3")->setValue(-7);
  Click("SpeedButton6");
  EXPECT_EQ(level().rooms[0].trc_unknown7[2], static_cast<uint32_t>(-7));
  EXPECT_EQ(Find<QListWidget>("ListBox3")->item(5)->text(), "Unknown7: -7");
  EXPECT_EQ(Find<QListWidget>("ListBox3")->currentRow(), -1);
  Click("SpeedButton6");  // no line selected: nothing
  EXPECT_EQ(window.session().undo_stack().count(), 1);

  Click("RadioButton11");
  EXPECT_EQ(Weather(level()), 2);
}

TEST_F(WindowTest, UnknownWeatherLeavesTheButtonsAsTheyWere) {
  Ttrlevel raining = test::MakeEditorLevel(kTR5);
  SetWeather(raining, 1);
  window.session().Adopt(raining, "memory.trc");
  EXPECT_TRUE(Find<QRadioButton>("RadioButton10")->isChecked());
  Ttrlevel odd = test::MakeEditorLevel(kTR5);
  SetWeather(odd, 3);
  window.session().Adopt(odd, "memory.trc");
  EXPECT_TRUE(Find<QRadioButton>("RadioButton10")->isChecked());
  EXPECT_EQ(Weather(level()), 3);
}

TEST_F(WindowTest, StaticAutoPositionAndLights) {
  Select("ListBox4", 0);
  Click("CheckBox3");
  Find<QSpinBox>("SpinEdit11")->setValue(6);
  EXPECT_EQ(+level().rooms[0].statics2[0].z, 6 * 512);
  Find<QSpinBox>("SpinEdit14")->setValue(77);
  EXPECT_EQ(+level().rooms[0].statics2[0].intensity2, 77);
  EXPECT_EQ(+level().rooms[0].statics2[0].z, 6 * 512);
  // Another room switches the automatic edits off.
  Select("ListBox1", 1);
  EXPECT_FALSE(Find<QCheckBox>("CheckBox3")->isChecked());
}

TEST_F(WindowTest, ViewSwitchesAndGridBox) {
  auto* grid = Find<QGroupBox>("GroupBox3");
  window.show();
  EXPECT_FALSE(grid->isVisible());
  Find<QAction>("HideRoomsGridbox1")->trigger();
  EXPECT_TRUE(grid->isVisible());
  Find<QAction>("Action7")->trigger();
  Find<QAction>("Action7")->trigger();
  EXPECT_EQ(Find<QAction>("Action7")->text(), "Show Textured Room");
  EXPECT_EQ(Find<QAction>("HideItems1")->shortcut(), QKeySequence(Qt::Key_F3));
  EXPECT_EQ(Find<QAction>("Open1")->statusTip(), "Open level to inspect");
}

TEST_F(WindowTest, AFileThatCannotBeReadLeavesTheLevelShown) {
  Select("ListBox1", 3);
  EXPECT_FALSE(window.openFile("/nonexistent/LEVEL.TR4"));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("Cannot open /nonexistent/LEVEL.TR4:\n"));
  EXPECT_EQ(Find<QListWidget>("ListBox1")->count(), 6);
  EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 3);
}

TEST_F(WindowTest, RealLevelOpensSavesAndUndoes) {
  QAVEL_REAL_LEVEL_OR_SKIP(path, "TR4");
  ASSERT_TRUE(window.openFile(QString::fromStdString(path)));
  EXPECT_EQ(window.windowTitle(), QString::fromStdString(path) + "[*]");
  EXPECT_EQ(Find<QListWidget>("ListBox1")->count(), level().num_rooms());
  EXPECT_EQ(Find<QListWidget>("ListBox2")->count(),
            static_cast<int>(level().num_items() + level().num_aux_records()));
  Select("ListBox2", 0);
  Click("Button4");
  EXPECT_TRUE(window.isWindowModified());
  const std::string out = test::ScratchDir("ui_real_save") + "/level.tr4";
  ASSERT_TRUE(window.saveFileAs(QString::fromStdString(out)));
  EXPECT_FALSE(window.isWindowModified());
  EXPECT_EQ(window.windowTitle(), QString::fromStdString(out) + "[*]");
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
  EXPECT_TRUE(window.openDropped(
      {QUrl::fromLocalFile(QString::fromStdString(test::DataPath("demo.tr4")))}));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(Find<QListWidget>("ListBox1")->count(), 4);
  EXPECT_FALSE(window.isWindowModified());
}

TEST_F(WindowTest, EveryRoomItemAndStaticOfTheRealLevelsCanBeShown) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels present; skipped";
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(generation);
    ASSERT_TRUE(window.openFile(QString::fromStdString(path)));
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
                window.session().RoomOfEntry(items->count() - 1));
    }
  }
  EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
}

TEST_F(WindowTest, DemoLevelOpensOnItsFirstRoom) {
  const std::string path = test::DataPath("demo.tr4");
  ASSERT_TRUE(window.openFile(QString::fromStdString(path))) << messages.join("\n").toStdString();
  EXPECT_EQ(Find<QListWidget>("ListBox1")->count(), 4);
  EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 0);
  EXPECT_EQ(Text("Label7"), "Width: 6");
  Select("ListBox1", 1);
  EXPECT_TRUE(Find<QCheckBox>("CheckBox11")->isChecked());
  EXPECT_EQ(Text("Label14"), "Alternate Room: 2");
  EXPECT_EQ(Text("Label15"), "Water Scheme: 0005");
  Select("ListBox1", 3);
  EXPECT_TRUE(Find<QCheckBox>("CheckBox12")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("CheckBox13")->isChecked());
  EXPECT_EQ(Find<QListWidget>("ListBox2")->count(),
            static_cast<int>(level().num_items() + level().num_aux_records()));
  EXPECT_FALSE(window.isWindowModified());
}

TEST_F(WindowTest, SectorMapAndTriggerSearchesOnTheDemoLevel) {
  ASSERT_TRUE(window.openFile(QString::fromStdString(test::DataPath("demo.tr4"))));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  Find<QAction>("HideRoomsGridbox1")->trigger();
  auto* map = Find<QLabel>("Image1");
  ASSERT_TRUE(map->isVisible());
  EXPECT_EQ(map->pixmap().size(), QSize(73, 61));
  // Column 3, row 2 of a five-row room.
  QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(1 + 24 + 5, 1 + 36 + 5));
  EXPECT_EQ(Text("StatusPanel1"), "Column:3 Row:2");
  EXPECT_TRUE(Find<QPlainTextEdit>("Memo2")->toPlainText().startsWith("DO WITH ACTIVATE\n"));
  EXPECT_TRUE(Find<QPlainTextEdit>("Memo3")->toPlainText().startsWith("FD Index:16\nCount:1\n"));
  EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentWidget()->objectName(), "TabSheet3");

  Select("ListBox1", 3);
  Select("ListBox2", 2);
  Click("SpeedButton2");
  EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 0);
  EXPECT_EQ(Text("StatusPanel1"), "Column:2 Row:2");
  Click("SpeedButton8");  // the same search from the Static Meshes tab
  EXPECT_EQ(Text("StatusPanel1"), "Column:3 Row:2");
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

TEST_F(WindowTest, ImportAndExportMenusRunTheExchangeCommands) {
  const std::string dir = test::ScratchDir("window_exchange");
  QStringList asked;
  QString answer;
  window.setFileChooser([&](const QString& caption, const QString& filter, bool save) {
    asked << caption + "|" + filter + (save ? "|save" : "|open");
    return answer;
  });
  {
    MainWindow empty;
    EXPECT_FALSE(empty.findChild<QAction*>("ImportDXF1")->isEnabled());
    EXPECT_FALSE(empty.findChild<QAction*>("ExportMSH1")->isEnabled());
  }
  ASSERT_TRUE(window.openFile(QString::fromStdString(test::DataPath("demo.tr4"))));
  EXPECT_NE(window.textureStore().Find(0), nullptr);  // the level's first page
  for (const char* name : {"ImportDXF1", "ImportMSH1", "ImportMSH2", "ImportZQP1", "ExportDXF1",
                           "ExportMSH1", "ExportZQP1"})
    EXPECT_TRUE(Find<QAction>(name)->isEnabled()) << name;

  // A cancelled dialog does nothing.
  Find<QAction>("ExportZQP1")->trigger();
  EXPECT_EQ(asked.value(0), "Export ZQP|ZQP File (*.zqp)|save");
  EXPECT_TRUE(messages.isEmpty());

  Select("ListBox1", 1);
  answer = QString::fromStdString(dir + "/room.dxf");
  Find<QAction>("ExportDXF1")->trigger();
  EXPECT_EQ(asked.value(1), "Export DXF(Current Room)|DXF File (*.dxf)|save");
  ASSERT_EQ(messages.size(), 1);

  const Ttrlevel before = level();
  Select("ListBox1", 0);
  Find<QAction>("ImportDXF1")->trigger();
  EXPECT_EQ(asked.value(2), "Import DXF(Current Room)|DXF File (*.dxf)|open");
  ASSERT_EQ(messages.size(), 2);
  EXPECT_TRUE(messages[1].contains("imported")) << messages[1].toStdString();
  EXPECT_EQ(level().rooms[0].rectangles.size(), before.rooms[1].rectangles.size());
  EXPECT_EQ(Find<QAction>("Undo1")->text(), "&Undo Import DXF");
  EXPECT_TRUE(window.isWindowModified());
  EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 0);

  Find<QAction>("Undo1")->trigger();
  EXPECT_TRUE(level() == before);
  EXPECT_FALSE(window.isWindowModified());

  // A file that is not an MSH file is refused with its reason and leaves no undo step.
  answer = QString::fromStdString(dir + "/room.dxf");
  Find<QAction>("ImportMSH1")->trigger();
  ASSERT_EQ(messages.size(), 3);
  EXPECT_TRUE(messages[2].contains("not an MSH file")) << messages[2].toStdString();
  EXPECT_EQ(window.session().undo_stack().count(), 1);
  EXPECT_EQ(window.session().undo_stack().index(), 0);
}

TEST(WindowStartTest, MissingRoomPictureIsToldAndStartUpGoesOn) {
  const QString home = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(test::ScratchDir("window_no_texture")));
  QStringList messages;
  {
    MainWindow window;
    window.setMessageSink([&](const QString& text) { messages << text; });
    QCoreApplication::processEvents();
    EXPECT_EQ(window.textureStore().Find(kRoomTextureId), nullptr);
    EXPECT_TRUE(window.openFile(QString::fromStdString(test::DataPath("demo.tr4"))));
  }
  QDir::setCurrent(home);
  ASSERT_FALSE(messages.isEmpty());
  EXPECT_EQ(messages[0], "Error loading texture #1");

  MainWindow window;
  EXPECT_NE(window.textureStore().Find(kRoomTextureId), nullptr);
}

}  // namespace
}  // namespace qavel
