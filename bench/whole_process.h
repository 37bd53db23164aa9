#pragma once
// Measuring work as a user meets it: whole fresh processes, timed from start to exit, taking
// turns with their baseline in the same run; a spinning process of ours to keep the other core
// busy; medians.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

extern char** environ;

namespace qavel::bench {

// Runs the program words[0] with the arguments that follow, its output discarded (or, when
// `out` is given, collected there); the wall time from start to exit in seconds, or -1 when it
// could not run or exited with a code above `most_exit`.
inline double TimeProcess(const std::vector<std::string>& words, int most_exit = 0,
                          std::string* out = nullptr) {
  int pipe_fds[2] = {-1, -1};
  if (out && pipe(pipe_fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (out) {
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  std::vector<std::string> copy = words;
  std::vector<char*> argv;
  argv.reserve(copy.size() + 1);
  for (auto& w : copy) argv.push_back(w.data());
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (out) {
    close(pipe_fds[1]);
    char buf[256];
    ssize_t n;
    while ((n = read(pipe_fds[0], buf, sizeof buf)) > 0) out->append(buf, static_cast<size_t>(n));
    close(pipe_fds[0]);
  }
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) > most_exit) return -1;
  return t;
}

// A process of ours that keeps one core busy until it is stopped. It runs in a session of its
// own, as another program would: the scheduler then shares the cores between it and us, not
// between its one thread and each of ours.
class BusyCore {
 public:
  BusyCore() {
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      volatile uint64_t x = 0;
      for (;;) x = x + 1;
    }
  }
  ~BusyCore() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  BusyCore(const BusyCore&) = delete;
  BusyCore& operator=(const BusyCore&) = delete;

 private:
  pid_t pid_ = -1;
};

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace qavel::bench
