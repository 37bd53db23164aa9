#pragma once
// What the naming commands share: reading the level and the movable catalog beside the
// program (or the one given with --catalog), and number arguments.

#include <string>

#include "commands.h"
#include "exchange/catalog_movables.h"
#include "floordata/floor_data.h"

namespace qavel::cli {

// The level with its catalog (completed from the level's movables) and decoded floor data.
struct NamedLevel {
  Ttrlevel level;
  MovableCatalog catalog;
  FloorData floor_data;
  ObjectNames Names() const;
};

// Takes "--catalog FILE" from args: catalog_path is FILE, or empty when the option is absent
// (false, after reporting, when its value is missing or empty).
bool TakeCatalogOption(Args& args, std::string& catalog_path);
// Reads the level and the catalog: the one named (non-empty named_catalog) or else the one
// beside the program. Catalog faults are reported on stderr and the command goes on with the
// catalog's defaults, except that a named catalog that cannot be read at all (missing, refused,
// no regular file, too large) fails the command.
// Returns false (after reporting) when the level or a named catalog cannot be read.
bool LoadNamedLevel(NamedLevel& out, const std::string& level_path,
                    const std::string& named_catalog);
// Parses a whole decimal integer argument; reports and returns false otherwise.
bool ParseIntArg(const std::string& text, const char* what, long long& value);

}  // namespace qavel::cli
