#pragma once
// CreateItemDialog: picks a movable and a position for a new item (the "Create Item" tool window).

#include <QDialog>

#include "editor/editor_session.h"

class QListWidget;
class QRadioButton;
class QSpinBox;

namespace qavel {

class CreateItemDialog : public QDialog {
  Q_OBJECT

 public:
  CreateItemDialog(EditorSession* session, QWidget* parent);

  void SetMovables(const std::vector<std::string>& names);
  // The choice the next Duplicate of the main window creates from.
  CreateChoice Choice() const;

 signals:
  // The "Create" button: the main window runs its Duplicate command.
  void createRequested();

 private:
  void TakePosition(PositionSource source);

  EditorSession* session_;
  QListWidget* movableList_;
  QSpinBox* xSpin_;
  QSpinBox* ySpin_;
  QSpinBox* zSpin_;
};

}  // namespace qavel
