#include "view/draw_list.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace qavel {

namespace {

constexpr float kDegrees = 0.017453292519943f;

uint32_t Argb(uint8_t r, uint8_t g, uint8_t b) {
  return 0xFF000000u | uint32_t{r} << 16 | uint32_t{g} << 8 | b;
}

uint64_t NextStamp() {
  static std::atomic<uint64_t> stamp{0};
  return ++stamp;
}

// Storage grown for a larger scene stays allocated between builds (rebuilding the same room
// reuses it), but not beyond an eighth over what the last build used.
template <class T>
void TrimSlack(std::vector<T>& v) {
  if (v.capacity() > v.size() + v.size() / 8 + 64) v.shrink_to_fit();
}

}  // namespace

LayerBuffers MakeLayerBuffers(size_t n) {
  return LayerBuffers(std::min<size_t>(n, kLayerCount));
}

LayerBuffers MainViewBuffers() {
  LayerBuffers b = MakeLayerBuffers(3);
  for (size_t i = 1; i < 3; ++i) {
    b[i].fill_mode = FillMode::kWireframe;
    b[i].buffer_texture = 8889;
    b[i].one_run = true;
  }
  return b;
}

std::vector<DrawRun> RunsToDraw(const LayerBuffer& buffer) {
  std::vector<DrawRun> out;
  if (buffer.triangle_count == 0) return out;
  if (buffer.one_run || buffer.fill_mode == FillMode::kWireframe) {
    out.push_back({buffer.buffer_texture, 0, 3 * buffer.triangle_count});
    return out;
  }
  uint32_t first = 0;
  for (const TextureRun& r : buffer.runs) {
    const auto count = static_cast<uint32_t>(3 * r.triangles);
    if (count > 0) out.push_back({r.texture, first, count});
    first += count;
  }
  return out;
}

void DrawList::ClearLayer(int layer) {
  if (layer >= kLayerCount) return;
  if (layer < 0) {
    for (Layer& l : layers_) {
      l.vertices.clear();
      l.triangles.clear();
      l.order.clear();
      l.sorted = true;
    }
    texture_ = -1;
    return;
  }
  Layer& l = layers_[layer];
  l.vertices.clear();
  l.triangles.clear();
  l.order.clear();
  l.sorted = true;
}

void DrawList::SetColor(uint8_t r, uint8_t g, uint8_t b) {
  colour_ = Argb(r, g, b);
}

void DrawList::SetColorRGB(uint32_t window_colour) {
  SetColor(window_colour & 0xFF, (window_colour >> 8) & 0xFF, (window_colour >> 16) & 0xFF);
}

BufferVertex DrawList::Place(float x, float y, float z, uint32_t colour, float u, float v) const {
  const Vec3 p = TransformPoint(matrix_, x, -y, z);
  return {p.x, p.y, p.z, colour, u, v};
}

void DrawList::Add(const BufferVertex& a, const BufferVertex& b, const BufferVertex& c) {
  Layer& l = layers_[layer_];
  l.vertices.push_back(a);
  l.vertices.push_back(b);
  l.vertices.push_back(c);
  l.triangles.push_back({texture_, tag_});
  l.sorted = false;
}

void DrawList::TexturedQuad(const ColouredCorner& v1, const ColouredCorner& v2,
                            const ColouredCorner& v3, const ColouredCorner& v4) {
  if (layer_ >= kLayerCount) return;
  auto place = [this](const ColouredCorner& c) {
    return Place(c.x, c.y, c.z, Argb(c.r, c.g, c.b), c.u, c.v);
  };
  const BufferVertex a = place(v1), b = place(v2), c = place(v3), d = place(v4);
  Add(a, c, d);
  Add(a, b, c);
}

void DrawList::TexturedTriangle(const ColouredCorner& v1, const ColouredCorner& v2,
                                const ColouredCorner& v3) {
  if (layer_ >= kLayerCount) return;
  auto place = [this](const ColouredCorner& c) {
    return Place(c.x, c.y, c.z, Argb(c.r, c.g, c.b), c.u, c.v);
  };
  Add(place(v1), place(v2), place(v3));
}

void DrawList::Quad(const Corner& v1, const Corner& v2, const Corner& v3, const Corner& v4) {
  if (layer_ >= kLayerCount) return;
  auto place = [this](const Corner& c) { return Place(c.x, c.y, c.z, colour_, c.u, c.v); };
  const BufferVertex a = place(v1), b = place(v2), c = place(v3), d = place(v4);
  Add(b, c, a);
  Add(d, a, c);
}

void DrawList::Triangle(const Corner& v1, const Corner& v2, const Corner& v3) {
  if (layer_ >= kLayerCount) return;
  auto place = [this](const Corner& c) { return Place(c.x, c.y, c.z, colour_, c.u, c.v); };
  Add(place(v1), place(v2), place(v3));
}

void DrawList::Translate(float x, float y, float z) {
  matrix_ = Multiply(Translation(x, -y, z), matrix_);
}

void DrawList::Rotate(bool in_radians, float ax, float ay, float az) {
  if (!in_radians) {
    ax *= kDegrees;
    ay *= kDegrees;
    az *= kDegrees;
  }
  const Mat4 r = Multiply(Multiply(RotationY(ay), RotationX(ax)), RotationZ(az));
  matrix_ = Multiply(r, matrix_);
}

void DrawList::SortLayer(Layer& l) {
  const size_t n = l.triangles.size();
  l.order.resize(n);
  for (size_t k = 0; k < n; ++k) l.order[k] = static_cast<uint32_t>(k);
  const TriangleInfo* t = l.triangles.data();
  const bool in_order = std::is_sorted(
      l.triangles.begin(), l.triangles.end(),
      [](const TriangleInfo& a, const TriangleInfo& b) { return a.texture < b.texture; });
  if (!in_order) {
    // Ties go by creation: the index is the second key.
    std::sort(l.order.begin(), l.order.end(), [t](uint32_t a, uint32_t b) {
      return t[a].texture < t[b].texture || (t[a].texture == t[b].texture && a < b);
    });
  }
  l.sorted = true;
  TrimSlack(l.vertices);
  TrimSlack(l.triangles);
  TrimSlack(l.order);
}

void DrawList::Sort() {
  for (Layer& l : layers_)
    if (!l.sorted) SortLayer(l);
}

void DrawList::FillBuffer(const Layer& l, LayerBuffer& out) const {
  const auto count = static_cast<int32_t>(l.vertices.size());
  out.triangle_count = static_cast<uint32_t>(count / 3);
  out.runs.clear();
  if (count == 0) return;
  if (count != out.capacity) {
    out.vertices.assign(static_cast<size_t>(count), BufferVertex{});
    out.vertices.shrink_to_fit();
    out.capacity = count;
    out.created = NextStamp();
  }
  BufferVertex* dst = out.vertices.data();
  const BufferVertex* src = l.vertices.data();
  const TriangleInfo* tri = l.triangles.data();
  for (uint32_t t : l.order) {
    std::memcpy(dst, src + 3 * size_t{t}, 3 * sizeof(BufferVertex));
    dst += 3;
    const int32_t tex = tri[t].texture;
    if (out.runs.empty() || out.runs.back().texture != tex)
      out.runs.push_back({tex, 1});
    else
      ++out.runs.back().triangles;
  }
  out.filled = NextStamp();
}

void DrawList::BuildBuffers(LayerBuffers& buffers) {
  Sort();
  const size_t n = std::min<size_t>(buffers.size(), kLayerCount);
  for (size_t i = 0; i < n; ++i) FillBuffer(layers_[i], buffers[i]);
}

std::string DrawList::BuildLayerBuffer(int layer, LayerBuffers& buffers) {
  if (layer < 0 || layer >= kLayerCount || static_cast<size_t>(layer) >= buffers.size())
    return "exiting prematuraly from vertex#" + std::to_string(layer);
  Layer& l = layers_[layer];
  if (!l.sorted) SortLayer(l);
  FillBuffer(l, buffers[static_cast<size_t>(layer)]);
  return {};
}

int DrawList::vertex_count(int layer) const {
  if (layer < 0 || layer >= kLayerCount) return 0;
  return static_cast<int>(layers_[layer].vertices.size());
}

size_t DrawList::total_vertices() const {
  size_t n = 0;
  for (const Layer& l : layers_) n += l.vertices.size();
  return n;
}

size_t DrawList::bytes_held() const {
  size_t n = 0;
  for (const Layer& l : layers_)
    n += l.vertices.capacity() * sizeof(BufferVertex) +
         l.triangles.capacity() * sizeof(TriangleInfo) + l.order.capacity() * sizeof(uint32_t);
  return n;
}

}  // namespace qavel
