#pragma once
// The commands of qavel-cli. Each takes its arguments (after the command name) and answers with
// a Result: main turns a failure into the one line on stderr and the exit code.

#include <string>
#include <vector>

#include "inspect/level_bundle.h"
#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel::cli {

using Args = std::vector<std::string>;

// Where --help lists a command.
enum class Group { kInspect, kEdit, kExchange, kView, kOther };

struct Command {
  const char* name;
  const char* usage;  // "name ARGS  what it does": the synopsis, two spaces, the description
  Result (*run)(const Args& args);
  Group group = Group::kOther;
  // Exit code of a failure with a message. Commands that answer a question (check) exit 1 for
  // "found" (Reported) and 2 when they cannot answer.
  int failure_exit = 1;
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

// A command that cannot go on, and why (main prints "qavel-cli: " and the message).
Result Fail(const std::string& message);
// A failure the command has already told on stdout: exit 1, nothing more to say.
Result Reported();
// Prints a note that does not stop the command ("qavel-cli: " and the text, on stderr).
void Note(const std::string& text);

// Reads a level; what the reader warns of goes to stderr, and the command goes on.
Expected<Ttrlevel> LoadLevel(const std::string& path);
bool TakeFlag(Args& args, const std::string& flag);
// Removes "--name VALUE" from args; fails when the value is missing.
Result TakeOption(Args& args, const std::string& name, std::string& value, bool& present);
// Parses a whole decimal integer argument.
Result ParseIntArg(const std::string& text, const char* what, long long& value);
// Takes "--catalog FILE" from args: catalog_path is FILE, or empty when the option is absent
// (fails when its value is missing or empty).
Result TakeCatalogOption(Args& args, std::string& catalog_path);
// Reads the level with its names and decoded floor data: the catalog named (non-empty
// named_catalog) or else the one beside the program. Catalog faults are noted on stderr and the
// command goes on with the catalog's defaults, except that a named catalog that cannot be read
// at all (missing, refused, no regular file, too large) fails the command.
Expected<LevelBundle> LoadNamedLevel(const std::string& level_path,
                                     const std::string& named_catalog);

}  // namespace qavel::cli
