#pragma once
// ItemsPanel: the "Items" tab: the item list with its trigger searches, the selected entry's
// values and edits, the movables list, the activation flags and the search by trigger type
// and command.

#include <QWidget>
#include <array>

#include "editor/editor_session.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace qavel {

class CreateItemDialog;
class PositionEditor;

class ItemsPanel : public QWidget {
  Q_OBJECT

 public:
  ItemsPanel(EditorSession& session, QWidget* parent);
  QListWidget* itemList() const { return itemList_; }

  // The dialog that "Create" shows and whose choice Duplicate takes while it is open.
  void setCreateDialog(CreateItemDialog* dialog) { createDialog_ = dialog; }
  // Duplicate (Button6), also run by the dialog's "Create" button.
  void duplicateItem();

 signals:
  void refused(const QString& why);
  // A command went through with something the user should know (the status bar shows it).
  void note(const QString& text);

 private:
  QWidget* buildListGroup();
  QLayout* buildIdColumn();
  QLayout* buildPositionColumn();
  QLayout* buildSearchColumn();
  void fillMovables();
  void refresh();
  void showItem();
  void report(const Result& result);
  void findPlacement(int after);

  EditorSession& session_;
  CreateItemDialog* createDialog_ = nullptr;

  QListWidget* itemList_ = nullptr;
  std::array<QToolButton*, 2> itemSearches_{};
  QLabel* itemLabel1_ = nullptr;
  QLabel* itemLabel2_ = nullptr;
  QLabel* ocbLabel_ = nullptr;
  QLabel* flagLabel_ = nullptr;
  QLabel* angleLabel_ = nullptr;
  QLabel* degreesLabel_ = nullptr;
  QLabel* lightLabel_ = nullptr;
  QLabel* ocbBits_ = nullptr;
  QComboBox* movableBox_ = nullptr;
  QToolButton* findNext_ = nullptr;
  QSpinBox* idSpin_ = nullptr;
  QSpinBox* ocbSpin_ = nullptr;
  QSpinBox* roomSpin_ = nullptr;
  QSpinBox* lightSpin_ = nullptr;
  QPushButton* changeId_ = nullptr;
  QPushButton* changeOcb_ = nullptr;
  QPushButton* changeRoom_ = nullptr;
  QPushButton* changeLight_ = nullptr;
  PositionEditor* position_ = nullptr;
  QPushButton* rotate_ = nullptr;
  QPushButton* duplicate_ = nullptr;
  QPushButton* create_ = nullptr;
  std::array<QToolButton*, 5> activation_{};
  QToolButton* clearBody_ = nullptr;
  QToolButton* invisible_ = nullptr;
  QComboBox* triggerTypeBox_ = nullptr;
  QComboBox* commandBox_ = nullptr;
  std::array<QToolButton*, 2> criteriaSearches_{};
};

}  // namespace qavel
