#include "ui/position_editor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "ui/placement_dialog.h"
#include "ui/ui_support.h"

namespace qavel {

PositionEditor::PositionEditor(const QString& title, const Names& names, QWidget* parent)
    : QGroupBox(title, parent) {
  auto* layout = new QGridLayout(this);
  const char* captions[] = {"Change -X-", "Change -Y-", "Change -Z-"};
  const char* hints[] = {"x in steps of 512 world units (half a sector)",
                         "y in steps of 256 world units (one click); negative is up",
                         "z in steps of 512 world units (half a sector)"};
  const char* world_names[] = {"WorldLabelX", "WorldLabelY", "WorldLabelZ"};
  for (int a = 0; a < 3; ++a) {
    const auto axis = static_cast<Axis>(a);
    // y counts 256 world units, x and z 512: its range is twice as wide.
    const int limit = axis == Axis::kY ? 2 * kPanelLimit : kPanelLimit;
    spins_[a] = Spin(names.spins[a], -limit, limit, this);
    Hint(spins_[a], hints[a]);
    buttons_[a] = Button(names.buttons[a], captions[a], this);
    world_[a] = Label(world_names[a], "", this);
    Hint(world_[a], "The same place in world units (1024 to a sector)");
    world_[a]->setMinimumWidth(world_[a]->fontMetrics().horizontalAdvance("-00000000"));
    layout->addWidget(spins_[a], a, 0);
    layout->addWidget(buttons_[a], a, 1);
    layout->addWidget(world_[a], a, 2);
    connect(buttons_[a], &QPushButton::clicked, this,
            [this, axis, a] { emit changeRequested(axis, spins_[a]->value()); });
    connect(spins_[a], &QSpinBox::valueChanged, this, [this, axis](int v) {
      if (isAuto()) emit changeRequested(axis, v);
    });
  }
  autoBox_ = Check(names.auto_box, "-Auto-", this);
  Hint(autoBox_, "Store each value as soon as its box changes");
  layout->addWidget(autoBox_, 3, 0);
  worldButton_ = Button(names.world_button, "Position...", this);
  Hint(worldButton_, "Edit the place in world units and the angle in degrees, as one step");
  layout->addWidget(worldButton_, 3, 1, 1, 2);
  dialog_ = new PlacementDialog(this);
  connect(worldButton_, &QPushButton::clicked, this, [this] {
    if (!shown_) return;
    dialog_->setPlacement(*shown_, hasAngle_);
    dialog_->open();
  });
  connect(dialog_, &QDialog::accepted, this,
          [this] { emit placementRequested(dialog_->placement()); });
}

void PositionEditor::Show(const std::optional<Placement>& place, bool has_angle) {
  shown_ = place;
  hasAngle_ = has_angle;
  for (QWidget* w : {static_cast<QWidget*>(autoBox_), static_cast<QWidget*>(worldButton_)})
    w->setEnabled(place.has_value());
  for (int a = 0; a < 3; ++a) {
    spins_[a]->setEnabled(place.has_value());
    buttons_[a]->setEnabled(place.has_value());
  }
  if (!place) {
    for (QSpinBox* s : spins_) ClearSpin(s);
    for (QLabel* l : world_) l->clear();
    return;
  }
  const int32_t world[3] = {place->x, place->y, place->z};
  for (int a = 0; a < 3; ++a) {
    SetSpin(spins_[a], ToPanelUnits(static_cast<Axis>(a), world[a]));
    world_[a]->setText(QString::number(world[a]));
  }
}

int PositionEditor::value(Axis axis) const {
  return spins_[static_cast<int>(axis)]->value();
}

bool PositionEditor::isAuto() const {
  return autoBox_->isChecked();
}

void PositionEditor::setAuto(bool on) {
  autoBox_->setChecked(on);
}

}  // namespace qavel
