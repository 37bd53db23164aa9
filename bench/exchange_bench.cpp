// Speed of the exchange imports at their largest: a DXF room at the room's capacities (the vertex
// sharing is a linear search, so this is the quadratic case) and an MSH of the demo level.

#include <benchmark/benchmark.h>

#include <string>

#include "exchange/dxf_file.h"
#include "exchange/msh_file.h"
#include "level/level_reader.h"

namespace {

// A 38 x 39 grid of points (1482 vertices) covered by quads, then triangles, up to capacity.
qavel::Ttrlevel FullRoomLevel() {
  qavel::Ttrlevel level;
  level.loaded = true;
  level.version_kind = qavel::kTR4;
  level.object_textures.resize(64);
  qavel::troom room;
  auto point = [](int16_t x, int16_t z) { return qavel::tvertex2{{}, x, 0, z, 0, 0, 0}; };
  for (int16_t zi = 0; zi < 39; ++zi)
    for (int16_t xi = 0; xi < 38; ++xi) {
      room.vertices2.push_back(
          point(static_cast<int16_t>(xi * 256), static_cast<int16_t>(zi * 256)));
      room.vertices1.push_back(qavel::VertexToTr1(room.vertices2.back()));
    }
  auto at = [](int xi, int zi) { return static_cast<uint16_t>(zi * 38 + xi); };
  for (int zi = 0; zi < 38; ++zi)
    for (int xi = 0; xi < 37; ++xi) {
      const uint16_t a = at(xi, zi), b = at(xi + 1, zi), c = at(xi + 1, zi + 1), d = at(xi, zi + 1);
      room.rectangles.push_back(qavel::trectangle{{}, {a, b, c, d}, static_cast<uint16_t>(xi)});
      if (room.triangles.size() < qavel::RoomCapacity::triangles)
        room.triangles.push_back(qavel::ttriangle{{}, {a, b, c}, static_cast<uint16_t>(zi)});
    }
  level.rooms.push_back(room);
  return level;
}

void BM_DxfImportAtCapacity(benchmark::State& state) {
  const qavel::Ttrlevel level = FullRoomLevel();
  const auto dxf = qavel::WriteRoomDxfText(level, 0);
  if (!dxf) return state.SkipWithError(dxf.message().c_str());
  const std::string& text = *dxf;
  for (auto _ : state) {
    qavel::Ttrlevel copy = level;
    if (!qavel::ImportRoomDxfText(copy, 0, text, "bench.dxf").ok()) {
      state.SkipWithError("the room's own DXF was refused");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_DxfImportAtCapacity)->Unit(benchmark::kMillisecond);

void BM_MshExportImportDemo(benchmark::State& state) {
  auto read = qavel::ReadLevel(std::string(QAVEL_DATA_DIR) + "/demo.tr4");
  if (!read) return state.SkipWithError(read.message().c_str());
  qavel::Ttrlevel& level = *read;
  for (auto _ : state) {
    const qavel::Bytes msh = qavel::WriteMshBytes(level);
    if (!qavel::ImportMshBytes(level, msh, qavel::MshImportMode::kFull, "bench.msh").ok()) {
      state.SkipWithError("the demo level's own MSH was refused");
      return;
    }
  }
}
BENCHMARK(BM_MshExportImportDemo)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
