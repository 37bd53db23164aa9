#pragma once
// The real levels the benchmarks measure on, found by path in the shared levels folder.

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace qavel::bench {

// The largest level file below levels_dir (one folder per generation), empty when there is none.
inline std::string LargestRealLevel(const std::string& levels_dir) {
  namespace fs = std::filesystem;
  std::string best;
  uintmax_t best_size = 0;
  std::error_code ec;
  for (const auto& dir : fs::directory_iterator(levels_dir, ec)) {
    if (!dir.is_directory()) continue;
    for (const auto& f : fs::directory_iterator(dir.path(), ec)) {
      if (!f.is_regular_file() || f.path().filename() == "README.md") continue;
      if (f.file_size() > best_size) {
        best_size = f.file_size();
        best = f.path().string();
      }
    }
  }
  return best;
}

}  // namespace qavel::bench
