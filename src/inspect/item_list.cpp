#include "inspect/item_list.h"

#include <algorithm>

#include "inspect/refusals.h"

namespace qavel {

size_t ItemListSize(const Ttrlevel& level) {
  return level.num_items() + (level.version_kind >= kTR4 ? level.aux_items.size() : 0);
}

bool IsItemEntry(const Ttrlevel& level, int entry) {
  return entry >= 0 && static_cast<size_t>(entry) < level.num_items();
}

bool IsAuxEntry(const Ttrlevel& level, int entry) {
  return entry >= 0 && !IsItemEntry(level, entry) &&
         static_cast<size_t>(entry) < ItemListSize(level);
}

int RoomOfEntry(const Ttrlevel& level, int entry) {
  if (IsItemEntry(level, entry)) return level.items2[entry].room;
  if (IsAuxEntry(level, entry)) return level.aux_items[entry - level.num_items()].room;
  return -1;
}

int ObjectOfEntry(const Ttrlevel& level, int entry) {
  if (IsItemEntry(level, entry)) return level.items2[entry].object_id;
  if (IsAuxEntry(level, entry)) return level.aux_items[entry - level.num_items()].object_id;
  return -1;
}

bool CarriesOcb(const Ttrlevel& level) {
  return level.version_kind >= kTR4;
}

int OcbOfEntry(const Ttrlevel& level, int entry) {
  if (IsItemEntry(level, entry)) return CarriesOcb(level) ? level.items2[entry].light2_ocb : 0;
  if (IsAuxEntry(level, entry)) return level.aux_items[entry - level.num_items()].ocb;
  return 0;
}

std::string ItemEntryText(const MovableNames& names, const Ttrlevel& level, size_t entry) {
  const int id = ObjectOfEntry(level, static_cast<int>(entry));
  return std::to_string(entry) + ".-" + names.NameOf(id < 0 ? 0 : static_cast<uint32_t>(id));
}

std::vector<std::string> ItemListTexts(const MovableNames& names, const Ttrlevel& level) {
  std::vector<std::string> out;
  out.reserve(ItemListSize(level));
  for (size_t n = 0; n < ItemListSize(level); ++n) out.push_back(ItemEntryText(names, level, n));
  return out;
}

std::vector<titems_rec> RoomItemLists(const Ttrlevel& level) {
  std::vector<titems_rec> lists(level.num_rooms());
  for (size_t n = 0; n < ItemListSize(level); ++n) {
    const auto room = static_cast<size_t>(RoomOfEntry(level, static_cast<int>(n)));
    if (room >= lists.size()) continue;
    lists[room].items.push_back(static_cast<uint16_t>(n));
    lists[room].count = static_cast<int32_t>(lists[room].items.size());
  }
  return lists;
}

std::vector<std::string> RoomListTexts(const Ttrlevel& level) {
  std::vector<std::string> out;
  out.reserve(level.num_rooms());
  for (size_t r = 0; r < level.num_rooms(); ++r) out.push_back("Room #" + std::to_string(r));
  return out;
}

Expected<int> FindNextPlacement(const Ttrlevel& level, const MovableNames& names, int movable,
                                int after) {
  if (!HasRooms(level)) return NoLevel();
  if (movable < 0 || static_cast<size_t>(movable) >= level.movables.size())
    return Refused("Choose a movable first.");
  uint32_t id = level.movables[movable].object_id;
  if (const int alias = names.AliasOf(id); alias != -1) id = static_cast<uint32_t>(alias);
  const int items = static_cast<int>(level.num_items());
  for (int k = std::max(after + 1, 0); k < items; ++k)
    if (level.items2[k].object_id == id) return k;
  if (level.version_kind >= kTR4) {
    const int aux = static_cast<int>(level.aux_items.size());
    for (int j = std::max(0, after + 1 - items); j < aux; ++j)
      if (level.aux_items[j].object_id == id) return items + j;
  }
  return Refused("No more Items found");
}

int MovableOfEntry(const Ttrlevel& level, const MovableNames& names, int entry) {
  const int id = ObjectOfEntry(level, entry);
  return id < 0 ? -1 : names.MovableIndexOf(static_cast<uint32_t>(id));
}

}  // namespace qavel
