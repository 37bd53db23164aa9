#pragma once
// The movable catalog: a display name and the level's movable for every object id 0..599,
// read from the catalog XML beside the program and completed from the open level.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/catalog_sections.h"
#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

// One catalog entry.
struct tmovable_record {
  std::string name;
  int32_t alias_id = 0;   // the object id under which items of this movable are placed, -1 none
  int32_t body_from = 0;  // -1 none
  float y_adjust = 0, x_adjust = 0, z_adjust = 0;
  float rx_adjust = 0, ry_adjust = 0, rz_adjust = 0;
  int16_t ai = 0;
  int16_t movable_index = 0;  // position of the movable with this id in the level's table
  bool operator==(const tmovable_record&) const = default;
};

// Largest catalog file read: real catalogs are under half a megabyte; a file thirty times that
// is no catalog, and reading it would only cost time.
inline constexpr uint64_t kMaxCatalogSize = 16ull << 20;

// The catalog. Before any load every entry has an empty name and zero values.
struct MovableCatalog {
  std::array<tmovable_record, kCatalogSize> entries;
};

// Section of the catalog file for a generation: "TR1", "TR2", "TR3", "TR4", "TRC"; empty for
// an unknown generation.
std::string CatalogSectionName(int32_t version_kind);

// What a load did.
struct CatalogLoadReport {
  bool file_found = false;
  // The section that was read ("TRC", or "TR5" where a file has no "TRC" one); empty when the
  // file holds none for the generation.
  std::string section;
  // Ok, or why the file could not serve: kCannotOpen when it cannot be read (the catalog is
  // unchanged), kDamaged when it is malformed ("FILE: line L, column C: reason"; the catalog
  // then keeps its defaults).
  Result result;
  // Attribute values that do not convert, one line per attribute and fault ("FILE: line L: ...",
  // the first such value, and "(N such ATTR values in all)" when there were more); the entry
  // keeps its other values.
  std::vector<std::string> warnings;
};

// Reads the section of version_kind from file_name into catalog. A missing file changes
// nothing; one larger than kMaxCatalogSize, or no regular file, cannot be read. Otherwise every
// entry is first reset to its default ("Moveable Id#<id>", no alias, no body, movable index 1, y
// adjust 0) and then filled from the section. A file that cannot be read leaves the catalog
// unchanged.
CatalogLoadReport LoadMovableCatalog(MovableCatalog& catalog, const std::string& file_name,
                                     int32_t version_kind);
// The same from a document in memory (the file name only names messages).
CatalogLoadReport LoadMovableCatalogText(MovableCatalog& catalog, std::string_view document,
                                         const std::string& file_name, int32_t version_kind);

// Completes the catalog from the level's movables: each movable's entry (and the entry of its
// alias) gets its position in the movable table and the alias takes its name. Returns the
// names of the movables in table order, as the movable lists show them. A movable whose id has
// no entry (600 and beyond) is listed as "Moveable Id#<id>" and changes nothing; an alias
// outside 0..599 is not followed.
std::vector<std::string> EnterLevelMovables(MovableCatalog& catalog, const Ttrlevel& level);

// Lookups by object id; ids beyond the catalog are never looked up.
// The name an object id has where nothing names it: "Moveable Id#<id>".
std::string DefaultMovableName(uint32_t object_id);
// The name, or the default name for an id the catalog does not cover.
std::string MovableName(const MovableCatalog& catalog, uint32_t object_id);
// The movable index of the entry, -1 for an id the catalog does not cover.
int32_t MovableIndexOf(const MovableCatalog& catalog, uint32_t object_id);
// The alias of the entry, -1 for none or an id the catalog does not cover.
int32_t AliasOf(const MovableCatalog& catalog, uint32_t object_id);

}  // namespace qavel
