#pragma once
// FloorDataPanel: the "Floor Data" tab: the raw floor data and the decoded trigger details of
// the selected sector.

#include <QWidget>

#include "editor/editor_session.h"

class QPlainTextEdit;

namespace qavel {

class FloorDataPanel : public QWidget {
  Q_OBJECT

 public:
  FloorDataPanel(EditorSession& session, QWidget* parent);

 private:
  void refresh();

  EditorSession& session_;
  QPlainTextEdit* raw_ = nullptr;
  QPlainTextEdit* details_ = nullptr;
};

}  // namespace qavel
