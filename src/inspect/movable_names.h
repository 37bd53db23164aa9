#pragma once
// MovableNames: the display names of object ids and where each id sits in the level's movables,
// from the movable catalog completed by the level.

#include <cstdint>
#include <string>
#include <vector>

#include "exchange/catalog_movables.h"
#include "floordata/floor_data.h"
#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

// What the item panels, lists, the Create Item dialog and the command-line tool need to know
// about movables. It is built once per open; everything that names an object goes through it.
struct MovableNames {
  // The catalog the names come from, completed from the level's movables: the 3D view draws an
  // item through it (alias and movable index).
  MovableCatalog catalog;
  std::vector<std::string> movable_list;  // one per movable of the level, in level order
  // Ok, or why the catalog file could not be read at all (no such file, refused by the system,
  // too large); the names then are the defaults.
  Result catalog_file;
  // What reading the catalog had to say (no file, a malformed file, values that did not
  // convert), one line each; the names then fall back to defaults where needed.
  std::vector<std::string> notes;

  std::string NameOf(uint32_t object_id) const;
  // Position of the id's movable in the level's movable table, -1 when unknown.
  int MovableIndexOf(uint32_t object_id) const;
  int AliasOf(uint32_t object_id) const;
  // NameOf as the floor-data texts take it.
  ObjectNames AsObjectNames() const;
};

// Names for the level's objects, from the catalog file when it can be read.
MovableNames BuildMovableNames(const Ttrlevel& level, const std::string& catalog_path);

}  // namespace qavel
