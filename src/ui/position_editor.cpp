#include "ui/position_editor.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/ui_support.h"

namespace qavel {

PositionEditor::PositionEditor(const QString& title, const Names& names, QWidget* parent)
    : QGroupBox(title, parent) {
  auto* layout = new QVBoxLayout(this);
  const char* captions[] = {"Change -X-", "Change -Y-", "Change -Z-"};
  for (int a = 0; a < 3; ++a) {
    const auto axis = static_cast<Axis>(a);
    // y counts 256 world units, x and z 512: its range is twice as wide.
    const int limit = axis == Axis::kY ? 2 * kPanelLimit : kPanelLimit;
    spins_[a] = Spin(names.spins[a], -limit, limit, this);
    buttons_[a] = Button(names.buttons[a], captions[a], this);
    layout->addLayout(Row(spins_[a], buttons_[a]));
    connect(buttons_[a], &QPushButton::clicked, this,
            [this, axis, a] { emit changeRequested(axis, spins_[a]->value()); });
    connect(spins_[a], &QSpinBox::valueChanged, this, [this, axis](int v) {
      if (isAuto()) emit changeRequested(axis, v);
    });
  }
  autoBox_ = Check(names.auto_box, "-Auto-", this);
  layout->addWidget(autoBox_);
}

void PositionEditor::Show(const std::optional<PanelPosition>& position) {
  for (int a = 0; a < 3; ++a) {
    spins_[a]->setEnabled(position.has_value());
    buttons_[a]->setEnabled(position.has_value());
  }
  autoBox_->setEnabled(position.has_value());
  if (!position) {
    for (QSpinBox* s : spins_) ClearSpin(s);
    return;
  }
  SetSpin(spins_[0], position->x);
  SetSpin(spins_[1], position->y);
  SetSpin(spins_[2], position->z);
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
