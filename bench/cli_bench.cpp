// The level commands as a user meets them: `qavel-cli info|items|triggers LEVEL`, each a whole
// fresh process (start, read the level, work, print, exit), against the floor of opening a
// level, inflate_floor: a program that reads the file and inflates every packed chunk with zlib
// into fresh buffers. They take turns in the same run, the order alternating; each benchmark
// reports both medians and their ratio (goals: info, items and triggers at most 0.6x the floor
// on the largest TR4 level, whose texture pages they never show; at most 1.5x on a TR1 level).
// Also in the rotation: open_level (the level layer's open alone, in a process without the
// libraries the tool loads for pictures), and, when QAVEL_CLI_BEFORE names another build of
// qavel-cli, that build (to compare two builds in one run). The /busy variants keep the other
// core busy with a spinning process of ours while they measure. Each contender runs 21 times
// per benchmark, or QAVEL_CLI_TURNS times (a busy machine needs more turns for steady medians).
// Run: build/bench/cli_bench [--benchmark_filter=...].

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "whole_process.h"

namespace {

namespace fs = std::filesystem;
using qavel::bench::BusyCore;
using qavel::bench::Median;
using qavel::bench::TimeProcess;

// The largest level file of a generation's folder, empty when there is none.
std::string LargestLevel(const std::string& generation) {
  std::string best;
  uintmax_t best_size = 0;
  std::error_code ec;
  for (const auto& f : fs::directory_iterator(fs::path(QAVEL_LEVELS_DIR) / generation, ec)) {
    if (!f.is_regular_file() || f.path().extension() == ".md") continue;
    if (f.file_size() > best_size) {
      best_size = f.file_size();
      best = f.path().string();
    }
  }
  return best;
}

struct Contender {
  const char* name;  // the counter prefix
  std::vector<std::string> words;
  std::vector<double> times;
};

void CommandVsFloor(benchmark::State& state, const std::string& command,
                    const std::string& generation) {
  const std::string path = LargestLevel(generation);
  if (path.empty())
    return state.SkipWithError(("no real " + generation + " level present; skipped").c_str());
  state.SetLabel(fs::path(path).filename().string());
  std::vector<Contender> all = {{"floor", {QAVEL_INFLATE_FLOOR, path}, {}},
                                {"cli", {QAVEL_CLI, command, path}, {}},
                                {"open", {QAVEL_OPEN_LEVEL, path}, {}}};
  if (const char* before = std::getenv("QAVEL_CLI_BEFORE"); before && *before)
    all.push_back({"before", {before, command, path}, {}});
  std::unique_ptr<BusyCore> spinner;
  if (state.range(0) != 0) spinner = std::make_unique<BusyCore>();
  for (auto& c : all) TimeProcess(c.words);  // the programs and the file into the page cache
  size_t turn = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < all.size(); ++i) {
      Contender& c = all[(i + turn) % all.size()];
      const double t = TimeProcess(c.words);
      if (t < 0) return state.SkipWithError((std::string(c.name) + " failed to run").c_str());
      c.times.push_back(t);
    }
    state.SetIterationTime(all[1].times.back());
    ++turn;
  }
  const double floor = Median(all[0].times);
  for (const auto& c : all) {
    const double median = Median(c.times);
    state.counters[std::string(c.name) + "_ms"] = median * 1e3;
    if (&c != &all[0]) state.counters[std::string(c.name) + "_ratio"] = median / floor;
  }
}

int Turns() {
  const char* turns = std::getenv("QAVEL_CLI_TURNS");
  const int n = turns ? std::atoi(turns) : 0;
  return n > 0 ? n : 21;
}

#define QAVEL_COMMAND_ON(command, generation)                                      \
  BENCHMARK_CAPTURE(CommandVsFloor, command##_##generation, std::string(#command), \
                    std::string(#generation))                                      \
      ->ArgName("busy")                                                            \
      ->Arg(0)                                                                     \
      ->Arg(1)                                                                     \
      ->Iterations(Turns())                                                        \
      ->UseManualTime()                                                            \
      ->Unit(benchmark::kMillisecond)

QAVEL_COMMAND_ON(info, TR4);
QAVEL_COMMAND_ON(items, TR4);
QAVEL_COMMAND_ON(triggers, TR4);
QAVEL_COMMAND_ON(info, TR1);
QAVEL_COMMAND_ON(items, TR1);
QAVEL_COMMAND_ON(triggers, TR1);

}  // namespace

BENCHMARK_MAIN();
