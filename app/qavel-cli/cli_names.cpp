// Shared by the commands that show names: level, catalog and floor data in one load.

#include "cli_names.h"

#include <charconv>
#include <cstdio>
#include <filesystem>

namespace qavel::cli {

namespace {

// The catalog ships beside the program.
std::string DefaultCatalogPath() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "trcatalog.xml";
  return (exe.parent_path() / "trcatalog.xml").string();
}

}  // namespace

ObjectNames NamedLevel::Names() const {
  return [this](uint32_t id) { return MovableName(catalog, id); };
}

bool TakeCatalogOption(Args& args, std::string& catalog_path) {
  bool present = false;
  if (!TakeOption(args, "--catalog", catalog_path, present)) return false;
  if (!present) catalog_path = DefaultCatalogPath();
  return true;
}

bool LoadNamedLevel(NamedLevel& out, const std::string& level_path,
                    const std::string& catalog_path) {
  if (!LoadLevel(out.level, level_path)) return false;
  const CatalogLoadReport report =
      LoadMovableCatalog(out.catalog, catalog_path, out.level.version_kind);
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
