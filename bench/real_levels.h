#pragma once
// The real levels the benchmarks measure on, found by path in the shared levels folder.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "level/ttrlevel.h"

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

// Repeats the level's rooms, each copy moved east of the last, until it holds `rooms` rooms: the
// size of a game level built from a small real one (sectors, faces and statics repeated).
inline void TileRooms(Ttrlevel& level, size_t rooms) {
  const std::vector<troom> originals = level.rooms;
  if (originals.empty()) return;
  int32_t shift = 0;
  for (const auto& r : originals) shift = std::max(shift, r.x + r.num_x_sectors * 1024);
  for (size_t copy = 1; level.rooms.size() < rooms; ++copy)
    for (const auto& r : originals) {
      if (level.rooms.size() == rooms) break;
      troom moved = r;
      moved.x += static_cast<int32_t>(copy) * shift;
      level.rooms.push_back(std::move(moved));
    }
}

}  // namespace qavel::bench
