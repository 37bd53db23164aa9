#pragma once
// Where tests find real levels, the shipped data and a scratch folder.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "level/ttrlevel.h"

namespace qavel::test {

// Path of the real level of a generation ("TR1" .. "TR5"), if the shared folder holds it.
std::optional<std::string> RealLevel(const std::string& generation);
// Every real level that is present, as (generation, path).
std::vector<std::pair<std::string, std::string>> RealLevels();
// The levels a layer's sweep walks: every real level that is present and the shipped demo
// level, as (generation or "demo", path). Says so on the output when the real ones are absent.
std::vector<std::pair<std::string, std::string>> SweptLevels();
// Path of the object-id table of a generation ("TR1" .. "TR5"), if the shared folder holds it.
std::optional<std::string> ObjectIdTable(const std::string& generation);
std::string DataPath(const std::string& name);
// A fresh empty folder for one test.
std::string ScratchDir(const std::string& name);
// The level of a file; a failure of the test (and an empty level) when it cannot be read.
Ttrlevel ReadLevelOrFail(const std::string& path);
// The folders of the real levels and of the object-id tables, for messages.
const char* LevelsDir();
const char* ObjectIdsDir();

}  // namespace qavel::test

// Only the support library is compiled with the configured folders; tests name them through it.
#ifndef QAVEL_LEVELS_DIR
#define QAVEL_LEVELS_DIR ::qavel::test::LevelsDir()
#endif
#ifndef QAVEL_OBJECT_IDS_DIR
#define QAVEL_OBJECT_IDS_DIR ::qavel::test::ObjectIdsDir()
#endif

// Skips the test, saying so, when the real level or the object-id table of a generation is absent;
// else declares `var`, its path.
#define QAVEL_PATH_OR_SKIP(var, lookup, what, generation, kind, folder)                        \
  auto var##_opt = ::qavel::test::lookup(generation);                                          \
  if (!var##_opt)                                                                              \
    GTEST_SKIP() << what << generation << kind << " not present in " << folder << "; skipped"; \
  const std::string var = *var##_opt
#define QAVEL_REAL_LEVEL_OR_SKIP(var, generation) \
  QAVEL_PATH_OR_SKIP(var, RealLevel, "real ", generation, " level", QAVEL_LEVELS_DIR)
#define QAVEL_OBJECT_ID_TABLE_OR_SKIP(var, generation) \
  QAVEL_PATH_OR_SKIP(var, ObjectIdTable, "object-id table ", generation, "", QAVEL_OBJECT_IDS_DIR)
