// qavel-cli: inspect, verify and convert level files without the window.

#include <cstdio>
#include <string>

#include "commands.h"

namespace {

const qavel::cli::Command kCommands[] = {
    {"info", "info LEVEL [--json]    generation, table counts and geometry totals",
     qavel::cli::Info},
    {"resave", "resave LEVEL OUT       read the level and write it again", qavel::cli::Resave},
    {"verify", "verify LEVEL           read, write and read again; report every difference",
     qavel::cli::Verify},
};

int Usage(FILE* out) {
  std::fprintf(out, "usage: qavel-cli COMMAND ARGS...\n\ncommands:\n");
  for (const auto& c : kCommands) std::fprintf(out, "  %s\n", c.usage);
  return out == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(stderr);
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") return Usage(stdout);
  qavel::cli::Args args(argv + 2, argv + argc);
  for (const auto& c : kCommands)
    if (name == c.name) return c.run(args);
  std::fprintf(stderr, "qavel-cli: unknown command '%s'\n", name.c_str());
  return Usage(stderr);
}
