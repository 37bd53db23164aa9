#include "ui/items_panel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "editor/floor_commands.h"
#include "editor/item_commands.h"
#include "floordata/trigger_text.h"
#include "inspect/panel_texts.h"
#include "ui/create_item_dialog.h"
#include "ui/position_editor.h"
#include "ui/ui_support.h"

namespace qavel {

ItemsPanel::ItemsPanel(EditorSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
  setObjectName("TabSheet2");
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(buildListGroup(), 1);
  layout->addLayout(buildIdColumn());
  layout->addLayout(buildPositionColumn());
  layout->addLayout(buildSearchColumn());

  connect(&session.document(), &LevelDocument::opened, this, [this] {
    // A newly opened level starts with the automatic position edits switched off.
    position_->setAuto(false);
    fillMovables();
    refresh();
  });
  connect(&session.document(), &LevelDocument::changed, this, [this](const EditTarget& target) {
    if (AsLevel(target)) fillMovables();
    if (AsLevel(target) || TouchesItems(target)) refresh();
  });
  connect(&session.selection(), &Selection::changed, this, [this](unsigned parts) {
    // A newly selected room starts with the automatic position edits switched off.
    if (parts & Selection::kRoom) position_->setAuto(false);
    if (parts & Selection::kItem) refresh();
  });
  refresh();
}

// The item list with the two trigger searches right under it, where they can be clicked.
QWidget* ItemsPanel::buildListGroup() {
  auto* group = new QGroupBox("Items in Level", this);
  auto* layout = new QVBoxLayout(group);
  itemList_ = List("ListBox2", group);
  Hint(itemList_, "double click for get the room where is placed");
  layout->addWidget(itemList_);
  layout->addLayout(
      TriggerSearchRow("SpeedButton2", "SpeedButton3", group, itemSearches_,
                       [this](bool first) { report(FindItemTrigger(session_, first)); }));
  group->setMinimumWidth(220);
  connect(itemList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) session_.selection().SelectItem(row);
  });
  connect(itemList_, &QListWidget::itemDoubleClicked, this, [this] {
    session_.selection().SelectRoom(session_.document().RoomOfEntry(session_.selection().item()));
  });
  return group;
}

QLayout* ItemsPanel::buildIdColumn() {
  auto* column = new QVBoxLayout;
  itemLabel1_ = Label("Label1", "Room:", this);
  Hint(itemLabel1_, "Room where is placed");
  itemLabel2_ = Label("Label2", "Obj.ID:", this);
  Hint(itemLabel2_, "Movable Object Id");
  ocbLabel_ = Label("Label3", "OCB:", this);
  Hint(ocbLabel_, "Object code bit");
  flagLabel_ = Label("Label4", "Flag:", this);
  Hint(flagLabel_, "Activation Flags, clear body, invisible");
  for (QLabel* l : {itemLabel1_, itemLabel2_, ocbLabel_, flagLabel_}) column->addWidget(l);
  movableBox_ = new QComboBox(this);
  movableBox_->setObjectName("ComboBox1");
  Hint(movableBox_, "Movables avalables into this level");
  findNext_ = Speed("SpeedButton1", "Find Next", this);
  Hint(findNext_, "Find where else this movable is placed");
  column->addLayout(Row(movableBox_, findNext_));
  connect(movableBox_, &QComboBox::activated, this, [this] { findPlacement(-1); });
  connect(findNext_, &QToolButton::clicked, this,
          [this] { findPlacement(session_.selection().item()); });

  idSpin_ = Spin("SpinEdit1", 0, 65535, this);
  Hint(idSpin_, "Object id: which movable the item is");
  changeId_ = Button("Button2", "Change ID", this);
  column->addLayout(Row(idSpin_, changeId_));
  ocbSpin_ = Spin("SpinEdit2", -32768, 65535, this);
  Hint(ocbSpin_, "Object code bits (TR4 and TR5): what they do depends on the object");
  changeOcb_ = Button("Button3", "Change OCB", this);
  column->addLayout(Row(ocbSpin_, changeOcb_));
  ocbBits_ = Label("OcbBits", "", this);
  Hint(ocbBits_, "The OCB's 16 bits, the highest first");
  column->addWidget(ocbBits_);
  roomSpin_ = Spin("SpinEdit9", 0, 65535, this);
  Hint(roomSpin_, "Room number, as the room list counts them");
  changeRoom_ = Button("Button13", "Change -R-", this);
  Hint(changeRoom_,
       "Put the item in the room numbered in the box (its position stays; the room should hold "
       "it)");
  column->addLayout(Row(roomSpin_, changeRoom_));
  lightSpin_ = Spin("SpinEdit12", -1, 65535, this);
  lightSpin_->setValue(-1);
  Hint(lightSpin_, "-1 mean default ambien room ligh");
  changeLight_ = Button("Button16", "Change -W-", this);
  Hint(changeLight_,
       "Set the item's light as the file stores it (-1: the room's own light); in TR4 and TR5 "
       "levels the value also replaces the OCB");
  column->addLayout(Row(lightSpin_, changeLight_));
  column->addStretch();

  connect(changeId_, &QPushButton::clicked, this,
          [this] { report(ChangeItemId(session_, idSpin_->value())); });
  connect(changeOcb_, &QPushButton::clicked, this, [this] {
    const Result r = ChangeItemOcb(session_, ocbSpin_->value());
    // Right after the change the stored word is shown unsigned.
    if (r) ocbLabel_->setText(S(OcbStoredText(session_.level(), session_.selection().item())));
    report(r);
  });
  connect(changeRoom_, &QPushButton::clicked, this,
          [this] { report(ChangeItemRoom(session_, roomSpin_->value())); });
  connect(changeLight_, &QPushButton::clicked, this,
          [this] { report(ChangeItemLight(session_, lightSpin_->value())); });
  return column;
}

QLayout* ItemsPanel::buildPositionColumn() {
  auto* column = new QVBoxLayout;
  position_ = new PositionEditor("Items Position",
                                 {{"SpinEdit7", "SpinEdit4", "SpinEdit8"},
                                  {"Button11", "Button5", "Button12"},
                                  "CheckBox2",
                                  "ItemPositionButton"},
                                 this);
  connect(position_, &PositionEditor::changeRequested, this,
          [this](Axis axis, int v) { report(SetItemPosition(session_, axis, v)); });
  connect(position_, &PositionEditor::placementRequested, this,
          [this](const Placement& p) { report(PlaceItem(session_, p)); });
  column->addWidget(position_);
  angleLabel_ = Label("Label19", "Angle:", this);
  Hint(angleLabel_, "The item's angle in 1/256 turns (64 is 90 degrees)");
  degreesLabel_ = Label("ItemDegrees", "", this);
  Hint(degreesLabel_, "The item's angle in degrees");
  lightLabel_ = Label("Label9", "Light_1:", this);
  Hint(lightLabel_, "The item's light as the file stores it");
  column->addLayout(Row(angleLabel_, degreesLabel_));
  column->addWidget(lightLabel_);
  auto* buttons = new QHBoxLayout;
  rotate_ = Button("Button4", "Rotate", this);
  Hint(rotate_, "Turn the item by 45 degrees");
  duplicate_ = Button("Button6", "Duplicate", this);
  create_ = Button("Button18", "Create", this);
  for (auto* b : {rotate_, duplicate_, create_}) buttons->addWidget(b);
  column->addLayout(buttons);
  column->addStretch();

  connect(rotate_, &QPushButton::clicked, this, [this] { report(RotateItem(session_)); });
  connect(duplicate_, &QPushButton::clicked, this, &ItemsPanel::duplicateItem);
  connect(create_, &QPushButton::clicked, this, [this] {
    session_.SetCreateMode(true);
    if (createDialog_) {
      createDialog_->show();
      createDialog_->raise();
    }
  });
  return column;
}

// The activation flags and the trigger searches by criteria.
QLayout* ItemsPanel::buildSearchColumn() {
  auto* column = new QVBoxLayout;
  auto* activation = new QGroupBox("Activation Flag", this);
  Hint(activation, "Activation Bits Flags");
  auto* flags = new QHBoxLayout(activation);
  const char* names[5] = {"SpeedButton21", "SpeedButton22", "SpeedButton23", "SpeedButton24",
                          "SpeedButton25"};
  for (int b = 0; b < 5; ++b) {
    activation_[b] = Speed(names[b], QByteArray::number(b + 1).constData(), activation);
    flags->addWidget(activation_[b]);
  }
  clearBody_ = Speed("SpeedButton96", "C", activation);
  Hint(clearBody_, "Clear Body");
  invisible_ = Speed("SpeedButton97", "I", activation);
  Hint(invisible_, "Invisible");
  flags->addWidget(clearBody_);
  flags->addWidget(invisible_);
  // A press switches the flag in the level (one undo step); the buttons then show the level's
  // flags again, so they never show what the level lacks.
  const std::pair<QToolButton*, int> flag_buttons[] = {{activation_[0], 1},
                                                       {activation_[1], 2},
                                                       {activation_[2], 3},
                                                       {activation_[3], 4},
                                                       {activation_[4], 5},
                                                       {clearBody_, edit::kClearBodyFlag},
                                                       {invisible_, edit::kInvisibleFlag}};
  for (const auto& [button, flag] : flag_buttons) {
    button->setCheckable(true);
    connect(button, &QToolButton::clicked, this, [this, flag = flag] {
      report(ToggleItemFlag(session_, flag));
      showItem();
    });
  }
  column->addWidget(activation);

  auto* find = new QGroupBox("Find for Commands", this);
  auto* findLayout = new QVBoxLayout(find);
  triggerTypeBox_ = new QComboBox(find);
  triggerTypeBox_->setObjectName("ComboBox2");
  Hint(triggerTypeBox_, "Select trigger type you want to search");
  commandBox_ = new QComboBox(find);
  commandBox_->setObjectName("ComboBox3");
  Hint(commandBox_, "Select trigger command you want to search");
  for (const auto& entry : TriggerTypeSearchEntries()) triggerTypeBox_->addItem(S(entry));
  for (const auto& entry : CommandSearchEntries()) commandBox_->addItem(S(entry));
  findLayout->addWidget(triggerTypeBox_);
  findLayout->addWidget(commandBox_);
  criteriaSearches_[0] = Speed("SpeedButton4", "Find", find);
  Hint(criteriaSearches_[0], "Do first search for current criteria");
  criteriaSearches_[1] = Speed("SpeedButton5", "Find Next", find);
  Hint(criteriaSearches_[1], "Do Next search for current criteria");
  findLayout->addLayout(Row(criteriaSearches_[0], criteriaSearches_[1]));
  for (int i = 0; i < 2; ++i) {
    connect(criteriaSearches_[i], &QToolButton::clicked, this, [this, first = i == 0] {
      report(FindTriggerByCriteria(session_, triggerTypeBox_->currentIndex(),
                                   commandBox_->currentIndex(), first));
    });
  }
  column->addWidget(find);
  column->addStretch();
  return column;
}

void ItemsPanel::fillMovables() {
  const QSignalBlocker block(movableBox_);
  movableBox_->clear();
  for (const auto& n : session_.document().names().movable_list) movableBox_->addItem(S(n));
  movableBox_->setCurrentIndex(movableBox_->count() > 0 ? 0 : -1);
}

void ItemsPanel::refresh() {
  SyncList(itemList_, session_.document().item_texts());
  SetRow(itemList_, session_.selection().item());
  showItem();
}

void ItemsPanel::showItem() {
  const bool has_level = session_.HasLevel();
  const int entry = session_.selection().item();
  const auto info = has_level ? ShowItemInfo(session_.level(), entry) : std::nullopt;
  const bool has_entry = info.has_value();
  const bool has_ocb = has_entry && CarriesOcb(session_.level());
  SetEnabled({idSpin_, changeId_, roomSpin_, changeRoom_, lightSpin_, changeLight_, rotate_,
              duplicate_, itemSearches_[0], itemSearches_[1]},
             has_entry);
  SetEnabled({ocbSpin_, changeOcb_}, has_ocb);
  SetEnabled({activation_[0], activation_[1], activation_[2], activation_[3], activation_[4],
              clearBody_, invisible_},
             has_entry);
  SetEnabled({create_, movableBox_, findNext_, criteriaSearches_[0], criteriaSearches_[1]},
             has_level);
  position_->Show(has_entry ? std::optional(info->world) : std::nullopt,
                  session_.document().IsItemEntry(entry));
  ocbBits_->setVisible(has_ocb);
  if (!has_entry) {
    // An empty selection shows empty fields, never the values of an entry shown before.
    for (QSpinBox* s : {idSpin_, ocbSpin_, roomSpin_}) ClearSpin(s);
    itemLabel1_->setText("Room:");
    itemLabel2_->setText("Obj.ID:");
    ocbLabel_->setText("OCB:");
    flagLabel_->setText("Flag:");
    angleLabel_->setText("Angle:");
    degreesLabel_->clear();
    lightLabel_->setText("Light_1:");
    for (auto* b : activation_) b->setChecked(false);
    clearBody_->setChecked(false);
    invisible_->setChecked(false);
    return;
  }
  SetSpin(idSpin_, info->object_id);
  SetSpin(ocbSpin_, info->ocb);
  SetSpin(roomSpin_, info->room);
  itemLabel2_->setText(S(info->angle2_text));
  itemLabel1_->setText(S(info->angle1_text));
  ocbLabel_->setText(S(info->ocb_text));
  lightLabel_->setText(S(info->light_text));
  angleLabel_->setText(S(info->angle_text));
  degreesLabel_->setText(info->degrees_text.empty() ? QString()
                                                    : S(info->degrees_text) + QChar(0x00B0));
  ocbBits_->setText("Bits: " + S(info->ocb_bits));
  flagLabel_->setText(S(info->flags_text));
  for (int b = 0; b < 5; ++b) activation_[b]->setChecked(info->activation[b]);
  clearBody_->setChecked(info->clear_body);
  invisible_->setChecked(info->invisible);
  // The movables list names the entry's object, however the entry came to be selected.
  if (const int movable = MovableOfSelectedItem(session_);
      movable >= 0 && movable < movableBox_->count()) {
    const QSignalBlocker block(movableBox_);
    movableBox_->setCurrentIndex(movable);
  }
}

void ItemsPanel::findPlacement(int after) {
  report(FindNextPlacement(session_, movableBox_->currentIndex(), after));
}

void ItemsPanel::duplicateItem() {
  report(DuplicateItem(session_, createDialog_ ? createDialog_->Choice() : CreateChoice{}));
}

void ItemsPanel::report(const Result& result) {
  if (!result.ok())
    emit refused(S(result.message()));
  else if (!result.message().empty())
    emit note(S(result.message()));
}

}  // namespace qavel
