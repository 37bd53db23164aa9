#include "exchange/catalog_movables.h"

#include <charconv>
#include <utility>

#include "exchange/catalog_built.h"
#include "exchange/catalog_sections.h"
#include "level/zfile.h"

namespace qavel {

std::string CatalogSectionName(int32_t version_kind) {
  switch (version_kind) {
    case kTR1:
    case kTR1Tub:
      return "TR1";
    case kTR2:
    case kTR2Trg:
      return "TR2";
    case kTR3:
      return "TR3";
    case kTR4:
      return "TR4";
    case kTR5:
      return "TRC";
    default:
      return {};
  }
}

namespace {

void ResetEntries(MovableCatalog& catalog) {
  for (size_t id = 0; id < kCatalogSize; ++id) {
    tmovable_record& e = catalog.entries[id];
    e.name = DefaultMovableName(static_cast<uint32_t>(id));
    e.alias_id = -1;
    e.body_from = -1;
    e.y_adjust = 0.0f;
    e.movable_index = 1;
  }
}

// Enters one row, read now or when the program was built.
template <class Row>
void Store(MovableCatalog& catalog, const Row& v) {
  if (v.id < 0 || v.id >= static_cast<int64_t>(kCatalogSize)) return;
  tmovable_record& e = catalog.entries[static_cast<size_t>(v.id)];
  if (std::string_view(v.name) != "none") e.name = v.name;
  if (v.alias != -1) e.alias_id = v.alias;
  if (v.body != -1) e.body_from = v.body;
  e.x_adjust = v.x;
  e.y_adjust = v.y;
  e.z_adjust = v.z;
  e.rx_adjust = v.rx;
  e.ry_adjust = v.ry;
  e.rz_adjust = v.rz;
  e.ai = v.ai;
}

// Enters the first of the sections found in the shipped catalog, as read when the program was
// built; false when the build did not read one of them.
bool EnterBuiltSection(MovableCatalog& catalog, const std::vector<CatalogSection>& sections,
                       CatalogLoadReport& report) {
  std::vector<const BuiltCatalogSection*> built;
  for (const CatalogSection& s : sections) {
    built.push_back(BuiltCatalogSectionNamed(s.name));
    if (!built.back()) return false;
  }
  for (const BuiltCatalogSection* s : built) {
    if (!s->found) continue;
    report.section = s->name;
    for (size_t i = 0; i < s->count; ++i) Store(catalog, s->rows[i]);
    break;
  }
  return true;
}

}  // namespace

CatalogLoadReport LoadMovableCatalogText(MovableCatalog& catalog, std::string_view document,
                                         const std::string& file_name, int32_t version_kind) {
  CatalogLoadReport report;
  report.file_found = true;
  MovableCatalog defaults = catalog;
  ResetEntries(defaults);
  // Other tools name the TR5 section "TR5"; it serves where a file has no "TRC" one.
  std::vector<CatalogSection> sections;
  if (std::string name = CatalogSectionName(version_kind); !name.empty())
    sections.push_back({std::move(name)});
  if (version_kind == kTR5) sections.push_back({"TR5"});
  // The catalog shipped with the program was read when the program was built: the same bytes
  // need no second reading.
  if (document == BuiltCatalogDocument() && EnterBuiltSection(defaults, sections, report)) {
    catalog = std::move(defaults);
    return report;
  }
  std::string error;
  if (!ReadCatalogSections(document, file_name, sections, error)) {
    report.result = Result::Fail(Status::kDamaged, file_name + ": " + error);
    catalog = std::move(defaults);
    return report;
  }
  for (CatalogSection& s : sections) {
    if (!s.found) continue;
    report.section = s.name;
    report.warnings = std::move(s.warnings);
    for (const tcatalog_row& row : s.rows) Store(defaults, row);
    break;
  }
  catalog = std::move(defaults);
  return report;
}

CatalogLoadReport LoadMovableCatalog(MovableCatalog& catalog, const std::string& file_name,
                                     int32_t version_kind) {
  const auto bytes = ReadWholeFile(file_name, kMaxCatalogSize, "a movable catalog");
  if (!bytes) {
    if (bytes.result().status() == Status::kNoSuchFile) return {};
    CatalogLoadReport report;
    report.file_found = true;
    report.result = bytes.result();
    return report;
  }
  return LoadMovableCatalogText(
      catalog, std::string_view(reinterpret_cast<const char*>(bytes->bytes()), bytes->size()),
      file_name, version_kind);
}

std::vector<std::string> EnterLevelMovables(MovableCatalog& catalog, const Ttrlevel& level) {
  std::vector<std::string> names;
  names.reserve(level.movables.size());
  for (size_t i = 0; i < level.movables.size(); ++i) {
    const uint32_t id = level.movables[i].object_id;
    if (id >= kCatalogSize) {
      names.push_back(DefaultMovableName(id));
      continue;
    }
    tmovable_record& entry = catalog.entries[id];
    entry.movable_index = static_cast<int16_t>(i);
    const int32_t alias = entry.alias_id;
    if (alias >= 0 && alias < static_cast<int32_t>(kCatalogSize)) {
      catalog.entries[static_cast<size_t>(alias)].name = entry.name;
      catalog.entries[static_cast<size_t>(alias)].movable_index = static_cast<int16_t>(i);
    }
    names.push_back(entry.name);
  }
  return names;
}

std::string DefaultMovableName(uint32_t object_id) {
  // Made for every id at each load: written in place rather than joined.
  char text[24] = "Moveable Id#";
  const size_t prefix = 12;
  const auto end = std::to_chars(text + prefix, text + sizeof text, object_id).ptr;
  return std::string(text, static_cast<size_t>(end - text));
}

std::string MovableName(const MovableCatalog& catalog, uint32_t object_id) {
  if (object_id >= kCatalogSize) return DefaultMovableName(object_id);
  return catalog.entries[object_id].name;
}

int32_t MovableIndexOf(const MovableCatalog& catalog, uint32_t object_id) {
  return object_id < kCatalogSize ? catalog.entries[object_id].movable_index : -1;
}

int32_t AliasOf(const MovableCatalog& catalog, uint32_t object_id) {
  return object_id < kCatalogSize ? catalog.entries[object_id].alias_id : -1;
}

}  // namespace qavel
