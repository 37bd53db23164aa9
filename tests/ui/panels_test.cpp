// The panels' wiring, as a user drives them: every edit control runs its command once (one
// named undo step), the captions show what the panel texts say, refusals reach the user, and the
// controls that depend on a selection follow it. What each edit does is tested with the edits.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <tuple>

#include "inspect/panel_texts.h"
#include "ui/create_item_dialog.h"
#include "ui_support.h"

namespace qavel {
namespace {

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

}  // namespace
}  // namespace qavel
