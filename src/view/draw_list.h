#pragma once
// DrawList: scene code describes triangles one primitive at a time (current layer, colour,
// texture number, pick tag and matrix, as an immediate-mode library would); the list files them
// by layer and texture number as they come. Meshes that are drawn again and again (the items and
// static meshes) are kept once as models and placed with a matrix each, so that a scene of many
// copies holds one copy and a small record per placement. For each layer the list describes a
// LayerBuffer of 24-byte vertices cut into texture runs and writes those vertices where a
// renderer wants them; picking reads the same triangles back.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "level/result.h"
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
  T* data() { return data_.get(); }
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

// One layer's buffer as a renderer draws it: `capacity` vertices, which DrawList::WriteLayer
// writes (the list keeps no flat copy of them); a build rewrites them and the runs. The stamps
// tell a renderer what to do: `created` changes only when the buffer is needed anew at another
// size (allocate again), `filled` on every rewrite (write again). Stamps are unique in the
// process.
struct LayerBuffer {
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

// An axis-aligned box in list space.
struct ViewBounds {
  float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
};

// A mesh ready to be placed any number of times: its points before placement, and its
// triangles by texture number, each texture's in the order their faces come. A triangle takes
// the colour of its placement unless it has one of its own.
struct MeshModel {
  struct Triangle {
    uint16_t corner[3] = {};  // into points
    uint32_t colour = 0;      // opaque ARGB, or 0 for the placement's colour
    TexCoord uv[3];
  };
  struct Texture {
    int32_t texture = 0;
    uint32_t first = 0, count = 0;  // into triangles
  };
  std::vector<Vec3> points;
  std::vector<Triangle> triangles;  // texture by texture
  std::vector<Texture> textures;
  ViewBounds bounds;  // of the points; DrawList::AddModel works it out
};

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

  // Where a mesh model was placed: its matrix (the affine part of the list's current matrix),
  // the colour its triangles take and its pick tag.
  struct Placement {
    float m[4][3] = {};
    uint32_t model = 0;
    uint32_t colour = 0;
    PickTag tag;
  };
  // A stretch of a group in creation order: triangles the group holds itself, or the
  // triangles of one texture of a placed model.
  struct Piece {
    static constexpr uint32_t kOwn = 0xFFFFFFFF;
    uint32_t placement = kOwn;
    uint32_t first = 0;  // own: the group's triangle; placed: the model's triangle
    uint32_t count = 0;
  };
  // The triangles of one layer that share a texture number, in creation order: its own (three
  // vertices and one tag each) and placed ones, stretch by stretch. A layer's groups in texture
  // order give the list order of the layer, so nothing is ever sorted.
  struct Group {
    int32_t texture = 0;
    PodBuffer<BufferVertex> vertices;
    PodBuffer<PickTag> tags;
    PodBuffer<Piece> pieces;
    size_t triangles = 0;  // own and placed
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
  // The corners of the triangles of each primitive, in the order they are made.
  static constexpr uint8_t kQuadOrder[6] = {1, 2, 0, 3, 0, 2};
  static constexpr uint8_t kTexturedQuadOrder[6] = {0, 2, 3, 0, 1, 2};
  static constexpr uint8_t kTriangleOrder[3] = {0, 1, 2};
  void PlacedQuad(const Vec3* const corners[4], const TexCoord* uv, uint32_t colour) {
    Emit(corners, uv, colour, kQuadOrder, 2);
  }
  void PlacedTexturedQuad(const Vec3* const corners[4], const TexCoord* uv, uint32_t colour) {
    Emit(corners, uv, colour, kTexturedQuadOrder, 2);
  }
  void PlacedTriangle(const Vec3* const corners[3], const TexCoord* uv, uint32_t colour) {
    Emit(corners, uv, colour, kTriangleOrder, 1);
  }
  // The same primitives with a colour of each corner's own (opaque ARGB).
  void PlacedQuadLit(const Vec3* const corners[4], const TexCoord* uv, const uint32_t* colours) {
    EmitLit(corners, uv, colours, kQuadOrder, 2);
  }
  void PlacedTriangleLit(const Vec3* const corners[3], const TexCoord* uv,
                         const uint32_t* colours) {
    EmitLit(corners, uv, colours, kTriangleOrder, 1);
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

  // Models of meshes drawn more than once, found again by a key the caller chooses: a key must
  // always stand for the same model (name the mesh's source in it). When the list is emptied the
  // placements go, and of the models those the emptied scene did not place: a rebuild of the
  // same scene finds its models made.
  struct ModelKey {
    uint64_t a = 0, b = 0, c = 0;
    bool operator==(const ModelKey&) const = default;
  };
  // The index of the model with that key, -1 when there is none yet.
  int64_t FindModel(const ModelKey& key) const;
  uint32_t AddModel(const ModelKey& key, MeshModel model);
  const MeshModel& model(uint32_t index) const { return models_[index]; }
  // Places model `index` through the current matrix into the current layer with the current
  // pick tag; its triangles without a colour of their own take `colour`. The texture number
  // stays as it was.
  void PlaceModel(uint32_t index, uint32_t colour);

  // Texture mesh faces without a texture of their own are drawn with (8888 in the main view).
  int32_t standard_texture() const { return standard_texture_; }
  void set_standard_texture(int32_t n) { standard_texture_ = n; }
  int32_t texture_number() const { return texture_; }

  // The list is always in order; Sort gives back what emptied groups and growth left unused.
  void Sort();
  // Describes every layer that has an entry in its buffer. A layer whose vertex count differs
  // from its buffer's capacity needs a new buffer of that size; an empty layer keeps its buffer
  // and draws nothing.
  void BuildBuffers(LayerBuffers& buffers);
  // The same for one layer; a layer without an entry is refused with the message to show.
  Result BuildLayerBuffer(int layer, LayerBuffers& buffers);
  // Writes the vertex_count(layer) vertices of a layer in list order to out: what its buffer
  // holds.
  void WriteLayer(int layer, BufferVertex* out) const;

  int vertex_count(int layer) const;
  size_t total_vertices() const;
  // The triangles each texture group of a layer holds so far, by texture number ascending
  // (groups emptied by a clear are listed with none).
  void GroupTriangles(int layer, std::vector<TextureRun>& out) const;
  // Placements made so far, and the box holding every vertex of placements [first, last).
  size_t placement_count() const { return placements_.size(); }
  // With `around`, only the placements whose box meets it.
  void GrowByPlacements(size_t first, size_t last, ViewBounds& box,
                        const ViewBounds* around = nullptr) const;
  // Bytes held by the list's own storage: its triangles, models and placements.
  size_t bytes_held() const;

  // Calls f(first vertex of three, triangle info) for every triangle of a layer, or of all
  // layers in layer order, in list order: by texture number, then creation. Placed triangles
  // are worked out as they come, with the same arithmetic as drawn ones.
  template <class F>
  void ForEachTriangleOfLayer(int layer, F&& f) const {
    const Layer& l = layers_[layer];
    std::vector<BufferVertex> placed;
    for (uint32_t g : l.order) {
      const Group& group = l.groups[g];
      for (size_t p = 0; p < group.pieces.size(); ++p) {
        const Piece& piece = group.pieces[p];
        if (piece.placement == Piece::kOwn) {
          const BufferVertex* v = group.vertices.data() + 3 * size_t{piece.first};
          for (uint32_t k = 0; k < piece.count; ++k)
            f(v + 3 * k, TriangleInfo{group.texture, group.tags[piece.first + k]});
          continue;
        }
        placed.resize(3 * size_t{piece.count});
        WritePlaced(piece, placed.data());
        const PickTag tag = placements_[piece.placement].tag;
        for (uint32_t k = 0; k < piece.count; ++k)
          f(placed.data() + 3 * k, TriangleInfo{group.texture, tag});
      }
    }
  }
  template <class F>
  void ForEachTriangle(F&& f) const {
    for (int l = 0; l < kLayerCount; ++l) ForEachTriangleOfLayer(l, f);
  }
  // As ForEachTriangle, passing over the placed triangles whose placement's bounds (a box that
  // holds every vertex of it) keep(bounds) refuses without working them out; f(first vertex,
  // info, position in list order).
  template <class Keep, class F>
  void ForEachTriangleKept(Keep&& keep, F&& f) const {
    std::vector<BufferVertex> placed;
    // Whether each placement is kept (1), passed over (0) or not yet asked (-1): a placement
    // has a piece in the group of each of its textures.
    std::vector<int8_t> kept(placements_.size(), -1);
    size_t position = 0;
    for (const Layer& l : layers_)
      for (uint32_t g : l.order) {
        const Group& group = l.groups[g];
        for (size_t p = 0; p < group.pieces.size(); ++p) {
          const Piece& piece = group.pieces[p];
          const BufferVertex* v = nullptr;
          PickTag tag;
          if (piece.placement == Piece::kOwn) {
            v = group.vertices.data() + 3 * size_t{piece.first};
          } else {
            const Placement& at = placements_[piece.placement];
            int8_t& keeping = kept[piece.placement];
            if (keeping < 0) keeping = keep(PlacedBounds(at)) ? 1 : 0;
            if (!keeping) {
              position += piece.count;
              continue;
            }
            placed.resize(3 * size_t{piece.count});
            WritePlaced(piece, placed.data());
            v = placed.data();
            tag = at.tag;
          }
          for (uint32_t k = 0; k < piece.count; ++k, ++position)
            f(v + 3 * k,
              TriangleInfo{group.texture,
                           piece.placement == Piece::kOwn ? group.tags[piece.first + k] : tag},
              position);
        }
      }
  }

 private:
  struct ModelKeyHash {
    size_t operator()(const ModelKey& k) const {
      return std::hash<uint64_t>()((k.a * 31 ^ k.b) * 31 ^ k.c);
    }
  };
  ViewBounds PlacedBounds(const Placement& p) const;
  // Once the list is empty: the placements go, and the models the last scene did not place.
  void DropUnplacedModels();

  BufferVertex Place(float x, float y, float z, uint32_t colour, float u, float v) const;
  // The group of the current layer for a texture number, made when it is new.
  uint32_t FindGroup(int32_t texture);
  // The triangles of a placed piece, as 3 * count vertices.
  void WritePlaced(const Piece& piece, BufferVertex* out) const;
  // Room for n triangles under the current layer, texture number and tag; nullptr on a layer
  // of 16 or more.
  BufferVertex* AppendTriangles(size_t n) {
    if (layer_ >= kLayerCount) return nullptr;
    Layer& l = layers_[layer_];
    Group& g = l.groups[FindGroup(texture_)];
    const auto own = static_cast<uint32_t>(g.tags.size());
    Piece* last = g.pieces.empty() ? nullptr : g.pieces.data() + g.pieces.size() - 1;
    if (last && last->placement == Piece::kOwn)
      last->count += static_cast<uint32_t>(n);
    else
      *g.pieces.Append(1) = {Piece::kOwn, own, static_cast<uint32_t>(n)};
    std::fill_n(g.tags.Append(n), n, tag_);
    g.triangles += n;
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
  void EmitLit(const Vec3* const* corners, const TexCoord* uv, const uint32_t* colours,
               const uint8_t* order, size_t triangles) {
    BufferVertex* out = AppendTriangles(triangles);
    if (!out) return;
    for (size_t i = 0; i < 3 * triangles; ++i) {
      const Vec3& p = *corners[order[i]];
      const TexCoord& t = uv[order[i]];
      out[i] = {p.x, p.y, p.z, colours[order[i]], t.u, t.v};
    }
  }
  void EmptyLayer(Layer& l);
  void FillBuffer(const Layer& l, LayerBuffer& out) const;

  Layer layers_[kLayerCount];
  std::vector<MeshModel> models_;
  std::vector<ModelKey> model_keys_;
  std::vector<bool> model_placed_;
  std::unordered_map<ModelKey, uint32_t, ModelKeyHash> model_index_;
  std::vector<Placement> placements_;
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
