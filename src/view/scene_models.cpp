#include "view/scene_models.h"

#include <algorithm>

namespace qavel {

namespace {

// A movable's `animation` word as the file means it: -1 (0xFFFF) for none.
int FirstAnimation(const tmovable& mv) {
  return static_cast<int16_t>(mv.animation);
}

// Frame start (words) and frame size of animation k, or false when k is not in the table.
bool AnimationFrames(const Ttrlevel& level, int m, int64_t k, int64_t& start, int64_t& size) {
  if (k < 0 || k >= int64_t{level.num_animations()}) return false;
  const uint8_t* raw = level.animations[static_cast<size_t>(k)].raw;
  const uint32_t offset =
      uint32_t{raw[0]} | uint32_t{raw[1]} << 8 | uint32_t{raw[2]} << 16 | uint32_t{raw[3]} << 24;
  start = offset / 2;
  size = level.version_kind < kTR2
             ? 2 * int64_t{level.movables[static_cast<size_t>(m)].num_meshes} + 10
             : int64_t{raw[5]};
  return true;
}

uint32_t Argb(uint32_t window_colour) {
  return 0xFF000000u | (window_colour & 0xFF) << 16 | (window_colour & 0xFF00) |
         (window_colour >> 16 & 0xFF);
}

}  // namespace

int FindStaticMesh(const Ttrlevel& level, uint32_t object_id) {
  for (size_t i = 0; i < level.static_meshes.size(); ++i)
    if (level.static_meshes[i].object_id == object_id) return static_cast<int>(i) + 1;
  return -1;
}

int AnimationCount(const Ttrlevel& level, int m) {
  if (m < 0 || m >= static_cast<int64_t>(level.num_movables())) return 0;
  const int first = FirstAnimation(level.movables[static_cast<size_t>(m)]);
  if (first == -1) return 0;
  int next = static_cast<int>(level.num_animations());
  for (size_t j = static_cast<size_t>(m) + 1; j < level.movables.size(); ++j) {
    const int a = FirstAnimation(level.movables[j]);
    if (a >= 0) {
      next = a;
      break;
    }
  }
  return next - first;
}

int FrameCount(const Ttrlevel& level, int m, int a) {
  if (m < 0 || m >= static_cast<int64_t>(level.num_movables()) || a < 0) return 0;
  const int64_t k = int64_t{FirstAnimation(level.movables[static_cast<size_t>(m)])} + a;
  int64_t start = 0, size = 0, next = 0, next_size = 0;
  if (!AnimationFrames(level, m, k, start, size) || size == 0) return 0;
  const int64_t end =
      AnimationFrames(level, m, k + 1, next, next_size) ? next : int64_t{level.num_frames()};
  if (end < start) return 0;
  return static_cast<int>((end - start) / size);
}

int64_t FrameOffset(const Ttrlevel& level, int m, int a, int fr) {
  if (m < 0 || a < 0) return 0;
  if (m >= static_cast<int64_t>(level.num_movables()) || a >= AnimationCount(level, m)) return -1;
  const tmovable& mv = level.movables[static_cast<size_t>(m)];
  const int64_t k = int64_t{FirstAnimation(mv)} + a;
  if (k < 0) return mv.frame_offset / 2;
  int64_t start = 0, size = 0;
  if (!AnimationFrames(level, m, k, start, size)) return -1;
  return start + std::min<int64_t>(fr, FrameCount(level, m, a) - 1) * size;
}

Rgb PaletteColour(const Ttrlevel& level, uint16_t colour_word) {
  if (level.version_kind < kTR2) {
    const tpalette_entry& e = level.palette[colour_word & 0xFF];
    auto widen = [](uint8_t c) { return static_cast<uint8_t>((c + 1) * 4 - 1); };
    return {widen(e.red), widen(e.green), widen(e.blue)};
  }
  if (level.version_kind < kTR4) {
    const size_t i = 4 * size_t{static_cast<uint16_t>(colour_word >> 8)};
    return {level.palette16[i], level.palette16[i + 1], level.palette16[i + 2]};
  }
  return {};
}

void DrawMesh(const MeshContext& ctx, int record, double x, double y, double z, float angle_y,
              double scale, bool use_current_colour, uint32_t window_colour) {
  if (record < 0 || record >= ctx.meshes.count()) return;
  DrawScratch own;
  DrawScratch& scratch = ctx.scratch ? *ctx.scratch : own;
  const tmesh_record& mesh = ctx.meshes.meshes[static_cast<size_t>(record)];
  const auto verts = ctx.meshes.Vertices(mesh);
  const double s = 100.0 / scale;
  DrawList& list = ctx.list;
  list.PushMatrix();
  list.Translate(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
  list.Rotate(false, 0, angle_y, 0);

  // Every vertex is placed once; faces share them.
  std::vector<Vec3>& placed = scratch.placed;
  placed.resize(verts.size());
  for (size_t i = 0; i < verts.size(); ++i)
    placed[i] =
        list.PlacePoint(static_cast<float>(verts[i].x / s), static_cast<float>(-verts[i].y / s),
                        static_cast<float>(-verts[i].z / s));
  // The corners of a face, false when it names a vertex the mesh does not have.
  const Vec3* c[4];
  auto corners = [&](const MeshFace& f, int n) {
    for (int k = 0; k < n; ++k) {
      if (f.vertices[k] >= placed.size()) return false;
      c[k] = &placed[f.vertices[k]];
    }
    return true;
  };
  const uint32_t colour = use_current_colour ? list.colour() : Argb(window_colour);
  PieceUv spare;
  auto textured = [&](const MeshFace& f, int n) {
    const PieceUv* piece = FindPiece(ctx.meshes, ctx.level, f.texture & 0x0FFF, spare);
    list.SetTextureNumber(piece ? piece->page : list.standard_texture());
    if (!corners(f, n)) return;
    const TexCoord* uv = piece ? piece->uv.data() : kWholeTexture.data();
    if (n == 3)
      list.PlacedTriangle(c, uv, colour);
    else if (use_current_colour)
      list.PlacedQuad(c, uv, colour);
    else
      list.PlacedTexturedQuad(c, uv, colour);
  };
  for (const MeshFace& f : ctx.meshes.TexturedRectangles(mesh)) textured(f, 4);
  for (const MeshFace& f : ctx.meshes.TexturedTriangles(mesh)) textured(f, 3);

  if (ctx.level.version_kind < kTR4) {
    list.PushColor();
    list.SetTextureNumber(list.standard_texture());
    auto coloured = [&](const MeshFace& f, int n) {
      const Rgb col = PaletteColour(ctx.level, f.texture);
      list.SetColor(col.r, col.g, col.b);
      if (!corners(f, n)) return;
      if (n == 4)
        list.PlacedQuad(c, kWholeTexture.data(), list.colour());
      else
        list.PlacedTriangle(c, kWholeTexture.data(), list.colour());
    };
    for (const MeshFace& f : ctx.meshes.ColouredRectangles(mesh)) coloured(f, 4);
    for (const MeshFace& f : ctx.meshes.ColouredTriangles(mesh)) coloured(f, 3);
    list.PopColor();
  }
  list.PopMatrix();
}

namespace {

// Reads the frame's packed rotations one mesh at a time.
class RotationReader {
 public:
  RotationReader(const Ttrlevel& level, int64_t pos, bool present)
      : frames_(level.frames),
        pos_(pos),
        present_(present),
        swapped_(level.version_kind < kTR2),
        single_unit_(level.version_kind >= kTR4 ? 4096.0 : 1024.0) {}

  // Angles in degrees about x, y and z of the next mesh.
  void Next(float& ax, float& ay, float& az) {
    ax = ay = az = 0;
    if (!present_) return;
    const uint32_t a = Word(pos_), b = Word(pos_ + 1);
    const uint32_t v = swapped_ ? (b << 16 | a) : (a << 16 | b);
    const uint32_t axis = v >> 30;
    if (axis == 0) {
      ax = static_cast<float>(((v >> 20) & 0x3FF) * 0.3515625);
      ay = static_cast<float>(((v >> 10) & 0x3FF) * 0.3515625);
      az = static_cast<float>((v & 0x3FF) * 0.3515625);
      pos_ += 2;
      return;
    }
    const auto angle = static_cast<float>(((v >> 16) & 0x3FFF) * 360.0 / single_unit_);
    (axis == 1 ? ax : axis == 2 ? ay : az) = angle;
    pos_ += 1;
  }

 private:
  uint32_t Word(int64_t i) const {
    if (i < 0 || i >= static_cast<int64_t>(frames_.size())) return 0;
    return static_cast<uint16_t>(frames_[static_cast<size_t>(i)]);
  }

  const std::vector<int16_t>& frames_;
  int64_t pos_;
  bool present_, swapped_;
  double single_unit_;
};

// Record of the n-th (1-based) mesh of movable m, with empty meshes taken from the skin; -1
// when a pointer index falls outside the map.
int MeshRecordOf(const Tmesh_list& meshes, int m, const tmovable& mv, int n) {
  auto at = [&](int64_t i) {
    return i >= 0 && i < static_cast<int64_t>(meshes.pointer_map.size())
               ? meshes.pointer_map[static_cast<size_t>(i)]
               : -1;
  };
  const int record = at(int64_t{mv.start_mesh} + n - 1);
  if (record != 0 || (m == meshes.kept_movable && n == meshes.kept_mesh)) return record;
  return at(int64_t{meshes.skin_start_mesh} + n - 1);
}

}  // namespace

void DrawMovable(const MeshContext& ctx, int m, double x, double y, double z, float angle,
                 double scale, const MovablePose& pose) {
  const Ttrlevel& level = ctx.level;
  if (m < 0 || m >= static_cast<int64_t>(level.num_movables())) return;
  const tmovable& mv = level.movables[static_cast<size_t>(m)];
  const double s = 100.0 / scale;
  const int64_t f = FrameOffset(level, m, pose.animation, pose.frame);
  const bool has_frame = f >= 0;
  auto frame_word = [&](int64_t i) -> double {
    return i >= 0 && i < static_cast<int64_t>(level.frames.size())
               ? level.frames[static_cast<size_t>(i)]
               : 0;
  };
  double root[3] = {0, 0, 0};
  if (has_frame && !pose.skip_root_offset) {
    root[0] = frame_word(f + 6) / s;
    root[1] = -frame_word(f + 7) / s;
    root[2] = -frame_word(f + 8) / s;
  }
  RotationReader rotations(level, f + (level.version_kind < kTR2 ? 10 : 9),
                           has_frame && pose.animation >= 0);

  DrawList& list = ctx.list;
  list.PushMatrix();
  const int base_depth = list.stack_depth();
  list.Translate(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
  list.Rotate(false, pose.extra_x, angle + pose.extra_y, pose.extra_z);
  for (int n = 1; n <= mv.num_meshes; ++n) {
    double offset[3] = {root[0], root[1], root[2]};
    if (n > 1) {
      const int64_t e = int64_t{mv.mesh_tree} + 4 * int64_t{n - 2};
      // Meshes whose place the tree does not give are not drawn.
      if (e + 3 >= static_cast<int64_t>(level.mesh_trees.size())) break;
      const int32_t* entry = &level.mesh_trees[static_cast<size_t>(e)];
      // A pop never reaches beyond this movable's own matrices.
      if ((entry[0] & 1) && list.stack_depth() > base_depth) list.PopMatrix();
      if (entry[0] & 2) list.PushMatrix();
      offset[0] = entry[1] / s;
      offset[1] = -(entry[2] / s);
      offset[2] = -(entry[3] / s);
    }
    float ax = 0, ay = 0, az = 0;
    rotations.Next(ax, ay, az);
    list.Translate(static_cast<float>(offset[0]), static_cast<float>(offset[1]),
                   static_cast<float>(offset[2]));
    list.Rotate(false, 0, -ay, 0);
    list.Rotate(false, -ax, 0, 0);
    list.Rotate(false, 0, 0, az);
    DrawMesh(ctx, MeshRecordOf(ctx.meshes, m, mv, n), 0, 0, 0, 0, scale, true, 0xFFFFFF);
  }
  // Whatever the tree pushed is dropped, so the next object starts from the same matrix.
  while (list.stack_depth() > base_depth) list.PopMatrix();
  list.PopMatrix();
}

}  // namespace qavel
