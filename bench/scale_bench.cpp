// The whole-level view at the size of a real game level: 256 rooms on a 16 x 16 grid, each room
// the faces (at least 400) of one of the demo level's rooms (with its static meshes) or of the
// real levels' rooms where they are present (their faces only: their meshes and texture pieces
// belong to their own level), copied in layers one above the other until it holds that many,
// joined to its neighbours by portals. Measured in
// one fresh process, against the largest single room of the same level in Room mode:
//   build    the scene build (Level mode: every room at its place)
//   upload   the first frame after the build, which fills the driver's buffers
//   frame    a frame at 1280 x 720 once uploaded: in Level mode from a free camera in the middle
//            of the middle room looking along its row, and from above framing the whole level
//   memory   growth of the peak resident memory from building and uploading Level mode (the
//            driver's copies included) per vertex drawn
// The memory is measured first, before anything else has grown the process, as a user meets it:
// after one room has been shown (as the window opens on one), so that the texture pages are
// with the driver and the driver has compiled its shaders (a cost of its own, the same for any
// scene, reported apart). Medians of several
// runs; run under xvfb-run. "--busy" keeps the other core busy with a spinning process of ours.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <span>

#include "exchange/catalog_movables.h"
#include "level/level_reader.h"
#include "render/offscreen_view.h"
#include "textures/atlas.h"
#include "view/level_scene.h"

namespace qavel {
namespace {

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kGrid = 16;
constexpr size_t kFacesPerRoom = 400;

long PeakKiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

double Seconds(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(int runs, const std::function<double()>& f) {
  std::vector<double> t;
  for (int k = 0; k < runs; ++k) t.push_back(f());
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

// The rooms the grid is tiled with: the demo level's, then every room with faces of the real
// levels present, without the static meshes of a level not their own.
std::vector<troom> SourceRooms(const Ttrlevel& demo, int& real_levels) {
  std::vector<troom> out = demo.rooms;
  real_levels = 0;
  for (const char* g : {"TR1", "TR2", "TR3", "TR4", "TR5"})
    for (const char* name : {"TEST1.PHD", "TEST1.TR2", "TEST1.TR4", "TEST1.TRC"}) {
      auto read = ReadLevel(std::string(QAVEL_LEVELS_DIR) + "/" + g + "/" + name);
      if (!read) continue;
      ++real_levels;
      for (troom r : read->rooms) {
        if (r.rectangles.empty() && r.triangles.empty()) continue;
        r.statics1.clear();
        r.statics2.clear();
        r.vertices5.clear();  // the grid is a TR4 level
        out.push_back(std::move(r));
      }
      break;
    }
  return out;
}

// The source rooms tiled on the grid: room (col, row) is a copy of source room
// (col + row) mod n, its faces repeated in layers of its own height until there are enough.
Ttrlevel ScaleLevel(const Ttrlevel& demo, const std::vector<troom>& sources) {
  Ttrlevel level = demo;
  level.rooms.clear();
  level.items1.clear();
  level.items2.clear();
  level.aux_items.clear();
  int cell = 1;
  for (const troom& r : sources)
    cell = std::max<int>(cell, std::max(r.num_x_sectors, r.num_z_sectors));
  for (int row = 0; row < kGrid; ++row)
    for (int col = 0; col < kGrid; ++col) {
      const troom& source = sources[size_t(col * 7 + row) % sources.size()];
      troom room = source;
      room.x = col * cell * 1024;
      room.z = row * cell * 1024;
      room.alternate_room = -1;
      room.portals.clear();
      const size_t faces = source.rectangles.size() + source.triangles.size();
      const int16_t height = static_cast<int16_t>(std::abs(source.y_bottom - source.y_top));
      for (int copy = 1;
           faces > 0 && room.rectangles.size() + room.triangles.size() < kFacesPerRoom; ++copy) {
        const auto base = static_cast<uint16_t>(room.vertices2.size());
        // Appended as they are, never merged with a point of the layer below: the faces
        // copied count on every vertex of the copy standing at base + its own index.
        for (tvertex2 v : source.vertices2) {
          v.y = static_cast<int16_t>(v.y - copy * height);
          room.vertices2.push_back(v);
          room.vertices1.push_back(VertexToTr1(v));
        }
        for (trectangle f : source.rectangles) {
          for (uint16_t& i : f.vertices) i = static_cast<uint16_t>(i + base);
          room.rectangles.push_back(f);
        }
        for (ttriangle f : source.triangles) {
          for (uint16_t& i : f.vertices) i = static_cast<uint16_t>(i + base);
          room.triangles.push_back(f);
        }
      }
      for (tstatic2& s : room.statics2) {
        s.x += room.x - source.x;
        s.z += room.z - source.z;
      }
      for (tstatic1& s : room.statics1) {
        s.x += room.x - source.x;
        s.z += room.z - source.z;
      }
      level.rooms.push_back(std::move(room));
    }
  // Portals to the room east and north, and back.
  auto join = [&](int a, int b, bool east) {
    for (const auto& [from, to, sign] : {std::tuple{a, b, 1}, std::tuple{b, a, -1}}) {
      tportal p{};
      p.adjoining_room = static_cast<uint16_t>(to);
      const auto edge = static_cast<int16_t>(sign > 0 ? cell * 1024 : 0);
      const int16_t c[12] = {edge, 0, 0, edge, 0, 1024, edge, -1024, 1024, edge, -1024, 0};
      for (int k = 0; k < 4; ++k) {
        p.vertices[3 * k] = east ? c[3 * k] : c[3 * k + 2];
        p.vertices[3 * k + 1] = c[3 * k + 1];
        p.vertices[3 * k + 2] = east ? c[3 * k + 2] : c[3 * k];
      }
      p.normal[east ? 0 : 2] = static_cast<int16_t>(-sign);
      level.rooms[size_t(from)].portals.push_back(p);
    }
  };
  for (int row = 0; row < kGrid; ++row)
    for (int col = 0; col < kGrid; ++col) {
      const int r = row * kGrid + col;
      if (col + 1 < kGrid) join(r, r + 1, true);
      if (row + 1 < kGrid) join(r, r + kGrid, false);
    }
  return level;
}

struct Shown {
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  LevelScene scene;
  SceneResult room_scene;
  TGLViewport viewport;
};

pid_t Spin() {
  const pid_t pid = fork();
  if (pid == 0) {
    volatile unsigned long n = 0;
    for (;;) n = n + 1;
  }
  return pid;
}

int Run(int argc, char** argv) {
  const bool busy = argc > 1 && std::strcmp(argv[1], "--busy") == 0;
  auto demo = ReadLevel(std::string(QAVEL_DATA_DIR) + "/demo.tr4");
  if (!demo) {
    std::fprintf(stderr, "scale_bench: %s\n", demo.message().c_str());
    return 1;
  }
  static int qt_argc = 1;
  static char name[] = "scale_bench";
  static char* qt_argv[] = {name, nullptr};
  QGuiApplication app(qt_argc, qt_argv);
  int real_levels = 0;
  const std::vector<troom> source_rooms = SourceRooms(*demo, real_levels);
  const Ttrlevel level = ScaleLevel(*demo, source_rooms);
  MovableCatalog catalog;
  LoadMovableCatalog(catalog, std::string(QAVEL_DATA_DIR) + "/trcatalog.xml", level.version_kind);
  EnterLevelMovables(catalog, level);
  Tmesh_list meshes;
  BuildMeshTable(meshes, level);
  TextureStore store;
  LoadViewTextures(store, std::string(QAVEL_DATA_DIR) + "/texture1.jpg",
                   std::string(QAVEL_DATA_DIR) + "/colored.bmp");
  AddLevelPages(store, BuildAtlas(level), 0);
  OffscreenView view;
  if (const Result made = view.Create(kWidth, kHeight); !made) {
    std::fprintf(stderr, "scale_bench: %s\n", made.message().c_str());
    return 1;
  }
  const pid_t spinner = busy ? Spin() : 0;
  const SceneSources sources{level, meshes, catalog, {}};
  const std::vector<int> all = LevelRooms(level, false);
  int largest = 0;
  size_t most = 0, faces = 0;
  for (int r = 0; r < level.num_rooms(); ++r) {
    const troom& room = level.rooms[size_t(r)];
    const size_t n = room.rectangles.size() + room.triangles.size();
    faces += n;
    if (n > most) most = n, largest = r;
  }
  ViewOptions options;
  options.room = largest;
  const int middle = (kGrid / 2) * kGrid + kGrid / 2;

  // Memory first, in the fresh process: build and upload Level mode, once one room has been
  // shown. The texture pages go to the driver at the first frame (an empty one), the shaders are
  // compiled at the first frame that draws (room 0's).
  const long start = PeakKiB();
  {
    DrawList nothing;
    LayerBuffers empty = MainViewBuffers();
    TGLViewport vp;
    vp.SetControlSize(kWidth, kHeight);
    (void)view.Draw(nothing, empty, vp.Matrices(), vp.ClearColour(), store);
  }
  const long paged = PeakKiB();
  auto draw = [&](Shown& s, bool rooms) {
    const FrameMatrices frame = s.viewport.Matrices();
    const RoomDraw d = MakeRoomDraw(s.scene, frame, {.selected = middle}, &level);
    (void)view.Draw(s.list, s.buffers, frame, s.viewport.ClearColour(), store,
                    rooms ? &d : nullptr);
  };
  // A room alone, as Room mode shows it, of its item entries.
  auto build_room = [&](Shown& s, int r, std::span<const uint16_t> entries) {
    ViewOptions o = options;
    o.room = r;
    s.room_scene = BuildScene(s.list, s.buffers, {level, meshes, catalog, entries}, o);
    s.viewport.box = s.room_scene.placement->box;
    s.viewport.CentreOnBox();
  };
  {
    Shown first;
    first.viewport.SetControlSize(kWidth, kHeight);
    build_room(first, 0, RoomItemEntries(level, 0));
    draw(first, false);
  }
  auto whole = std::make_unique<Shown>();
  whole->viewport.SetControlSize(kWidth, kHeight);
  const long before = PeakKiB();
  double first_build = Seconds(
      [&] { whole->scene = BuildLevelScene(whole->list, whole->buffers, sources, options, all); });
  const long built = PeakKiB();
  whole->viewport.FrameFromAbove(whole->scene.frame_box);
  const double first_upload = Seconds([&] { draw(*whole, true); });
  const long after = PeakKiB();
  const size_t vertices = whole->list.total_vertices();

  // The largest room alone, as Room mode shows it.
  auto room = std::make_unique<Shown>();
  room->viewport.SetControlSize(kWidth, kHeight);
  const auto items = RoomItemEntries(level, largest);
  auto build_largest = [&] { build_room(*room, largest, items); };
  const double room_first_build = Seconds(build_largest);
  const double room_first_upload = Seconds([&] { draw(*room, false); });

  constexpr int kRuns = 9;
  const double level_build = Median(kRuns, [&] {
    return Seconds([&] {
      whole->scene = BuildLevelScene(whole->list, whole->buffers, sources, options, all);
    });
  });
  const double room_build = Median(kRuns, [&] { return Seconds(build_largest); });
  const double level_upload = Median(kRuns, [&] {
    whole->scene = BuildLevelScene(whole->list, whole->buffers, sources, options, all);
    return Seconds([&] { draw(*whole, true); });
  });
  const double room_upload = Median(kRuns, [&] {
    build_largest();
    return Seconds([&] { draw(*room, false); });
  });
  const double room_frame = Median(kRuns, [&] { return Seconds([&] { draw(*room, false); }); });
  whole->viewport.FrameFromAbove(whole->scene.frame_box);
  const double above = Median(kRuns, [&] { return Seconds([&] { draw(*whole, true); }); });
  // The middle of the middle room, at half its height, looking east along its row.
  const troom& m = level.rooms[size_t(middle)];
  whole->viewport.SetLookCamera(LookCamera::FromWorld(m.x + m.num_x_sectors * 512.0,
                                                      (m.y_top + m.y_bottom) / 2.0,
                                                      m.z + m.num_z_sectors * 512.0, 90, 0));
  const double inside = Median(kRuns, [&] { return Seconds([&] { draw(*whole, true); }); });
  const std::vector<uint8_t> seen =
      RoomsSeenThroughPortals(whole->scene, level, whole->viewport.Matrices());
  if (spinner > 0) {
    kill(spinner, SIGKILL);
    waitpid(spinner, nullptr, 0);
  }

  std::printf(
      "scale level: %d rooms (tiled from %zu rooms of the demo and %d real levels), %zu faces, "
      "%zu vertices drawn; largest room %d: %zu faces%s\n",
      level.num_rooms(), source_rooms.size(), real_levels, faces, vertices, largest, most,
      busy ? " (other core busy)" : "");
  auto line = [](const char* what, double level_s, double room_s, double goal_ms) {
    std::printf("%-34s level %8.2f ms  room %7.2f ms  ratio %7.1f  goal %s%.0f ms\n", what,
                level_s * 1e3, room_s * 1e3, level_s / room_s, goal_ms > 0 ? "< " : "-", goal_ms);
  };
  line("scene build, first", first_build, room_first_build, 100);
  line("scene build, median", level_build, room_build, 100);
  line("upload frame, first", first_upload, room_first_upload, 0);
  line("upload frame, median", level_upload, room_upload, 0);
  line("frame inside, looking along a row", inside, room_frame, 33);
  line("frame from above, whole level", above, room_frame, 66);
  size_t visible = 0;
  for (uint8_t v : seen) visible += v;
  std::printf("rooms drawn from inside: %zu of %zu\n", visible, seen.size());
  std::printf("memory: the texture pages %ld KiB, the first room's frame (shaders) %ld KiB\n",
              paged - start, before - paged);
  std::printf("memory: the build %ld KiB, the upload %ld KiB\n", built - before, after - built);
  std::printf("memory: peak grew %ld KiB for %zu vertices: %.1f bytes per vertex (goal <= 96)\n",
              after - before, vertices, (after - before) * 1024.0 / std::max<size_t>(1, vertices));
  return 0;
}

}  // namespace
}  // namespace qavel

int main(int argc, char** argv) {
  return qavel::Run(argc, argv);
}
