#pragma once
// DiffLevels: what differs between two levels of one generation, record by record, in the
// model's names. Records are matched by index; a record both levels hold is compared field by
// field where a designer edits fields (items, static meshes, rooms and their faces), as a whole
// elsewhere; records only one level holds are "added" or "removed". Sizes and offsets the writer
// computes are not compared, texture pages are compared texel by texel, and opaque blocks (sound
// samples and other bytes kept as read) by size and checksum.

#include <optional>
#include <string>
#include <vector>

#include "check/check_level.h"
#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

struct LevelDifference {
  std::string record;  // "item 3", "room 0 rectangle 40", "texture page 2", "movables"
  std::string field;  // "x", "texture", "count"; empty for a record added, removed or changed whole
  std::string before;  // "" when the record was added
  std::string after;   // "" when the record was removed

  // "item 3 x: 1024 -> 1040", "item 7 added: object 12 in room 2", "movable 4 changed".
  std::string Text() const;
};

// The differences from a to b, in the order of the file. Fails when the levels are of different
// generations (saying which), when one is not loaded, or when a packed texture chunk of one of
// them is damaged.
Expected<std::vector<LevelDifference>> DiffLevels(const Ttrlevel& a, const Ttrlevel& b);

// The record a difference names, as a place a window can go to (an item-list entry, a static
// mesh instance, a room, a face of a room); nothing for the other records.
std::optional<ProblemPlace> PlaceOfDifference(const LevelDifference& difference);

}  // namespace qavel
