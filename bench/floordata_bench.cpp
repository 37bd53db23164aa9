// Floor data at open and on every map redraw, against the plain work underneath:
//   ParseFloorData        vs one pass copying the stream's words
//   BuildSectorMap        vs one pass reading every sector's record
//   PaintSectorMap + PNG  (the map command's whole output)
// Streams: the demo level's, and the same groups repeated to the length of a large level.
// Run: build/bench/floordata_bench [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <string>

#include "floordata/floor_data.h"
#include "floordata/sector_map.h"
#include "level/level_reader.h"

namespace {

const qavel::Ttrlevel& Demo() {
  static const qavel::Ttrlevel level = [] {
    auto read = qavel::ReadLevel(std::string(QAVEL_DATA_DIR) + "/demo.tr4");
    return read ? std::move(*read) : qavel::Ttrlevel{};
  }();
  return level;
}

// The demo's groups repeated until the stream is about 60000 words, as in a large level.
std::vector<uint16_t> LargeStream() {
  const auto& words = Demo().floor_data;
  std::vector<uint16_t> out = {0};
  while (out.size() < 60000 && words.size() > 1)
    out.insert(out.end(), words.begin() + 1, words.end());
  return out;
}

void BM_ParseFloorData(benchmark::State& state) {
  const auto words = state.range(0) ? LargeStream() : Demo().floor_data;
  for (auto _ : state) benchmark::DoNotOptimize(qavel::ParseFloorData(words));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_ParseFloorData)->Arg(0)->Arg(1);

void BM_CopyStream(benchmark::State& state) {
  const auto words = state.range(0) ? LargeStream() : Demo().floor_data;
  for (auto _ : state) {
    std::vector<uint16_t> copy(words);
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_CopyStream)->Arg(0)->Arg(1);

void BM_BuildSectorMap(benchmark::State& state) {
  const auto fd = qavel::ParseFloorData(Demo());
  for (auto _ : state)
    for (size_t r = 0; r < Demo().rooms.size(); ++r)
      benchmark::DoNotOptimize(qavel::BuildSectorMap(Demo(), fd, r, 2, 2));
}
BENCHMARK(BM_BuildSectorMap);

void BM_ReadSectors(benchmark::State& state) {
  for (auto _ : state) {
    unsigned sum = 0;
    for (const auto& room : Demo().rooms)
      for (const auto& s : room.sectors) sum += s.fd_index + s.room_above + s.room_below;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadSectors);

void BM_PaintAndEncodeMap(benchmark::State& state) {
  const auto fd = qavel::ParseFloorData(Demo());
  const auto map = qavel::BuildSectorMap(Demo(), fd, 0, 2, 2);
  for (auto _ : state) benchmark::DoNotOptimize(qavel::EncodePng(qavel::PaintSectorMap(map)));
}
BENCHMARK(BM_PaintAndEncodeMap);

}  // namespace

BENCHMARK_MAIN();
