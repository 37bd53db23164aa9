#pragma once
// MovableNames: the display names of object ids and where each id sits in the level's movables.

#include <cstdint>
#include <string>
#include <vector>

#include "exchange/catalog_movables.h"
#include "level/ttrlevel.h"

namespace qavel {

// What the item panels, lists and the Create Item dialog need to know about movables. It is
// built once per open; everything that names an object goes through it.
struct MovableNames {
  std::vector<std::string> names;         // by object id; empty entries fall back to the id
  std::vector<int> aliases;               // by object id, -1 for none
  std::vector<int> movable_indices;       // by object id, position in the level's movables
  std::vector<std::string> movable_list;  // one per movable of the level, in level order
  std::string fallback_prefix;            // before the id of an id without a name
  // What reading the catalog had to say (no file, a malformed file, values that did not
  // convert), one line each; the names then fall back to defaults where needed.
  std::vector<std::string> notes;
  // The catalog the names came from, completed from the level's movables: the 3D view draws
  // an item through it (alias and movable index).
  MovableCatalog catalog;

  std::string NameOf(uint32_t object_id) const;
  // Position of the id's movable in the level's movable table, -1 when unknown.
  int MovableIndexOf(uint32_t object_id) const;
  int AliasOf(uint32_t object_id) const;
};

// Names for the level's objects, from the catalog file when it can be read.
MovableNames BuildMovableNames(const Ttrlevel& level, const std::string& catalog_path);

}  // namespace qavel
