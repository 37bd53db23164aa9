#include "editor/movable_names.h"

#ifdef QAVEL_WITH_CATALOG
#include "exchange/catalog_movables.h"
#endif

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

#ifdef QAVEL_WITH_CATALOG

MovableNames BuildMovableNames(const Ttrlevel& level, const std::string& catalog_path) {
  MovableCatalog catalog;
  // Defaults first, so that a missing or unreadable catalog still names every id.
  LoadMovableCatalogText(catalog, "<catalog/>", catalog_path, level.version_kind);
  try {
    LoadMovableCatalog(catalog, catalog_path, level.version_kind);
  } catch (const std::exception&) {
    // An unreadable catalog leaves the default names; the level itself is fine.
  }
  MovableNames result;
  result.fallback_prefix = "Moveable Id#";
  result.movable_list = EnterLevelMovables(catalog, level);
  for (uint32_t id = 0; id < kCatalogSize; ++id) {
    result.names.push_back(MovableName(catalog, id));
    result.aliases.push_back(AliasOf(catalog, id));
    result.movable_indices.push_back(MovableIndexOf(catalog, id));
  }
  return result;
}

#else  // without the catalog reader, ids name themselves

MovableNames BuildMovableNames(const Ttrlevel& level, const std::string& catalog_path) {
  (void)catalog_path;
  MovableNames result;
  for (size_t i = 0; i < level.movables.size(); ++i) {
    const uint32_t id = level.movables[i].object_id;
    if (id < 100000) {
      if (result.movable_indices.size() <= id) result.movable_indices.resize(id + 1, -1);
      result.movable_indices[id] = static_cast<int>(i);
    }
    result.movable_list.push_back(result.NameOf(id));
  }
  return result;
}

#endif

}  // namespace qavel
