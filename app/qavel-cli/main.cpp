// qavel-cli: inspect, verify and convert level files without the window.

#include <cstdio>
#include <string>

#include "commands.h"

namespace {

int Usage(FILE* out) {
  std::fprintf(out, "usage: qavel-cli COMMAND ARGS...\n\ncommands:\n");
  for (const auto& c : qavel::cli::Registry()) std::fprintf(out, "  %s\n", c.usage);
  return out == stdout ? 0 : 2;
}

// The one place a command's failure reaches the user: a line on stderr and its exit code. A
// failure without a message was told already (Reported) and exits 1.
int ExitCode(const qavel::Result& result, int failure_exit) {
  if (result) return 0;
  if (result.message().empty()) return 1;
  std::fprintf(stderr, "qavel-cli: %s\n", result.message().c_str());
  return failure_exit;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(stderr);
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") return Usage(stdout);
  const qavel::cli::Args args(argv + 2, argv + argc);
  for (const auto& c : qavel::cli::Registry())
    if (name == c.name) return ExitCode(c.run(args), c.failure_exit);
  std::fprintf(stderr, "qavel-cli: unknown command '%s'\n", name.c_str());
  return Usage(stderr);
}
