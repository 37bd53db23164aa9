#include "inspect/movable_names.h"

namespace qavel {

std::string MovableNames::NameOf(uint32_t object_id) const {
  std::string name = MovableName(catalog, object_id);
  return name.empty() ? DefaultMovableName(object_id) : name;
}

int MovableNames::MovableIndexOf(uint32_t object_id) const {
  return qavel::MovableIndexOf(catalog, object_id);
}

int MovableNames::AliasOf(uint32_t object_id) const {
  return qavel::AliasOf(catalog, object_id);
}

ObjectNames MovableNames::AsObjectNames() const {
  return [this](uint32_t id) { return NameOf(id); };
}

MovableNames BuildMovableNames(const Ttrlevel& level, const std::string& catalog_path) {
  MovableNames result;
  // A missing, unreadable or malformed catalog leaves default names; the level itself is fine.
  CatalogLoadReport report = LoadMovableCatalog(result.catalog, catalog_path, level.version_kind);
  // A file that could not be read left the catalog as it was: the defaults then name every id.
  if (!report.file_found || report.result.status() == Status::kCannotOpen)
    LoadMovableCatalogText(result.catalog, "<catalog/>", catalog_path, level.version_kind);
  if (!report.file_found) {
    result.catalog_file = Result::Fail(Status::kNoSuchFile, "no such file: " + catalog_path);
    result.notes.push_back("No movable catalog at " + catalog_path +
                           "; movables keep their ids as names.");
  } else if (report.result.status() == Status::kCannotOpen) {
    result.catalog_file = report.result;
  }
  if (!report.result) result.notes.push_back(report.result.message());
  for (auto& w : report.warnings) result.notes.push_back(std::move(w));
  result.movable_list = EnterLevelMovables(result.catalog, level);
  return result;
}

}  // namespace qavel
