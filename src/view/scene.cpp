#include "view/scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "pieces/texture_pages.h"

namespace qavel {

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;  // window colour value: red in the low byte
constexpr double kSceneScale = 2.0;
constexpr double kObjectScale = 0.1;

bool HasRoom(const Ttrlevel& level, int room) {
  return room >= 0 && room < level.num_rooms();
}

}  // namespace

RoomPlacement PlaceRoom(const troom& r) {
  const double nx = r.num_x_sectors, nz = r.num_z_sectors;
  const double span = std::abs(static_cast<double>(r.y_top) - r.y_bottom);
  const double h = span / 1024;
  const double mid = (r.y_bottom - span / 2) / 1024;
  RoomPlacement p;
  p.room_x = -nx / 2;
  p.room_y = mid;
  p.room_z = nz / 2;
  p.world_x = -nx / 2 - r.x / 1024.0;
  p.world_y = mid;
  p.world_z = nz / 2 + r.z / 1024.0;
  p.box.min_x = -nx / 2;
  p.box.max_x = nx - nx / 2;
  p.box.min_y = -(r.y_bottom / 1024.0) + mid;
  p.box.max_y = p.box.min_y + h;
  p.box.min_z = nz / 2;
  p.box.max_z = nz + nz / 2;
  return p;
}

std::vector<uint16_t> RoomItemEntries(const Ttrlevel& level, int room) {
  std::vector<uint16_t> out;
  for (size_t i = 0; i < level.items1.size(); ++i)
    if (level.items1[i].room == room) out.push_back(static_cast<uint16_t>(i));
  if (level.version_kind >= kTR4)
    for (size_t j = 0; j < level.aux_items.size(); ++j)
      if (level.aux_items[j].room == room)
        out.push_back(static_cast<uint16_t>(level.num_items() + j));
  return out;
}

float EighthTurnDegrees(uint16_t angle) {
  const int a = 45 * ((angle >> 8) / 32);
  return static_cast<float>(a != 0 ? 360 - a : 0);
}

int MovableOfItem(const MovableCatalog& catalog, const Ttrlevel& level, uint32_t object_id) {
  const int32_t m = MovableIndexOf(catalog, object_id);
  if (m < 0 || m >= static_cast<int64_t>(level.num_movables())) return -1;
  const uint32_t id = level.movables[static_cast<size_t>(m)].object_id;
  if (id == object_id || AliasOf(catalog, id) == static_cast<int32_t>(object_id)) return m;
  return -1;
}

uint32_t RoomVertexLight(int32_t version_kind, const tvertex2& v) {
  if (version_kind < kTR3) {
    const int dark = std::clamp<int>(v.lighting, 0, 8191);
    const auto g = static_cast<uint32_t>((8191 - dark) * 255 / 8191);
    return 0xFF000000u | g << 16 | g << 8 | g;
  }
  auto channel = [&](int shift) { return ((v.colour >> shift) & 31u) * 255 / 31; };
  return 0xFF000000u | channel(10) << 16 | channel(5) << 8 | channel(0);
}

std::optional<RoomPlacement> DrawRoom(const MeshContext& ctx, const ViewOptions& options) {
  if (!HasRoom(ctx.level, options.room)) return std::nullopt;
  const RoomPlacement p = PlaceRoom(ctx.level.rooms[static_cast<size_t>(options.room)]);
  DrawRoomAt(ctx, options, p);
  return p;
}

void DrawRoomAt(const MeshContext& ctx, const ViewOptions& options, const RoomPlacement& p) {
  const Ttrlevel& level = ctx.level;
  if (!HasRoom(level, options.room)) return;
  DrawList& list = ctx.list;
  DrawScratch own;
  DrawScratch& sc = ctx.scratch ? *ctx.scratch : own;
  PieceUv spare;
  const troom& room = level.rooms[static_cast<size_t>(options.room)];
  list.SetLayer(options.wireframe_room ? 1 : 0);
  list.SetColorRGB(kWhite);

  std::vector<Vec3>& placed = sc.placed;
  placed.resize(room.vertices2.size());
  for (size_t i = 0; i < placed.size(); ++i) {
    const tvertex2& v = room.vertices2[i];
    placed[i] = list.PlacePoint(static_cast<float>(v.x / 1024.0 + p.room_x),
                                static_cast<float>(-v.y / 1024.0 + p.room_y),
                                static_cast<float>(-v.z / 1024.0 + p.room_z));
  }
  std::vector<uint32_t>& light = sc.light;
  light.clear();
  if (options.room_lighting)
    for (const tvertex2& v : room.vertices2)
      light.push_back(RoomVertexLight(level.version_kind, v));
  const Vec3* c[4];
  uint32_t lit[4];
  const TexCoord* uv = nullptr;
  // The corners of a face with its texture set, false when it names a vertex the room lacks.
  auto corners = [&](const uint16_t* index, int n, uint16_t texture) {
    const PieceUv* piece =
        options.standard_room ? nullptr : FindPiece(ctx.meshes, level, texture & 0x0FFF, spare);
    // Standard-room mode, or a texture the level does not have: the whole standard picture.
    list.SetTextureNumber(piece ? piece->page : kRoomTextureId);
    uv = piece ? piece->uv.data() : kWholeTexture.data();
    for (int k = 0; k < n; ++k) {
      if (index[k] >= placed.size()) return false;
      c[k] = &placed[index[k]];
      if (!light.empty()) lit[k] = light[index[k]];
    }
    return true;
  };
  for (size_t k = 0; k < room.rectangles.size(); ++k) {
    const trectangle& f = room.rectangles[k];
    list.SetPickTag({kPickRoomRectangle, static_cast<uint16_t>(k + 1)});
    if (!corners(f.vertices, 4, f.texture)) continue;
    if (light.empty())
      list.PlacedQuad(c, uv, list.colour());
    else
      list.PlacedQuadLit(c, uv, lit);
  }
  for (size_t k = 0; k < room.triangles.size(); ++k) {
    const ttriangle& f = room.triangles[k];
    list.SetPickTag({kPickRoomTriangle, static_cast<uint16_t>(k + 1)});
    if (!corners(f.vertices, 3, f.texture)) continue;
    if (light.empty())
      list.PlacedTriangle(c, uv, list.colour());
    else
      list.PlacedTriangleLit(c, uv, lit);
  }
}

namespace {

// Whether an object of that many triangles still fits the scene's budget; once one does not,
// none after it does, so what is left out is the end of the list.
bool Fits(SceneResult& result, uint64_t triangles) {
  if (!result.budget_reached && result.triangles + triangles <= result.triangle_budget) return true;
  result.budget_reached = true;
  return false;
}

std::string LeftOut(const std::string& name, const SceneResult& result) {
  return name + " is left out: the view draws at most " + std::to_string(result.triangle_budget) +
         " triangles.";
}

// The message of an object drawn, when it is not drawn whole.
std::string Damaged(const std::string& name, const MeshCheck& check) {
  return name + (check.triangles ? " is drawn in part: " : " is not drawn: ") + check.problem + ".";
}

uint64_t TrianglesOf(const DrawList& list) {
  return list.total_vertices() / 3;
}

}  // namespace

void DrawStatics(const MeshContext& ctx, const RoomPlacement& placement, const ViewOptions& options,
                 SceneResult& result) {
  const Ttrlevel& level = ctx.level;
  if (!HasRoom(level, options.room)) return;
  const troom& room = level.rooms[static_cast<size_t>(options.room)];
  DrawList& list = ctx.list;
  list.SetColorRGB(kWhite);
  const size_t count = level.version_kind < kTR2 ? room.statics1.size() : room.statics2.size();
  for (size_t k = 0; k < count; ++k) {
    tstatic2 s;
    if (level.version_kind < kTR2)
      s = StaticFromTr1(room.statics1[k]);
    else
      s = room.statics2[k];
    const int b = static_cast<int>(k) + 1;
    const int index = FindStaticMesh(level, s.mesh_id);
    const std::string name = "Static mesh ID" + std::to_string(s.mesh_id);
    int record = 0;
    MeshCheck check;
    std::string message;
    if (index > 0) {
      check = CheckMesh(ctx.meshes, level, level.static_meshes[static_cast<size_t>(index - 1)].mesh,
                        record);
      if (!check.problem.empty()) message = Damaged(name, check);
    } else {
      // Drawn with the first mesh, as an unknown id always was.
      if (ctx.meshes.count() > 0) check.triangles = ctx.meshes.meshes[0].triangles;
      message = name + " is missing.";
    }
    if (!Fits(result, check.triangles)) {
      result.skipped_statics.push_back(
          {static_cast<int>(k), s.mesh_id, LeftOut(name, result), true});
      continue;
    }
    if (!message.empty())
      result.skipped_statics.push_back({static_cast<int>(k), s.mesh_id, message});
    list.SetPickTag({kPickStatic, static_cast<uint16_t>(b)});
    list.SetLayer(b == options.static_entry + 1 ? 1 : 0);
    const uint64_t before = TrianglesOf(list);
    DrawMesh(ctx, record, s.x / 1024.0 + placement.world_x, -(s.y / 1024.0) + placement.world_y,
             -(s.z / 1024.0) + placement.world_z, EighthTurnDegrees(s.rotation), kObjectScale,
             false, kWhite);
    result.triangles += TrianglesOf(list) - before;
  }
}

void DrawItems(const MeshContext& ctx, const RoomPlacement& placement, const SceneSources& sources,
               const ViewOptions& options, SceneResult& result) {
  const Ttrlevel& level = ctx.level;
  if (!HasRoom(level, options.room)) return;
  DrawList& list = ctx.list;
  list.SetColorRGB(kWhite);
  const uint16_t selected_layer = options.wireframe_objects ? 0 : 2;
  const uint16_t other_layer = options.wireframe_objects ? 1 : 0;
  // Many items show the same movable: each is looked at once.
  std::unordered_map<int, MeshCheck> checked;
  for (const uint16_t entry : sources.room_items) {
    uint32_t object_id = 0;
    int32_t x = 0, y = 0, z = 0;
    uint16_t angle = 0;
    if (entry < level.num_items()) {
      const titem1& it = level.items1[entry];
      object_id = it.object_id;
      x = it.x, y = it.y, z = it.z;
      angle = it.angle;
    } else if (level.version_kind >= kTR4 && entry - level.num_items() < level.aux_items.size()) {
      const taux_item& a = level.aux_items[entry - level.num_items()];
      object_id = a.object_id;
      x = a.x, y = a.y, z = a.z;
      // The last four bytes hold a 16-bit angle, zero- or sign-extended: its low half turns
      // the object as an item's angle would.
      std::memcpy(&angle, a.aux_tail, sizeof angle);
    } else {
      continue;
    }
    const std::string name = "Object ID" + std::to_string(object_id);
    const int m = MovableOfItem(sources.catalog, level, object_id);
    if (m < 0) {
      result.skipped_items.push_back({entry, object_id, name + " is missing."});
      continue;
    }
    auto found = checked.find(m);
    if (found == checked.end())
      found = checked.emplace(m, CheckMovable(ctx.meshes, level, m)).first;
    const MeshCheck& check = found->second;
    if (!Fits(result, check.triangles)) {
      result.skipped_items.push_back({entry, object_id, LeftOut(name, result), true});
      continue;
    }
    if (!check.problem.empty())
      result.skipped_items.push_back({entry, object_id, Damaged(name, check)});
    list.SetPickTag({kPickItem, entry});
    if (entry == options.item_entry) {
      list.SetColorRGB(kRed);
      list.SetLayer(selected_layer);
    } else {
      list.SetColorRGB(kWhite);
      list.SetLayer(other_layer);
    }
    const uint64_t before = TrianglesOf(list);
    DrawMovable(ctx, m, x / 1024.0 + placement.world_x, -(y / 1024.0) + placement.world_y,
                -(z / 1024.0) + placement.world_z, EighthTurnDegrees(angle), kObjectScale);
    result.triangles += TrianglesOf(list) - before;
  }
}

void StartScene(DrawList& list) {
  list.ClearLayer(-1);
  list.SetLayer(0);
  list.LoadIdentity();
  list.Scale(kSceneScale, kSceneScale, kSceneScale);
}

SceneResult BuildScene(DrawList& list, LayerBuffers& buffers, const SceneSources& sources,
                       const ViewOptions& options) {
  SceneResult result;
  result.triangle_budget = sources.triangle_budget;
  StartScene(list);
  DrawScratch scratch;
  const MeshContext ctx{list, sources.meshes, sources.level, &scratch};
  result.placement = DrawRoom(ctx, options);
  result.triangles = TrianglesOf(list);
  list.SetLayer(options.wireframe_objects ? 1 : 0);
  if (result.placement) {
    if (!options.hide_statics) DrawStatics(ctx, *result.placement, options, result);
    if (!options.hide_items) DrawItems(ctx, *result.placement, sources, options, result);
  }
  list.Sort();
  list.BuildBuffers(buffers);
  return result;
}

std::string SceneNote(const SceneResult& result) {
  constexpr size_t kShown = 3;
  size_t over_budget = 0;
  // Each message once, in the order they came, with how often.
  std::vector<std::pair<const std::string*, size_t>> messages;
  auto add = [&](const std::string& message, bool over) {
    if (over) {
      ++over_budget;
      return;
    }
    for (auto& [m, n] : messages)
      if (*m == message) {
        ++n;
        return;
      }
    messages.emplace_back(&message, 1);
  };
  for (const SkippedItem& s : result.skipped_items) add(s.message, s.over_budget);
  for (const SkippedStatic& s : result.skipped_statics) add(s.message, s.over_budget);
  std::string note;
  if (over_budget)
    note = std::to_string(over_budget) + (over_budget == 1 ? " object is" : " objects are") +
           " left out: the view draws at most " + std::to_string(result.triangle_budget) +
           " triangles.";
  for (size_t k = 0; k < messages.size() && k < kShown; ++k) {
    note += (note.empty() ? "" : " ") + *messages[k].first;
    if (messages[k].second > 1) note += " (" + std::to_string(messages[k].second) + " times)";
  }
  if (messages.size() > kShown)
    note += " And " + std::to_string(messages.size() - kShown) + " more.";
  return note;
}

LayerBuffers PreviewBuffers() {
  LayerBuffers buffers = MakeLayerBuffers(1);
  buffers[0].buffer_texture = 5001;
  return buffers;
}

void BuildMovablePreview(DrawList& list, LayerBuffers& buffers, const Tmesh_list& meshes,
                         const Ttrlevel& level, int m) {
  list.ClearLayer(0);
  list.LoadIdentity();
  list.SetLayer(0);
  if (level.num_mesh_pointers() != 0 && meshes.count() != 0) {
    MovablePose pose;
    pose.skip_root_offset = true;
    DrawMovable({list, meshes, level}, m, 1, 0, 0, 0, 1, pose);
  }
  list.Sort();
  static_cast<void>(list.BuildLayerBuffer(0, buffers));  // the preview's buffers have layer 0
}

ViewBox DrawnBox(const DrawList& list) {
  ViewBox box;
  list.ForEachTriangle([&box](const BufferVertex* v, const TriangleInfo&) {
    for (int k = 0; k < 3; ++k) box.Add(v[k].x, v[k].y, v[k].z);
  });
  return box;
}

}  // namespace qavel
