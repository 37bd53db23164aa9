#include "launch_timing.h"

#include <QEvent>
#include <QObject>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#if defined(__linux__)
#include <time.h>
#include <unistd.h>
#endif

#include "editor/level_document.h"
#include "ui/main_view.h"
#include "ui/main_window.h"

namespace qavel {

namespace {

using Clock = std::chrono::steady_clock;

// How long the process had been running when the watch began, in ms; 0 where the system does not
// say.
double MsBeforeWatch() {
#if defined(__linux__)
  std::ifstream stat("/proc/self/stat");
  std::string line;
  if (!std::getline(stat, line)) return 0;
  // The command name may hold spaces; the fields after it start past its closing parenthesis.
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(line.substr(close + 2));
  std::string field;
  // The process's start is field 22 of the line, the 20th after the name.
  for (int i = 0; i < 20 && fields >> field; ++i) {
  }
  const double start_ticks = std::strtod(field.c_str(), nullptr);
  timespec now{};
  if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) return 0;
  const double since_boot = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
  const double started = start_ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
  return since_boot > started ? since_boot - started : 0;
#else
  return 0;
#endif
}

class LaunchWatch : public QObject {
 public:
  LaunchWatch(MainWindow& window) : QObject(&window), window_(window) {
    before_ms_ = MsBeforeWatch();
    start_ = Clock::now();
    window.installEventFilter(this);
    // The window holding the 3D view is composed with it and reaches the screen when the view's
    // frame is swapped: the first swap is the first frame shown (a window without the view is
    // shown when it first paints). Each later frame before the room is drawn in software too.
    if (MainView* view = window.mainView()) {
      has_view_ = true;
      connect(view, &MainView::frameSwapped, this, [this] {
        if (frames_++ == 0) Tell("frame shown");
      });
    }
    connect(&window.session().document(), &LevelDocument::opened, this, [this] {
      Tell("level read");
      MainView* view = window_.mainView();
      if (!view || room_told_) return;
      connect(view, &MainView::frameSwapped, this, [this] {
        if (room_told_) return;
        room_told_ = true;
        Tell("room shown", " (" + std::to_string(frames_ - 1) + " frames of the view before)");
      });
      view->update();
    });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Paint && !has_view_ && !painted_) {
      painted_ = true;
      Tell("frame shown");
    }
    return false;
  }

 private:
  void Tell(const char* what, const std::string& more = {}) const {
    const double ms =
        before_ms_ + std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
    std::fprintf(stderr, "%s %.0f%s\n", what, ms, more.c_str());
    std::fflush(stderr);
  }

  MainWindow& window_;
  double before_ms_ = 0;
  Clock::time_point start_;
  bool has_view_ = false;
  bool painted_ = false;
  bool room_told_ = false;
  int frames_ = 0;
};

}  // namespace

void WatchLaunch(MainWindow& window) {
  const char* timing = std::getenv("QAVEL_TIMING");
  if (!timing || std::strcmp(timing, "1") != 0) return;
  new LaunchWatch(window);
}

}  // namespace qavel
