#pragma once
// StaticsPanel: the "Static Meshes" tab: the selected room's static mesh instances and the
// edits of the selected one (mesh id, position, rotation, lights, duplicate).

#include <QWidget>
#include <array>

#include "editor/editor_session.h"

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace qavel {

class PositionEditor;

class StaticsPanel : public QWidget {
  Q_OBJECT

 public:
  StaticsPanel(EditorSession& session, QWidget* parent);
  QListWidget* staticList() const { return staticList_; }

 signals:
  void refused(const QString& why);

 private:
  QWidget* buildListGroup();
  void refresh();
  void report(const Result& result);

  EditorSession& session_;
  QListWidget* staticList_ = nullptr;
  std::array<QToolButton*, 2> itemSearches_{};
  QSpinBox* meshIdSpin_ = nullptr;
  QPushButton* changeId_ = nullptr;
  PositionEditor* position_ = nullptr;
  QLabel* angleLabel_ = nullptr;
  QLabel* degreesLabel_ = nullptr;
  QPushButton* rotate_ = nullptr;
  QPushButton* duplicate_ = nullptr;
  QSpinBox* light1Spin_ = nullptr;
  QSpinBox* light2Spin_ = nullptr;
  QPushButton* changeLights_ = nullptr;
};

}  // namespace qavel
