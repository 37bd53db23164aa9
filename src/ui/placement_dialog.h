#pragma once
// PlacementDialog: the "Position..." editor of the Items and Static Meshes pages. It shows the
// selected item's or static mesh's place in world units and its angle in degrees, and gives
// back what the user typed as one placement (one undo step for the caller).

#include <QDialog>
#include <array>

#include "inspect/panel_units.h"

class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace qavel {

class PlacementDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PlacementDialog(QWidget* parent);

  // Fills the fields; without an angle (aux records have none) the angle field is disabled.
  void setPlacement(const Placement& placement, bool has_angle);
  // What the fields hold now; the angle is the stored angle nearest to the degrees typed.
  Placement placement() const;

 private:
  std::array<QSpinBox*, 3> axes_{};
  QDoubleSpinBox* degrees_ = nullptr;
  QLabel* stored_ = nullptr;  // the stored angle the degrees give
  uint16_t angle_ = 0;        // the angle shown when no new degrees were typed
  bool hasAngle_ = true;
};

}  // namespace qavel
