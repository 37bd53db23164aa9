// check: what in a level would make the game read outside a table or miss a reference.

#include <cstdio>
#include <string>

#include "check/check_level.h"
#include "commands.h"

namespace qavel::cli {

namespace {

std::string Quoted(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// The place as JSON: its kind and the numbers that name it.
std::string WhereJson(const ProblemPlace& w) {
  std::string out = "{\"kind\": " + Quoted(PlaceKindName(w.kind));
  auto add = [&](const char* name, int64_t value) {
    out += ", \"" + std::string(name) + "\": " + std::to_string(value);
  };
  switch (w.kind) {
    case PlaceKind::kRoom:
      add("room", w.room);
      break;
    case PlaceKind::kSector:
      add("room", w.room);
      add("column", w.column);
      add("row", w.row);
      break;
    case PlaceKind::kPortal:
    case PlaceKind::kRectangle:
    case PlaceKind::kTriangle:
    case PlaceKind::kRoomSprite:
    case PlaceKind::kStatic:
      add("room", w.room);
      add("index", w.index);
      break;
    case PlaceKind::kMovable:
    case PlaceKind::kStaticMesh:
      add("index", w.index);
      add("object_id", w.object_id);
      break;
    default:
      add("index", w.index);
      break;
  }
  return out + "}";
}

void PrintJson(const std::vector<Problem>& problems, size_t errors, size_t warnings) {
  std::printf("{\n  \"errors\": %zu,\n  \"warnings\": %zu,\n  \"problems\": [", errors, warnings);
  for (size_t i = 0; i < problems.size(); ++i) {
    const Problem& p = problems[i];
    std::printf("%s\n    {\"severity\": %s, \"code\": %s, \"where\": %s, \"message\": %s}",
                i ? "," : "", Quoted(SeverityName(p.severity)).c_str(), Quoted(p.code).c_str(),
                WhereJson(p.where).c_str(), Quoted(p.message).c_str());
  }
  std::printf("%s]\n}\n", problems.empty() ? "" : "\n  ");
}

Result Check(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  if (args.size() != 1 || args[0].empty() || args[0][0] == '-')
    return Fail("usage: qavel-cli check LEVEL [--json]");
  auto read = LoadLevel(args[0]);
  if (!read) return read.result();

  const std::vector<Problem> problems = CheckLevel(*read);
  const size_t errors = CountProblems(problems, Severity::kError);
  const size_t warnings = problems.size() - errors;
  if (json) {
    PrintJson(problems, errors, warnings);
  } else {
    for (const Problem& p : problems)
      std::printf("%s %.*s %s\n", std::string(SeverityName(p.severity)).c_str(),
                  static_cast<int>(p.code.size()), p.code.data(), p.message.c_str());
    std::printf("%zu errors, %zu warnings\n", errors, warnings);
  }
  return errors ? Reported() : Result::Ok();
}

}  // namespace

const Registration kCheck{
    {"check",
     "check LEVEL [--json]  references the game cannot resolve (errors) and likely mistakes "
     "(warnings); exit 1 on errors, 2 when the level cannot be read",
     Check, Group::kInspect, 2}};

}  // namespace qavel::cli
