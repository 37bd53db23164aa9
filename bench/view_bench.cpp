// The 3D view's rebuild and click, on the largest room (by drawn vertices) of every real level,
// against the plain work underneath:
//   SceneBuild        vs FloorPass: the scene's vertex count transformed once by a 4x4 matrix
//                        and written as 24-byte vertices into a ready array
//   SceneBuildFresh   the same build into a new list and new buffers (the first build)
//   Pick              vs BareRayLoop: the same rays against the same triangles, nothing else
// SceneBuild reports the list's bytes held per vertex drawn. SceneBuild and Pick also run on
// 65,535 copies of the first level's largest movable in one room ("TR1many").
// First runs: one of FirstBuild/G, FirstFloorPass/G, FirstFloorPassFreshArray/G per fresh
// process, e.g. build/bench/view_bench --benchmark_filter='^FirstBuild/TR2/'. The fresh array
// is memory mapped anew, never touched before; "faults" counts the minor page faults a first
// run takes, which on a virtual machine cost more than the writing itself: a build that finds
// memory its process freed before (the level's reading leaves plenty) takes almost none, one
// that needs blocks above malloc's mapping threshold meets fresh pages like the baseline.

#include <benchmark/benchmark.h>

#include <sys/mman.h>
#include <sys/resource.h>

#include <memory>
#include <optional>

#include "fixtures/many_items.h"
#include "level/level_reader.h"
#include "view/picking.h"
#include "view/scene.h"

namespace qavel {
namespace {

struct RoomScene {
  std::string generation;
  Ttrlevel level;
  MovableCatalog catalog;
  Tmesh_list meshes;
  ViewOptions options;
  std::vector<uint16_t> items;
  SceneSources Sources() const { return {level, meshes, catalog, items}; }
};

// Opens a level as the window does and takes the room whose scene draws the most vertices, its
// items and static meshes included (a room of few faces may hold many placed models). Each
// room's scene is built once into its own list, freed before the benchmark runs, so the first
// build of a process still meets memory the process has not used for a scene of that size.
std::optional<RoomScene> Open(const std::string& generation, Ttrlevel level) {
  RoomScene s;
  s.generation = generation;
  s.level = std::move(level);
  LoadMovableCatalog(s.catalog, std::string(QAVEL_DATA_DIR) + "/trcatalog.xml",
                     s.level.version_kind);
  EnterLevelMovables(s.catalog, s.level);
  BuildMeshTable(s.meshes, s.level);
  size_t most = 0;
  for (int r = 0; r < s.level.num_rooms(); ++r) {
    ViewOptions options = s.options;
    options.room = r;
    const std::vector<uint16_t> items = RoomItemEntries(s.level, r);
    DrawList list;
    LayerBuffers buffers = MainViewBuffers();
    BuildScene(list, buffers, {s.level, s.meshes, s.catalog, items}, options);
    if (list.total_vertices() > most) {
      most = list.total_vertices();
      s.options.room = r;
    }
  }
  s.items = RoomItemEntries(s.level, s.options.room);
  return s;
}

// Minor page faults of the process so far: on this kind of machine a fault on fresh memory
// costs more than writing the page, so first runs are told by how many they take.
double PageFaults() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_minflt);
}

void SceneBuild(benchmark::State& state, const RoomScene* s) {
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  for (auto _ : state) {
    BuildScene(list, buffers, s->Sources(), s->options);
    benchmark::DoNotOptimize(buffers[0].runs.data());
  }
  state.counters["room"] = s->options.room;
  state.counters["vertices"] = double(list.total_vertices());
  state.counters["bytes_per_vertex"] = double(list.bytes_held()) / double(list.total_vertices());
  state.SetItemsProcessed(state.iterations() * int64_t(list.total_vertices()));
}

void SceneBuildFresh(benchmark::State& state, const RoomScene* s) {
  const double faults = PageFaults();
  for (auto _ : state) {
    DrawList list;
    LayerBuffers buffers = MainViewBuffers();
    BuildScene(list, buffers, s->Sources(), s->options);
    benchmark::DoNotOptimize(buffers[0].runs.data());
  }
  state.counters["faults"] = (PageFaults() - faults) / double(state.iterations());
}

// The floor pass; with fresh_array, into an array made within the timing (first-run baseline
// of a build that must find new memory for its buffer, as a first build does).
void FloorPassInto(benchmark::State& state, const RoomScene* s, bool fresh_array) {
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  BuildScene(list, buffers, s->Sources(), s->options);
  struct In {
    float x, y, z, u, v;
  };
  std::vector<In> in;
  list.ForEachTriangle([&](const BufferVertex* v, const TriangleInfo&) {
    for (int c = 0; c < 3; ++c) in.push_back({v[c].x, v[c].y, v[c].z, v[c].u, v[c].v});
  });
  std::vector<BufferVertex> warm(in.size());
  // The fresh array is memory the process has never touched, mapped anew for every pass (what
  // malloc hands out depends on what the process freed before; the kernel's fresh pages do not).
  const size_t bytes = in.size() * sizeof(BufferVertex);
  std::vector<void*> mapped;
  const Mat4 m = Multiply(RotationY(0.3f), Translation(1, 2, 3));
  const double faults = PageFaults();
  for (auto _ : state) {
    BufferVertex* out = warm.data();
    if (fresh_array) {
      void* fresh =
          mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (fresh == MAP_FAILED) return state.SkipWithError("no memory");
      mapped.push_back(fresh);
      out = static_cast<BufferVertex*>(fresh);
    }
    for (size_t i = 0; i < in.size(); ++i) {
      const Vec3 p = TransformPoint(m, in[i].x, in[i].y, in[i].z);
      out[i] = {p.x, p.y, p.z, 0xFFFFFFFF, in[i].u, in[i].v};
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
    if (mapped.size() > 64) {
      state.PauseTiming();
      for (void* p : mapped) munmap(p, bytes);
      mapped.clear();
      state.ResumeTiming();
    }
  }
  state.counters["faults"] = (PageFaults() - faults) / double(state.iterations());
  for (void* p : mapped) munmap(p, bytes);
  state.SetItemsProcessed(state.iterations() * int64_t(in.size()));
}
void FloorPass(benchmark::State& state, const RoomScene* s) {
  FloorPassInto(state, s, false);
}
void FloorPassFreshArray(benchmark::State& state, const RoomScene* s) {
  FloorPassInto(state, s, true);
}

// 64 pixels over an 800 x 600 view of the centred room.
struct PickSetup {
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  FrameMatrices frame;
  std::vector<std::pair<int, int>> pixels;
  explicit PickSetup(const RoomScene* s) {
    const SceneResult res = BuildScene(list, buffers, s->Sources(), s->options);
    TGLViewport vp;
    vp.SetControlSize(800, 600);
    vp.box = res.placement->box;
    vp.CentreOnBox();
    frame = vp.Matrices();
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) pixels.emplace_back(50 + 100 * x, 37 + 75 * y);
  }
};

void PickBench(benchmark::State& state, const RoomScene* s) {
  PickSetup p(s);
  int hits = 0;
  for (auto _ : state)
    for (auto [x, y] : p.pixels) hits += Pick(p.list, p.frame, x, y).has_value();
  state.counters["hits"] = double(hits) / double(state.iterations());
  state.counters["triangles"] = double(p.list.total_vertices() / 3);
}

void BareRayLoop(benchmark::State& state, const RoomScene* s) {
  PickSetup p(s);
  struct Tri {
    float v[9];
  };
  std::vector<Tri> tris;
  p.list.ForEachTriangle([&](const BufferVertex* v, const TriangleInfo&) {
    tris.push_back({{v[0].x, v[0].y, v[0].z, v[1].x, v[1].y, v[1].z, v[2].x, v[2].y, v[2].z}});
  });
  std::vector<PickRay> rays;
  for (auto [x, y] : p.pixels) rays.push_back(RayThroughPixel(p.frame, x, y));
  int hits = 0;
  for (auto _ : state) {
    for (const PickRay& r : rays) {
      double best = 1e300;
      const double *o = r.origin, *d = r.direction;
      for (const Tri& tri : tris) {
        const float* v = tri.v;
        const double e1[3] = {v[3] - v[0], v[4] - v[1], v[5] - v[2]};
        const double e2[3] = {v[6] - v[0], v[7] - v[1], v[8] - v[2]};
        const double q0[3] = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2],
                              d[0] * e2[1] - d[1] * e2[0]};
        const double det = e1[0] * q0[0] + e1[1] * q0[1] + e1[2] * q0[2];
        if (det < 0.0001) continue;
        const double s0[3] = {o[0] - v[0], o[1] - v[1], o[2] - v[2]};
        const double u = s0[0] * q0[0] + s0[1] * q0[1] + s0[2] * q0[2];
        if (u < 0 || u > det) continue;
        const double q[3] = {s0[1] * e1[2] - s0[2] * e1[1], s0[2] * e1[0] - s0[0] * e1[2],
                             s0[0] * e1[1] - s0[1] * e1[0]};
        const double w = d[0] * q[0] + d[1] * q[1] + d[2] * q[2];
        if (w < 0 || u + w > det) continue;
        const double dist = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) / det;
        if (dist >= 0 && dist < best) best = dist;
      }
      hits += best < 1e300;
    }
  }
  state.counters["hits"] = double(hits) / double(state.iterations());
}

}  // namespace
}  // namespace qavel

int main(int argc, char** argv) {
  using namespace qavel;
  static std::vector<RoomScene> scenes;
  static std::unique_ptr<RoomScene> many;
  for (const char* g : {"TR1", "TR2", "TR3", "TR4", "TR5"}) {
    const std::string dir = std::string(QAVEL_LEVELS_DIR) + "/" + g;
    for (const char* name : {"TEST1.PHD", "TEST1.TR2", "TEST1.TR4", "TEST1.TRC"})
      if (auto read = ReadLevel(dir + "/" + name)) {
        if (auto s = Open(g, std::move(*read))) scenes.push_back(std::move(*s));
        break;
      }
  }
  if (scenes.empty()) std::fprintf(stderr, "no real levels in %s\n", QAVEL_LEVELS_DIR);
  // 65,535 copies of the largest movable of the first level in one room: what the budget and
  // the placed models are for.
  if (!scenes.empty()) {
    const RoomScene& first = scenes.front();
    const size_t best = test::LargestMovableItem(first.level, first.catalog, first.meshes);
    if (auto s = Open(first.generation + "many",
                      test::WithManyItems(first.level, first.level.items2[best], 0))) {
      s->options.room = 0;
      s->items = RoomItemEntries(s->level, 0);
      many = std::make_unique<RoomScene>(std::move(*s));
    }
  }
  for (const RoomScene& s : scenes) {
    const std::string g = "/" + s.generation;
    benchmark::RegisterBenchmark(("SceneBuild" + g).c_str(), SceneBuild, &s)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("SceneBuildFresh" + g).c_str(), SceneBuildFresh, &s)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("FloorPass" + g).c_str(), FloorPass, &s)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("Pick" + g).c_str(), PickBench, &s)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BareRayLoop" + g).c_str(), BareRayLoop, &s)
        ->Unit(benchmark::kMicrosecond);
    // One build in a process that has built nothing yet: run with a filter, one per process.
    benchmark::RegisterBenchmark(("FirstBuild" + g).c_str(), SceneBuildFresh, &s)
        ->Iterations(1)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("FirstFloorPass" + g).c_str(), FloorPass, &s)
        ->Iterations(1)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("FirstFloorPassFreshArray" + g).c_str(), FloorPassFreshArray, &s)
        ->Iterations(1)
        ->Unit(benchmark::kMicrosecond);
  }
  if (many) {
    const std::string g = "/" + many->generation;
    benchmark::RegisterBenchmark(("SceneBuild" + g).c_str(), SceneBuild, many.get())
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("Pick" + g).c_str(), PickBench, many.get())
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
