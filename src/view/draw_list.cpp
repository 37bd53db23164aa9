#include "view/draw_list.h"

#include <algorithm>
#include <atomic>
#include <cmath>
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
    g.pieces.clear();
    g.triangles = 0;
  }
  l.vertex_count = 0;
}

void DrawList::ClearLayer(int layer) {
  if (layer >= kLayerCount) return;
  if (layer < 0) {
    for (Layer& l : layers_) EmptyLayer(l);
    texture_ = -1;
  } else {
    EmptyLayer(layers_[layer]);
  }
  // Placements are shared by the layers: they go once nothing refers to them.
  if (total_vertices() == 0) DropUnplacedModels();
}

void DrawList::DropUnplacedModels() {
  placements_.clear();
  const bool all =
      std::all_of(model_placed_.begin(), model_placed_.end(), [](bool b) { return b; });
  if (!all) {
    std::vector<MeshModel> kept;
    std::vector<ModelKey> keys;
    model_index_.clear();
    for (size_t k = 0; k < models_.size(); ++k) {
      if (!model_placed_[k]) continue;
      model_index_[model_keys_[k]] = static_cast<uint32_t>(kept.size());
      kept.push_back(std::move(models_[k]));
      keys.push_back(model_keys_[k]);
    }
    models_ = std::move(kept);
    model_keys_ = std::move(keys);
  }
  model_placed_.assign(models_.size(), false);
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

uint32_t DrawList::FindGroup(int32_t texture) {
  if (cached_layer_ == layer_ && cached_texture_ == texture) return cached_group_;
  Layer& l = layers_[layer_];
  size_t g = 0;
  while (g < l.groups.size() && l.groups[g].texture != texture) ++g;
  if (g == l.groups.size()) {
    l.groups.emplace_back();
    l.groups.back().texture = texture;
    // Keep the order by texture number: a new group goes after the smaller numbers.
    const auto at =
        std::upper_bound(l.order.begin(), l.order.end(), texture,
                         [&](int32_t t, uint32_t index) { return t < l.groups[index].texture; });
    l.order.insert(at, static_cast<uint32_t>(g));
  }
  cached_layer_ = layer_;
  cached_texture_ = texture;
  cached_group_ = static_cast<uint32_t>(g);
  return cached_group_;
}

int64_t DrawList::FindModel(const ModelKey& key) const {
  const auto it = model_index_.find(key);
  return it == model_index_.end() ? -1 : int64_t{it->second};
}

uint32_t DrawList::AddModel(const ModelKey& key, MeshModel model) {
  const auto index = static_cast<uint32_t>(models_.size());
  ViewBounds& b = model.bounds;
  for (int k = 0; k < 3; ++k) {
    b.lo[k] = 3.0e38f;
    b.hi[k] = -3.0e38f;
  }
  for (const Vec3& p : model.points) {
    const float c[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k) {
      b.lo[k] = std::min(b.lo[k], c[k]);
      b.hi[k] = std::max(b.hi[k], c[k]);
    }
  }
  models_.push_back(std::move(model));
  model_keys_.push_back(key);
  model_placed_.push_back(false);
  model_index_[key] = index;
  return index;
}

ViewBounds DrawList::PlacedBounds(const Placement& p) const {
  // The model's box through the placement, grown by more than rounding can move a placed
  // point, so that it holds every vertex worked out from it.
  const ViewBounds& local = models_[p.model].bounds;
  ViewBounds b;
  for (int k = 0; k < 3; ++k) {
    b.lo[k] = 3.0e38f;
    b.hi[k] = -3.0e38f;
  }
  const float(&m)[4][3] = p.m;
  for (int corner = 0; corner < 8; ++corner) {
    const float x = corner & 1 ? local.hi[0] : local.lo[0];
    const float y = corner & 2 ? local.hi[1] : local.lo[1];
    const float z = corner & 4 ? local.hi[2] : local.lo[2];
    for (int k = 0; k < 3; ++k) {
      const float c = x * m[0][k] + y * m[1][k] + z * m[2][k] + m[3][k];
      b.lo[k] = std::min(b.lo[k], c);
      b.hi[k] = std::max(b.hi[k], c);
    }
  }
  for (int k = 0; k < 3; ++k) {
    const float margin = (std::abs(b.lo[k]) + std::abs(b.hi[k])) * 1e-5f + 1e-6f;
    b.lo[k] -= margin;
    b.hi[k] += margin;
  }
  return b;
}

void DrawList::PlaceModel(uint32_t index, uint32_t colour) {
  if (layer_ >= kLayerCount || index >= models_.size()) return;
  Placement p;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) p.m[r][c] = matrix_.m[r][c];
  p.model = index;
  p.colour = colour;
  p.tag = tag_;
  model_placed_[index] = true;
  const auto at = static_cast<uint32_t>(placements_.size());
  Layer& l = layers_[layer_];
  for (const MeshModel::Texture& t : models_[index].textures) {
    if (t.count == 0) continue;
    Group& g = l.groups[FindGroup(t.texture)];
    *g.pieces.Append(1) = {at, t.first, t.count};
    g.triangles += t.count;
    l.vertex_count += 3 * size_t{t.count};
  }
  placements_.push_back(p);
}

void DrawList::WritePlaced(const Piece& piece, BufferVertex* out) const {
  const Placement& p = placements_[piece.placement];
  const MeshModel& model = models_[p.model];
  const float(&m)[4][3] = p.m;
  const MeshModel::Triangle* t = model.triangles.data() + piece.first;
  for (uint32_t k = 0; k < piece.count; ++k, ++t) {
    const uint32_t colour = t->colour ? t->colour : p.colour;
    for (int c = 0; c < 3; ++c, ++out) {
      // As TransformPoint places a point, operation for operation, so that a placed triangle
      // is the one drawing it directly would have made.
      const Vec3& q = model.points[t->corner[c]];
      out->x = q.x * m[0][0] + q.y * m[1][0] + q.z * m[2][0] + m[3][0];
      out->y = q.x * m[0][1] + q.y * m[1][1] + q.z * m[2][1] + m[3][1];
      out->z = q.x * m[0][2] + q.y * m[1][2] + q.z * m[2][2] + m[3][2];
      out->colour = colour;
      out->u = t->uv[c].u;
      out->v = t->uv[c].v;
    }
  }
}

void DrawList::WriteLayer(int layer, BufferVertex* out) const {
  if (layer < 0 || layer >= kLayerCount) return;
  const Layer& l = layers_[layer];
  for (uint32_t index : l.order) {
    const Group& g = l.groups[index];
    for (size_t p = 0; p < g.pieces.size(); ++p) {
      const Piece& piece = g.pieces[p];
      const size_t n = 3 * size_t{piece.count};
      if (piece.placement == Piece::kOwn)
        std::memcpy(out, g.vertices.data() + 3 * size_t{piece.first}, n * sizeof(BufferVertex));
      else
        WritePlaced(piece, out);
      out += n;
    }
  }
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
    const auto empty = [](const Group& g) { return g.triangles == 0; };
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
      g.pieces.Trim();
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
    out.capacity = count;
    out.created = NextStamp();
  }
  for (uint32_t index : l.order) {
    const Group& g = l.groups[index];
    if (g.triangles != 0) out.runs.push_back({g.texture, static_cast<int32_t>(g.triangles)});
  }
  out.filled = NextStamp();
}

void DrawList::BuildBuffers(LayerBuffers& buffers) {
  const size_t n = std::min<size_t>(buffers.size(), kLayerCount);
  for (size_t i = 0; i < n; ++i) FillBuffer(layers_[i], buffers[i]);
}

Result DrawList::BuildLayerBuffer(int layer, LayerBuffers& buffers) {
  if (layer < 0 || layer >= kLayerCount || static_cast<size_t>(layer) >= buffers.size())
    return Result::Fail(Status::kRefused,
                        "exiting prematuraly from vertex#" + std::to_string(layer));
  FillBuffer(layers_[layer], buffers[static_cast<size_t>(layer)]);
  return Result::Ok();
}

int DrawList::vertex_count(int layer) const {
  if (layer < 0 || layer >= kLayerCount) return 0;
  return static_cast<int>(layers_[layer].vertex_count);
}

void DrawList::GroupTriangles(int layer, std::vector<TextureRun>& out) const {
  out.clear();
  if (layer < 0 || layer >= kLayerCount) return;
  const Layer& l = layers_[layer];
  for (uint32_t g : l.order)
    out.push_back({l.groups[g].texture, static_cast<int32_t>(l.groups[g].triangles)});
}

void DrawList::GrowByPlacements(size_t first, size_t last, ViewBounds& box,
                                const ViewBounds* around) const {
  for (size_t i = first; i < last && i < placements_.size(); ++i) {
    const ViewBounds b = PlacedBounds(placements_[i]);
    bool meets = true;
    for (int k = 0; around && k < 3; ++k)
      meets = meets && b.lo[k] <= around->hi[k] && b.hi[k] >= around->lo[k];
    if (!meets) continue;
    for (int k = 0; k < 3; ++k) {
      box.lo[k] = std::min(box.lo[k], b.lo[k]);
      box.hi[k] = std::max(box.hi[k], b.hi[k]);
    }
  }
}

size_t DrawList::total_vertices() const {
  size_t n = 0;
  for (const Layer& l : layers_) n += l.vertex_count;
  return n;
}

size_t DrawList::bytes_held() const {
  size_t n = placements_.capacity() * sizeof(Placement) + models_.capacity() * sizeof(MeshModel);
  for (const MeshModel& m : models_)
    n += m.points.capacity() * sizeof(Vec3) + m.triangles.capacity() * sizeof(MeshModel::Triangle) +
         m.textures.capacity() * sizeof(MeshModel::Texture);
  for (const Layer& l : layers_) {
    n += l.groups.capacity() * sizeof(Group) + l.order.capacity() * sizeof(uint32_t);
    for (const Group& g : l.groups)
      n += g.vertices.capacity() * sizeof(BufferVertex) + g.tags.capacity() * sizeof(PickTag) +
           g.pieces.capacity() * sizeof(Piece);
  }
  return n;
}

}  // namespace qavel
