#pragma once
// DrawList: scene code describes triangles one primitive at a time (current layer, colour,
// texture number, pick tag and matrix, as an immediate-mode library would); the list keeps them
// per layer and writes each layer into a LayerBuffer of 24-byte vertices cut into texture runs,
// ready for a renderer to upload and draw. Picking reads the same triangles back.

#include <cstdint>
#include <string>
#include <vector>

#include "view/view_math.h"

namespace qavel {

inline constexpr int kLayerCount = 16;

// One vertex as a layer buffer holds it: position, opaque ARGB colour, texture coordinates.
struct BufferVertex {
  float x = 0, y = 0, z = 0;
  uint32_t colour = 0;  // 0xFF000000 | r << 16 | g << 8 | b
  float u = 0, v = 0;
  bool operator==(const BufferVertex&) const = default;
};
static_assert(sizeof(BufferVertex) == 24);

// What a triangle belongs to; the scene sets kind and index (see PickKind in scene.h).
struct PickTag {
  uint8_t kind = 0;
  uint16_t index = 0;
  bool operator==(const PickTag&) const = default;
};
static_assert(sizeof(PickTag) == 4);

// The texture number and tag shared by the three vertices of a triangle.
struct TriangleInfo {
  int32_t texture = 0;
  PickTag tag;
};
static_assert(sizeof(TriangleInfo) == 8);

struct TextureRun {
  int32_t texture = 0;
  int32_t triangles = 0;
  bool operator==(const TextureRun&) const = default;
};

enum class FillMode : int32_t { kWireframe = 2, kSolid = 3 };

// One layer's buffer as a renderer draws it. `vertices` always holds `capacity` vertices (the
// buffer's size); a build rewrites them and the runs. The stamps tell a renderer what to do:
// `created` changes only when the buffer was made anew at another size (allocate again),
// `filled` on every rewrite (upload again). Stamps are unique in the process.
struct LayerBuffer {
  std::vector<BufferVertex> vertices;
  int32_t capacity = 0;
  uint32_t triangle_count = 0;
  FillMode fill_mode = FillMode::kSolid;
  int32_t buffer_texture = 0;  // the one-run texture, and the fallback of every run
  bool one_run = false;
  std::vector<TextureRun> runs;  // in buffer order; only meaningful with triangles
  uint64_t created = 0;
  uint64_t filled = 0;
};
using LayerBuffers = std::vector<LayerBuffer>;

// n entries, empty, solid.
LayerBuffers MakeLayerBuffers(size_t n);
// The main view's three: layer 0 solid and textured per run, layers 1 and 2 wireframe drawn as
// one run with the wireframe picture.
LayerBuffers MainViewBuffers();

// A run as a renderer issues it: the texture to bind and the vertices to draw.
struct DrawRun {
  int32_t texture = 0;
  uint32_t first_vertex = 0;
  uint32_t vertex_count = 0;
  bool operator==(const DrawRun&) const = default;
};
// The draw calls of one buffer: its runs, or one run of every triangle with the buffer texture
// when one run is set or the layer is wireframe; none without triangles.
std::vector<DrawRun> RunsToDraw(const LayerBuffer& buffer);

class DrawList {
 public:
  // A corner drawn in the current colour, and one with its own colour.
  struct Corner {
    float x = 0, y = 0, z = 0, u = 0, v = 0;
  };
  struct ColouredCorner {
    float x = 0, y = 0, z = 0;
    uint8_t r = 255, g = 255, b = 255;
    float u = 0, v = 0;
  };

  // One layer's triangles: three vertices each, in creation order; after Sort `order` lists
  // them by texture number, creation order kept among equal numbers.
  struct Layer {
    std::vector<BufferVertex> vertices;
    std::vector<TriangleInfo> triangles;
    std::vector<uint32_t> order;
    bool sorted = true;
  };

  DrawList() = default;

  // layer < 0: every layer is emptied and the texture number becomes -1; 0..15: that layer is
  // emptied, the others keep their triangles and order; 16 and more: nothing.
  void ClearLayer(int layer);
  // Triangles sent to a layer of 16 or more are dropped.
  void SetLayer(uint16_t layer) { layer_ = layer; }
  void SetTextureNumber(int32_t n) { texture_ = n; }
  void SetPickTag(PickTag tag) { tag_ = tag; }
  void SetColor(uint8_t r, uint8_t g, uint8_t b);
  // A window-system colour value: red in the low byte, then green, then blue.
  void SetColorRGB(uint32_t window_colour);
  void PushColor() { saved_colour_ = colour_; }
  void PopColor() { colour_ = saved_colour_; }

  // Triangles (V1, V3, V4) and (V1, V2, V3).
  void TexturedQuad(const ColouredCorner& v1, const ColouredCorner& v2, const ColouredCorner& v3,
                    const ColouredCorner& v4);
  void TexturedTriangle(const ColouredCorner& v1, const ColouredCorner& v2,
                        const ColouredCorner& v3);
  // In the current colour: triangles (V2, V3, V1) and (V4, V1, V3).
  void Quad(const Corner& v1, const Corner& v2, const Corner& v3, const Corner& v4);
  void Triangle(const Corner& v1, const Corner& v2, const Corner& v3);

  // Every corner is placed at [x, -y, z, 1] . current matrix: the scene hands over y pointing
  // down and the list turns it up, in vertices and translations alike.
  void LoadIdentity() { matrix_ = Identity(); }
  void Translate(float x, float y, float z);
  // Replaces the current matrix: a scale after a translation discards the translation.
  void Scale(float x, float y, float z) { matrix_ = Scaling(x, y, z); }
  // current := RY(ay) . RX(ax) . RZ(az) . current; degrees unless in_radians.
  void Rotate(bool in_radians, float ax, float ay, float az);
  void PushMatrix() { stack_.Push(matrix_); }
  void PopMatrix() { stack_.Pop(matrix_); }
  const Mat4& matrix() const { return matrix_; }
  void LoadMatrix(const Mat4& m) { matrix_ = m; }
  int stack_depth() const { return stack_.depth(); }

  // Texture mesh faces without a texture of their own are drawn with (8888 in the main view).
  int32_t standard_texture() const { return standard_texture_; }
  void set_standard_texture(int32_t n) { standard_texture_ = n; }
  int32_t texture_number() const { return texture_; }

  // Orders every changed layer by texture number (creation order among equals).
  void Sort();
  // Writes every layer that has an entry into its buffer (sorting first where needed). A layer
  // whose vertex count differs from its buffer's capacity gets a new buffer of that size; an
  // empty layer keeps its buffer and draws nothing.
  void BuildBuffers(LayerBuffers& buffers);
  // The same for one layer; a layer without an entry is refused with the message to show.
  std::string BuildLayerBuffer(int layer, LayerBuffers& buffers);

  int vertex_count(int layer) const;
  size_t total_vertices() const;
  const Layer& layer(int index) const { return layers_[index]; }
  // Bytes held by the list's own storage (the buffers' copies not included).
  size_t bytes_held() const;

  // Calls f(first vertex of three, triangle info) for every triangle in list order: layers in
  // order, each by texture number and creation. Layers not sorted since their last change are
  // walked in creation order.
  template <class F>
  void ForEachTriangle(F&& f) const {
    for (const Layer& l : layers_) {
      const size_t n = l.triangles.size();
      for (size_t k = 0; k < n; ++k) {
        const size_t t = l.sorted ? l.order[k] : k;
        f(&l.vertices[3 * t], l.triangles[t]);
      }
    }
  }

 private:
  BufferVertex Place(float x, float y, float z, uint32_t colour, float u, float v) const;
  void Add(const BufferVertex& a, const BufferVertex& b, const BufferVertex& c);
  void SortLayer(Layer& l);
  void FillBuffer(const Layer& l, LayerBuffer& out) const;

  Layer layers_[kLayerCount];
  uint16_t layer_ = 0;
  PickTag tag_;
  int32_t texture_ = 0;
  uint32_t colour_ = 0xFFFFFFFF;
  uint32_t saved_colour_ = 0xFFFFFFFF;
  Mat4 matrix_ = Identity();
  MatrixStack stack_;
  int32_t standard_texture_ = 0;
};

}  // namespace qavel
