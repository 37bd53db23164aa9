#include "view/draw_list.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "pieces/texture_pages.h"

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

}  // namespace

LayerBuffers MakeLayerBuffers(size_t n) {
  return LayerBuffers(std::min<size_t>(n, kLayerCount));
}

LayerBuffers MainViewBuffers() {
  LayerBuffers b = MakeLayerBuffers(3);
  for (size_t i = 1; i < 3; ++i) {
    b[i].fill_mode = FillMode::kWireframe;
    b[i].buffer_texture = kWireframeTextureId;
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

void DrawList::EmptyLayer(Layer& l) {
  // Groups keep their storage: a rebuild of the same scene fills them again without growing.
  for (Group& g : l.groups) {
    g.vertices.clear();
    g.tags.clear();
  }
  l.vertex_count = 0;
}

void DrawList::ClearLayer(int layer) {
  if (layer >= kLayerCount) return;
  if (layer < 0) {
    for (Layer& l : layers_) EmptyLayer(l);
    texture_ = -1;
    return;
  }
  EmptyLayer(layers_[layer]);
}

void DrawList::SetColor(uint8_t r, uint8_t g, uint8_t b) {
  colour_ = Argb(r, g, b);
}

void DrawList::SetColorRGB(uint32_t window_colour) {
  SetColor(window_colour & 0xFF, (window_colour >> 8) & 0xFF, (window_colour >> 16) & 0xFF);
}

BufferVertex DrawList::Place(float x, float y, float z, uint32_t colour, float u, float v) const {
  const Vec3 p = PlacePoint(x, y, z);
  return {p.x, p.y, p.z, colour, u, v};
}

uint32_t DrawList::FindGroup() {
  Layer& l = layers_[layer_];
  size_t g = 0;
  while (g < l.groups.size() && l.groups[g].texture != texture_) ++g;
  if (g == l.groups.size()) {
    l.groups.emplace_back();
    l.groups.back().texture = texture_;
    // Keep the order by texture number: a new group goes after the smaller numbers.
    const auto at =
        std::upper_bound(l.order.begin(), l.order.end(), texture_,
                         [&](int32_t t, uint32_t index) { return t < l.groups[index].texture; });
    l.order.insert(at, static_cast<uint32_t>(g));
  }
  cached_layer_ = layer_;
  cached_texture_ = texture_;
  return static_cast<uint32_t>(g);
}

void DrawList::TexturedQuad(const ColouredCorner& v1, const ColouredCorner& v2,
                            const ColouredCorner& v3, const ColouredCorner& v4) {
  auto place = [this](const ColouredCorner& c) {
    return Place(c.x, c.y, c.z, Argb(c.r, c.g, c.b), c.u, c.v);
  };
  const BufferVertex a = place(v1), b = place(v2), c = place(v3), d = place(v4);
  Add(a, c, d);
  Add(a, b, c);
}

void DrawList::TexturedTriangle(const ColouredCorner& v1, const ColouredCorner& v2,
                                const ColouredCorner& v3) {
  auto place = [this](const ColouredCorner& c) {
    return Place(c.x, c.y, c.z, Argb(c.r, c.g, c.b), c.u, c.v);
  };
  Add(place(v1), place(v2), place(v3));
}

void DrawList::Quad(const Corner& v1, const Corner& v2, const Corner& v3, const Corner& v4) {
  auto place = [this](const Corner& c) { return Place(c.x, c.y, c.z, colour_, c.u, c.v); };
  const BufferVertex a = place(v1), b = place(v2), c = place(v3), d = place(v4);
  Add(b, c, a);
  Add(d, a, c);
}

void DrawList::Triangle(const Corner& v1, const Corner& v2, const Corner& v3) {
  auto place = [this](const Corner& c) { return Place(c.x, c.y, c.z, colour_, c.u, c.v); };
  Add(place(v1), place(v2), place(v3));
}

void DrawList::Translate(float x, float y, float z) {
  // T(x, -y, z) . current changes only the last row; a move by nothing changes nothing.
  if (x == 0 && y == 0 && z == 0) return;
  float(&m)[4][4] = matrix_.m;
  for (int j = 0; j < 4; ++j) m[3][j] = x * m[0][j] + -y * m[1][j] + z * m[2][j] + m[3][j];
}

void DrawList::Rotate(bool in_radians, float ax, float ay, float az) {
  if (!in_radians) {
    ax *= kDegrees;
    ay *= kDegrees;
    az *= kDegrees;
  }
  // RY(ay) . RX(ax) . RZ(az) . current, leaving out the turns by nothing.
  if (az != 0) matrix_ = Multiply(RotationZ(az), matrix_);
  if (ax != 0) matrix_ = Multiply(RotationX(ax), matrix_);
  if (ay != 0) matrix_ = Multiply(RotationY(ay), matrix_);
}

void DrawList::Sort() {
  for (Layer& l : layers_) {
    // Groups left empty by a clear give their storage back; the others their growth room.
    const auto empty = [](const Group& g) { return g.tags.empty(); };
    if (std::any_of(l.groups.begin(), l.groups.end(), empty)) {
      std::erase_if(l.groups, empty);
      l.order.resize(l.groups.size());
      for (size_t k = 0; k < l.order.size(); ++k) l.order[k] = static_cast<uint32_t>(k);
      std::sort(l.order.begin(), l.order.end(),
                [&](uint32_t a, uint32_t b) { return l.groups[a].texture < l.groups[b].texture; });
    }
    for (Group& g : l.groups) {
      g.vertices.Trim();
      g.tags.Trim();
    }
  }
  cached_layer_ = -1;
}

void DrawList::FillBuffer(const Layer& l, LayerBuffer& out) const {
  const auto count = static_cast<int32_t>(l.vertex_count);
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
  for (uint32_t index : l.order) {
    const Group& g = l.groups[index];
    if (g.tags.empty()) continue;
    std::memcpy(dst, g.vertices.data(), g.vertices.size() * sizeof(BufferVertex));
    dst += g.vertices.size();
    out.runs.push_back({g.texture, static_cast<int32_t>(g.tags.size())});
  }
  out.filled = NextStamp();
}

void DrawList::BuildBuffers(LayerBuffers& buffers) {
  const size_t n = std::min<size_t>(buffers.size(), kLayerCount);
  for (size_t i = 0; i < n; ++i) FillBuffer(layers_[i], buffers[i]);
}

std::string DrawList::BuildLayerBuffer(int layer, LayerBuffers& buffers) {
  if (layer < 0 || layer >= kLayerCount || static_cast<size_t>(layer) >= buffers.size())
    return "exiting prematuraly from vertex#" + std::to_string(layer);
  FillBuffer(layers_[layer], buffers[static_cast<size_t>(layer)]);
  return {};
}

int DrawList::vertex_count(int layer) const {
  if (layer < 0 || layer >= kLayerCount) return 0;
  return static_cast<int>(layers_[layer].vertex_count);
}

size_t DrawList::total_vertices() const {
  size_t n = 0;
  for (const Layer& l : layers_) n += l.vertex_count;
  return n;
}

size_t DrawList::bytes_held() const {
  size_t n = 0;
  for (const Layer& l : layers_) {
    n += l.groups.capacity() * sizeof(Group) + l.order.capacity() * sizeof(uint32_t);
    for (const Group& g : l.groups)
      n += g.vertices.capacity() * sizeof(BufferVertex) + g.tags.capacity() * sizeof(PickTag);
  }
  return n;
}

}  // namespace qavel
