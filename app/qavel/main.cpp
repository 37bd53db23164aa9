// Qavel: opens the window, and the level named on the command line if there is one.

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>

#include "program/program_version.h"
#include "ui/main_window.h"

namespace {

constexpr const char* kHelp =
    "Usage: qavel [OPTION]... [LEVEL]\n"
    "Inspect and edit Tomb Raider level files: rooms, items, static meshes, the floor data and\n"
    "triggers of every sector, texture pieces, and the room in 3D.\n"
    "\n"
    "LEVEL is opened at start: .phd or .tub (TR1), .tr2 or .trg (TR2 and TR3), .tr4 (TR4) or\n"
    ".trc (TR5).\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit\n"
    "  -v, --version  print the version and exit\n"
    "\n"
    "Qt's own options (such as -platform NAME or -style NAME) are taken as well.\n";

// --help and --version are answered before the application object exists: they need no display.
// Returns -1 when the window should open.
int AnswerWithoutWindow(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--") == 0) break;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-v") == 0) {
      std::printf("qavel %s\n", qavel::ProgramVersion());
      return 0;
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int answered = AnswerWithoutWindow(argc, argv); answered >= 0) return answered;
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Qavel");
  QApplication::setApplicationName("Qavel");
  QApplication::setApplicationVersion(qavel::ProgramVersion());
  qavel::MainWindow window;
  window.show();
  QStringList args = QApplication::arguments();
  if (args.size() > 1 && args.at(1) == "--") args.removeAt(1);
  if (args.size() > 1) window.openFile(args.at(1));
  return QApplication::exec();
}
