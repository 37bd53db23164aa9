#include "ui/placement_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

#include "ui/ui_support.h"

namespace qavel {

PlacementDialog::PlacementDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("PlacementDialog");
  setWindowTitle("Position");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  const char* names[3] = {"WorldX", "WorldY", "WorldZ"};
  const char* captions[3] = {"X:", "Y:", "Z:"};
  const char* hints[3] = {"x in world units (1024 to a sector)",
                          "y in world units (256 to a click); negative is up",
                          "z in world units (1024 to a sector)"};
  for (int a = 0; a < 3; ++a) {
    axes_[a] = Spin(names[a], std::numeric_limits<int32_t>::min(),
                    std::numeric_limits<int32_t>::max(), this);
    Hint(axes_[a], hints[a]);
    form->addRow(captions[a], axes_[a]);
  }
  degrees_ = new QDoubleSpinBox(this);
  degrees_->setObjectName("WorldAngle");
  degrees_->setRange(-360.0, 360.0);
  degrees_->setDecimals(3);
  degrees_->setSuffix(QString::fromUtf8("\u00B0"));
  degrees_->setWrapping(true);
  Hint(degrees_, "Angle in degrees; stored to the nearest 1/65536 of a turn");
  form->addRow("Angle:", degrees_);
  stored_ = Label("StoredAngle", "", this);
  Hint(stored_, "The angle as the file stores it (65536 to a full turn)");
  form->addRow("", stored_);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName("PlacementButtons");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(degrees_, &QDoubleSpinBox::valueChanged, this,
          [this] { stored_->setText(QString("Stored: %1").arg(placement().angle)); });
}

void PlacementDialog::setPlacement(const Placement& p, bool has_angle) {
  axes_[0]->setValue(p.x);
  axes_[1]->setValue(p.y);
  axes_[2]->setValue(p.z);
  angle_ = p.angle;
  hasAngle_ = has_angle;
  {
    const QSignalBlocker quiet(degrees_);
    degrees_->setValue(DegreesOf(p.angle));
  }
  degrees_->setEnabled(has_angle);
  stored_->setText(has_angle ? QString("Stored: %1").arg(p.angle) : "No angle");
}

Placement PlacementDialog::placement() const {
  Placement p{axes_[0]->value(), axes_[1]->value(), axes_[2]->value(), 0};
  if (hasAngle_) p.angle = AngleFromDegrees(degrees_->value()).value_or(angle_);
  return p;
}

}  // namespace qavel
