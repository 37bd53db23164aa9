#pragma once
// What the widget tests share: a lookup by objectName that fails the test naming the missing
// control (instead of crashing on a null pointer), and a window on the editor fixture level.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringList>
#include <QTabWidget>
#include <ostream>
#include <stdexcept>
#include <string>

#include "fixtures/test_level.h"
#include "test_paths.h"
#include "ui/main_window.h"

// gtest shows a QString in a compared tuple or list as its text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace qavel::test {

// gtest reports the exception with its text and goes on with the next test.
template <class W>
W* FindIn(const QObject* root, const char* name) {
  W* w = root->findChild<W*>(name);
  if (w == nullptr) throw std::runtime_error(std::string("no control named ") + name);
  return w;
}
// QAction and QWidget both carry the property.
inline bool EnabledIn(const QObject* root, const char* name) {
  return FindIn<QObject>(root, name)->property("enabled").toBool();
}

// Waits until the window's running open or save is over; true when it succeeded.
inline bool WaitForFile(MainWindow& window) {
  QSignalSpy finished(&window, &MainWindow::fileTaskFinished);
  if (!window.busy() || !finished.wait(60000)) return false;
  return finished.takeFirst().at(0).toBool();
}
// Opens or saves as the menu commands do and waits for the end; true when it succeeded.
inline bool OpenNow(MainWindow& window, const QString& path) {
  return window.openFile(path) && WaitForFile(window);
}
inline bool SaveNow(MainWindow& window, const QString& path) {
  return window.saveFileAs(path) && WaitForFile(window);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.setMessageSink([this](MessageKind kind, const QString& text) {
      messages << text;
      kinds.push_back(kind);
    });
    window.setSavePrompt([] { return QMessageBox::Discard; });
    window.setQuestion([this](const MainWindow::Question& q) {
      questions << q.text;
      const auto box = window.makeQuestionBox(q);
      yes_by_default << (box->defaultButton() == box->button(QMessageBox::Yes));
      return answer;
    });
    window.session().document().SetCatalogPath(DataPath("trcatalog.xml"));
    window.session().document().Adopt(MakeEditorLevel(), "memory.tr4");
  }
  template <class W>
  W* Find(const char* name) {
    return FindIn<W>(&window, name);
  }
  QString Text(const char* label) { return Find<QLabel>(label)->text(); }
  void Click(const char* button) { Find<QAbstractButton>(button)->click(); }
  void Select(const char* list, int row) { Find<QListWidget>(list)->setCurrentRow(row); }
  void Trigger(const char* action) { Find<QAction>(action)->trigger(); }
  bool Enabled(const char* name) { return EnabledIn(&window, name); }
  bool Checked(const char* button) { return Find<QAbstractButton>(button)->isChecked(); }
  int Row(const char* list) { return Find<QListWidget>(list)->currentRow(); }
  int Steps() { return window.session().undo_stack().count(); }
  QString UndoText() { return Find<QAction>("Undo1")->text(); }
  QString Page() { return Find<QTabWidget>("PageControl1")->currentWidget()->objectName(); }
  const Ttrlevel& level() { return window.session().level(); }

  MainWindow window;
  QStringList messages;
  std::vector<MessageKind> kinds;
  QStringList questions;       // the file commands' questions, answered with `answer`
  QList<bool> yes_by_default;  // of each question's box: Yes, not Cancel, is its default
  bool answer = false;
};

}  // namespace qavel::test
