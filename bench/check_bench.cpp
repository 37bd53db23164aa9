// The level check as a user meets it: `qavel-cli check LEVEL` against `qavel-cli info LEVEL`,
// each a whole fresh process (start, read the level, work, print, exit), taking turns in the
// same run. Levels: the largest real level, and the same level tiled to 250 rooms, the size of
// a game level (its rooms repeated side by side, with their sectors, faces and statics).
// Each benchmark reports both medians and their ratio (goal: check at most 2x info). The /busy
// variants keep the other core busy with a spinning process of ours while they measure.
// Run: build/bench/check_bench [--benchmark_filter=...].

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "level/level_reader.h"
#include "level/level_writer.h"
#include "real_levels.h"
#include "whole_process.h"

namespace {

namespace fs = std::filesystem;
using qavel::bench::BusyCore;
using qavel::bench::Median;
using qavel::bench::TimeProcess;

// The level with its rooms repeated, each copy moved east of the last, until it has `rooms`.
// Written beside the other scratch files; the path, or empty when it cannot be made.
std::string TiledLevel(const std::string& path, size_t rooms) {
  auto level = qavel::ReadLevel(path);
  if (!level || level->rooms.empty()) return {};
  qavel::bench::TileRooms(*level, rooms);
  const std::string out =
      (fs::temp_directory_path() /
       ("qavel_check_bench_" + std::to_string(getpid()) + fs::path(path).extension().string()))
          .string();
  return qavel::WriteLevel(*level, out) ? out : std::string{};
}

// Runs "qavel-cli COMMAND LEVEL"; the seconds from start to exit, or -1 when it could not run.
// Check exits 1 when it finds errors, which is a result.
double Measure(const char* command, const std::string& level) {
  return TimeProcess({QAVEL_CLI, command, level}, 1);
}

void CheckVsInfo(benchmark::State& state, size_t tiled_rooms) {
  const std::string real = qavel::bench::LargestRealLevel(QAVEL_LEVELS_DIR);
  if (real.empty()) return state.SkipWithError("no real levels present; skipped");
  const std::string path = tiled_rooms ? TiledLevel(real, tiled_rooms) : real;
  if (path.empty()) return state.SkipWithError("the tiled level could not be written");
  state.SetLabel(fs::path(real).filename().string() +
                 (tiled_rooms ? " tiled to " + std::to_string(tiled_rooms) + " rooms" : ""));
  std::unique_ptr<BusyCore> spinner;
  if (state.range(0) != 0) spinner = std::make_unique<BusyCore>();
  Measure("info", path);  // the file into the page cache
  std::vector<double> info_times, check_times;
  for (auto _ : state) {
    const double info = Measure("info", path);
    const double check = Measure("check", path);
    if (info < 0 || check < 0) return state.SkipWithError("a measurement failed");
    info_times.push_back(info);
    check_times.push_back(check);
    state.SetIterationTime(check);
  }
  if (tiled_rooms) fs::remove(path);
  const double info = Median(info_times), check = Median(check_times);
  state.counters["info_ms"] = info * 1e3;
  state.counters["check_ms"] = check * 1e3;
  state.counters["ratio"] = info > 0 ? check / info : 0;
}

void BM_CheckVsInfo(benchmark::State& state) {
  CheckVsInfo(state, 0);
}
void BM_CheckVsInfoTiled(benchmark::State& state) {
  CheckVsInfo(state, 250);
}

BENCHMARK(BM_CheckVsInfo)
    ->ArgName("busy")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(21)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckVsInfoTiled)
    ->ArgName("busy")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(21)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
