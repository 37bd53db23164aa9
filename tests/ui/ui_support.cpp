// One QApplication for the whole test program, made before the first widget, and the shared
// helpers of ui_support.h.

#include "ui_support.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>

#include "test_paths.h"

namespace qavel::test {

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    // Settings (the last folder used) go to a test location, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    // Started as the program is in normal use: the room picture lies in the working folder.
    QDir::setCurrent(QString::fromStdString(DataPath("")));
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

bool WaitForFile(MainWindow& window) {
  QSignalSpy finished(&window, &MainWindow::fileTaskFinished);
  if (!window.busy() || !finished.wait(60000)) return false;
  return finished.takeFirst().at(0).toBool();
}

std::string CatalogPath() {
  return DataPath("trcatalog.xml");
}

void WindowTest::Trigger(const char* action) {
  Find<QAction>(action)->trigger();
}

}  // namespace qavel::test
