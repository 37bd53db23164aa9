// The panels' wiring, as a user drives them: every edit control runs its command once (one
// named undo step), the captions show what the panel texts say, refusals reach the user, and the
// controls that depend on a selection follow it; the Textures page on its own (list entries,
// mosaic clicks, size buttons). What each edit does is tested with the edits.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <tuple>

#include "fixtures/texture_fixtures.h"
#include "inspect/panel_texts.h"
#include "textures/atlas.h"
#include "ui/create_item_dialog.h"
#include "ui/piece_palette.h"
#include "ui/texture_tab.h"
#include "ui_support.h"

namespace qavel {
namespace {

using test::Piece;
using test::Quad;
using test::WindowTest;

TEST_F(WindowTest, EveryEditControlRunsItsCommandOnce) {
  // A TR5 level: it has every field the panels edit, the weather and room values too.
  window.session().document().Adopt(test::MakeEditorLevel(kTR5), "memory.trc");
  Trigger("Experiments1");
  // (list and row to select, spin to set and its value, control to click, the step it makes)
  const struct {
    const char* list;
    int row;
    const char* spin;
    int value;
    const char* control;
    const char* step;
  } rows[] = {
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
  for (const auto& r : rows) {
    SCOPED_TRACE(r.control);
    Select("ListBox1", 0);  // the statics and values are room 0's
    Select(r.list, r.row);
    if (r.spin) Find<QSpinBox>(r.spin)->setValue(r.value);
    Click(r.control);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    EXPECT_EQ(window.session().undo_stack().count(), 1);
    EXPECT_EQ(Find<QAction>("Undo1")->text(), QString("&Undo ") + r.step);
    EXPECT_TRUE(window.isWindowModified());
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
  EXPECT_TRUE(Find<QCheckBox>("CheckBox11")->isChecked());  // room 0's flags hold water
  EXPECT_FALSE(Find<QCheckBox>("CheckBox14")->isChecked());

  Select("ListBox2", 3);
  const ItemInfo item = *ShowItemInfo(level(), 3);
  const std::pair<const char*, std::string> item_labels[] = {
      {"Label1", item.angle1_text}, {"Label2", item.angle2_text}, {"Label3", item.ocb_text},
      {"Label4", item.flags_text},  {"Label9", item.light_text},  {"Label19", item.angle_text}};
  for (const auto& [label, text] : item_labels) EXPECT_EQ(Text(label).toStdString(), text);
  EXPECT_EQ(Find<QListWidget>("ListBox2")->item(3)->text().toStdString(),
            window.session().document().item_texts()[3]);
  EXPECT_EQ(Find<QSpinBox>("SpinEdit9")->value(), item.room);
  EXPECT_EQ(Find<QToolButton>("SpeedButton97")->isChecked(), item.invisible);
  // Right after Change OCB the stored word is shown unsigned.
  Find<QSpinBox>("SpinEdit2")->setValue(-1);
  Click("Button3");
  EXPECT_EQ(Text("Label3"), "OCB:65535");

  Select("ListBox4", 1);
  const StaticInfo mesh = *ShowStaticInfo(level().rooms[0], 1);
  EXPECT_EQ(Text("Label18").toStdString(), mesh.angle);
  EXPECT_EQ(Find<QSpinBox>("SpinEdit13")->value(), mesh.light1);
  EXPECT_EQ(Find<QSpinBox>("SpinEdit6")->value(), mesh.position.y);
  Select("ListBox3", 5);
  EXPECT_EQ(Find<QListWidget>("ListBox3")->item(5)->text().toStdString(),
            TrcValueLines(level().rooms[0])[5]);
}

TEST_F(WindowTest, RefusalsAndTheSelectionsTheControlsFollow) {
  Select("ListBox2", 2);
  Find<QSpinBox>("SpinEdit9")->setValue(9);
  Click("Button13");
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0], "Room 9 does not exist in this level.");
  EXPECT_EQ(kinds[0], MessageKind::kWarning);
  // Double click goes to the item's room.
  auto* items = Find<QListWidget>("ListBox2");
  Select("ListBox2", 1);
  emit items->itemDoubleClicked(items->item(1));
  EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 1);
  // A room without statics shows empty fields and offers no edits.
  Select("ListBox1", 2);
  for (const char* spin : {"SpinEdit5", "SpinEdit10", "SpinEdit6", "SpinEdit13", "SpinEdit14"}) {
    EXPECT_EQ(Find<QSpinBox>(spin)->text(), "") << spin;
    EXPECT_FALSE(Find<QSpinBox>(spin)->isEnabled()) << spin;
  }
  EXPECT_EQ(Text("Label18"), "Angle:");
  EXPECT_FALSE(Find<QPushButton>("Button9")->isEnabled());
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
  EXPECT_FALSE(Find<QToolButton>("SpeedButton6")->isEnabled());
  EXPECT_EQ(Text("TrcLineNote").toStdString(), TrcValueLockedReason(10));
  Select("ListBox3", 7);
  EXPECT_TRUE(Find<QToolButton>("SpeedButton6")->isEnabled());
  EXPECT_TRUE(Find<QLabel>("TrcLineNote")->isHidden());
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
    for (const char* radio : tr5_only)
      EXPECT_EQ(Find<QRadioButton>(radio)->isEnabled(), kind == kTR5) << radio;
    EXPECT_EQ(Find<QPushButton>("Button3")->isEnabled(), kind >= kTR4);  // Change OCB
    EXPECT_EQ(Find<QSpinBox>("SpinEdit14")->isEnabled(), kind >= kTR2);  // Light 2
    Select("ListBox3", 0);
    EXPECT_EQ(Find<QToolButton>("SpeedButton6")->isEnabled(), kind == kTR5);
    Click("RadioButton11");
    EXPECT_EQ(window.session().undo_stack().count(), kind == kTR5 ? 1 : 0);
    EXPECT_EQ(window.isWindowModified(), kind == kTR5);
  }
  // Unknown9 and Unknown10 take a number with a fraction.
  Trigger("Experiments1");
  Select("ListBox3", 6);
  EXPECT_FALSE(Find<QWidget>("SpinEdit3Fraction")->isHidden());
  EXPECT_TRUE(Find<QWidget>("SpinEdit3")->isHidden());
  Find<QDoubleSpinBox>("SpinEdit3Fraction")->setValue(7);
  Click("SpeedButton6");
  EXPECT_EQ(Find<QListWidget>("ListBox3")->item(6)->text(), "Unknown9: 7.0");
  Select("ListBox3", 5);
  EXPECT_TRUE(Find<QWidget>("SpinEdit3Fraction")->isHidden());
}

// "Position..." shows the place in world units and the angle in degrees, and what is typed
// there comes back as one step; OK on what was shown changes nothing.
TEST_F(WindowTest, ThePositionEditorTakesWorldUnitsAndDegrees) {
  const Ttrlevel before = level();
  const struct {
    const char* page;
    const char* list;
    const char* button;
    Placement shown;  // item 0, static 1 of room 0
  } rows[] = {
      {"TabSheet2", "ListBox2", "ItemPositionButton", {-700, -768, 1536, 0x4000}},
      {"TabSheet4", "ListBox4", "StaticPositionButton", {-700, 0, 512, 0}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.button);
    QWidget* page = Find<QWidget>(row.page);
    Select("ListBox1", 0);
    Select(row.list, row.list[7] == '2' ? 0 : 1);
    EXPECT_EQ(test::FindIn<QLabel>(page, "WorldLabelX")->text().toInt(), row.shown.x);
    auto* dialog = test::FindIn<QDialog>(page, "PlacementDialog");
    auto world = [page](const char* axis) { return test::FindIn<QSpinBox>(page, axis); };
    auto* degrees = test::FindIn<QDoubleSpinBox>(page, "WorldAngle");
    Click(row.button);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(
        std::tuple(world("WorldX")->value(), world("WorldY")->value(), world("WorldZ")->value()),
        std::tuple(row.shown.x, row.shown.y, row.shown.z));
    dialog->accept();  // nothing typed: no step
    EXPECT_EQ(window.session().undo_stack().count(), 0);
    Click(row.button);
    world("WorldX")->setValue(1000);
    world("WorldY")->setValue(-300);
    degrees->setValue(45.5);
    dialog->accept();
    EXPECT_EQ(window.session().undo_stack().count(), 1);
    EXPECT_EQ(Find<QAction>("Undo1")->text(), "&Undo Position");
    window.session().undo_stack().clear();
  }
  // The typed values reach the entry chosen (what the edit stores is tested with the edits).
  EXPECT_EQ(level().items2[0].y, -300);
  EXPECT_EQ(level().items2[0].angle, 8283);
  EXPECT_EQ(level().rooms[0].statics2[1].x, 1000);
  EXPECT_EQ(level().items2[1], before.items2[1]);
}

TEST_F(WindowTest, AutoPositionFollowsTheSpinsUntilAnotherRoomIsChosen) {
  Select("ListBox2", 0);
  Click("CheckBox2");
  Find<QSpinBox>("SpinEdit4")->setValue(4);
  Find<QSpinBox>("SpinEdit4")->setValue(5);
  EXPECT_EQ(+level().items2[0].y, 5 * 256);
  EXPECT_EQ(window.session().undo_stack().count(), 1);
  // With the statics' "-Auto-", a light spin stores the lights, not the position.
  Select("ListBox4", 0);
  Click("CheckBox3");
  Find<QSpinBox>("SpinEdit14")->setValue(77);
  EXPECT_EQ(Find<QAction>("Undo1")->text(), "&Undo Change L1,L2");
  Select("ListBox1", 3);
  EXPECT_FALSE(Find<QCheckBox>("CheckBox2")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("CheckBox3")->isChecked());
}

TEST_F(WindowTest, CreateThroughTheDialog) {
  Select("ListBox1", 5);
  Select("ListBox2", 2);
  CreateItemDialog* dialog = window.createDialog();
  // Closed without creating, the dialog leaves create mode: Duplicate copies the item again.
  Click("Button18");
  test::FindIn<QListWidget>(dialog, "ListBox1")->setCurrentRow(3);
  QTest::keyClick(dialog, Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(window.session().create_mode());
  Click("Button6");
  EXPECT_EQ(Find<QAction>("Undo1")->text(), "&Undo Duplicate");
  // Item 2 lies in room 3, outside room 5: the copy stays there, and the status bar says so.
  EXPECT_EQ(window.statusBar()->currentMessage(),
            "The copy stays in room 3: the item lies outside room 5.");
  Trigger("Undo1");

  Click("Button18");  // Create
  ASSERT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), "Create Item");
  EXPECT_TRUE(window.session().create_mode());
  test::FindIn<QListWidget>(dialog, "ListBox1")->setCurrentRow(2);
  test::FindIn<QRadioButton>(dialog, "RadioButton1")->click();
  EXPECT_EQ(test::FindIn<QSpinBox>(dialog, "SpinEdit1")->value(), 40);  // room 5 x = 20480
  test::FindIn<QPushButton>(dialog, "Button1")->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(window.session().create_mode());
  EXPECT_EQ(Find<QAction>("Undo1")->text(), "&Undo Create Item");
  EXPECT_EQ(Find<QListWidget>("ListBox2")->currentRow(), 3);
  // The movables list names the new item's movable, not the one shown before.
  EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentIndex(), 2);
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

TEST_F(TextureTabTest, ListShowsPreviewAndAttribute) {
  const char* areas[] = {"ScrollBox2", "ScrollBox1", "ScrollBox3", "ScrollBox4", "ScrollBox5"};
  const int steps[] = {96, 88, 80, 72, 128};  // the scroll steps follow the piece sizes
  for (int k = 0; k < 5; ++k)
    EXPECT_EQ(Find<QScrollArea>(areas[k])->verticalScrollBar()->singleStep(), steps[k]);
  EXPECT_EQ(Preview().size(), QSize(4, 4) * tab.previewScale()) << "blank before any level";
  QSignalSpy chosen(&tab, &TextureTab::pieceChosen);
  tab.ShowLevel(Level());
  auto* list = Find<QListWidget>("ListBox5");
  ASSERT_EQ(list->count(), 6);
  EXPECT_EQ(list->item(0)->text(), "Texture#0");
  EXPECT_EQ(list->item(5)->text(), "Texture#5");
  EXPECT_EQ(list->currentRow(), 0);
  // The preview is enlarged by whole steps, 4 at least, each texel a sharp square.
  const int scale = tab.previewScale();
  EXPECT_GE(scale, 4);
  EXPECT_EQ(Preview().size(), QSize(64, 64) * scale);
  ASSERT_EQ(chosen.count(), 1);

  list->setCurrentRow(1);  // a triangle: its white diagonal shows
  EXPECT_EQ(Preview().size(), QSize(16, 16) * tab.previewScale());
  const int s = tab.previewScale();
  EXPECT_EQ(Preview().pixelColor(5 * s, 5 * s), QColor(Qt::white));
  for (int texel : {0, 3, 9})
    for (int dx = 0; dx < s; ++dx)
      ASSERT_EQ(Preview().pixel(texel * s + dx, 2 * s + s - 1 - dx),
                Preview().pixel(texel * s, 2 * s))
          << "texel " << texel;
  EXPECT_EQ(Find<QComboBox>("ComboBox4")->currentText(), "Semi-Transparent");
  list->setCurrentRow(2);
  EXPECT_EQ(Find<QComboBox>("ComboBox4")->currentText(), "Transparent");
  list->setCurrentRow(5);
  EXPECT_EQ(Find<QComboBox>("ComboBox4")->currentIndex(), -1);
  EXPECT_EQ(chosen.count(), 4);
  EXPECT_EQ(chosen.last().at(0).toInt(), 5);

  // Another level replaces everything; an empty one leaves an empty list and a blank preview.
  tab.ShowLevel(Ttrlevel());
  EXPECT_EQ(list->count(), 0);
  EXPECT_EQ(Preview().size(), QSize(4, 4) * tab.previewScale());
  EXPECT_TRUE(Find<QLabel>("Image2")->pixmap().isNull());
}

TEST_F(TextureTabTest, MosaicClicksSelectPieces) {
  tab.show();
  const Ttrlevel level = Level();
  tab.ShowLevel(level, BuildAtlas(level));
  auto* list = Find<QListWidget>("ListBox5");
  // The 64 x 64 mosaic lists pieces 0, 2, 4, 5 (where a click lands is the panel's hit test).
  EXPECT_EQ(Find<QLabel>("Image2")->pixmap().size(), QSize(259, 64));
  ClickImage("Image2", {140, 10});
  EXPECT_EQ(list->currentRow(), 4);
  EXPECT_EQ(tab.selectedPiece(), 4);
  ClickImage("Image2", {200, 0});  // the top pixel row selects nothing
  EXPECT_EQ(list->currentRow(), 4);

  // Size buttons swap the visible mosaic; the 64 x 32 one holds piece 3 alone.
  Find<QRadioButton>("RadioButton3")->click();
  EXPECT_TRUE(Find<QScrollArea>("ScrollBox3")->isVisible());
  EXPECT_FALSE(Find<QScrollArea>("ScrollBox2")->isVisible());
  ClickImage("Image5", {10, 10});
  EXPECT_EQ(list->currentRow(), 3);
  EXPECT_EQ(Preview().size(), QSize(64, 32) * tab.previewScale());

  // The 64 x 16 mosaic is empty: it says so, and clicks on it do nothing.
  Find<QRadioButton>("RadioButton4")->click();
  EXPECT_EQ(Find<QLabel>("Image6")->text(), "This level has no pieces of 64 X 16.");
  ClickImage("Image6", {1, 1});
  EXPECT_EQ(list->currentRow(), 3);

  // The palette: every piece, a search by number that selects an exact match, and clicks.
  Find<QRadioButton>("RadioButtonPalette")->click();
  PiecePalette* palette = tab.palette();
  EXPECT_TRUE(palette->isVisible());
  EXPECT_FALSE(Find<QScrollArea>("ScrollBox4")->isVisible());
  EXPECT_EQ(palette->shownPieces(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  QTest::keyClicks(Find<QLineEdit>("PieceSearch"), "4");
  EXPECT_EQ(palette->shownPieces(), (std::vector<int>{4}));
  EXPECT_EQ(list->currentRow(), 4);
  Find<QLineEdit>("PieceSearch")->clear();
  QListView* view = palette->view();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                    view->visualRect(view->model()->index(1, 0)).center());
  EXPECT_EQ(list->currentRow(), 1);

  // Picking a face texture in the 3D view selects through the same path.
  tab.SelectPiece(2);
  EXPECT_EQ(list->currentRow(), 2);
  EXPECT_EQ(Find<QComboBox>("ComboBox4")->currentText(), "Transparent");
}

}  // namespace
}  // namespace qavel
