#include "view/level_scene.h"

#include <algorithm>
#include <cmath>

namespace qavel {

namespace {

constexpr double kSceneScale = 2.0;
constexpr uint32_t kYellow = 0x00FFFF;  // window colour value: red in the low byte

bool IsRoom(const Ttrlevel& level, int room) {
  return room >= 0 && room < level.num_rooms();
}

std::vector<int> Ascending(std::vector<bool>& seen) {
  std::vector<int> out;
  for (size_t r = 0; r < seen.size(); ++r)
    if (seen[r]) out.push_back(static_cast<int>(r));
  return out;
}

void Grow(ViewBounds& b, const Vec3& p) {
  b.lo[0] = std::min(b.lo[0], p.x);
  b.lo[1] = std::min(b.lo[1], p.y);
  b.lo[2] = std::min(b.lo[2], p.z);
  b.hi[0] = std::max(b.hi[0], p.x);
  b.hi[1] = std::max(b.hi[1], p.y);
  b.hi[2] = std::max(b.hi[2], p.z);
}

ViewBounds EmptyBounds() {
  ViewBounds b;
  for (int k = 0; k < 3; ++k) {
    b.lo[k] = 3.0e38f;
    b.hi[k] = -3.0e38f;
  }
  return b;
}

// A portal's outline in the portal layer, facing into the room that holds it, so that a click
// from inside the room meets it and a click from the room behind meets that room's own.
void DrawPortal(DrawList& list, const tportal& portal, const RoomPlacement& p) {
  Vec3 c[4];
  for (int k = 0; k < 4; ++k) {
    const int16_t* v = portal.vertices + 3 * k;
    c[k] = list.PlacePoint(static_cast<float>(v[0] / 1024.0 + p.room_x),
                           static_cast<float>(-v[1] / 1024.0 + p.room_y),
                           static_cast<float>(-v[2] / 1024.0 + p.room_z));
  }
  // The list turns z round: the stored normal points the same way with its z turned.
  const double n[3] = {static_cast<double>(portal.normal[0]), static_cast<double>(portal.normal[1]),
                       -static_cast<double>(portal.normal[2])};
  // The quad's first triangle is corners 1, 2, 0; its front is (c2 - c1) x (c0 - c1).
  const double e1[3] = {c[2].x - c[1].x, c[2].y - c[1].y, c[2].z - c[1].z};
  const double e2[3] = {c[0].x - c[1].x, c[0].y - c[1].y, c[0].z - c[1].z};
  const double f[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                       e1[0] * e2[1] - e1[1] * e2[0]};
  const bool turn = f[0] * n[0] + f[1] * n[1] + f[2] * n[2] < 0;
  const Vec3* corners[4];
  for (int k = 0; k < 4; ++k) corners[k] = &c[turn ? 3 - k : k];
  static constexpr TexCoord kNoUv[4] = {};
  list.PlacedQuad(corners, kNoUv, list.colour());
}

void AddPortalLayer(LayerBuffers& buffers) {
  if (buffers.size() > kPortalLayer) return;
  buffers.resize(kPortalLayer + 1);
  LayerBuffer& portals = buffers[kPortalLayer];
  portals.fill_mode = FillMode::kWireframe;
  portals.one_run = true;
  portals.buffer_texture = -1;  // no picture: the outline's own colour
}

}  // namespace

void DrawSectorOutline(DrawList& list, LayerBuffers& buffers, const troom& room,
                       const RoomPlacement& p, int column, int row) {
  if (column < 1 || row < 1 || column > room.num_x_sectors || row > room.num_z_sectors) return;
  const size_t index = size_t(column - 1) * room.num_z_sectors + size_t(row - 1);
  if (index >= room.sectors.size()) return;
  AddPortalLayer(buffers);
  // A hair above the floor, so that the floor does not hide it.
  const double y = room.sectors[index].floor * 256.0 - 8;
  const double x0 = (column - 1) * 1024.0, z0 = (row - 1) * 1024.0;
  list.LoadIdentity();
  list.Scale(kSceneScale, kSceneScale, kSceneScale);
  Vec3 c[4];
  const double corner[4][2] = {{x0, z0}, {x0 + 1024, z0}, {x0 + 1024, z0 + 1024}, {x0, z0 + 1024}};
  for (int k = 0; k < 4; ++k)
    c[k] = list.PlacePoint(static_cast<float>(corner[k][0] / 1024 + p.room_x),
                           static_cast<float>(-y / 1024 + p.room_y),
                           static_cast<float>(-corner[k][1] / 1024 + p.room_z));
  // Facing up, as floors do.
  const Vec3* corners[4] = {&c[3], &c[2], &c[1], &c[0]};
  static constexpr TexCoord kNoUv[4] = {};
  list.SetLayer(kPortalLayer);
  list.SetTextureNumber(-1);
  list.SetColorRGB(0x00FF00);  // green
  list.SetPickTag({kPickPortal, 0xFFFF});
  list.PlacedQuad(corners, kNoUv, list.colour());
}

ViewBox TaggedBox(const DrawList& list, PickTag tag, const LevelScene* rooms, int slot) {
  ViewBox box;
  const int room = rooms && slot >= 0 && static_cast<size_t>(slot) < rooms->rooms.size()
                       ? rooms->rooms[static_cast<size_t>(slot)]
                       : -1;
  list.ForEachTriangleKept(
      [](const ViewBounds&) { return true; },
      [&](const BufferVertex* v, const TriangleInfo& info, size_t position) {
        if (!(info.tag == tag) || (room >= 0 && rooms->RoomOfTriangle(position) != room)) return;
        for (int k = 0; k < 3; ++k) box.Add(v[k].x, v[k].y, v[k].z);
      });
  return box;
}

ViewBox SectorBox(const troom& room, const RoomPlacement& p, int column, int row) {
  ViewBox box;
  if (column < 1 || row < 1 || column > room.num_x_sectors || row > room.num_z_sectors) return box;
  const size_t index = size_t(column - 1) * room.num_z_sectors + size_t(row - 1);
  if (index >= room.sectors.size()) return box;
  // As the list places a room's points: x, -y and -z in sectors from the placement, y turned up.
  const double floor = room.sectors[index].floor * 256.0 / 1024,
               ceiling = room.sectors[index].ceiling * 256.0 / 1024;
  const double y[2] = {-(-floor + p.room_y), -(-ceiling + p.room_y)};
  const double x0 = column - 1 + p.room_x, z0 = -(row - 1) + p.room_z;
  box.min_x = kSceneScale * x0;
  box.max_x = kSceneScale * (x0 + 1);
  box.min_z = kSceneScale * (z0 - 1);
  box.max_z = kSceneScale * z0;
  box.min_y = kSceneScale * std::min(y[0], y[1]);
  box.max_y = kSceneScale * std::max(y[0], y[1]);
  return box;
}

bool HasValidAlternate(const Ttrlevel& level, int room) {
  if (!IsRoom(level, room)) return false;
  const int a = level.rooms[static_cast<size_t>(room)].alternate_room;
  return a != room && IsRoom(level, a);
}

std::vector<bool> AlternateRooms(const Ttrlevel& level) {
  std::vector<bool> named(static_cast<size_t>(level.num_rooms()), false);
  for (int r = 0; r < level.num_rooms(); ++r)
    if (HasValidAlternate(level, r))
      named[static_cast<size_t>(level.rooms[static_cast<size_t>(r)].alternate_room)] = true;
  for (int r = 0; r < level.num_rooms(); ++r)
    if (HasValidAlternate(level, r)) named[static_cast<size_t>(r)] = false;
  return named;
}

int FlippedRoom(const Ttrlevel& level, int room, bool flipped) {
  if (flipped && HasValidAlternate(level, room))
    return level.rooms[static_cast<size_t>(room)].alternate_room;
  return room;
}

std::vector<int> LevelRooms(const Ttrlevel& level, bool flipped) {
  const std::vector<bool> alternate = AlternateRooms(level);
  std::vector<bool> shown(alternate.size(), false);
  for (int r = 0; r < level.num_rooms(); ++r)
    if (!alternate[static_cast<size_t>(r)])
      shown[static_cast<size_t>(FlippedRoom(level, r, flipped))] = true;
  return Ascending(shown);
}

std::vector<int> NeighbourRooms(const Ttrlevel& level, int room, int depth, bool flipped) {
  if (!IsRoom(level, room)) return {};
  std::vector<bool> seen(static_cast<size_t>(level.num_rooms()), false);
  std::vector<int> frontier = {FlippedRoom(level, room, flipped)};
  seen[static_cast<size_t>(frontier[0])] = true;
  for (int step = 0; step < depth && !frontier.empty(); ++step) {
    std::vector<int> next;
    for (const int r : frontier)
      for (const tportal& p : level.rooms[static_cast<size_t>(r)].portals) {
        if (!IsRoom(level, p.adjoining_room)) continue;
        const int shown = FlippedRoom(level, p.adjoining_room, flipped);
        if (seen[static_cast<size_t>(shown)]) continue;
        seen[static_cast<size_t>(shown)] = true;
        next.push_back(shown);
      }
    frontier = std::move(next);
  }
  return Ascending(seen);
}

std::vector<int> RoomsOfMode(const Ttrlevel& level, ViewMode mode, int room, int depth,
                             bool flipped) {
  switch (mode) {
    case ViewMode::kLevel:
      return LevelRooms(level, flipped);
    case ViewMode::kNeighbours:
      return NeighbourRooms(level, room, std::clamp(depth, 1, kMaxNeighbourDepth), flipped);
    case ViewMode::kRoom:
      break;
  }
  if (!IsRoom(level, room)) return {};
  return {FlippedRoom(level, room, flipped)};
}

RoomPlacement PlaceRoomInLevel(const troom& r) {
  RoomPlacement p;
  p.room_x = r.x / 1024.0;
  p.room_z = -r.z / 1024.0;
  p.box.min_x = p.room_x;
  p.box.max_x = p.room_x + r.num_x_sectors;
  p.box.min_y = std::min(r.y_bottom, r.y_top) / 1024.0;  // y grows downward
  p.box.max_y = std::max(r.y_bottom, r.y_top) / 1024.0;
  p.box.min_z = p.room_z - r.num_z_sectors;
  p.box.max_z = p.room_z;
  return p;
}

int LevelScene::SlotOf(int room) const {
  const auto at = std::lower_bound(rooms.begin(), rooms.end(), room);
  return at != rooms.end() && *at == room ? static_cast<int>(at - rooms.begin()) : -1;
}

std::vector<int> LevelScene::SlotsOfSelected(const Ttrlevel* level, int room) const {
  std::vector<int> out;
  if (const int own = SlotOf(room); own >= 0 || !level) {
    if (own >= 0) out.push_back(own);
    return out;
  }
  for (size_t slot = 0; slot < rooms.size(); ++slot)
    if (HasValidAlternate(*level, rooms[slot]) &&
        level->rooms[static_cast<size_t>(rooms[slot])].alternate_room == room)
      out.push_back(static_cast<int>(slot));
  return out;
}

int LevelScene::RoomOfTriangle(size_t position) const {
  auto at = std::upper_bound(starts.begin(), starts.end(), position,
                             [](size_t p, const auto& s) { return p < s.first; });
  if (at == starts.begin()) return -1;
  return rooms[(at - 1)->second];
}

LevelScene BuildLevelScene(DrawList& list, LayerBuffers& buffers, const SceneSources& sources,
                           const ViewOptions& options, std::span<const int> wanted,
                           const LevelSceneOptions& level_options) {
  const Ttrlevel& level = sources.level;
  LevelScene out;
  for (const int r : wanted)
    if (IsRoom(level, r)) out.rooms.push_back(r);
  std::sort(out.rooms.begin(), out.rooms.end());
  out.rooms.erase(std::unique(out.rooms.begin(), out.rooms.end()), out.rooms.end());

  if (level_options.portals) AddPortalLayer(buffers);
  const int layers = static_cast<int>(std::min<size_t>(buffers.size(), kLayerCount));

  // Item entries by room, in list order, read once.
  std::vector<std::vector<uint16_t>> items(static_cast<size_t>(level.num_rooms()));
  for (int r : out.rooms) items[static_cast<size_t>(r)].clear();
  for (size_t i = 0; i < level.items1.size(); ++i)
    if (IsRoom(level, level.items1[i].room))
      items[level.items1[i].room].push_back(static_cast<uint16_t>(i));
  if (level.version_kind >= kTR4)
    for (size_t j = 0; j < level.aux_items.size(); ++j)
      if (IsRoom(level, level.aux_items[j].room))
        items[level.aux_items[j].room].push_back(static_cast<uint16_t>(level.num_items() + j));

  SceneResult& result = out.scene;
  result.triangle_budget = sources.triangle_budget;
  StartScene(list);
  DrawScratch scratch;
  const MeshContext ctx{list, sources.meshes, level, &scratch};
  // After each room: the triangles of every texture group of every layer.
  std::vector<std::vector<std::vector<TextureRun>>> after(
      static_cast<size_t>(layers), std::vector<std::vector<TextureRun>>(out.rooms.size()));
  out.bounds.assign(out.rooms.size(), EmptyBounds());
  out.frame_bounds.assign(out.rooms.size(), EmptyBounds());
  for (size_t slot = 0; slot < out.rooms.size(); ++slot) {
    const int r = out.rooms[slot];
    const troom& room = level.rooms[static_cast<size_t>(r)];
    ViewOptions o = options;
    o.room = r;
    if (r != options.room) o.static_entry = -1;
    const RoomPlacement p = PlaceRoomInLevel(room);
    const size_t placements = list.placement_count();
    const uint64_t before = list.total_vertices() / 3;
    DrawRoomAt(ctx, o, p);
    result.triangles += list.total_vertices() / 3 - before;
    ViewBounds& b = out.bounds[slot];
    for (const Vec3& v : scratch.placed) Grow(b, v);
    list.SetLayer(o.wireframe_objects ? 1 : 0);
    const SceneSources own{level, sources.meshes, sources.catalog, items[static_cast<size_t>(r)],
                           sources.triangle_budget};
    if (!o.hide_statics) DrawStatics(ctx, p, o, result);
    if (!o.hide_items) DrawItems(ctx, p, own, o, result);
    if (level_options.portals) {
      list.SetLayer(kPortalLayer);
      list.SetTextureNumber(-1);
      list.SetColorRGB(kYellow);
      for (const tportal& portal : room.portals) {
        list.SetPickTag({kPickPortal, portal.adjoining_room});
        DrawPortal(list, portal, p);
      }
    }
    ViewBounds& framed = out.frame_bounds[slot];
    framed = b;
    const ViewBox& grid = p.box;
    Grow(framed, {float(grid.min_x), float(grid.min_y), float(grid.min_z)});
    Grow(framed, {float(grid.max_x), float(grid.max_y), float(grid.max_z)});
    constexpr float kNear = 4;  // sectors
    ViewBounds around = framed;
    for (int k = 0; k < 3; ++k) {
      around.lo[k] -= kNear;
      around.hi[k] += kNear;
    }
    list.GrowByPlacements(placements, list.placement_count(), framed, &around);
    list.GrowByPlacements(placements, list.placement_count(), b);
    out.water.push_back((room.flags & kWaterRoomFlag) != 0);
    for (int l = 0; l < layers; ++l) list.GroupTriangles(l, after[size_t(l)][slot]);
  }
  list.Sort();
  list.BuildBuffers(buffers);

  // Each room's stretch of each texture run: texture by texture, room by room.
  out.spans.resize(static_cast<size_t>(layers));
  uint64_t layer_start = 0;
  for (int l = 0; l < layers; ++l) {
    std::vector<RoomSpan>& spans = out.spans[size_t(l)];
    if (!out.rooms.empty()) {
      const auto& snapshots = after[size_t(l)];
      auto count_in = [](const std::vector<TextureRun>& runs, int32_t texture) -> uint32_t {
        const auto at =
            std::lower_bound(runs.begin(), runs.end(), texture,
                             [](const TextureRun& run, int32_t t) { return run.texture < t; });
        return at != runs.end() && at->texture == texture ? static_cast<uint32_t>(at->triangles)
                                                          : 0;
      };
      uint32_t offset = 0;
      for (const TextureRun& run : snapshots.back()) {
        uint32_t previous = 0;
        for (size_t slot = 0; slot < snapshots.size(); ++slot) {
          const uint32_t now = count_in(snapshots[slot], run.texture);
          if (now > previous)
            spans.push_back({run.texture, 3 * (offset + previous), 3 * (now - previous),
                             static_cast<uint32_t>(slot)});
          previous = now;
        }
        offset += static_cast<uint32_t>(run.triangles);
      }
    }
    for (const RoomSpan& s : spans)
      out.starts.emplace_back(layer_start + s.first_vertex / 3, s.slot);
    layer_start += static_cast<uint64_t>(list.vertex_count(l)) / 3;
  }

  for (const ViewBounds& b : out.bounds) {
    if (b.lo[0] > b.hi[0]) continue;
    out.box.Add(b);
  }
  for (const ViewBounds& b : out.frame_bounds) out.frame_box.Add(b);
  return out;
}

std::vector<uint8_t> RoomsInView(const LevelScene& scene, const FrameMatrices& frame) {
  const Mat4 m = Multiply(Multiply(frame.world, frame.view), frame.projection);
  std::vector<uint8_t> visible(scene.rooms.size(), 0);
  for (size_t slot = 0; slot < scene.bounds.size(); ++slot) {
    const ViewBounds& b = scene.bounds[slot];
    if (b.lo[0] > b.hi[0]) continue;  // nothing drawn
    // Bits of the planes every corner so far lies beyond: left, right, below, above, near, far.
    unsigned all_out = 0x3F;
    for (int corner = 0; corner < 8 && all_out; ++corner) {
      const double p[3] = {corner & 1 ? b.hi[0] : b.lo[0], corner & 2 ? b.hi[1] : b.lo[1],
                           corner & 4 ? b.hi[2] : b.lo[2]};
      double c[4];
      for (int k = 0; k < 4; ++k)
        c[k] = p[0] * m.m[0][k] + p[1] * m.m[1][k] + p[2] * m.m[2][k] + m.m[3][k];
      unsigned out = 0;
      if (c[0] < -c[3]) out |= 1;
      if (c[0] > c[3]) out |= 2;
      if (c[1] < -c[3]) out |= 4;
      if (c[1] > c[3]) out |= 8;
      if (c[2] < 0) out |= 16;
      if (c[2] > c[3]) out |= 32;
      all_out &= out;
    }
    visible[slot] = all_out == 0;
  }
  return visible;
}

std::vector<uint8_t> RoomsSeenThroughPortals(const LevelScene& scene, const Ttrlevel& level,
                                             const FrameMatrices& frame) {
  std::vector<uint8_t> in_view = RoomsInView(scene, frame);
  const Mat4 m = Multiply(Multiply(frame.world, frame.view), frame.projection);
  // The eye in list space: where the inverse of world . view takes the origin.
  const Mat4 eye_of = Inverse(Multiply(frame.world, frame.view));
  const double eye[3] = {eye_of.m[3][0], eye_of.m[3][1], eye_of.m[3][2]};
  int start = -1;
  for (size_t slot = 0; slot < scene.rooms.size() && start < 0; ++slot) {
    const troom& r = level.rooms[static_cast<size_t>(scene.rooms[slot])];
    const ViewBox b = PlaceRoomInLevel(r).box;
    if (eye[0] >= 2 * b.min_x && eye[0] <= 2 * b.max_x && eye[1] >= 2 * b.min_y &&
        eye[1] <= 2 * b.max_y && eye[2] >= 2 * b.min_z && eye[2] <= 2 * b.max_z)
      start = static_cast<int>(slot);
  }
  if (start < 0) return in_view;
  // The part of the screen (-1..1 both ways) each room is seen through; empty while unseen.
  struct Rect {
    double x0 = 1, x1 = -1, y0 = 1, y1 = -1;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
  };
  std::vector<Rect> seen(scene.rooms.size());
  std::vector<int> visits(scene.rooms.size(), 0);
  seen[size_t(start)] = {-1, 1, -1, 1};
  std::vector<int> queue = {start};
  constexpr int kMostVisits = 6;  // a room seen through ever wider openings is looked at again
  while (!queue.empty()) {
    const int slot = queue.back();
    queue.pop_back();
    if (++visits[size_t(slot)] > kMostVisits) continue;
    const Rect through = seen[size_t(slot)];
    const troom& room = level.rooms[static_cast<size_t>(scene.rooms[size_t(slot)])];
    for (const tportal& portal : room.portals) {
      int behind = scene.SlotOf(portal.adjoining_room);
      if (behind < 0 && HasValidAlternate(level, portal.adjoining_room))
        behind = scene.SlotOf(level.rooms[portal.adjoining_room].alternate_room);
      if (behind < 0 || !in_view[size_t(behind)]) continue;
      Rect r{1e300, -1e300, 1e300, -1e300};
      bool behind_eye = false;
      for (int k = 0; k < 4 && !behind_eye; ++k) {
        const int16_t* v = portal.vertices + 3 * k;
        const double p[3] = {2 * (v[0] + room.x) / 1024.0, 2 * v[1] / 1024.0,
                             -2 * (v[2] + room.z) / 1024.0};
        double c[4];
        for (int a = 0; a < 4; ++a)
          c[a] = p[0] * m.m[0][a] + p[1] * m.m[1][a] + p[2] * m.m[2][a] + m.m[3][a];
        if (c[3] <= 1e-6) {
          behind_eye = true;  // a portal the eye stands in or beside: seen through all of it
          break;
        }
        r.x0 = std::min(r.x0, c[0] / c[3]);
        r.x1 = std::max(r.x1, c[0] / c[3]);
        r.y0 = std::min(r.y0, c[1] / c[3]);
        r.y1 = std::max(r.y1, c[1] / c[3]);
      }
      if (behind_eye) r = through;
      r = {std::max(r.x0, through.x0), std::min(r.x1, through.x1), std::max(r.y0, through.y0),
           std::min(r.y1, through.y1)};
      if (r.empty()) continue;
      Rect& old = seen[size_t(behind)];
      const Rect grown = old.empty() ? r
                                     : Rect{std::min(old.x0, r.x0), std::max(old.x1, r.x1),
                                            std::min(old.y0, r.y0), std::max(old.y1, r.y1)};
      if (!old.empty() && grown.x0 == old.x0 && grown.x1 == old.x1 && grown.y0 == old.y0 &&
          grown.y1 == old.y1)
        continue;
      old = grown;
      queue.push_back(behind);
    }
  }
  std::vector<uint8_t> out(scene.rooms.size(), 0);
  for (size_t slot = 0; slot < out.size(); ++slot)
    out[slot] = in_view[slot] && (static_cast<int>(slot) == start || !seen[slot].empty());
  return out;
}

RoomDraw MakeRoomDraw(const LevelScene& scene, const FrameMatrices& frame,
                      const RoomShading& shading, const Ttrlevel* level) {
  RoomDraw d;
  d.scene = &scene;
  d.visible = level ? RoomsSeenThroughPortals(scene, *level, frame) : RoomsInView(scene, frame);
  d.tint.resize(scene.rooms.size());
  std::vector<bool> bright(scene.rooms.size(), !shading.highlight);
  for (int slot : scene.SlotsOfSelected(level, shading.selected)) bright[size_t(slot)] = true;
  for (size_t slot = 0; slot < scene.rooms.size(); ++slot) {
    const bool dim = !bright[slot];
    const float f = dim ? 0.5f : 1.0f;
    std::array<float, 3> t = {f, f, f};
    if (shading.water_tint && slot < scene.water.size() && scene.water[slot])
      for (int k = 0; k < 3; ++k) t[size_t(k)] *= kWaterTint[size_t(k)];
    d.tint[slot] = t;
  }
  return d;
}

}  // namespace qavel
