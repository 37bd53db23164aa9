#pragma once
// The main view's scene: the selected room, its static meshes and its items drawn into a
// DrawList with a pick tag on every triangle, and the room's placement values and box.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "exchange/catalog_movables.h"
#include "level/ttrlevel.h"
#include "view/draw_list.h"
#include "view/mesh_table.h"
#include "view/scene_models.h"

namespace qavel {

// Pick tag kinds; the index of kinds 1, 2 and 5 is 1-based, of kind 3 the item-list entry.
enum PickKind : uint8_t {
  kPickRoomRectangle = 1,
  kPickRoomTriangle = 2,
  kPickItem = 3,
  kPickStatic = 5,
};

// The View menu's switches and the selections the scene shows.
struct ViewOptions {
  int room = -1;          // room list entry
  int item_entry = -1;    // item list entry (items, then aux records)
  int static_entry = -1;  // static-mesh list entry of the room, 0-based
  bool wireframe_room = false;
  bool wireframe_objects = false;
  bool hide_items = false;
  bool hide_statics = false;
  bool standard_room = false;  // every room face with the standard room texture
  bool room_lighting = false;  // room faces in their vertices' light, not white
};

// The light a room vertex stores as an opaque ARGB grey or colour: TR1 and TR2 keep an
// intensity (0 bright to 8191 dark), later generations a 5-5-5 colour.
uint32_t RoomVertexLight(int32_t version_kind, const tvertex2& vertex);

struct ViewBox {
  double min_x = 922337203685477.6, min_y = 922337203685477.6, min_z = 922337203685477.6;
  double max_x = -922337203685477.6, max_y = -922337203685477.6, max_z = -922337203685477.6;
  bool operator==(const ViewBox&) const = default;
  // Grows the box to hold the point.
  void Add(double x, double y, double z) {
    min_x = std::min(min_x, x), min_y = std::min(min_y, y), min_z = std::min(min_z, z);
    max_x = std::max(max_x, x), max_y = std::max(max_y, y), max_z = std::max(max_z, z);
  }
  // Grows the box to hold the bounds.
  void Add(const ViewBounds& b) {
    Add(b.lo[0], b.lo[1], b.lo[2]);
    Add(b.hi[0], b.hi[1], b.hi[2]);
  }
};

// Where a room is drawn, in view units (1 = one sector, y and z turned).
struct RoomPlacement {
  // Added to room vertex x / 1024, -y / 1024 and -z / 1024.
  double room_x = 0, room_y = 0, room_z = 0;
  // Added to world x / 1024, -y / 1024 and -z / 1024 of items and static meshes.
  double world_x = 0, world_y = 0, world_z = 0;
  // What camera centring frames. Its z range lies one room depth behind the room itself,
  // which centring and the scene's double scale rely on together.
  ViewBox box;
};
RoomPlacement PlaceRoom(const troom& room);

// Item-list entries placed in a room, in list order: items, then (TR4/TR5) aux records.
std::vector<uint16_t> RoomItemEntries(const Ttrlevel& level, int room);

// Angle in degrees of an item or static mesh: eight directions from the top three bits of a
// 16-bit angle, turned the view's way round.
float EighthTurnDegrees(uint16_t angle);
// The level's movable drawn for an item of that object id (directly or through the catalog's
// alias), -1 when the level has none.
int MovableOfItem(const MovableCatalog& catalog, const Ttrlevel& level, uint32_t object_id);

// The most triangles a scene draws. What lies beyond is left out whole, object by object in the
// order they are drawn, and named: the view stays within what a software renderer draws in a
// blink and the memory it holds, and a level of hundreds of rooms with their objects fits.
inline constexpr uint64_t kViewTriangleBudget = 4'000'000;

struct SceneSources {
  const Ttrlevel& level;
  const Tmesh_list& meshes;
  const MovableCatalog& catalog;
  std::span<const uint16_t> room_items;  // the selected room's item-list entries
  uint64_t triangle_budget = kViewTriangleBudget;
};

// An item not drawn whole: the level has no movable for it ("Object ID" + id + " is missing."),
// its meshes are damaged, or the scene reached its budget.
struct SkippedItem {
  int entry = 0;
  uint32_t object_id = 0;
  std::string message;
  bool over_budget = false;
};
// A static mesh instance not drawn whole, by its 0-based entry in the room.
struct SkippedStatic {
  int entry = 0;
  uint32_t mesh_id = 0;
  std::string message;
  bool over_budget = false;
};

struct SceneResult {
  std::optional<RoomPlacement> placement;  // none when the room is not in the level
  std::vector<SkippedItem> skipped_items;
  std::vector<SkippedStatic> skipped_statics;
  uint64_t triangles = 0;  // drawn
  uint64_t triangle_budget = kViewTriangleBudget;
  bool budget_reached = false;  // objects were left out for it
};

// Empties every layer of the list for a new scene: layer 0, the scene's scale applied.
void StartScene(DrawList& list);

// Rebuilds the whole scene: clears the list, draws room, statics and items at twice their unit
// size, and describes the buffers.
SceneResult BuildScene(DrawList& list, LayerBuffers& buffers, const SceneSources& sources,
                       const ViewOptions& options);

// The steps of BuildScene, for callers that compose their own. The objects' steps add what
// they draw to result.triangles and leave out, naming them there, the objects beyond its budget.
std::optional<RoomPlacement> DrawRoom(const MeshContext& ctx, const ViewOptions& options);
// The room's faces at a placement of the caller's.
void DrawRoomAt(const MeshContext& ctx, const ViewOptions& options, const RoomPlacement& placement);
void DrawStatics(const MeshContext& ctx, const RoomPlacement& placement, const ViewOptions& options,
                 SceneResult& result);
void DrawItems(const MeshContext& ctx, const RoomPlacement& placement, const SceneSources& sources,
               const ViewOptions& options, SceneResult& result);

// The build's messages as one short line for a status bar: how many objects the budget left out,
// then the other messages, each once with how often it came, up to three and how many more.
std::string SceneNote(const SceneResult& result);

// The Create Item preview's one buffer: solid, drawn in texture runs, texture 5001 (which no
// record holds) as the fallback of a run whose page is missing.
LayerBuffers PreviewBuffers();
// The preview scene: movable m alone in layer 0, in the first frame of its first animation,
// at (1, 0, 0) without its root offset and ten times the main view's size; layer 0 is written
// into the buffers' entry 0. Without meshes, or for a movable the level lacks, the layer
// stays empty.
void BuildMovablePreview(DrawList& list, LayerBuffers& buffers, const Tmesh_list& meshes,
                         const Ttrlevel& level, int m);
// The box of every vertex in the list (an empty box, min above max, for an empty list).
ViewBox DrawnBox(const DrawList& list);

}  // namespace qavel
