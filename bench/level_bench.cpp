// Opening and saving levels as a user meets them: each figure is the first run of the work in a
// fresh process (this program starts itself again for every measurement), against the plain
// work it cannot avoid, measured the same way in the same run, the two taking turns:
//   open                    vs inflating the file's packed chunks with zlib into fresh blocks
//                               (TR5: its three texture chunks; the level data is not packed)
//   save after an item edit vs compressing the level data with zlib at level 9 (compress2)
//   parse / write of a level tiled to 250 rooms from a real one (TR3, TR5: no packed level
//                           data, so the layout code itself is measured)
//                           vs copying the tiled file's bytes into fresh memory
// Each benchmark reports the medians of both and their ratio. The /busy variants keep the other
// core busy with a spinning process of ours while they measure.
// Run: build/bench/level_bench [--benchmark_filter=...]; levels come from the shared folder
// (TR4, TR5) and data/demo.tr4.

#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"
#include "whole_process.h"

namespace {

using qavel::Bytes;
using qavel::bench::BusyCore;
using qavel::bench::Median;
using qavel::bench::TimeProcess;
using Clock = std::chrono::steady_clock;

std::string LevelPath(const std::string& which) {
  if (which == "demo") return std::string(QAVEL_DATA_DIR) + "/demo.tr4";
  const std::string dir = std::string(QAVEL_LEVELS_DIR) + "/" + which;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec))
    if (e.is_regular_file()) return e.path().string();
  return {};
}

// ---- The work, done once by a fresh process ----

// The packed chunks of a TR4/TR5 file as (offset of the packed bytes, packed size, unpacked size).
struct ChunkPlace {
  size_t at;
  uint32_t packed, size;
};
// TR4 files hold four packed chunks (the last is the level data), TR5 files three.
std::vector<ChunkPlace> PackedChunks(std::span<const uint8_t> file, const std::string& path) {
  uint32_t version = 0;
  if (file.size() >= 4) std::memcpy(&version, file.data(), 4);
  const int count = qavel::DetectVersionKind(version, path) == qavel::kTR4 ? 4 : 3;
  std::vector<ChunkPlace> chunks;
  size_t p = 10;
  for (int i = 0; i < count && p + 8 <= file.size(); ++i) {
    ChunkPlace c{p + 8, 0, 0};
    std::memcpy(&c.size, file.data() + p, 4);
    std::memcpy(&c.packed, file.data() + p + 4, 4);
    if (c.at + c.packed > file.size()) break;
    chunks.push_back(c);
    p = c.at + c.packed;
  }
  return chunks;
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Inflates every packed chunk of the file into a block of its own. The file's bytes are read
// before the clock starts: the baseline is the unpacking alone.
double InflateOnce(const std::string& path) {
  const auto file = qavel::ReadWholeFile(path);
  if (!file) return -1;
  const auto start = Clock::now();
  for (const ChunkPlace& c : PackedChunks(file->span(), path)) {
    Bytes out(c.size);
    uLongf len = c.size;
    if (uncompress(out.data(), &len, file->bytes() + c.at, c.packed) != Z_OK) return -1;
    benchmark::DoNotOptimize(out.data());
  }
  return Seconds(start);
}

// The same into blocks from the storage the reader unpacks into (2 MiB pages where offered):
// what the open costs beyond the unpacking itself.
double UnpackBlocksOnce(const std::string& path) {
  const auto file = qavel::ReadWholeFile(path);
  if (!file) return -1;
  const auto start = Clock::now();
  for (const ChunkPlace& c : PackedChunks(file->span(), path)) {
    const auto block = qavel::UnpackBlock(file->bytes() + c.at, c.packed, c.size);
    if (!block) return -1;
    benchmark::DoNotOptimize(block->bytes());
  }
  return Seconds(start);
}

double OpenOnce(const std::string& path) {
  const auto start = Clock::now();
  const auto level = qavel::ReadLevel(path);
  const double t = Seconds(start);
  return level ? t : -1;
}

// The level data of the level with one item moved, as the edited save packs it.
qavel::SharedBlock EditedLevelData(qavel::Ttrlevel& level, const std::string& path) {
  qavel::titem2 item = level.items2.at(0);
  item.x += 512;
  qavel::StoreItem(level, 0, item);
  const auto written = qavel::WriteLevelBytes(level, path);
  if (!written) return {};
  const auto chunks = PackedChunks(written->bytes, path);
  if (chunks.size() < 4) return {};
  const ChunkPlace& c = chunks[3];
  auto data = qavel::UnpackBlock(written->bytes.data() + c.at, c.packed, c.size);
  return data ? std::move(*data) : qavel::SharedBlock{};
}

double CompressOnce(const std::string& path) {
  auto level = qavel::ReadLevel(path);
  if (!level || level->num_items() == 0) return -1;
  const qavel::SharedBlock data = EditedLevelData(*level, path);
  if (data.empty()) return -1;
  const auto start = Clock::now();
  uLongf len = compressBound(static_cast<uLong>(data.size()));
  Bytes out(len);
  if (compress2(out.data(), &len, data.bytes(), static_cast<uLong>(data.size()), 9) != Z_OK)
    return -1;
  benchmark::DoNotOptimize(out.data());
  return Seconds(start);
}

double SaveEditedOnce(const std::string& path, const std::string& out) {
  auto level = qavel::ReadLevel(path);
  if (!level || level->num_items() == 0) return -1;
  qavel::titem2 item = level->items2[0];
  item.x += 512;
  qavel::StoreItem(*level, 0, item);
  const auto start = Clock::now();
  const auto written = qavel::WriteLevel(*level, out);
  const double t = Seconds(start);
  std::filesystem::remove(out);
  return written ? t : -1;
}

// The level at path with its rooms repeated up to 250, as a game level holds them.
std::optional<qavel::Ttrlevel> Tiled(const std::string& path) {
  auto level = qavel::ReadLevel(path);
  if (!level || level->rooms.empty()) return std::nullopt;
  const size_t real = level->rooms.size();
  for (size_t i = real; i < 250; ++i) level->rooms.push_back(level->rooms[i % real]);
  return std::move(*level);
}

// Copying the tiled file into fresh memory: the least any reader or writer does.
double CopyTiledOnce(const std::string& path) {
  const auto level = Tiled(path);
  if (!level) return -1;
  const auto file = qavel::WriteLevelBytes(*level, path);
  if (!file) return -1;
  const auto start = Clock::now();
  Bytes copy(file->bytes.size());
  std::memcpy(copy.data(), file->bytes.data(), copy.size());
  benchmark::DoNotOptimize(copy.data());
  return Seconds(start);
}

double ParseTiledOnce(const std::string& path) {
  const auto level = Tiled(path);
  if (!level) return -1;
  const auto file = qavel::WriteLevelBytes(*level, path);
  if (!file) return -1;
  const auto start = Clock::now();
  const auto read = qavel::ReadLevelBytes(file->bytes, path);
  const double t = Seconds(start);
  return read ? t : -1;
}

double WriteTiledOnce(const std::string& path) {
  const auto level = Tiled(path);
  if (!level) return -1;
  const auto start = Clock::now();
  const auto file = qavel::WriteLevelBytes(*level, path);
  const double t = Seconds(start);
  return file ? t : -1;
}

// "--once TASK PATH": does the task once and prints its seconds (negative for a failure).
int RunOnce(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::string task = argv[2], path = argv[3];
  const std::string scratch =
      (std::filesystem::temp_directory_path() / ("qavel_bench_" + std::to_string(getpid()) +
                                                 std::filesystem::path(path).extension().string()))
          .string();
  double t = -1;
  if (task == "inflate") t = InflateOnce(path);
  if (task == "unpack-blocks") t = UnpackBlocksOnce(path);
  if (task == "open") t = OpenOnce(path);
  if (task == "compress") t = CompressOnce(path);
  if (task == "save") t = SaveEditedOnce(path, scratch);
  if (task == "copy-tiled") t = CopyTiledOnce(path);
  if (task == "parse-tiled") t = ParseTiledOnce(path);
  if (task == "write-tiled") t = WriteTiledOnce(path);
  std::printf("%.9f\n", t);
  return t < 0 ? 1 : 0;
}

// ---- The parent: one fresh process per measurement ----

std::string self_path;

// Runs "--once task path" in a new process of this program; the seconds it printed, or -1.
double Measure(const std::string& task, const std::string& path) {
  std::string text;
  if (TimeProcess({self_path, "--once", task, path}, 0, &text) < 0) return -1;
  return std::strtod(text.c_str(), nullptr);
}

// Measures task against its baseline (and, where given, a second baseline), taking turns, one
// fresh process each; reports the medians in milliseconds and the ratios task / baseline.
void Compare(benchmark::State& state, const std::string& which, const char* task,
             const char* baseline, const char* second_baseline = nullptr) {
  const std::string path = LevelPath(which);
  if (path.empty() || !std::filesystem::exists(path))
    return state.SkipWithError(("level " + which + " not present; skipped").c_str());
  std::unique_ptr<BusyCore> spinner;
  if (state.range(0) != 0) spinner = std::make_unique<BusyCore>();
  Measure(task, path);  // the file into the page cache
  std::vector<double> base_times, second_times, task_times;
  for (auto _ : state) {
    const double b = Measure(baseline, path);
    const double s = second_baseline ? Measure(second_baseline, path) : 0;
    const double t = Measure(task, path);
    if (b < 0 || s < 0 || t < 0) return state.SkipWithError("a measurement failed");
    base_times.push_back(b);
    second_times.push_back(s);
    task_times.push_back(t);
    state.SetIterationTime(t);
  }
  const double base = Median(base_times), measured = Median(task_times);
  state.counters["baseline_ms"] = base * 1e3;
  state.counters["measured_ms"] = measured * 1e3;
  state.counters["ratio"] = base > 0 ? measured / base : 0;
  if (second_baseline) {
    const double second = Median(second_times);
    state.counters["blocks_ms"] = second * 1e3;
    state.counters["ratio_blocks"] = second > 0 ? measured / second : 0;
  }
}

// Open against plain zlib into fresh blocks, and against unpacking into the reader's storage.
void BM_OpenVsInflate(benchmark::State& state, const std::string& which) {
  Compare(state, which, "open", "inflate", "unpack-blocks");
}

void BM_EditedSaveVsCompress(benchmark::State& state, const std::string& which) {
  Compare(state, which, "save", "compress");
}

void BM_TiledParseVsCopy(benchmark::State& state, const std::string& which) {
  Compare(state, which, "parse-tiled", "copy-tiled");
}

void BM_TiledWriteVsCopy(benchmark::State& state, const std::string& which) {
  Compare(state, which, "write-tiled", "copy-tiled");
}

#define QAVEL_PER_LEVEL(fn, which)                  \
  BENCHMARK_CAPTURE(fn, which, std::string(#which)) \
      ->ArgName("busy")                             \
      ->Arg(0)                                      \
      ->Arg(1)                                      \
      ->Iterations(15)                              \
      ->UseManualTime()                             \
      ->Unit(benchmark::kMillisecond)

QAVEL_PER_LEVEL(BM_OpenVsInflate, TR4);
QAVEL_PER_LEVEL(BM_OpenVsInflate, TR5);
QAVEL_PER_LEVEL(BM_OpenVsInflate, demo);
QAVEL_PER_LEVEL(BM_EditedSaveVsCompress, TR4);
QAVEL_PER_LEVEL(BM_TiledParseVsCopy, TR3);
QAVEL_PER_LEVEL(BM_TiledParseVsCopy, TR5);
QAVEL_PER_LEVEL(BM_TiledWriteVsCopy, TR3);
QAVEL_PER_LEVEL(BM_TiledWriteVsCopy, TR5);

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--once") == 0) return RunOnce(argc, argv);
  std::error_code ec;
  self_path = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
