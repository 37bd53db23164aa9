// qavel-cli: inspect, verify and convert level files without the window.

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands.h"
#include "program/program_version.h"

namespace qavel::cli {

std::vector<Term>& Terms() {
  static std::vector<Term> terms;
  return terms;
}

}  // namespace qavel::cli

namespace {

using qavel::cli::Command;
using qavel::cli::Group;

struct GroupTitle {
  Group group;
  const char* title;
};
constexpr GroupTitle kGroups[] = {{Group::kInspect, "Inspect"},
                                  {Group::kEdit, "Edit"},
                                  {Group::kExchange, "Exchange"},
                                  {Group::kView, "View"},
                                  {Group::kOther, "Other"}};

// A usage is "synopsis  description"; the description may be missing.
std::pair<std::string_view, std::string_view> SplitUsage(std::string_view usage) {
  const size_t gap = usage.find("  ");
  if (gap == std::string_view::npos) return {usage, {}};
  std::string_view description = usage.substr(gap);
  description.remove_prefix(std::min(description.find_first_not_of(' '), description.size()));
  return {usage.substr(0, gap), description};
}

// Prints text word by word in lines of at most 78 columns, each indented by `indent`.
void PrintWrapped(FILE* out, std::string_view text, int indent) {
  int column = 0;
  while (!text.empty()) {
    const size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (word.empty()) continue;
    if (column > 0 && column + 1 + int(word.size()) > 78) {
      std::fputc('\n', out);
      column = 0;
    }
    if (column == 0) {
      column = std::fprintf(out, "%*s%.*s", indent, "", int(word.size()), word.data());
    } else {
      column += std::fprintf(out, " %.*s", int(word.size()), word.data());
    }
  }
  if (column > 0) std::fputc('\n', out);
}

// The terms a synopsis names (all of them when synopsis is empty), each with its meaning.
void PrintTerms(FILE* out, std::string_view synopsis) {
  for (const auto& t : qavel::cli::Terms()) {
    if (!synopsis.empty() && synopsis.find(t.name) == std::string_view::npos) continue;
    std::fprintf(out, "\n%s stands for:\n", t.name);
    PrintWrapped(out, t.meaning, 2);
  }
}

int Usage(FILE* out) {
  std::fprintf(out,
               "Usage: qavel-cli COMMAND ARGS...\n"
               "  or:  qavel-cli help COMMAND\n"
               "Inspect, check, edit and convert Tomb Raider level files without the window.\n");
  for (const auto& [group, title] : kGroups) {
    std::vector<const Command*> listed;
    for (const auto& c : qavel::cli::Registry())
      if (c.group == group) listed.push_back(&c);
    if (listed.empty()) continue;
    std::sort(listed.begin(), listed.end(), [](const Command* a, const Command* b) {
      return std::string_view(a->name) < b->name;
    });
    std::fprintf(out, "\n%s commands:\n", title);
    for (const Command* c : listed) {
      const auto [synopsis, description] = SplitUsage(c->usage);
      std::fprintf(out, "  %.*s\n", int(synopsis.size()), synopsis.data());
      PrintWrapped(out, description, 6);
    }
  }
  PrintTerms(out, {});
  std::fprintf(out,
               "\nOptions:\n"
               "  -h, --help     print this help and exit\n"
               "  -v, --version  print the version and exit\n"
               "\n"
               "\"qavel-cli help COMMAND\" or \"qavel-cli COMMAND --help\" prints the usage of one "
               "command.\n");
  return out == stdout ? 0 : 2;
}

const Command* FindCommand(std::string_view name) {
  for (const auto& c : qavel::cli::Registry())
    if (name == c.name) return &c;
  return nullptr;
}

int UnknownCommand(const std::string& name) {
  std::fprintf(stderr, "qavel-cli: unknown command '%s'\n", name.c_str());
  return Usage(stderr);
}

int CommandHelp(const Command& c) {
  const auto [synopsis, description] = SplitUsage(c.usage);
  std::printf("Usage: qavel-cli %.*s\n", int(synopsis.size()), synopsis.data());
  PrintWrapped(stdout, description, 0);
  PrintTerms(stdout, synopsis);
  return 0;
}

bool AsksForHelp(const qavel::cli::Args& args) {
  return std::any_of(args.begin(), args.end(),
                     [](const std::string& a) { return a == "--help" || a == "-h"; });
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
  if (name == "--version" || name == "-v") {
    std::printf("qavel-cli %s\n", qavel::ProgramVersion());
    return 0;
  }
  if (name == "--help" || name == "-h" || (name == "help" && argc == 2)) return Usage(stdout);
  if (name == "help") {
    const Command* c = FindCommand(argv[2]);
    return c ? CommandHelp(*c) : UnknownCommand(argv[2]);
  }
  const qavel::cli::Args args(argv + 2, argv + argc);
  const Command* c = FindCommand(name);
  if (!c) return UnknownCommand(name);
  if (AsksForHelp(args)) return CommandHelp(*c);
  return ExitCode(c->run(args), c->failure_exit);
}
