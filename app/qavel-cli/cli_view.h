#pragma once
// What the view commands (scene, pick, render) share: the VIEW options and a room's scene as the
// window shows it just after the room was selected.

#include <string>

#include "commands.h"
#include "view/mesh_table.h"
#include "view/scene.h"
#include "view/viewport.h"

namespace qavel::cli {

extern const char* const kViewUsage;

// Takes the VIEW options from args into options; fails on a bad value.
Result TakeViewOptions(Args& args, ViewOptions& options, std::string& catalog);
// Takes "--size WIDTHxHEIGHT" from args (800 x 600 when absent); fails on a bad value.
Result TakeSizeOption(Args& args, int& width, int& height);
// One line per item and static mesh the scene did not draw whole.
void PrintSkipped(const SceneResult& scene);

// The room's scene, built once, with the camera centred on it as "Automatic" does.
struct ViewedRoom {
  LevelBundle named;
  Tmesh_list meshes;
  DrawList list;
  LayerBuffers buffers = MainViewBuffers();
  SceneResult scene;
  TGLViewport viewport;
};
Result BuildViewedRoom(ViewedRoom& v, const std::string& level_path, const std::string& room_text,
                       ViewOptions options, const std::string& catalog);

}  // namespace qavel::cli
