// Qavel: opens the window, and the level named on the command line if there is one.

#include <QApplication>
#include <QStringList>

#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Qavel");
  QApplication::setApplicationName("Qavel");
  QApplication::setApplicationVersion("1.1");
  qavel::MainWindow window;
  window.show();
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) window.openFile(args.at(1));
  return QApplication::exec();
}
