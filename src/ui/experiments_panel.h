#pragma once
// ExperimentsPanel: the "Experiments" page (its tab shown on demand): the thirteen TR5 room
// header values of the selected room, one editable at a time.

#include <QWidget>

#include "editor/editor_session.h"

class QLabel;
class QListWidget;
class QDoubleSpinBox;
class QSpinBox;
class QToolButton;

namespace qavel {

class ExperimentsPanel : public QWidget {
  Q_OBJECT

 public:
  ExperimentsPanel(EditorSession& session, QWidget* parent);

 signals:
  void refused(const QString& why);

 private:
  void refresh();
  // The value of the chosen line, and whether (or why not) it can be edited.
  void showLine(int line);

  EditorSession& session_;
  QListWidget* valueList_ = nullptr;
  QSpinBox* valueSpin_ = nullptr;
  QDoubleSpinBox* floatSpin_ = nullptr;  // for the values that are floats
  QToolButton* edit_ = nullptr;
  QLabel* lockNote_ = nullptr;
};

}  // namespace qavel
