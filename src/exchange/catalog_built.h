#pragma once
// The catalog shipped with the program, read when the program is built: its bytes and the rows
// of each section (catalog_table/make_catalog_table.cpp makes it from data/trcatalog.xml).
// Opening a level with that very file then takes the rows instead of reading the XML again;
// any other file, the shipped one edited included, is read as it is.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qavel {

// A tcatalog_row of the shipped catalog (ids in 0..599 only).
struct tbuilt_catalog_row {
  int32_t id;
  const char* name;
  int32_t alias, body;
  float x, y, z, rx, ry, rz;
  int16_t ai;
};

struct BuiltCatalogSection {
  const char* name;
  bool found;
  const tbuilt_catalog_row* rows;
  size_t count;
};

// The bytes of the shipped catalog.
std::string_view BuiltCatalogDocument();
// The section of that name: every name CatalogSectionName gives and "TR5"; nullptr for others.
const BuiltCatalogSection* BuiltCatalogSectionNamed(std::string_view name);

}  // namespace qavel
