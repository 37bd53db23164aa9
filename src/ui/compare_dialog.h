#pragma once
// CompareDialog: "Compare With...": what differs between the open level and another file of the
// same generation, one line a difference (inspect/level_diff.h). A click on a line selects what
// it names in the open level (an item, a static mesh, a room or a face's room) and asks for the
// page that shows it, as the Problems panel does.

#include <QDialog>
#include <vector>

#include "editor/editor_session.h"
#include "editor/problem_commands.h"
#include "inspect/level_diff.h"

class QLabel;
class QListWidget;

namespace qavel {

class CompareDialog : public QDialog {
  Q_OBJECT

 public:
  CompareDialog(EditorSession& session, QWidget* parent);

  // Reads the other file and lists the differences from the open level to it; a failure (the
  // file cannot be read, another generation) says why and leaves the list as it was.
  Result compareWith(const QString& path);
  QListWidget* list() const { return list_; }

 signals:
  void pageWanted(ProblemPage page);

 private:
  void goTo(int row);

  EditorSession& session_;
  QLabel* summary_ = nullptr;
  QListWidget* list_ = nullptr;
  std::vector<LevelDifference> differences_;
};

}  // namespace qavel
