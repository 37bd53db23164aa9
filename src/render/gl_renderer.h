#pragma once
// GlRenderer: draws a view's layer buffers with OpenGL 3.3 core, one vertex buffer per layer and
// one draw call per texture run, as the frame of a viewport describes them.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "level/result.h"
#include "render/device_textures.h"
#include "view/draw_list.h"
#include "view/level_scene.h"
#include "view/view_math.h"
#include "view/viewport.h"

class QOpenGLFunctions_3_3_Core;
class QSurfaceFormat;

namespace qavel {

struct RenderOptions {
  // Texels the atlas shows as magenta (the level's transparent ones) are left out, so what lies
  // behind them shows; off, they are drawn magenta like every other texel.
  bool transparent_texels = false;
};

// What every view asks of its context: OpenGL 3.3 core, a 24-bit depth buffer with stencil, no
// multisampling. The window and headless drawing use the same, so they give the same pixels.
QSurfaceFormat ViewSurfaceFormat();

// The matrix a vertex is multiplied by: world . view . projection, then the depth range of the
// projection (0..1 in front of the camera) moved to OpenGL's -1..1, so that the near and far
// planes clip where they always did and the depth buffer holds the same values. Row vectors:
// the shader takes the rows as columns, which is the transpose it needs.
Mat4 ClipTransform(const FrameMatrices& frame);

class GlRenderer {
 public:
  // Needs the view's context current: resolves the 3.3 core functions and builds the shader.
  // Fails with why this context cannot draw the view.
  Result Initialize();
  bool ready() const { return programs_[0].id != 0; }
  // Deletes every GL object (context current), leaving the renderer ready to Initialize again
  // in another context; buffers and textures are then uploaded again at the next frame.
  void Release();

  // Draws one frame of the list's layers, as the buffers describe them, into the bound
  // framebuffer of pixel_width x pixel_height: clears to clear_argb (0xFFRRGGBB) and depth 1,
  // uploads what changed (layers whose buffer was made anew or refilled, textures of new
  // revisions) and draws the layers in order. A layer the driver has no memory for is left out
  // and the frame fails with why, the other layers drawn. Before Initialize succeeded the frame
  // is only cleared (in whatever context is current) and fails.
  // With rooms, a layer the scene cut by room draws only the rooms marked visible, each
  // multiplied by its tint.
  Result DrawFrame(const DrawList& list, const LayerBuffers& buffers, const FrameMatrices& frame,
                   uint32_t clear_argb, const TextureStore& store, int pixel_width,
                   int pixel_height, const RoomDraw* rooms = nullptr);

  void set_options(const RenderOptions& options) { options_ = options; }
  const RenderOptions& options() const { return options_; }
  DeviceTextures& textures() { return textures_; }
  // The context's version as the driver reports it ("4.5 (Core Profile) Mesa ..." ).
  const std::string& gl_version() const { return version_; }

  struct Stats {
    uint64_t buffer_creations = 0;  // vertex buffers given new storage
    uint64_t buffer_fills = 0;      // vertex buffers rewritten in place
    uint64_t draw_calls = 0;
    uint64_t frames = 0;
  };
  const Stats& stats() const { return stats_; }

 private:
  struct LayerGl {
    unsigned buffer = 0;
    uint64_t created = 0, filled = 0;
  };
  Result UploadLayer(const DrawList& list, int layer, const LayerBuffer& buffer, LayerGl& gl);
  Result DrawLayer(const DrawList& list, int layer, const LayerBuffer& buffer, LayerGl& gl,
                   const RoomDraw* rooms);

  QOpenGLFunctions_3_3_Core* gl_ = nullptr;
  // The programs of the three ways of colouring a face: vertex colour, texture, keyed texture.
  static constexpr int kModes = 3;
  struct ModeProgram {
    unsigned id = 0;
    int transform_at = -1, sampler_at = -1, tint_at = -1;
  };
  std::array<ModeProgram, kModes> programs_{};
  unsigned used_program_ = 0, vertex_array_ = 0;
  // Vertices drawn since the frame was last flushed, flushed at every batch of this many.
  static constexpr uint32_t kBatchVertices = 3 * 8192;
  uint32_t unflushed_ = 0;
  std::vector<LayerGl> layers_;
  DeviceTextures textures_;
  RenderOptions options_;
  Stats stats_;
  std::string version_;
};

}  // namespace qavel
