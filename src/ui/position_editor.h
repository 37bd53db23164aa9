#pragma once
// PositionEditor: the X/Y/Z spin edits with their "Change" buttons and the "-Auto-" box, as the
// Items and Static Meshes panels show a position in panel units, each with its value in world
// units beside it, and the "Position..." button that edits the place in world units and the
// angle in degrees at once.

#include <QGroupBox>
#include <array>
#include <optional>

#include "inspect/panel_units.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace qavel {

class PlacementDialog;

class PositionEditor : public QGroupBox {
  Q_OBJECT

 public:
  // Control names in X, Y, Z order.
  struct Names {
    std::array<const char*, 3> spins;
    std::array<const char*, 3> buttons;
    const char* auto_box;
    const char* world_button;  // "Position..."
  };
  PositionEditor(const QString& title, const Names& names, QWidget* parent);

  // Shows a place, or nothing (and no edits possible) for an empty selection. Without an angle
  // (aux records) the "Position..." editor leaves the angle alone.
  void Show(const std::optional<Placement>& place, bool has_angle = true);
  int value(Axis axis) const;
  bool isAuto() const;
  void setAuto(bool on);
  PlacementDialog* placementDialog() const { return dialog_; }

 signals:
  // A "Change" button was pressed, or with "-Auto-" ticked the spin's value changed.
  void changeRequested(Axis axis, int value);
  // The "Position..." editor was closed with OK.
  void placementRequested(const Placement& placement);

 private:
  std::array<QSpinBox*, 3> spins_{};
  std::array<QPushButton*, 3> buttons_{};
  std::array<QLabel*, 3> world_{};
  QCheckBox* autoBox_ = nullptr;
  QPushButton* worldButton_ = nullptr;
  PlacementDialog* dialog_ = nullptr;
  std::optional<Placement> shown_;
  bool hasAngle_ = true;
};

}  // namespace qavel
