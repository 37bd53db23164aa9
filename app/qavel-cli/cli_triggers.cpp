// triggers: every trigger group that the searches would stop at, in one list.

#include <cctype>
#include <cstdio>

#include "commands.h"
#include "floordata/searches.h"
#include "floordata/trigger_text.h"

namespace qavel::cli {

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A value given as a number or as the text of its search-list entry; -1 for "ANY".
Result ParseChoice(const std::string& text, const std::vector<std::string>& entries,
                   const char* what, int max_value, int& value) {
  if (!text.empty() && Upper(text) != "ANY") {
    for (size_t i = 1; i < entries.size(); ++i)
      if (!entries[i].empty() && Upper(text) == entries[i]) {
        value = static_cast<int>(i) - 1;
        return Result::Ok();
      }
  } else {
    value = -1;
    return Result::Ok();
  }
  long long n = 0;
  if (Result r = ParseIntArg(text, what, n); !r) return r;
  if (n < 0 || n > max_value)
    return Fail(std::string(what) + " must lie in 0.." + std::to_string(max_value));
  value = static_cast<int>(n);
  return Result::Ok();
}

Result Triggers(const Args& in) {
  Args args = in;
  std::string catalog, item_text, type_text, command_text;
  bool has_item = false, has_type = false, has_command = false;
  for (Result r :
       {TakeCatalogOption(args, catalog), TakeOption(args, "--item", item_text, has_item),
        TakeOption(args, "--type", type_text, has_type),
        TakeOption(args, "--command", command_text, has_command)})
    if (!r) return r;
  if (args.size() != 1)
    return Fail(
        "usage: qavel-cli triggers LEVEL [--item N] [--type T] [--command C] [--catalog FILE]");
  long long item = -1;
  int type = -1, command = -1;
  if (has_item)
    if (Result r = ParseIntArg(item_text, "--item", item); !r) return r;
  if (has_type)
    if (Result r = ParseChoice(type_text, TriggerTypeSearchEntries(), "--type", 127, type); !r)
      return r;
  if (has_command)
    if (Result r = ParseChoice(command_text, CommandSearchEntries(), "--command", 15, command); !r)
      return r;

  const Expected<LevelBundle> bundle = LoadNamedLevel(args[0], catalog);
  if (!bundle) return bundle.result();
  const LevelBundle& L = *bundle;
  // Triggers name items, never aux records: an index beyond the items can match nothing.
  if (has_item && (item < 0 || static_cast<uint64_t>(item) >= L.level.num_items()))
    return Fail("item " + item_text + " does not exist (the level has " +
                std::to_string(L.level.num_items()) + " items)");
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
  return Result::Ok();
}

}  // namespace

const Registration kTriggers{
    {"triggers",
     "triggers LEVEL [--item N] [--type T] [--command C] [--catalog FILE]  trigger groups and "
     "their first sectors",
     Triggers, Group::kInspect}};

}  // namespace qavel::cli
