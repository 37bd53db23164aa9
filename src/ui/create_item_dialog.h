#pragma once
// CreateItemDialog: picks a movable and a position for a new item (the "Create Item" tool
// window). Shown by the Items panel's "Create"; it hides itself when create mode ends.

#include <QDialog>

#include "editor/item_commands.h"

class QListWidget;
class QSpinBox;

namespace qavel {

class CreateItemDialog : public QDialog {
  Q_OBJECT

 public:
  CreateItemDialog(EditorSession& session, QWidget* parent);

  // The choice the next Duplicate of the Items panel creates from.
  CreateChoice Choice() const;

 signals:
  // The "Create" button: the Items panel runs its Duplicate command.
  void createRequested();

 private:
  // A new level starts on its first movable; an import keeps the choice where it can.
  void fillMovables(bool keep_choice);
  void takePosition(PositionSource source);

  EditorSession& session_;
  QListWidget* movableList_;
  QSpinBox* xSpin_;
  QSpinBox* ySpin_;
  QSpinBox* zSpin_;
};

}  // namespace qavel
