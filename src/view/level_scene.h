#pragma once
// The view of many rooms at once: which rooms a mode shows (the level's normal state, its
// flipped state, the neighbours a room reaches through its portals), their scene drawn at their
// places in the level with the draw ranges of every room, which of them a frame can see, and
// the tint each is drawn with.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "view/scene.h"
#include "view/viewport.h"

namespace qavel {

enum class ViewMode { kRoom, kNeighbours, kLevel };

inline constexpr int kMaxNeighbourDepth = 5;
// The buffer portals are outlined in, and the pick kind of a portal (index: the room behind).
inline constexpr int kPortalLayer = 3;
inline constexpr uint8_t kPickPortal = 6;
// Room flag of rooms under water.
inline constexpr uint16_t kWaterRoomFlag = 0x0001;

// Whether the room names another room of the level as its alternate.
bool HasValidAlternate(const Ttrlevel& level, int room);
// Per room: whether it is an alternate room (named validly by another room, and naming no valid
// alternate itself).
std::vector<bool> AlternateRooms(const Ttrlevel& level);
// The room drawn in place of `room`: its alternate in the flipped state when it has a valid one.
int FlippedRoom(const Ttrlevel& level, int room, bool flipped);
// Every room of the normal state, or what the flipped state draws in their place, ascending and
// each once.
std::vector<int> LevelRooms(const Ttrlevel& level, bool flipped);
// The room (as the state shows it) and every room reached through at most `depth` portals, each
// room's own portals followed (in the flipped state the portals of the rooms shown); ascending.
std::vector<int> NeighbourRooms(const Ttrlevel& level, int room, int depth, bool flipped);
// The rooms a mode shows around the selected room; Room mode: the room, or its alternate.
std::vector<int> RoomsOfMode(const Ttrlevel& level, ViewMode mode, int room, int depth,
                             bool flipped);

// A room at its place in the level: its offset and stored heights, objects at their world place.
RoomPlacement PlaceRoomInLevel(const troom& room);

// The vertices of one room within one texture run of a layer buffer.
struct RoomSpan {
  int32_t texture = 0;
  uint32_t first_vertex = 0, vertex_count = 0;
  uint32_t slot = 0;  // index into LevelScene::rooms
  bool operator==(const RoomSpan&) const = default;
};

struct LevelScene {
  std::vector<int> rooms;          // drawn, ascending
  std::vector<ViewBounds> bounds;  // list space, of each drawn room with its objects
  std::vector<uint8_t> water;      // per drawn room
  // Per layer, in buffer order: the runs cut by room, so that a frame can draw a room or not.
  std::vector<std::vector<RoomSpan>> spans;
  ViewBox box;  // of everything drawn, list space
  // What the cameras frame (list space): each room's sector grid and faces, and the objects
  // standing within a few sectors of their room. The level may keep an object far outside its
  // room (a placeholder the game moves itself); framing it would leave the rooms a speck.
  std::vector<ViewBounds> frame_bounds;  // per drawn room
  ViewBox frame_box;
  SceneResult scene;

  int SlotOf(int room) const;
  // The slots a selected room is highlighted and framed by: its own where it is drawn; else,
  // for an alternate room the normal state leaves out, those of the rooms drawn in its place
  // (every drawn room naming it validly). Without the level, its own only.
  std::vector<int> SlotsOfSelected(const Ttrlevel* level, int room) const;
  // The room a triangle at a position of the list's order (as Pick reports it) belongs to.
  int RoomOfTriangle(size_t position) const;
  // Triangles before each layer in list order, and where each room's stretch starts.
  std::vector<std::pair<uint64_t, uint32_t>> starts;
};

// Portals are drawn when asked; the item entries of each room are read from the level.
struct LevelSceneOptions {
  bool portals = false;
};

// Rebuilds the list with the given rooms (any order; drawn ascending) at their places, each
// with its static meshes and items as the options say; the selected static entry counts only
// in the selected room. With portals, buffers are given a portal layer when they have none.
LevelScene BuildLevelScene(DrawList& list, LayerBuffers& buffers, const SceneSources& sources,
                           const ViewOptions& options, std::span<const int> rooms,
                           const LevelSceneOptions& level_options = {});

// Outlines a sector of the room (1-based column along x and row along z) at its floor, in the
// portal layer, as a portal the room's own (so that a click passes through it and a double
// click does nothing); a sector the room lacks draws nothing. Buffers are given the layer.
void DrawSectorOutline(DrawList& list, LayerBuffers& buffers, const troom& room,
                       const RoomPlacement& placement, int column, int row);

// The box (list space) of the triangles with that tag, of one drawn room's stretch when a scene
// of many rooms and its slot are given; empty (min above max) when none is drawn.
ViewBox TaggedBox(const DrawList& list, PickTag tag, const LevelScene* rooms = nullptr,
                  int slot = -1);
// The box (list space) of a sector of the room (1-based column along x, row along z) from its
// floor to its ceiling, at the placement; empty for a sector the room lacks.
ViewBox SectorBox(const troom& room, const RoomPlacement& placement, int column, int row);

// Every room whose box may show in the frame: a room is dropped only when its whole box lies
// beyond one plane of the view frustum.
std::vector<uint8_t> RoomsInView(const LevelScene& scene, const FrameMatrices& frame);

// Of the rooms in view, those the eye can see through portals when it stands inside a drawn
// room: the room it stands in, and every room behind a portal whose outline on screen meets the
// part of the screen through which the portal's own room is seen. Where the eye stands in no
// drawn room, every room in view.
std::vector<uint8_t> RoomsSeenThroughPortals(const LevelScene& scene, const Ttrlevel& level,
                                             const FrameMatrices& frame);

// What a frame of many rooms draws: which rooms, and the colour each is multiplied by.
struct RoomDraw {
  const LevelScene* scene = nullptr;  // none: every run drawn with the tint of the whole
  std::array<float, 3> whole = {1, 1, 1};
  std::vector<uint8_t> visible;
  std::vector<std::array<float, 3>> tint;
};
struct RoomShading {
  int selected = -1;        // drawn at full brightness; the others dimmer
  bool highlight = true;    // off: every room at full brightness
  bool water_tint = false;  // rooms under water tinted blue
};
// With the level, rooms hidden behind walls from an eye inside a room are left out too.
// The tint of a room under water.
inline constexpr std::array<float, 3> kWaterTint = {0.55f, 0.8f, 1.0f};
RoomDraw MakeRoomDraw(const LevelScene& scene, const FrameMatrices& frame,
                      const RoomShading& shading, const Ttrlevel* level = nullptr);

}  // namespace qavel
