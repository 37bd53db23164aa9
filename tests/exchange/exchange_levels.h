#pragma once
// The level files the exchange round trips run on: every real level present and our demo level.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "test_paths.h"

namespace qavel::test {

inline std::vector<std::pair<std::string, std::string>> ExchangeLevels() {
  auto levels = RealLevels();
  const std::string demo = DataPath("demo.tr4");
  if (std::filesystem::exists(demo)) levels.emplace_back("demo", demo);
  return levels;
}

}  // namespace qavel::test
