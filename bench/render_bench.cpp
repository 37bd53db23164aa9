// The 3D view's frames under the OpenGL the machine has (llvmpipe in software here), on the
// largest room (by faces) of every real level and the demo level, at 1280 x 720:
//   Rotate      one frame of a continuous right-drag rotation: the world matrix changes, the
//               buffers do not (what the view does for every mouse move)
//   EmptyFrame  the baseline: the same frame with nothing in the buffers (clear and finish)
//   Rebuild     a scene rebuild and the frame that uploads it (after a selection or an edit)
//   BuildOnly   the rebuild's scene build alone, without the GL work
// The rooms: the demo level's and each real level's largest, and 65,535 copies of the largest
// movable of the first real level in one room ("TR1many"), drawn up to the view's budget.
// Frames per second are items_per_second of Rotate. The /busy variants keep the other core
// busy with a spinning process of ours. Needs a display: run under xvfb-run.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>
#include <filesystem>
#include <memory>

#include "exchange/catalog_movables.h"
#include "fixtures/many_items.h"
#include "level/level_reader.h"
#include "render/offscreen_view.h"
#include "textures/atlas.h"
#include "view/scene.h"

namespace qavel {
namespace {

constexpr int kWidth = 1280, kHeight = 720;

struct Room {
  std::string name;
  Ttrlevel level;
  MovableCatalog catalog;
  Tmesh_list meshes;
  std::vector<uint16_t> items;
  TextureStore store;
  ViewOptions options;
  size_t triangles = 0;
  SceneSources Sources() const { return {level, meshes, catalog, items}; }
};

std::unique_ptr<Room> Open(const std::string& name, Ttrlevel level) {
  auto r = std::make_unique<Room>();
  r->name = name;
  r->level = std::move(level);
  LoadMovableCatalog(r->catalog, std::string(QAVEL_DATA_DIR) + "/trcatalog.xml",
                     r->level.version_kind);
  EnterLevelMovables(r->catalog, r->level);
  BuildMeshTable(r->meshes, r->level);
  LoadViewTextures(r->store, std::string(QAVEL_DATA_DIR) + "/texture1.jpg",
                   std::string(QAVEL_DATA_DIR) + "/colored.bmp");
  AddLevelPages(r->store, BuildAtlas(r->level), 0);
  size_t most = 0;
  for (int k = 0; k < r->level.num_rooms(); ++k) {
    const troom& room = r->level.rooms[size_t(k)];
    const size_t faces = 2 * room.rectangles.size() + room.triangles.size();
    if (faces >= most) {
      most = faces;
      r->options.room = k;
    }
  }
  r->items = RoomItemEntries(r->level, r->options.room);
  return r;
}

// A process of ours spinning on the other core while a /busy benchmark runs.
class BusyCore {
 public:
  explicit BusyCore(bool on) {
    if (!on) return;
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      volatile unsigned long n = 0;
      for (;;) n = n + 1;
    }
  }
  ~BusyCore() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

 private:
  pid_t pid_ = -1;
};

std::unique_ptr<OffscreenView> g_view;  // made in main, after the application
OffscreenView* View() {
  return g_view.get();
}

// A scene built and centred as the window shows it after the room was selected.
struct Shown {
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  TGLViewport viewport;
  explicit Shown(const Room& r) {
    const SceneResult res = BuildScene(list, buffers, r.Sources(), r.options);
    viewport.SetControlSize(kWidth, kHeight);
    viewport.SetBackgroundColor(0x808000);
    viewport.box = res.placement->box;
    viewport.CentreOnBox();
  }
};

void Rotate(benchmark::State& state, const Room* r, bool busy) {
  OffscreenView* view = View();
  if (!view) return state.SkipWithError("no OpenGL 3.3");
  Shown s(*r);
  (void)view->Draw(s.list, s.buffers, s.viewport.Matrices(), s.viewport.ClearColour(), r->store);
  const BusyCore spinner(busy);
  s.viewport.MouseDown({.right = true}, 0, 0);
  int x = 0;
  for (auto _ : state) {
    s.viewport.MouseMove({.right = true}, ++x % 400, 0);
    (void)view->Draw(s.list, s.buffers, s.viewport.Matrices(), s.viewport.ClearColour(), r->store);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["triangles"] = double(s.list.total_vertices() / 3);
}

void EmptyFrame(benchmark::State& state, bool busy) {
  OffscreenView* view = View();
  if (!view) return state.SkipWithError("no OpenGL 3.3");
  const DrawList nothing;
  const LayerBuffers empty = MainViewBuffers();
  const TextureStore store;
  TGLViewport vp;
  vp.SetControlSize(kWidth, kHeight);
  const BusyCore spinner(busy);
  for (auto _ : state) (void)view->Draw(nothing, empty, vp.Matrices(), vp.ClearColour(), store);
  state.SetItemsProcessed(state.iterations());
}

void Rebuild(benchmark::State& state, const Room* r, bool gl) {
  OffscreenView* view = gl ? View() : nullptr;
  if (gl && !view) return state.SkipWithError("no OpenGL 3.3");
  Shown s(*r);
  if (view)
    (void)view->Draw(s.list, s.buffers, s.viewport.Matrices(), s.viewport.ClearColour(), r->store);
  for (auto _ : state) {
    BuildScene(s.list, s.buffers, r->Sources(), r->options);
    if (view)
      (void)view->Draw(s.list, s.buffers, s.viewport.Matrices(), s.viewport.ClearColour(),
                       r->store);
  }
}

}  // namespace
}  // namespace qavel

int main(int argc, char** argv) {
  using namespace qavel;
  ChooseHeadlessPlatform();
  static int qt_argc = 1;
  static char name[] = "render_bench";
  static char* qt_argv[] = {name, nullptr};
  QGuiApplication app(qt_argc, qt_argv);
  static std::vector<std::unique_ptr<Room>> rooms;
  if (auto read = ReadLevel(std::string(QAVEL_DATA_DIR) + "/demo.tr4"))
    rooms.push_back(Open("demo", std::move(*read)));
  for (const char* g : {"TR1", "TR2", "TR3", "TR4", "TR5"}) {
    std::error_code ec;
    for (const auto& e :
         std::filesystem::directory_iterator(std::string(QAVEL_LEVELS_DIR) + "/" + g, ec))
      if (e.is_regular_file() && e.path().filename() != "README.md")
        if (auto read = ReadLevel(e.path().string())) {
          rooms.push_back(Open(g, std::move(*read)));
          break;
        }
  }
  // 65,535 copies of the largest movable of the first real level (else the demo's) in one room.
  if (!rooms.empty()) {
    const Room& first = rooms.size() > 1 ? *rooms[1] : *rooms[0];
    const size_t best = test::LargestMovableItem(first.level, first.catalog, first.meshes);
    auto many =
        Open(first.name + "many", test::WithManyItems(first.level, first.level.items2[best], 0));
    many->options.room = 0;
    many->items = RoomItemEntries(many->level, 0);
    rooms.push_back(std::move(many));
  }
  g_view = std::make_unique<OffscreenView>();
  if (const Result made = g_view->Create(kWidth, kHeight); !made) {
    std::fprintf(stderr, "render_bench: %s\n", made.message().c_str());
    g_view.reset();
  }
  for (bool busy : {false, true}) {
    const std::string tail = busy ? "/busy" : "";
    benchmark::RegisterBenchmark(("EmptyFrame" + tail).c_str(), EmptyFrame, busy)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    for (const auto& r : rooms)
      benchmark::RegisterBenchmark(("Rotate/" + r->name + tail).c_str(), Rotate, r.get(), busy)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
  }
  for (const auto& r : rooms) {
    benchmark::RegisterBenchmark(("Rebuild/" + r->name).c_str(), Rebuild, r.get(), true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("BuildOnly/" + r->name).c_str(), Rebuild, r.get(), false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_view.reset();
  return 0;
}
