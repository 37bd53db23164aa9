// What the commands share: registration, failures, levels with their names, arguments.

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <utility>

#include "commands.h"
#include "level/level_reader.h"
#include "program/program_data.h"

namespace qavel::cli {

namespace {

// The catalog ships beside the program, or in the installed data folder.
std::string DefaultCatalogPath() {
  return FindProgramData(ProgramFolder(), "trcatalog.xml");
}

void NoteReadWarnings(const Ttrlevel& level) {
  for (const auto& warning : level.origin.read_warnings) Note("warning: " + warning);
}

}  // namespace

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

Result Fail(const std::string& message) {
  return Result::Fail(Status::kRefused, message);
}

Result Reported() {
  return Result::Fail(Status::kFailed, {});
}

void Note(const std::string& text) {
  std::fprintf(stderr, "qavel-cli: %s\n", text.c_str());
}

Expected<Ttrlevel> LoadLevel(const std::string& path) {
  Expected<Ttrlevel> read = ReadLevel(path);
  if (read) NoteReadWarnings(*read);
  return read;
}

bool TakeFlag(Args& args, const std::string& flag) {
  auto it = std::find(args.begin(), args.end(), flag);
  if (it == args.end()) return false;
  args.erase(it);
  return true;
}

Result TakeOption(Args& args, const std::string& name, std::string& value, bool& present) {
  present = false;
  auto it = std::find(args.begin(), args.end(), name);
  if (it == args.end()) return Result::Ok();
  present = true;
  if (it + 1 == args.end()) return Fail(name + " needs a value");
  value = *(it + 1);
  args.erase(it, it + 2);
  return Result::Ok();
}

Result ParseIntArg(const std::string& text, const char* what, long long& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty())
    return Fail(std::string(what) + " must be a whole number, not '" + text + "'");
  return Result::Ok();
}

Result TakeCatalogOption(Args& args, std::string& catalog_path) {
  bool present = false;
  catalog_path.clear();
  if (Result r = TakeOption(args, "--catalog", catalog_path, present); !r) return r;
  if (present && catalog_path.empty()) return Fail("--catalog needs a file name");
  return Result::Ok();
}

Expected<LevelBundle> LoadNamedLevel(const std::string& level_path,
                                     const std::string& named_catalog) {
  // The catalog beside the program may be missing or unreadable: the names fall back to ids. One
  // the user named is what the user asked for: when it cannot be read at all the command fails.
  // A named catalog that reads but is malformed is noted, and the names fall back to ids.
  const bool named = !named_catalog.empty();
  Expected<LevelBundle> bundle =
      OpenLevelBundle(level_path, named ? named_catalog : DefaultCatalogPath());
  if (!bundle) return bundle;
  NoteReadWarnings(bundle->level);
  if (named && !bundle->names.catalog_file) return bundle->names.catalog_file;
  for (const std::string& note : bundle->names.notes) Note(note);
  return bundle;
}

}  // namespace qavel::cli
