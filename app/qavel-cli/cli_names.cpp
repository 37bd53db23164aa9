// Shared by the commands that show names: level, catalog and floor data in one load.

#include "cli_names.h"

#include <charconv>
#include <cstdio>

#include "program/program_data.h"

namespace qavel::cli {

namespace {

// The catalog ships beside the program, or in the installed data folder.
std::string DefaultCatalogPath() {
  return FindProgramData(ProgramFolder(), "trcatalog.xml");
}

}  // namespace

ObjectNames NamedLevel::Names() const {
  return [this](uint32_t id) { return MovableName(catalog, id); };
}

bool TakeCatalogOption(Args& args, std::string& catalog_path) {
  bool present = false;
  catalog_path.clear();
  if (!TakeOption(args, "--catalog", catalog_path, present)) return false;
  if (present && catalog_path.empty()) {
    Fail("--catalog needs a file name");
    return false;
  }
  return true;
}

bool LoadNamedLevel(NamedLevel& out, const std::string& level_path,
                    const std::string& named_catalog) {
  if (!LoadLevel(out.level, level_path)) return false;
  // The catalog beside the program may be missing or unreadable: the names fall back to ids. One
  // the user named is what the user asked for: when it cannot be read at all the command fails.
  // A named catalog that reads but is malformed is reported, and the names fall back to ids.
  const bool named = !named_catalog.empty();
  const std::string catalog_path = named ? named_catalog : DefaultCatalogPath();
  const CatalogLoadReport report =
      LoadMovableCatalog(out.catalog, catalog_path, out.level.version_kind);
  if (named && !report.file_found) {
    Fail("no such file: " + catalog_path);
    return false;
  }
  if (named && report.result.status() == Status::kCannotOpen) {
    Fail(report.result.message());
    return false;
  }
  if (!report.file_found)
    std::fprintf(stderr, "qavel-cli: no catalog at %s; movables keep their ids as names\n",
                 catalog_path.c_str());
  if (!report.result) std::fprintf(stderr, "qavel-cli: %s\n", report.result.message().c_str());
  for (const auto& w : report.warnings) std::fprintf(stderr, "qavel-cli: %s\n", w.c_str());
  EnterLevelMovables(out.catalog, out.level);
  out.floor_data = ParseFloorData(out.level);
  return true;
}

bool ParseIntArg(const std::string& text, const char* what, long long& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) {
    Fail(std::string(what) + " must be a whole number, not '" + text + "'");
    return false;
  }
  return true;
}

}  // namespace qavel::cli
