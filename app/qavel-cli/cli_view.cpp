// scene and pick: the 3D view's scene of a room as numbers, and what a click at a pixel selects.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "cli_view.h"
#include "view/picking.h"

namespace qavel::cli {

const char* const kViewUsage =
    "[--wireframe-room] [--wireframe-objects] [--hide-items] [--hide-statics] "
    "[--standard-room] [--room-lighting] [--item N] [--static N] [--catalog FILE] [--neighbours N "
    "| --level] "
    "[--flipped] [--portals] [--camera X,Y,Z,YAW,PITCH]";

namespace {

// "X,Y,Z,YAW,PITCH": a free camera in world units, heading and pitch in degrees.
Result ParseCamera(const std::string& text, LookCamera& camera) {
  double v[5] = {};
  size_t at = 0;
  for (int k = 0; k < 5; ++k) {
    const size_t end = k < 4 ? text.find(',', at) : text.size();
    const std::string part = end == std::string::npos ? std::string() : text.substr(at, end - at);
    const char* first = part.c_str();
    char* last = nullptr;
    v[k] = part.empty() ? 0 : std::strtod(first, &last);
    if (part.empty() || last != first + part.size() || !std::isfinite(v[k]) || std::abs(v[k]) > 1e9)
      return Fail("--camera must be X,Y,Z,YAW,PITCH (five numbers), not '" + text + "'");
    at = end + 1;
  }
  camera = LookCamera::FromWorld(v[0], v[1], v[2], v[3], v[4]);
  return Result::Ok();
}

}  // namespace

Result TakeViewOptions(Args& args, ViewOptions& options, std::string& catalog, RoomsShown& shown) {
  const bool level = TakeFlag(args, "--level");
  shown.flipped = TakeFlag(args, "--flipped");
  shown.portals = TakeFlag(args, "--portals");
  std::string text;
  bool present = false;
  if (Result r = TakeOption(args, "--neighbours", text, present); !r) return r;
  if (present && level) return Fail("--neighbours and --level cannot go together");
  if (present) {
    long long depth = 0;
    if (Result r = ParseIntArg(text, "--neighbours", depth); !r) return r;
    if (depth < 1 || depth > kMaxNeighbourDepth)
      return Fail("--neighbours must be from 1 to " + std::to_string(kMaxNeighbourDepth) +
                  ", not " + text);
    shown.mode = ViewMode::kNeighbours;
    shown.depth = static_cast<int>(depth);
  }
  if (level) shown.mode = ViewMode::kLevel;
  if (Result r = TakeOption(args, "--camera", text, present); !r) return r;
  if (present) {
    LookCamera camera;
    if (Result r = ParseCamera(text, camera); !r) return r;
    shown.camera = camera;
  }
  options.wireframe_room = TakeFlag(args, "--wireframe-room");
  options.wireframe_objects = TakeFlag(args, "--wireframe-objects");
  options.hide_items = TakeFlag(args, "--hide-items");
  options.hide_statics = TakeFlag(args, "--hide-statics");
  options.standard_room = TakeFlag(args, "--standard-room");
  options.room_lighting = TakeFlag(args, "--room-lighting");
  for (auto [name, target] :
       {std::pair{"--item", &options.item_entry}, std::pair{"--static", &options.static_entry}}) {
    std::string text;
    bool present = false;
    if (Result r = TakeOption(args, name, text, present); !r) return r;
    long long value = -1;
    if (present)
      if (Result r = ParseIntArg(text, name, value); !r) return r;
    // -1 is no selection, as when the option is left out; entries beyond the level are
    // refused once it is read.
    if (present && value < -1) return Fail(std::string(name) + " " + text + " does not exist");
    if (present) *target = static_cast<int>(std::min<long long>(value, 1 << 30));
  }
  return TakeCatalogOption(args, catalog);
}

namespace {

std::string Count(int64_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Refuses a selected item or static mesh the level or room does not hold.
Result SelectionExists(const Ttrlevel& level, const ViewOptions& options) {
  const int64_t entries = int64_t{level.num_items()} +
                          (level.version_kind >= kTR4 ? int64_t{level.num_aux_records()} : 0);
  if (options.item_entry >= entries)
    return Fail("--item " + std::to_string(options.item_entry) + " does not exist (the level has " +
                Count(entries, "item", "items") + ")");
  const troom& room = level.rooms[static_cast<size_t>(options.room)];
  const size_t statics = level.version_kind < kTR2 ? room.statics1.size() : room.statics2.size();
  if (options.static_entry >= static_cast<int64_t>(statics))
    return Fail("--static " + std::to_string(options.static_entry) + " does not exist (room " +
                std::to_string(options.room) + " has " +
                Count(static_cast<int64_t>(statics), "static mesh", "static meshes") + ")");
  return Result::Ok();
}

}  // namespace

Result BuildViewedRoom(ViewedRoom& v, const std::string& level_path, const std::string& room_text,
                       ViewOptions options, const std::string& catalog, const RoomsShown& shown,
                       int width, int height) {
  long long room = 0;
  if (Result r = ParseIntArg(room_text, "ROOM", room); !r) return r;
  Expected<LevelBundle> named = LoadNamedLevel(level_path, catalog);
  if (!named) return named.result();
  v.named = std::move(*named);
  const Ttrlevel& level = v.named.level;
  if (room < 0 || room >= level.num_rooms())
    return Fail("room " + room_text + " does not exist (the level has " +
                std::to_string(level.num_rooms()) + " rooms)");
  options.room = static_cast<int>(room);
  if (Result r = SelectionExists(level, options); !r) return r;
  BuildMeshTable(v.meshes, level);
  v.list.set_standard_texture(8888);
  v.shown = shown;
  v.room = options.room;
  v.viewport.SetControlSize(width, height);
  if (shown.Placed()) {
    const std::vector<int> rooms =
        RoomsOfMode(level, shown.mode, options.room, shown.depth, shown.flipped);
    v.rooms = BuildLevelScene(v.list, v.buffers, {level, v.meshes, v.named.names.catalog, {}},
                              options, rooms, {.portals = shown.portals});
    v.scene = v.rooms.scene;
    if (shown.camera) {
      v.viewport.SetLookCamera(*shown.camera);
      v.viewport.set_free(true);
    } else {
      v.viewport.FrameFromAbove(v.rooms.frame_box);
    }
    return Result::Ok();
  }
  // The flipped state shows the room's alternate in its place.
  options.room = FlippedRoom(level, options.room, shown.flipped);
  const std::vector<uint16_t> items = RoomItemEntries(level, options.room);
  const SceneSources sources{level, v.meshes, v.named.names.catalog, items};
  v.viewport.SetSceneBuilder([&] { v.scene = BuildScene(v.list, v.buffers, sources, options); });
  v.viewport.Rebuild();
  v.viewport.PrepareFrame();
  v.viewport.SetSceneBuilder({});
  // "Automatic" centring after the room was selected.
  v.viewport.box = v.scene.placement->box;
  v.viewport.CentreOnBox();
  return Result::Ok();
}

namespace {

Result ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  long long w = 0, h = 0;
  if (x == std::string::npos) return Fail("--size must be WIDTHxHEIGHT, not '" + text + "'");
  if (Result r = ParseIntArg(text.substr(0, x), "--size width", w); !r) return r;
  if (Result r = ParseIntArg(text.substr(x + 1), "--size height", h); !r) return r;
  if (w < 1 || h < 1 || w > 65536 || h > 65536)
    return Fail("--size must be WIDTHxHEIGHT with sides from 1 to 65536, not '" + text + "'");
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return Result::Ok();
}

}  // namespace

void PrintSkipped(const SceneResult& scene) {
  for (const SkippedItem& s : scene.skipped_items)
    std::printf("item %d: %s\n", s.entry, s.message.c_str());
  for (const SkippedStatic& s : scene.skipped_statics)
    std::printf("static %d: %s\n", s.entry, s.message.c_str());
}

Result TakeSizeOption(Args& args, int& width, int& height) {
  std::string text;
  bool present = false;
  if (Result r = TakeOption(args, "--size", text, present); !r) return r;
  width = 800;
  height = 600;
  return present ? ParseSize(text, width, height) : Result::Ok();
}

namespace {

std::string Number(double d) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, d);
  return std::string(buf, r.ptr);
}

std::string Number(float f) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, f);
  return std::string(buf, r.ptr);
}

std::string JsonText(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

void PrintSceneJson(const ViewedRoom& v) {
  std::string out = "{\"layers\": [";
  for (size_t i = 0; i < v.buffers.size(); ++i) {
    const LayerBuffer& b = v.buffers[i];
    out += i ? ", " : "";
    out += "{\"vertices\": " + std::to_string(v.list.vertex_count(static_cast<int>(i))) +
           ", \"triangles\": " + std::to_string(b.triangle_count) + ", \"runs\": [";
    for (size_t k = 0; k < b.runs.size(); ++k)
      out += (k ? ", [" : "[") + std::to_string(b.runs[k].texture) + ", " +
             std::to_string(b.runs[k].triangles) + "]";
    out += "]}";
  }
  const ViewBox& box = v.shown.Placed() ? v.rooms.box : v.scene.placement->box;
  out += "], \"rooms\": [";
  if (v.shown.Placed()) {
    for (size_t k = 0; k < v.rooms.rooms.size(); ++k)
      out += (k ? ", " : "") + std::to_string(v.rooms.rooms[k]);
  } else {
    out += std::to_string(FlippedRoom(v.named.level, v.room, v.shown.flipped));
  }
  out += "], \"box\": {\"min\": [" + Number(box.min_x) + ", " + Number(box.min_y) + ", " +
         Number(box.min_z) + "], \"max\": [" + Number(box.max_x) + ", " + Number(box.max_y) + ", " +
         Number(box.max_z) + "]}";
  if (v.shown.Placed()) {
    // The look camera in world units, as --camera takes it.
    const LookCamera& look = v.viewport.look();
    double x = 0, y = 0, z = 0;
    look.World(x, y, z);
    out += ", \"camera\": {\"x\": " + Number(x) + ", \"y\": " + Number(y) +
           ", \"z\": " + Number(z) + ", \"yaw\": " + Number(look.yaw) +
           ", \"pitch\": " + Number(look.pitch) + "}";
  } else {
    const TGLCamera& cam = v.viewport.camera();
    out += ", \"camera\": {\"x\": " + Number(cam.x) + ", \"y\": " + Number(cam.y) +
           ", \"z\": " + Number(cam.z) + ", \"zoom\": " + Number(cam.zoom) + "}";
  }
  size_t tags[7] = {};
  v.list.ForEachTriangle([&](const BufferVertex*, const TriangleInfo& t) {
    if (t.tag.kind < 7) ++tags[t.tag.kind];
  });
  out += ", \"tag_triangles\": {\"1\": " + std::to_string(tags[1]) +
         ", \"2\": " + std::to_string(tags[2]) + ", \"3\": " + std::to_string(tags[3]) +
         ", \"5\": " + std::to_string(tags[5]);
  if (v.shown.portals) out += ", \"6\": " + std::to_string(tags[6]);
  out += "}, \"skipped_items\": [";
  for (size_t k = 0; k < v.scene.skipped_items.size(); ++k) {
    const SkippedItem& s = v.scene.skipped_items[k];
    out += (k ? ", " : "") + std::string("{\"index\": ") + std::to_string(s.entry) +
           ", \"object_id\": " + std::to_string(s.object_id) +
           ", \"message\": " + JsonText(s.message) + "}";
  }
  out += "], \"skipped_statics\": [";
  for (size_t k = 0; k < v.scene.skipped_statics.size(); ++k) {
    const SkippedStatic& s = v.scene.skipped_statics[k];
    out += (k ? ", " : "") + std::string("{\"entry\": ") + std::to_string(s.entry) +
           ", \"mesh_id\": " + std::to_string(s.mesh_id) + ", \"message\": " + JsonText(s.message) +
           "}";
  }
  out += "]}\n";
  std::fputs(out.c_str(), stdout);
}

void PrintSceneText(const ViewedRoom& v) {
  for (size_t i = 0; i < v.buffers.size(); ++i)
    std::printf("layer %zu: %d vertices, %u triangles, %zu runs\n", i,
                v.list.vertex_count(static_cast<int>(i)), v.buffers[i].triangle_count,
                v.buffers[i].runs.size());
  PrintSkipped(v.scene);
}

Result Scene(const Args& in) {
  Args args = in;
  ViewOptions options;
  std::string catalog;
  RoomsShown shown;
  if (Result r = TakeViewOptions(args, options, catalog, shown); !r) return r;
  const bool json = TakeFlag(args, "--json");
  if (args.size() != 2)
    return Fail(std::string("usage: qavel-cli scene LEVEL ROOM [--json] ") + kViewUsage);
  auto v = std::make_unique<ViewedRoom>();
  if (Result r = BuildViewedRoom(*v, args[0], args[1], options, catalog, shown); !r) return r;
  if (json)
    PrintSceneJson(*v);
  else
    PrintSceneText(*v);
  return Result::Ok();
}

Result PickCommand(const Args& in) {
  Args args = in;
  ViewOptions options;
  std::string catalog;
  int width = 0, height = 0;
  if (Result r = TakeSizeOption(args, width, height); !r) return r;
  RoomsShown shown;
  if (Result r = TakeViewOptions(args, options, catalog, shown); !r) return r;
  if (args.size() != 4)
    return Fail(std::string("usage: qavel-cli pick LEVEL ROOM X Y [--size WxH] ") + kViewUsage);
  long long x = 0, y = 0;
  if (Result r = ParseIntArg(args[2], "X", x); !r) return r;
  if (Result r = ParseIntArg(args[3], "Y", y); !r) return r;
  auto v = std::make_unique<ViewedRoom>();
  if (Result r = BuildViewedRoom(*v, args[0], args[1], options, catalog, shown, width, height); !r)
    return r;
  if (x < 0 || y < 0 || x >= width || y >= height)
    return Fail("pixel (" + args[2] + ", " + args[3] + ") lies outside the " +
                std::to_string(width) + "x" + std::to_string(height) + " picture");
  // A click looks through portals.
  const auto hit =
      Pick(v->list, v->viewport.Matrices(), static_cast<int>(x), static_cast<int>(y), kPickPortal);
  const bool with_room = shown.mode != ViewMode::kRoom || shown.camera;
  if (hit && with_room)
    std::printf("room %d kind %d index %d\n", v->rooms.RoomOfTriangle(hit->triangle), hit->tag.kind,
                hit->tag.index);
  else if (hit)
    std::printf("kind %d index %d\n", hit->tag.kind, hit->tag.index);
  else
    std::printf("none\n");
  return Result::Ok();
}

}  // namespace

const TermRegistration kViewTerm{{"VIEW", kViewUsage}};
const Registration kScene{
    {"scene",
     "scene LEVEL ROOM [--json] [VIEW]  the 3D view's layers, runs, box, camera and pick tags of "
     "a room",
     Scene, Group::kView}};
const Registration kPick{{"pick",
                          "pick LEVEL ROOM X Y [--size WxH] [VIEW]  what a click at pixel (X, Y) "
                          "of the room's view selects: kind K index I, or none",
                          PickCommand, Group::kView}};

}  // namespace qavel::cli
