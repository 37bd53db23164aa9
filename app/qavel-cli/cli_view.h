#pragma once
// What the view commands (scene, pick, render) share: the VIEW options and a room's scene as the
// window shows it just after the room was selected.

#include <optional>
#include <string>

#include "commands.h"
#include "view/level_scene.h"
#include "view/mesh_table.h"
#include "view/scene.h"
#include "view/viewport.h"

namespace qavel::cli {

extern const char* const kViewUsage;

// Which rooms are shown and from where: the mode, neighbour depth, flipped state, portals and
// a free camera (world units).
struct RoomsShown {
  ViewMode mode = ViewMode::kRoom;
  int depth = 1;
  bool flipped = false;
  bool portals = false;
  std::optional<LookCamera> camera;
  // Whether the rooms are drawn at their places in the level (anything but one plain room).
  bool Placed() const { return mode != ViewMode::kRoom || portals || camera.has_value(); }
};

// Takes the VIEW options from args into options and shown; fails on a bad value.
Result TakeViewOptions(Args& args, ViewOptions& options, std::string& catalog, RoomsShown& shown);
// Takes "--size WIDTHxHEIGHT" from args (800 x 600 when absent); fails on a bad value.
Result TakeSizeOption(Args& args, int& width, int& height);
// One line per item and static mesh the scene did not draw whole.
void PrintSkipped(const SceneResult& scene);

// The room's scene, built once, with the camera centred on it as "Automatic" does; or the rooms
// shown at their places, framed from above or seen from the free camera.
struct ViewedRoom {
  LevelBundle named;
  Tmesh_list meshes;
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  SceneResult scene;
  TGLViewport viewport;
  RoomsShown shown;
  LevelScene rooms;  // when placed
  int room = 0;      // the selected room
};
Result BuildViewedRoom(ViewedRoom& v, const std::string& level_path, const std::string& room_text,
                       ViewOptions options, const std::string& catalog, const RoomsShown& shown,
                       int width = 800, int height = 600);

}  // namespace qavel::cli
