#pragma once
// The trigger searches: where an item is triggered, and triggers by type and command. Both
// walk FloorDataGroups from a shared resumable cursor and show the first sector that uses the
// matching group.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "floordata/floor_data.h"

namespace qavel {

// Where the next search starts: a group index. Find restarts it at 1 (group 0 stands for
// sectors without floor data); Find Next steps past the last hit. Both searches share it.
struct SearchCursor {
  int32_t value = 1;
  void Restart() { value = 1; }
  void Advance() { ++value; }
};

inline constexpr const char* kNoMoreTriggersMessage = "No more triggers found for this item.";
inline constexpr const char* kTriggerNotAppliedMessage =
    "One trigger found...but this one was not applied to any room...try finding next trigger "
    "for this item.";

// A sector of a room by 1-based column and row.
struct SectorPlace {
  uint32_t room = 0;
  int column = 0;
  int row = 0;
  bool operator==(const SectorPlace&) const = default;
};

struct SearchResult {
  enum Kind { kNoMatch, kNotApplied, kFound };
  Kind kind = kNoMatch;
  uint32_t group = 0;  // the matching group (kNotApplied, kFound)
  SectorPlace place;   // its first sector (kFound)
  // The message to show the user; empty for kFound, whose caller selects the sector instead.
  std::string message;
  // The status-bar text for kFound: "Column:" c " Row:" r.
  std::string status;
};

// The first sector, by room, then column, then row, whose fd_index is fd_start.
std::optional<SectorPlace> FirstSectorUsing(const Ttrlevel& level, uint32_t fd_start);

// Status-bar text of a selected sector.
std::string SectorStatusText(int column, int row);

// A command of a trigger that a search is looking for.
using TriggerMatch = std::function<bool(const tfdlist& trigger, const ttrigger_command& command)>;

// The walk both searches share: groups from the cursor on, their triggers, their commands; the
// first command that match accepts ends it. A match moves the cursor to its group and looks
// for the group's first sector.
SearchResult FindTrigger(const Ttrlevel& level, const FloorData& fd, SearchCursor& cursor,
                         const TriggerMatch& match);

// The matchers of the two searches.
TriggerMatch MatchItem(uint32_t item);
TriggerMatch MatchCriteria(int type_entry, int command_entry);

// Finds, from cursor on, the first group with an Item or Look_at_item command naming item
// (an item-list index). A match moves the cursor to the hit; no match leaves it alone.
SearchResult FindTriggerForItem(const Ttrlevel& level, const FloorData& fd, SearchCursor& cursor,
                                uint32_t item);

// Finds, from cursor on, the first group with a trigger whose type and one of whose commands
// lie in the ranges chosen by the two search lists: type_entry and command_entry are the
// selected positions in TriggerTypeSearchEntries() and CommandSearchEntries() (0 = "ANY").
SearchResult FindTriggerByCriteria(const Ttrlevel& level, const FloorData& fd, SearchCursor& cursor,
                                   int type_entry, int command_entry);

}  // namespace qavel
