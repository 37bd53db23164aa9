#include "floordata/searches.h"

#include <algorithm>

namespace qavel {

std::optional<SectorPlace> FirstSectorUsing(const Ttrlevel& level, uint32_t fd_start) {
  for (size_t r = 0; r < level.rooms.size(); ++r) {
    const troom& room = level.rooms[r];
    const size_t count =
        std::min<size_t>(room.sectors.size(), size_t{room.num_x_sectors} * room.num_z_sectors);
    for (size_t s = 0; s < count; ++s) {
      if (room.sectors[s].fd_index != fd_start) continue;
      const int column = static_cast<int>(s / room.num_z_sectors) + 1;
      const int row = static_cast<int>(s % room.num_z_sectors) + 1;
      return SectorPlace{static_cast<uint32_t>(r), column, row};
    }
  }
  return std::nullopt;
}

std::string SectorStatusText(int column, int row) {
  return "Column:" + std::to_string(column) + " Row:" + std::to_string(row);
}

SearchResult FindTrigger(const Ttrlevel& level, const FloorData& fd, SearchCursor& cursor,
                         const TriggerMatch& match) {
  SearchResult result;
  const size_t start = static_cast<size_t>(std::max<int32_t>(cursor.value, 0));
  for (size_t g = start; g < fd.num_groups(); ++g) {
    for (const auto& fn : fd.Group(g).functions) {
      if (fn.function != 4) continue;
      for (const auto& c : fn.trigger.commands) {
        if (!match(fn.trigger, c)) continue;
        cursor.value = static_cast<int32_t>(g);
        result.group = static_cast<uint32_t>(g);
        const auto place = FirstSectorUsing(level, fd.Group(g).fd_start);
        if (!place) {
          result.kind = SearchResult::kNotApplied;
          result.message = kTriggerNotAppliedMessage;
          return result;
        }
        result.kind = SearchResult::kFound;
        result.place = *place;
        result.status = SectorStatusText(place->column, place->row);
        return result;
      }
    }
  }
  result.message = kNoMoreTriggersMessage;
  return result;
}

TriggerMatch MatchItem(uint32_t item) {
  return [item](const tfdlist&, const ttrigger_command& c) {
    return (c.command == 0 || c.command == 6) && c.operand == item;
  };
}

TriggerMatch MatchCriteria(int type_entry, int command_entry) {
  // "ANY" spans every value a trigger could carry; an entry i >= 1 stands for value i - 1.
  const int type_lo = type_entry <= 0 ? 0 : type_entry - 1;
  const int type_hi = type_entry <= 0 ? 99 : type_entry - 1;
  const int command_lo = command_entry <= 0 ? 0 : command_entry - 1;
  const int command_hi = command_entry <= 0 ? 99 : command_entry - 1;
  return [=](const tfdlist& t, const ttrigger_command& c) {
    return t.trigger_type >= type_lo && t.trigger_type <= type_hi && c.command >= command_lo &&
           c.command <= command_hi;
  };
}

SearchResult FindTriggerForItem(const Ttrlevel& level, const FloorData& fd, SearchCursor& cursor,
                                uint32_t item) {
  return FindTrigger(level, fd, cursor, MatchItem(item));
}

SearchResult FindTriggerByCriteria(const Ttrlevel& level, const FloorData& fd, SearchCursor& cursor,
                                   int type_entry, int command_entry) {
  return FindTrigger(level, fd, cursor, MatchCriteria(type_entry, command_entry));
}

}  // namespace qavel
