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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(stderr);
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") return Usage(stdout);
  qavel::cli::Args args(argv + 2, argv + argc);
  for (const auto& c : qavel::cli::Registry())
    if (name == c.name) return c.run(args);
  std::fprintf(stderr, "qavel-cli: unknown command '%s'\n", name.c_str());
  return Usage(stderr);
}
