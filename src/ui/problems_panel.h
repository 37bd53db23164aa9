#pragma once
// ProblemsPanel: the level's problems (what may crash the game, and what is almost surely not
// meant), one row each with its severity, code and sentence, current after every edit. A click
// on a row selects the record the problem names and asks for the page that shows it.

#include <QWidget>

#include "editor/editor_session.h"
#include "editor/problem_commands.h"

class QLabel;
class QTableView;

namespace qavel {

class ProblemsModel;

class ProblemsPanel : public QWidget {
  Q_OBJECT

 public:
  ProblemsPanel(EditorSession& session, QWidget* parent);
  ~ProblemsPanel() override;

  QTableView* list() const { return list_; }
  // A few rows high, so that the view and the pages keep most of the window.
  QSize sizeHint() const override { return {600, 140}; }

 signals:
  // A click went to a record shown on this page.
  void pageWanted(ProblemPage page);

 private:
  void refresh();
  void goTo(int row);

  EditorSession& session_;
  ProblemsModel* model_ = nullptr;
  QLabel* summary_ = nullptr;
  QTableView* list_ = nullptr;
};

}  // namespace qavel
