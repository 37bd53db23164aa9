#pragma once
// PositionEditor: the X/Y/Z spin edits with their "Change" buttons and the "-Auto-" box, as the
// Items and Static Meshes panels show a position in panel units.

#include <QGroupBox>
#include <array>
#include <optional>

#include "inspect/panel_units.h"

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace qavel {

class PositionEditor : public QGroupBox {
  Q_OBJECT

 public:
  // Control names in X, Y, Z order.
  struct Names {
    std::array<const char*, 3> spins;
    std::array<const char*, 3> buttons;
    const char* auto_box;
  };
  PositionEditor(const QString& title, const Names& names, QWidget* parent);

  // Shows a position, or nothing (and no edits possible) for an empty selection.
  void Show(const std::optional<PanelPosition>& position);
  int value(Axis axis) const;
  bool isAuto() const;
  void setAuto(bool on);

 signals:
  // A "Change" button was pressed, or with "-Auto-" ticked the spin's value changed.
  void changeRequested(Axis axis, int value);

 private:
  std::array<QSpinBox*, 3> spins_{};
  std::array<QPushButton*, 3> buttons_{};
  QCheckBox* autoBox_ = nullptr;
};

}  // namespace qavel
