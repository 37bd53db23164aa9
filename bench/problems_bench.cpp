// The refresh of the level's problems after an edit, as the window makes it after every do and
// undo: the edit applied, the derived tables and CheckLevel made again, the new problems found.
// Levels: the largest real level, and the same level with its rooms repeated to 250 (the size of
// a game level). The goal is well under a frame (16.7 ms at 60 Hz). CheckLevel alone is measured
// beside it, in the same run.
// Run: build/bench/problems_bench [--benchmark_filter=...].

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "inspect/item_edits.h"
#include "inspect/level_bundle.h"
#include "level/level_reader.h"
#include "real_levels.h"

namespace {

namespace fs = std::filesystem;

// The level with its rooms repeated side by side until it has `rooms` (0: as it is).
bool LoadLevel(size_t rooms, qavel::Ttrlevel& out, std::string& label) {
  const std::string path = qavel::bench::LargestRealLevel(QAVEL_LEVELS_DIR);
  if (path.empty()) return false;
  auto level = qavel::ReadLevel(path);
  if (!level || level->rooms.empty()) return false;
  label = fs::path(path).filename().string();
  if (rooms > 0) {
    qavel::bench::TileRooms(*level, rooms);
    label += " tiled to " + std::to_string(rooms) + " rooms";
  }
  out = std::move(*level);
  return true;
}

void BM_CheckLevel(benchmark::State& state) {
  qavel::Ttrlevel level;
  std::string label;
  if (!LoadLevel(static_cast<size_t>(state.range(0)), level, label))
    return state.SkipWithError("no real levels present; skipped");
  state.SetLabel(label);
  for (auto _ : state) benchmark::DoNotOptimize(qavel::CheckLevel(level));
}

// An edit of the first item's object id, made and taken back in turns: each refresh checks the
// whole level again and compares its problems with those before.
void BM_RefreshAfterEdit(benchmark::State& state) {
  qavel::Ttrlevel level;
  std::string label;
  if (!LoadLevel(static_cast<size_t>(state.range(0)), level, label))
    return state.SkipWithError("no real levels present; skipped");
  if (level.items2.empty()) return state.SkipWithError("the level has no items");
  state.SetLabel(label);
  qavel::LevelBundle bundle = qavel::MakeLevelBundle(std::move(level), "");
  bundle.Problems();  // shown, as the window shows them: every refresh then checks again
  auto edit = qavel::edit::ChangeItemId(bundle.level, 0, bundle.level.items2[0].object_id + 1);
  if (!edit) return state.SkipWithError(edit.message().c_str());
  bool applied = false;
  for (auto _ : state) {
    if (applied)
      edit->Revert(bundle.level);
    else
      edit->Apply(bundle.level);
    applied = !applied;
    benchmark::DoNotOptimize(qavel::RefreshAfterEdit(bundle, edit->target()));
  }
  state.counters["problems"] = static_cast<double>(bundle.Problems().size());
}

BENCHMARK(BM_CheckLevel)->ArgName("rooms")->Arg(0)->Arg(250)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshAfterEdit)->ArgName("rooms")->Arg(0)->Arg(250)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
