// triggers: every trigger group that the searches would stop at, in one list.

#include <cctype>
#include <cstdio>

#include "cli_names.h"
#include "floordata/searches.h"
#include "floordata/trigger_text.h"

namespace qavel::cli {

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A value given as a number or as the text of its search-list entry; -1 for "ANY".
bool ParseChoice(const std::string& text, const std::vector<std::string>& entries, const char* what,
                 int max_value, int& value) {
  if (!text.empty() && Upper(text) != "ANY") {
    for (size_t i = 1; i < entries.size(); ++i)
      if (!entries[i].empty() && Upper(text) == entries[i]) {
        value = static_cast<int>(i) - 1;
        return true;
      }
  } else {
    value = -1;
    return true;
  }
  long long n = 0;
  if (!ParseIntArg(text, what, n)) return false;
  if (n < 0 || n > max_value) {
    Fail(std::string(what) + " must lie in 0.." + std::to_string(max_value));
    return false;
  }
  value = static_cast<int>(n);
  return true;
}

int Triggers(const Args& in) {
  Args args = in;
  std::string catalog, item_text, type_text, command_text;
  bool has_item = false, has_type = false, has_command = false;
  if (!TakeCatalogOption(args, catalog) || !TakeOption(args, "--item", item_text, has_item) ||
      !TakeOption(args, "--type", type_text, has_type) ||
      !TakeOption(args, "--command", command_text, has_command))
    return 1;
  if (args.size() != 1)
    return Fail(
        "usage: qavel-cli triggers LEVEL [--item N] [--type T] [--command C] [--catalog FILE]");
  long long item = -1;
  int type = -1, command = -1;
  if (has_item && !ParseIntArg(item_text, "--item", item)) return 1;
  if (has_type && !ParseChoice(type_text, TriggerTypeSearchEntries(), "--type", 127, type))
    return 1;
  if (has_command && !ParseChoice(command_text, CommandSearchEntries(), "--command", 15, command))
    return 1;

  NamedLevel L;
  if (!LoadNamedLevel(L, args[0], catalog)) return 1;
  const TriggerMatch item_match = has_item ? MatchItem(static_cast<uint32_t>(item)) : nullptr;
  const TriggerMatch match = [&](const tfdlist& t, const ttrigger_command& c) {
    if (item_match && !item_match(t, c)) return false;
    if (type >= 0 && t.trigger_type != type) return false;
    return command < 0 || c.command == command;
  };
  // Find, then Find Next until nothing more is found: one line per group.
  SearchCursor cursor;
  for (;;) {
    const SearchResult hit = FindTrigger(L.level, L.floor_data, cursor, match);
    if (hit.kind == SearchResult::kNoMatch) break;
    const auto& g = L.floor_data.Group(hit.group);
    if (hit.kind == SearchResult::kFound)
      std::printf("group %u (fd %u): room %u, column %d, row %d\n", hit.group, g.fd_start,
                  hit.place.room, hit.place.column, hit.place.row);
    else
      std::printf("group %u (fd %u): not applied to any room\n", hit.group, g.fd_start);
    cursor.Advance();
  }
  return 0;
}

}  // namespace

const Registration kTriggers{
    {"triggers",
     "triggers LEVEL [--item N] [--type T] [--command C] [--catalog FILE]  trigger groups and "
     "their first sectors",
     Triggers, Group::kInspect}};

}  // namespace qavel::cli
