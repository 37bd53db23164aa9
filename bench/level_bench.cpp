// Opening and saving levels, each against the plain work it cannot avoid, in the same run:
//   open           vs inflating the file's packed chunks with zlib alone (into fresh blocks)
//   unedited save  vs writing the file's bytes to a file (both flushed to disk)
//   save after an item edit vs compressing the level data at level 9
// Run: build/bench/level_bench [--benchmark_filter=...]; levels come from the shared folder
// (TR4, TR5) and data/demo.tr4.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"

namespace {

using qavel::Bytes;

std::string LevelPath(const std::string& which) {
  if (which == "demo") return std::string(QAVEL_DATA_DIR) + "/demo.tr4";
  const std::string dir = std::string(QAVEL_LEVELS_DIR) + "/" + which;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec))
    if (e.is_regular_file()) return e.path().string();
  return {};
}

std::string Scratch(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("qavel_bench_" + name)).string();
}

// The packed chunks of a TR4/TR5 file: (packed bytes, unpacked size).
std::vector<std::pair<Bytes, uint32_t>> PackedChunks(const Bytes& file, bool tr4) {
  std::vector<std::pair<Bytes, uint32_t>> chunks;
  size_t p = 10;
  for (int i = 0; i < (tr4 ? 4 : 3); ++i) {
    uint32_t size, packed;
    std::memcpy(&size, file.data() + p, 4);
    std::memcpy(&packed, file.data() + p + 4, 4);
    chunks.emplace_back(Bytes(file.begin() + p + 8, file.begin() + p + 8 + packed), size);
    p += 8 + packed;
  }
  return chunks;
}

bool Prepare(benchmark::State& state, const std::string& which, std::string& path) {
  path = LevelPath(which);
  if (path.empty() || !std::filesystem::exists(path)) {
    state.SkipWithError(("level " + which + " not present; skipped").c_str());
    return false;
  }
  return true;
}

void WriteDurably(const std::string& path, const Bytes& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return;
  if (::write(fd, bytes.data(), bytes.size()) < 0) std::perror("write");
  ::fsync(fd);
  ::close(fd);
}

void BM_InflateChunks(benchmark::State& state, const std::string& which) {
  std::string path;
  if (!Prepare(state, which, path)) return;
  const Bytes file = qavel::ReadWholeFile(path);
  const auto chunks = PackedChunks(file, which != "TR5");
  for (auto _ : state) {
    for (const auto& [packed, size] : chunks) {
      // A block of its own for every chunk, as any open needs: reusing one buffer across
      // iterations would leave out the page faults of fresh memory.
      Bytes out(size);
      uLongf len = size;
      uncompress(out.data(), &len, packed.data(), static_cast<uLong>(packed.size()));
      benchmark::DoNotOptimize(out.data());
    }
  }
}

void BM_OpenLevel(benchmark::State& state, const std::string& which) {
  std::string path;
  if (!Prepare(state, which, path)) return;
  for (auto _ : state) {
    qavel::Ttrlevel level;
    if (qavel::ReadLevel(level, path) != qavel::kReadOk) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(level.rooms.data());
  }
}

void BM_WriteFileBytes(benchmark::State& state, const std::string& which) {
  std::string path;
  if (!Prepare(state, which, path)) return;
  const Bytes file = qavel::ReadWholeFile(path);
  const std::string out = Scratch("plain");
  for (auto _ : state) WriteDurably(out, file);
  std::filesystem::remove(out);
}

void BM_SaveUnedited(benchmark::State& state, const std::string& which) {
  std::string path;
  if (!Prepare(state, which, path)) return;
  qavel::Ttrlevel level;
  qavel::ReadLevel(level, path);
  const std::string out = Scratch("save") + std::filesystem::path(path).extension().string();
  for (auto _ : state) qavel::WriteLevel(level, out);
  std::filesystem::remove(out);
}

// Baseline of an edited save: the level data must be compressed again.
void BM_CompressLevelData(benchmark::State& state, const std::string& which) {
  std::string path;
  if (!Prepare(state, which, path)) return;
  qavel::Ttrlevel level;
  qavel::ReadLevel(level, path);
  const Bytes data = *level.origin.level_data.unpacked.data;
  state.counters["bytes"] = static_cast<double>(data.size());
  for (auto _ : state) {
    // zlib alone, one stream at level 9.
    uLongf len = compressBound(static_cast<uLong>(data.size()));
    Bytes out(len);
    compress2(out.data(), &len, data.data(), static_cast<uLong>(data.size()), 9);
    benchmark::DoNotOptimize(out.data());
  }
}

void BM_SaveAfterItemEdit(benchmark::State& state, const std::string& which) {
  std::string path;
  if (!Prepare(state, which, path)) return;
  qavel::Ttrlevel level;
  qavel::ReadLevel(level, path);
  if (level.num_items() == 0) return state.SkipWithError("level has no items");
  const std::string out = Scratch("edited.tr4");
  for (auto _ : state) {
    // Always a new position, so no save finds the level data as it was read.
    qavel::titem2 item = level.items2[0];
    item.x += 512;
    qavel::StoreItem(level, 0, item);
    qavel::WriteLevel(level, out);
  }
  std::filesystem::remove(out);
}

#define QAVEL_PER_LEVEL(fn, which) \
  BENCHMARK_CAPTURE(fn, which, std::string(#which))->Unit(benchmark::kMillisecond)

QAVEL_PER_LEVEL(BM_InflateChunks, TR4);
QAVEL_PER_LEVEL(BM_OpenLevel, TR4);
QAVEL_PER_LEVEL(BM_InflateChunks, TR5);
QAVEL_PER_LEVEL(BM_OpenLevel, TR5);
QAVEL_PER_LEVEL(BM_InflateChunks, demo);
QAVEL_PER_LEVEL(BM_OpenLevel, demo);
QAVEL_PER_LEVEL(BM_WriteFileBytes, TR4);
QAVEL_PER_LEVEL(BM_SaveUnedited, TR4);
QAVEL_PER_LEVEL(BM_CompressLevelData, TR4);
QAVEL_PER_LEVEL(BM_SaveAfterItemEdit, TR4);

}  // namespace

BENCHMARK_MAIN();
