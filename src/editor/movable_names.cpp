#include "editor/movable_names.h"

#include "exchange/catalog_movables.h"

namespace qavel {

std::string MovableNames::NameOf(uint32_t object_id) const {
  if (object_id < names.size() && !names[object_id].empty()) return names[object_id];
  return fallback_prefix + std::to_string(object_id);
}

int MovableNames::MovableIndexOf(uint32_t object_id) const {
  return object_id < movable_indices.size() ? movable_indices[object_id] : -1;
}

int MovableNames::AliasOf(uint32_t object_id) const {
  return object_id < aliases.size() ? aliases[object_id] : -1;
}

MovableNames BuildMovableNames(const Ttrlevel& level, const std::string& catalog_path) {
  MovableCatalog catalog;
  // Defaults first, so that a missing or unreadable catalog still names every id.
  LoadMovableCatalogText(catalog, "<catalog/>", catalog_path, level.version_kind);
  MovableNames result;
  // A missing, unreadable or malformed catalog leaves default names; the level itself is fine.
  CatalogLoadReport report = LoadMovableCatalog(catalog, catalog_path, level.version_kind);
  if (!report.file_found)
    result.notes.push_back("No movable catalog at " + catalog_path +
                           "; movables keep their ids as names.");
  if (!report.result) result.notes.push_back(report.result.message());
  for (auto& w : report.warnings) result.notes.push_back(std::move(w));
  result.fallback_prefix = "Moveable Id#";
  result.movable_list = EnterLevelMovables(catalog, level);
  for (uint32_t id = 0; id < kCatalogSize; ++id) {
    result.names.push_back(MovableName(catalog, id));
    result.aliases.push_back(AliasOf(catalog, id));
    result.movable_indices.push_back(MovableIndexOf(catalog, id));
  }
  result.catalog = std::move(catalog);
  return result;
}

}  // namespace qavel
