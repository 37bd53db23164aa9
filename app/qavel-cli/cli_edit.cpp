// edit: the panels' edits from the command line or a script, checked, then saved like resave.

#include <cstdio>
#include <fstream>
#include <sstream>

#include "check/check_level.h"
#include "commands.h"
#include "inspect/edit_script.h"
#include "inspect/level_problems.h"
#include "level/level_writer.h"

namespace qavel::cli {

namespace {

constexpr const char* kUsage =
    "usage: qavel-cli edit LEVEL OUT EDIT... | qavel-cli edit LEVEL OUT --script FILE [--force]";

// A script larger than this is not a script.
constexpr std::streamoff kScriptLimit = 16 << 20;

Expected<std::vector<ScriptLine>> ReadScript(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail("cannot read the script " + path);
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || size > kScriptLimit) return Fail("the script " + path + " is not a text file");
  in.seekg(0);
  std::ostringstream text;
  text << in.rdbuf();
  const std::string s = text.str();
  if (s.find('\0') != std::string::npos) return Fail("the script " + path + " is not a text file");
  return ScriptLines(s);
}

Result Edit(const Args& in) {
  Args args = in;
  const bool force = TakeFlag(args, "--force");
  std::string script;
  bool has_script = false;
  if (Result r = TakeOption(args, "--script", script, has_script); !r) return r;
  if (args.size() < 2 || (has_script ? args.size() != 2 : args.size() < 3)) return Fail(kUsage);

  std::vector<ScriptLine> lines;
  if (has_script) {
    auto read = ReadScript(script);
    if (!read) return read.result();
    lines = std::move(*read);
  } else {
    for (size_t i = 2; i < args.size(); ++i)
      lines.push_back({"edit " + std::to_string(i - 1), args[i]});
  }

  Expected<Ttrlevel> level = LoadLevel(args[0]);
  if (!level) return level.result();
  const std::vector<Problem> before = CheckLevel(*level);
  if (Result r = ApplyEditScript(*level, lines); !r) return Fail(r.message() + "; nothing written");

  // Errors the edits brought refuse the save: the game would crash on them.
  const std::vector<Problem> added = NewProblems(before, CheckLevel(*level), Severity::kError);
  if (!added.empty()) {
    const std::string first = added.front().message;
    if (!force)
      return Fail("the edits bring " + std::to_string(added.size()) + " new error(s), the first: " +
                  first + "; nothing written (--force saves anyway)");
    Note("saving with " + std::to_string(added.size()) + " new error(s), the first: " + first);
  }
  if (const auto written = WriteLevel(*level, args[1]); !written) return written.result();
  std::printf("%zu edit(s) made; %s written\n", lines.size(), args[1].c_str());
  return Result::Ok();
}

const Registration kEdit{{"edit",
                          "edit LEVEL OUT EDIT... | edit LEVEL OUT --script FILE [--force]  makes "
                          "the edits in order and writes OUT; all or nothing: the first edit "
                          "refused writes nothing and names its line. Errors the level did not "
                          "have refuse the save unless --force",
                          Edit, Group::kEdit}};

const TermRegistration kEditTerm{{"EDIT", EditScriptHelp()}};

}  // namespace

}  // namespace qavel::cli
