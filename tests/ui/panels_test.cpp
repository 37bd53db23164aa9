// The panels driven as a user would: lists clicked, buttons pressed by name, labels read back.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

#include "inspect/panel_texts.h"
#include "ui/create_item_dialog.h"
#include "ui_support.h"

namespace qavel {
namespace {

using test::WindowTest;

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
  Trigger("Undo1");
  EXPECT_EQ(level().rooms[2].flags, 0);
  EXPECT_FALSE(Find<QCheckBox>("CheckBox14")->isChecked());
  EXPECT_FALSE(window.isWindowModified());

  // A weather value the buttons do not name leaves them as they were.
  Ttrlevel raining = test::MakeEditorLevel(kTR5);
  SetWeather(raining, 1);
  window.session().document().Adopt(raining, "memory.trc");
  EXPECT_TRUE(Find<QRadioButton>("RadioButton10")->isChecked());
  Ttrlevel odd = test::MakeEditorLevel(kTR5);
  SetWeather(odd, 3);
  window.session().document().Adopt(odd, "memory.trc");
  EXPECT_TRUE(Find<QRadioButton>("RadioButton10")->isChecked());
  Click("RadioButton11");
  EXPECT_EQ(Weather(level()), 2);
}

TEST_F(WindowTest, ItemPanelShowsAndEditsTheSelectedItem) {
  auto* items = Find<QListWidget>("ListBox2");
  ASSERT_EQ(items->count(), 5);
  EXPECT_EQ(items->item(3)->text(),
            "3.-" + QString::fromStdString(window.session().document().names().NameOf(30)));
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
  EXPECT_EQ(kinds[0], MessageKind::kWarning);

  // Double click goes to the item's room.
  Select("ListBox2", 1);
  emit items->itemDoubleClicked(items->item(1));
  EXPECT_EQ(Find<QListWidget>("ListBox1")->currentRow(), 1);
}

TEST_F(WindowTest, AutoPositionFollowsTheSpinsUntilAnotherRoomIsChosen) {
  Select("ListBox2", 0);
  Click("CheckBox2");
  Find<QSpinBox>("SpinEdit4")->setValue(4);
  EXPECT_EQ(+level().items2[0].y, 1024);
  Find<QSpinBox>("SpinEdit4")->setValue(5);
  EXPECT_EQ(window.session().undo_stack().count(), 1);

  // With the statics' "-Auto-", a light spin stores the lights, not the position.
  Select("ListBox4", 0);
  Click("CheckBox3");
  Find<QSpinBox>("SpinEdit11")->setValue(6);
  EXPECT_EQ(+level().rooms[0].statics2[0].z, 6 * 512);
  Find<QSpinBox>("SpinEdit14")->setValue(77);
  EXPECT_EQ(+level().rooms[0].statics2[0].intensity2, 77);
  EXPECT_EQ(+level().rooms[0].statics2[0].z, 6 * 512);

  Select("ListBox1", 3);
  EXPECT_FALSE(Find<QCheckBox>("CheckBox2")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("CheckBox3")->isChecked());
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
            "5.-" + QString::fromStdString(window.session().document().names().NameOf(5)));
  EXPECT_EQ(+level().items2[3].room, 5);

  Click("Button18");  // Create
  CreateItemDialog* dialog = window.createDialog();
  ASSERT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), "Create Item");
  EXPECT_TRUE(window.session().create_mode());
  test::FindIn<QListWidget>(dialog, "ListBox1")->setCurrentRow(2);
  test::FindIn<QRadioButton>(dialog, "RadioButton1")->click();
  EXPECT_EQ(test::FindIn<QSpinBox>(dialog, "SpinEdit1")->value(), 40);  // room 5 x = 20480
  test::FindIn<QPushButton>(dialog, "Button1")->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(window.session().create_mode());
  ASSERT_EQ(level().num_items(), 5u);
  EXPECT_EQ(+level().items2[4].object_id, 9);
  EXPECT_EQ(+level().items2[4].x, 40 * 512);
  EXPECT_EQ(items->currentRow(), 4);
  EXPECT_EQ(Find<QAction>("Undo1")->text(), "&Undo Create Item");
  // The movables list names the new item's movable, not the one shown before.
  EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentIndex(), 2);
}

TEST_F(WindowTest, StaticPanelEditsRefusesTheFiftyFirstAndEmptiesWithoutSelection) {
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

  // A room without statics shows empty fields and offers no edits.
  Select("ListBox1", 2);
  for (const char* spin : {"SpinEdit5", "SpinEdit10", "SpinEdit6", "SpinEdit13", "SpinEdit14"}) {
    EXPECT_EQ(Find<QSpinBox>(spin)->text(), "") << spin;
    EXPECT_FALSE(Find<QSpinBox>(spin)->isEnabled()) << spin;
  }
  EXPECT_EQ(Text("Label18"), "Angle:");
  EXPECT_FALSE(Find<QPushButton>("Button9")->isEnabled());
  // Back in a room with statics, choosing one shows its values again.
  Select("ListBox1", 0);
  Select("ListBox4", 0);
  EXPECT_EQ(Find<QSpinBox>("SpinEdit13")->text(), "10");
}

TEST_F(WindowTest, ExperimentsPageEditsOneValue) {
  auto* pages = Find<QTabWidget>("PageControl1");
  const int index = pages->indexOf(Find<QWidget>("TabSheet8"));
  EXPECT_FALSE(pages->isTabVisible(index));
  Trigger("Experiments1");
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
  // The lines that locate the room's geometry in the file say why they cannot be edited.
  Select("ListBox3", 10);
  EXPECT_FALSE(Find<QToolButton>("SpeedButton6")->isEnabled());
  EXPECT_FALSE(Find<QLabel>("TrcLineNote")->isHidden());
  EXPECT_EQ(Text("TrcLineNote").toStdString(), TrcValueLockedReason(10));
  Select("ListBox3", 7);
  EXPECT_TRUE(Find<QToolButton>("SpeedButton6")->isEnabled());
  EXPECT_TRUE(Find<QLabel>("TrcLineNote")->isHidden());
}

}  // namespace
}  // namespace qavel
