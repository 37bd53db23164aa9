#include "ui/statics_panel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "editor/floor_commands.h"
#include "editor/static_commands.h"
#include "inspect/panel_texts.h"
#include "ui/position_editor.h"
#include "ui/ui_support.h"

namespace qavel {

StaticsPanel::StaticsPanel(EditorSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
  setObjectName("TabSheet4");
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(buildListGroup(), 1);

  auto* middle = new QVBoxLayout;
  meshIdSpin_ = Spin("SpinEdit5", 0, 65535, this);
  Hint(meshIdSpin_, "Static mesh id: which of the level's static meshes the instance shows");
  changeId_ = Button("Button7", "Change ID", this);
  middle->addLayout(Row(meshIdSpin_, changeId_));
  position_ = new PositionEditor("Position",
                                 {{"SpinEdit10", "SpinEdit6", "SpinEdit11"},
                                  {"Button15", "Button8", "Button14"},
                                  "CheckBox3",
                                  "StaticPositionButton"},
                                 this);
  middle->addWidget(position_);
  middle->addStretch();
  layout->addLayout(middle);

  auto* right = new QVBoxLayout;
  angleLabel_ = Label("Label18", "Angle:", this);
  Hint(angleLabel_, "The angle as the file stores it: 65536 to a full turn (16384 is 90 degrees)");
  degreesLabel_ = Label("StaticDegrees", "", this);
  Hint(degreesLabel_, "The angle in degrees");
  right->addLayout(Row(angleLabel_, degreesLabel_));
  rotate_ = Button("Button9", "Rotate", this);
  Hint(rotate_, "Turn the static mesh by 45 degrees");
  duplicate_ = Button("Button10", "Duplicate", this);
  right->addLayout(Row(rotate_, duplicate_));
  auto* lights = new QGroupBox("Lights", this);
  auto* lightsLayout = new QGridLayout(lights);
  lightsLayout->addWidget(Label("Label16", "Light 1", lights), 0, 0);
  lightsLayout->addWidget(Label("Label17", "Light 2", lights), 0, 1);
  light1Spin_ = Spin("SpinEdit13", 0, 65535, lights);
  light2Spin_ = Spin("SpinEdit14", 0, 65535, lights);
  for (QSpinBox* spin : {light1Spin_, light2Spin_})
    Hint(spin,
         "Light as the file stores it: in TR1 to TR3 an intensity (0 bright, 8191 dark); "
         "TR1 has Light 1 only");
  lightsLayout->addWidget(light1Spin_, 1, 0);
  lightsLayout->addWidget(light2Spin_, 1, 1);
  changeLights_ = Button("Button17", "Change L1,L2", lights);
  lightsLayout->addWidget(changeLights_, 2, 0, 1, 2);
  right->addWidget(lights);
  right->addStretch();
  layout->addLayout(right);

  connect(changeId_, &QPushButton::clicked, this,
          [this] { report(ChangeStaticId(session_, meshIdSpin_->value())); });
  connect(position_, &PositionEditor::changeRequested, this,
          [this](Axis axis, int v) { report(SetStaticPosition(session_, axis, v)); });
  connect(position_, &PositionEditor::placementRequested, this,
          [this](const Placement& p) { report(PlaceStatic(session_, p)); });
  auto lights_edit = [this] {
    report(ChangeStaticLights(session_, light1Spin_->value(), light2Spin_->value()));
  };
  // With "-Auto-" a light spin stores the lights it shows (not the position).
  for (QSpinBox* spin : {light1Spin_, light2Spin_})
    connect(spin, &QSpinBox::valueChanged, this, [this, lights_edit] {
      if (position_->isAuto()) lights_edit();
    });
  connect(changeLights_, &QPushButton::clicked, this, lights_edit);
  connect(rotate_, &QPushButton::clicked, this, [this] { report(RotateStatic(session_)); });
  connect(duplicate_, &QPushButton::clicked, this, [this] { report(DuplicateStatic(session_)); });

  connect(&session.document(), &LevelDocument::opened, this, [this] {
    position_->setAuto(false);
    refresh();
  });
  connect(&session.document(), &LevelDocument::changed, this, [this](const EditTarget& target) {
    if (AsLevel(target) || TouchesStatics(target)) refresh();
  });
  connect(&session.selection(), &Selection::changed, this, [this](unsigned parts) {
    // A newly selected room starts with the automatic position edits switched off.
    if (parts & Selection::kRoom) position_->setAuto(false);
    if (parts & (Selection::kRoom | Selection::kStatic | Selection::kItem)) refresh();
  });
  refresh();
}

QWidget* StaticsPanel::buildListGroup() {
  auto* group = new QGroupBox("Static Meshes in Room", this);
  auto* layout = new QVBoxLayout(group);
  staticList_ = List("ListBox4", group);
  layout->addWidget(staticList_);
  connect(staticList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) session_.selection().SelectStatic(row);
  });
  // The item trigger searches, also reachable from here (they search for the selected item).
  layout->addLayout(
      TriggerSearchRow("SpeedButton7", "SpeedButton8", group, itemSearches_,
                       [this](bool first) { report(FindItemTrigger(session_, first)); }));
  return group;
}

void StaticsPanel::refresh() {
  const bool has_level = session_.HasLevel();
  const int r = session_.selection().room();
  SetEnabled({itemSearches_[0], itemSearches_[1]}, has_level && session_.selection().item() >= 0);
  std::optional<StaticInfo> info;
  if (has_level) {
    const troom& room = session_.level().rooms[r];
    SyncList(staticList_, StaticListTexts(room));
    SetRow(staticList_, session_.selection().static_instance());
    info = ShowStaticInfo(room, session_.selection().static_instance());
  } else {
    SyncList(staticList_, {});
  }
  SetEnabled({meshIdSpin_, changeId_, rotate_, duplicate_, light1Spin_, changeLights_},
             info.has_value());
  // TR1 instances have one light.
  light2Spin_->setEnabled(info.has_value() && session_.level().version_kind >= kTR2);
  position_->Show(info ? std::optional(info->world) : std::nullopt);
  if (!info) {
    // A room without statics (or with none chosen) shows empty fields, never the values of an
    // instance shown before.
    for (QSpinBox* s : {meshIdSpin_, light1Spin_, light2Spin_}) ClearSpin(s);
    angleLabel_->setText("Angle:");
    degreesLabel_->clear();
    return;
  }
  SetSpin(meshIdSpin_, info->mesh_id);
  SetSpin(light1Spin_, info->light1);
  SetSpin(light2Spin_, info->light2);
  angleLabel_->setText(S(info->angle));
  degreesLabel_->setText(S(info->degrees_text) + QChar(0x00B0));
}

void StaticsPanel::report(const Result& result) {
  if (!result.ok()) emit refused(S(result.message()));
}

}  // namespace qavel
