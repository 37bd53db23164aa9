#include "peak_memory.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define QAVEL_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QAVEL_UNDER_ASAN 1
#endif
#endif

namespace qavel::test {

namespace {

// A "VmHWM:" (peak) or "VmRSS:" (current) figure of this process, in KiB.
long StatusKiB(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  return -1;
}

}  // namespace

long PeakGrowthKiB(const std::function<bool()>& work) {
  int out[2];
  if (pipe(out) != 0) return -1;
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    close(out[0]);
    // The peak starts again from what the child holds now ("5" resets it).
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKiB("VmRSS:");
    const bool ok = work();
#ifdef QAVEL_UNDER_ASAN
    static_cast<void>(before);
    if (ok) std::fprintf(stderr, "note: peak memory is not measured under AddressSanitizer\n");
    const long growth = ok ? 0 : -1;
#else
    const long growth = ok ? StatusKiB("VmHWM:") - before : -1;
#endif
    const ssize_t written = write(out[1], &growth, sizeof growth);
    _exit(written == sizeof growth ? 0 : 1);
  }
  close(out[1]);
  long growth = -1;
  if (read(out[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? growth : -1;
}

long ProgramPeakKiB(const std::vector<std::string>& argv) {
  if (argv.empty()) return -1;
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    // What the program prints is not the test's business.
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return -1;
#ifdef QAVEL_UNDER_ASAN
  std::fprintf(stderr, "note: peak memory is not measured under AddressSanitizer\n");
  return 0;
#else
  return usage.ru_maxrss;
#endif
}

}  // namespace qavel::test
