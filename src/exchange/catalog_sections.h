#pragma once
// The sections of a catalog document as read, before they are entered into a catalog: the
// movable elements of each section asked for, with the values that did not convert. The catalog
// reads a file through it, and the build reads the shipped catalog through it once (see
// catalog_built.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qavel {

// Object ids the catalog names: 0..599.
inline constexpr size_t kCatalogSize = 600;

// One movable element as read: values not given keep these defaults.
struct tcatalog_row {
  int64_t id = -1;
  std::string name = "none";  // "none" leaves the entry's name as it is
  int32_t alias = -1;         // -1 leaves the entry's alias as it is
  int32_t body = -1;          // -1 leaves the entry's body as it is
  float x = 0, y = 0, z = 0, rx = 0, ry = 0, rz = 0;
  int16_t ai = 0;
};

// A section: the first "moveables" element inside the first "game" element (a child of the
// root) whose first attribute is the section's name.
struct CatalogSection {
  std::string name;
  bool found = false;
  // What the section's elements say, one row per object id in 0..599 in the order the ids first
  // appear (elements with other ids change nothing). An id given again merges into its row as
  // entering both in turn would: a later name other than "none", alias or body other than -1
  // replaces the earlier one, the adjust values and ai always do. The rows stay as many as
  // the ids, however long the file.
  std::vector<tcatalog_row> rows;
  // Values that do not convert, one line per attribute and fault ("FILE: line L: ...", the
  // first such value, and "(N such ATTR values in all)" when there were more).
  std::vector<std::string> warnings;
};

// Reads the sections named in `sections` (their names set, the rest empty) in one pass over the
// document. Returns false when the document is not well formed; `error` then says where and
// why ("line L, column C: reason"). `file_name` only names the warnings.
bool ReadCatalogSections(std::string_view document, const std::string& file_name,
                         std::vector<CatalogSection>& sections, std::string& error);

}  // namespace qavel
