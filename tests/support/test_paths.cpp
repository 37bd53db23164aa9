#include "test_paths.h"

#include <cstdio>
#include <filesystem>

#include "level/level_reader.h"

namespace fs = std::filesystem;

namespace qavel::test {

std::optional<std::string> RealLevel(const std::string& generation) {
  const fs::path dir = fs::path(QAVEL_LEVELS_DIR) / generation;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return std::nullopt;
  for (const auto& e : fs::directory_iterator(dir, ec))
    if (e.is_regular_file() && e.path().filename() != "README.md") return e.path().string();
  return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> RealLevels() {
  std::vector<std::pair<std::string, std::string>> out;
  for (const char* g : {"TR1", "TR2", "TR3", "TR4", "TR5"})
    if (auto p = RealLevel(g)) out.emplace_back(g, *p);
  return out;
}

std::vector<std::pair<std::string, std::string>> SweptLevels() {
  auto out = RealLevels();
  if (out.empty())
    std::printf("real levels absent from %s; only the demo level\n", QAVEL_LEVELS_DIR);
  out.emplace_back("demo", DataPath("demo.tr4"));
  return out;
}

std::optional<std::string> ObjectIdTable(const std::string& generation) {
  const fs::path file = fs::path(QAVEL_OBJECT_IDS_DIR) / (generation + ".tsv");
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return std::nullopt;
  return file.string();
}

std::string DataPath(const std::string& name) {
  return std::string(QAVEL_DATA_DIR) + "/" + name;
}

std::string ScratchDir(const std::string& name) {
  const fs::path dir = fs::path(QAVEL_BINARY_DIR) / "scratch" / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir.string();
}

const char* LevelsDir() {
  return QAVEL_LEVELS_DIR;
}

const char* ObjectIdsDir() {
  return QAVEL_OBJECT_IDS_DIR;
}

Ttrlevel ReadLevelOrFail(const std::string& path) {
  auto level = ReadLevel(path);
  if (!level) {
    ADD_FAILURE() << level.message();
    return {};
  }
  return std::move(*level);
}

}  // namespace qavel::test
