#include "editor/movable_names.h"

namespace qavel {

std::string MovableNames::NameOf(uint32_t object_id) const {
  if (object_id < names.size() && !names[object_id].empty()) return names[object_id];
  return std::to_string(object_id);
}

int MovableNames::MovableIndexOf(uint32_t object_id) const {
  return object_id < movable_indices.size() ? movable_indices[object_id] : -1;
}

int MovableNames::AliasOf(uint32_t object_id) const {
  return object_id < aliases.size() ? aliases[object_id] : -1;
}

MovableNames BuildMovableNames(const Ttrlevel& level, const std::string& catalog_path) {
  (void)catalog_path;  // the catalog reader joins here; until then ids name themselves
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

}  // namespace qavel
