// Opening a level's textures: the atlas and the five mosaics, against one plain read of every
// page texel (the least any conversion must do). Compare the times of one run with each other.

#include <benchmark/benchmark.h>

#include <random>

#include "pieces/texture_pieces.h"
#include "textures/atlas.h"
#include "textures/texture_panels.h"

namespace qavel {
namespace {

tobject_texture Quad(uint16_t page, int x, int y, int w, int h) {
  tobject_texture t{};
  t.tile = page;
  const auto x0 = uint8_t(x), x1 = uint8_t(x + w - 1), y0 = uint8_t(y), y1 = uint8_t(y + h - 1);
  SetCorner(t, 0, {1, x0, 1, y0});
  SetCorner(t, 1, {255, x1, 1, y0});
  SetCorner(t, 2, {255, x1, 255, y1});
  SetCorner(t, 3, {1, x0, 255, y1});
  return t;
}

// A 32-page TR4 level with random texels and about 2000 pieces laid out as level editors lay
// them: 64-wide quads of the five mosaic sizes, triangles over them and small odd pieces.
const Ttrlevel& BigLevel() {
  static const Ttrlevel level = [] {
    Ttrlevel L;
    L.version_kind = kTR4;
    L.num_pages = 32;
    std::mt19937 rng(7);
    Bytes pages(size_t{L.num_pages} * 131072);
    for (auto& b : pages) b = uint8_t(rng());
    L.pages16 = SharedBlock::Of(std::move(pages));
    for (uint16_t p = 0; p < L.num_pages; ++p) {
      for (int k = 0; k < 8; ++k)
        L.object_textures.push_back(Quad(p, (k % 4) * 64, (k / 4) * 64, 64, 64));
      for (int k = 0; k < 4; ++k) L.object_textures.push_back(Quad(p, k * 64, 128, 64, 48));
      for (int k = 0; k < 4; ++k) L.object_textures.push_back(Quad(p, k * 64, 176, 64, 32));
      for (int k = 0; k < 4; ++k) L.object_textures.push_back(Quad(p, k * 64, 208, 64, 16));
      L.object_textures.push_back(Quad(p, 0, 0, 128, 128));
      for (int k = 0; k < 16; ++k) {
        tobject_texture t = Quad(p, (k % 4) * 64, (k / 4) * 64, 64, 64);
        SetCorner(t, 3, {0, 0, 0, 0});
        L.object_textures.push_back(t);
      }
      for (int k = 0; k < 25; ++k)
        L.object_textures.push_back(Quad(p, int(rng() % 200), int(rng() % 200), 8 + k, 8 + k));
    }
    return L;
  }();
  return level;
}

void ReadEveryPageTexel(benchmark::State& state) {
  const Ttrlevel& level = BigLevel();
  const uint8_t* bytes = level.pages16.bytes();
  const size_t words = level.pages16.size() / 2;
  for (auto _ : state) {
    uint32_t sum = 0;
    for (size_t i = 0; i < words; ++i) {
      uint16_t w;
      std::memcpy(&w, bytes + 2 * i, 2);
      sum += w;
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(ReadEveryPageTexel)->Unit(benchmark::kMicrosecond);

void BuildAtlasOnly(benchmark::State& state) {
  const Ttrlevel& level = BigLevel();
  for (auto _ : state) benchmark::DoNotOptimize(BuildAtlas(level));
}
BENCHMARK(BuildAtlasOnly)->Unit(benchmark::kMicrosecond);

void BuildMosaicsFromAtlas(benchmark::State& state) {
  const Ttrlevel& level = BigLevel();
  const QImage atlas = BuildAtlas(level);
  Ttabla_textures table;
  TexturePanels panels;
  for (auto _ : state) {
    BuildTextureViews(level, atlas, table, panels);
    benchmark::DoNotOptimize(panels[0].bitmap.constBits());
  }
}
BENCHMARK(BuildMosaicsFromAtlas)->Unit(benchmark::kMicrosecond);

void BuildAtlasAndMosaics(benchmark::State& state) {
  const Ttrlevel& level = BigLevel();
  Ttabla_textures table;
  TexturePanels panels;  // kept across runs, as the window keeps them across opens
  for (auto _ : state) {
    BuildTextureViews(level, table, panels);
    benchmark::DoNotOptimize(panels[0].bitmap.constBits());
  }
  state.counters["pieces"] =
      double(panels[0].piece_count + panels[1].piece_count + panels[2].piece_count +
             panels[3].piece_count + panels[4].piece_count);
}
BENCHMARK(BuildAtlasAndMosaics)->Unit(benchmark::kMicrosecond);

// The first open of a session: every bitmap is new memory.
void BuildAtlasAndMosaicsFresh(benchmark::State& state) {
  const Ttrlevel& level = BigLevel();
  for (auto _ : state) {
    Ttabla_textures table;
    TexturePanels panels;
    BuildTextureViews(level, table, panels);
    benchmark::DoNotOptimize(panels[0].bitmap.constBits());
  }
}
BENCHMARK(BuildAtlasAndMosaicsFresh)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qavel

BENCHMARK_MAIN();
