#pragma once
// DrawList: scene code describes triangles one primitive at a time (current layer, colour,
// texture number, pick tag and matrix, as an immediate-mode library would); the list files them
// by layer and texture number as they come and writes each layer into a LayerBuffer of 24-byte
// vertices cut into texture runs, ready for a renderer to upload and draw. Picking reads the
// same triangles back.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "pieces/texture_pieces.h"
#include "view/view_math.h"

namespace qavel {

inline constexpr int kLayerCount = 16;

// A growable array of plain values that appends without initialising first, doubles and
// can give back what it does not use. It grows with realloc: a large block then moves its pages
// instead of copying them, so growing touches no fresh memory for what it already holds (on
// fresh memory every page's first touch costs more than writing it).
template <class T>
class PodBuffer {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  // Room for n more values at the end; the caller writes them.
  T* Append(size_t n) {
    if (size_ + n > capacity_) Reallocate(std::max(size_ + n, 2 * capacity_ + 48));
    T* out = data_.get() + size_;
    size_ += n;
    return out;
  }
  void clear() { size_ = 0; }
  // Gives back all but an eighth of slack.
  void Trim() {
    if (capacity_ > size_ + size_ / 8 + 8) Reallocate(size_);
  }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  size_t capacity() const { return capacity_; }
  const T* data() const { return data_.get(); }
  const T& operator[](size_t i) const { return data_[i]; }

 private:
  struct Free {
    void operator()(T* p) const { std::free(p); }
  };
  void Reallocate(size_t capacity) {
    if (capacity == 0) {
      data_.reset();
      capacity_ = 0;
      return;
    }
    void* grown = std::realloc(data_.get(), capacity * sizeof(T));
    if (!grown) throw std::bad_alloc();
    (void)data_.release();  // realloc took the old block
    data_.reset(static_cast<T*>(grown));
    capacity_ = capacity;
  }
  std::unique_ptr<T[], Free> data_;
  size_t size_ = 0, capacity_ = 0;
};

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

  // The triangles of one layer that share a texture number, in creation order: three vertices
  // and one tag each. A layer's groups in texture order give the list order of the layer, so
  // nothing is ever sorted.
  struct Group {
    int32_t texture = 0;
    PodBuffer<BufferVertex> vertices;
    PodBuffer<PickTag> tags;
  };
  struct Layer {
    std::vector<Group> groups;    // in order of first use
    std::vector<uint32_t> order;  // group indices by texture number
    size_t vertex_count = 0;
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

  // For drawing code that shares corners between faces: places a point once, and adds
  // primitives of corners already placed (with their texture coordinates, in one colour) as
  // the same triangles as Quad, TexturedQuad and Triangle.
  Vec3 PlacePoint(float x, float y, float z) const { return TransformPoint(matrix_, x, -y, z); }
  uint32_t colour() const { return colour_; }
  void PlacedQuad(const Vec3* const corners[4], const TexCoord* uv, uint32_t colour) {
    static constexpr uint8_t kOrder[6] = {1, 2, 0, 3, 0, 2};
    Emit(corners, uv, colour, kOrder, 2);
  }
  void PlacedTexturedQuad(const Vec3* const corners[4], const TexCoord* uv, uint32_t colour) {
    static constexpr uint8_t kOrder[6] = {0, 2, 3, 0, 1, 2};
    Emit(corners, uv, colour, kOrder, 2);
  }
  void PlacedTriangle(const Vec3* const corners[3], const TexCoord* uv, uint32_t colour) {
    static constexpr uint8_t kOrder[3] = {0, 1, 2};
    Emit(corners, uv, colour, kOrder, 1);
  }

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

  // The list is always in order; Sort gives back what emptied groups and growth left unused.
  void Sort();
  // Writes every layer that has an entry into its buffer. A layer whose vertex count differs
  // from its buffer's capacity gets a new buffer of that size; an empty layer keeps its buffer
  // and draws nothing.
  void BuildBuffers(LayerBuffers& buffers);
  // The same for one layer; a layer without an entry is refused with the message to show.
  std::string BuildLayerBuffer(int layer, LayerBuffers& buffers);

  int vertex_count(int layer) const;
  size_t total_vertices() const;
  // Bytes held by the list's own storage (the buffers' copies not included).
  size_t bytes_held() const;

  // Calls f(first vertex of three, triangle info) for every triangle of a layer, or of all
  // layers in layer order, in list order: by texture number, then creation.
  template <class F>
  void ForEachTriangleOfLayer(int layer, F&& f) const {
    const Layer& l = layers_[layer];
    for (uint32_t g : l.order) {
      const Group& group = l.groups[g];
      const BufferVertex* v = group.vertices.data();
      const size_t n = group.tags.size();
      for (size_t k = 0; k < n; ++k) f(v + 3 * k, TriangleInfo{group.texture, group.tags[k]});
    }
  }
  template <class F>
  void ForEachTriangle(F&& f) const {
    for (int l = 0; l < kLayerCount; ++l) ForEachTriangleOfLayer(l, f);
  }

 private:
  BufferVertex Place(float x, float y, float z, uint32_t colour, float u, float v) const;
  uint32_t FindGroup();
  // Room for n triangles under the current layer, texture number and tag; nullptr on a layer
  // of 16 or more.
  BufferVertex* AppendTriangles(size_t n) {
    if (layer_ >= kLayerCount) return nullptr;
    if (cached_layer_ != layer_ || cached_texture_ != texture_) cached_group_ = FindGroup();
    Layer& l = layers_[layer_];
    Group& g = l.groups[cached_group_];
    std::fill_n(g.tags.Append(n), n, tag_);
    l.vertex_count += 3 * n;
    return g.vertices.Append(3 * n);
  }
  void Add(const BufferVertex& a, const BufferVertex& b, const BufferVertex& c) {
    if (BufferVertex* out = AppendTriangles(1)) {
      out[0] = a;
      out[1] = b;
      out[2] = c;
    }
  }
  // Writes corners field by field straight into the group (the corners live in memory the
  // caller wrote long before, so nothing waits on a store just made).
  void Emit(const Vec3* const* corners, const TexCoord* uv, uint32_t colour, const uint8_t* order,
            size_t triangles) {
    BufferVertex* out = AppendTriangles(triangles);
    if (!out) return;
    for (size_t i = 0; i < 3 * triangles; ++i) {
      const Vec3& p = *corners[order[i]];
      const TexCoord& t = uv[order[i]];
      out[i].x = p.x;
      out[i].y = p.y;
      out[i].z = p.z;
      out[i].colour = colour;
      out[i].u = t.u;
      out[i].v = t.v;
    }
  }
  void EmptyLayer(Layer& l);
  void FillBuffer(const Layer& l, LayerBuffer& out) const;

  Layer layers_[kLayerCount];
  // The group the last triangle went to, so that runs of faces of one texture find it at once.
  int cached_layer_ = -1;
  int32_t cached_texture_ = 0;
  uint32_t cached_group_ = 0;
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
