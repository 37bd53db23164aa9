#pragma once
// The commands of qavel-cli. Each takes its arguments (after the command name) and returns the
// process exit code; errors go to stderr.

#include <string>
#include <vector>

#include "level/ttrlevel.h"

namespace qavel::cli {

using Args = std::vector<std::string>;

// Where --help lists a command.
enum class Group { kInspect, kEdit, kExchange, kView, kOther };

struct Command {
  const char* name;
  const char* usage;  // "name ARGS  what it does": the synopsis, two spaces, the description
  int (*run)(const Args& args);
  Group group = Group::kOther;
};

// Every command registers itself from its own file:
//   static const Registration kInfo{{"info", "info LEVEL [--json]  ...", Info, Group::kInspect}};
// so new commands add a file and touch nothing else.
std::vector<Command>& Registry();
struct Registration {
  explicit Registration(Command c) { Registry().push_back(c); }
};

// A placeholder that usages share, such as VIEW for the view options, and what it stands for;
// the help explains it once.
struct Term {
  const char* name;
  const char* meaning;
};
std::vector<Term>& Terms();
struct TermRegistration {
  explicit TermRegistration(Term t) { Terms().push_back(t); }
};

// Shared helpers.
int Fail(const std::string& message);  // prints "qavel-cli: message" to stderr, returns 1
// Reads a level or reports why not (through Fail); returns false on failure. What the reader
// warns of goes to stderr too, and the command goes on.
bool LoadLevel(Ttrlevel& level, const std::string& path);
bool TakeFlag(Args& args, const std::string& flag);
// Removes "--name VALUE" from args; returns false (and reports) when the value is missing.
bool TakeOption(Args& args, const std::string& name, std::string& value, bool& present);

}  // namespace qavel::cli
