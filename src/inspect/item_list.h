#pragma once
// The item list as the window and the command-line tool show it: entry N is item N, and for
// TR4/TR5 levels the entries from num_items on are the aux records. Its texts, the per-room
// lists of entries, and the questions every edit and panel asks of an entry.

#include <cstdint>
#include <string>
#include <vector>

#include "inspect/movable_names.h"
#include "level/ttrlevel.h"

namespace qavel {

// Item-list entries placed in one room (the per-room lists the view draws).
struct titems_rec {
  int32_t count = 0;
  std::vector<uint16_t> items;
  bool operator==(const titems_rec&) const = default;
};

// Entries of the list: the items, then for TR4/TR5 the aux records.
size_t ItemListSize(const Ttrlevel& level);
bool IsItemEntry(const Ttrlevel& level, int entry);
bool IsAuxEntry(const Ttrlevel& level, int entry);
// Room and object id of an entry, -1 when there is no such entry.
int RoomOfEntry(const Ttrlevel& level, int entry);
int ObjectOfEntry(const Ttrlevel& level, int entry);
// Whether the level's items carry an OCB (TR4 and TR5; before, the word holds a light).
bool CarriesOcb(const Ttrlevel& level);
// The entry's OCB as shown, signed; 0 for items of levels without one and for no entry.
int OcbOfEntry(const Ttrlevel& level, int entry);

// N + ".-" + the name of the entry's object.
std::string ItemEntryText(const MovableNames& names, const Ttrlevel& level, size_t entry);
// Every entry's text, in list order.
std::vector<std::string> ItemListTexts(const MovableNames& names, const Ttrlevel& level);
// One list per room of the entries placed in it; an entry in a room the level does not have is
// in none.
std::vector<titems_rec> RoomItemLists(const Ttrlevel& level);
// "Room #" + r for every room.
std::vector<std::string> RoomListTexts(const Ttrlevel& level);

// The first entry after `after` placed from movable m (its alias when it has one), items first,
// then aux records; refused with "No more Items found".
Expected<int> FindNextPlacement(const Ttrlevel& level, const MovableNames& names, int movable,
                                int after);
// The position of the movables list that names the entry's object (-1 when none).
int MovableOfEntry(const Ttrlevel& level, const MovableNames& names, int entry);

}  // namespace qavel
