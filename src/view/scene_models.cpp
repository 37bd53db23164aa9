#include "view/scene_models.h"

#include <algorithm>
#include <bit>

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

namespace {

// The model of mesh record `record` as DrawMesh places it, made once per list: the points go
// through the same conversions as a room's, the faces become triangles as Quad, TexturedQuad and
// Triangle make them, faces naming a vertex the mesh lacks are left out.
uint32_t MeshModelOf(const MeshContext& ctx, int record, double scale, bool use_current_colour) {
  DrawList& list = ctx.list;
  const DrawList::ModelKey key{uint64_t{static_cast<uint32_t>(record)} << 33 |
                                   uint64_t{use_current_colour} << 32 |
                                   static_cast<uint32_t>(list.standard_texture()),
                               std::bit_cast<uint64_t>(scale), ctx.meshes.stamp};
  if (const int64_t found = list.FindModel(key); found >= 0) return static_cast<uint32_t>(found);

  const tmesh_record& mesh = ctx.meshes.meshes[static_cast<size_t>(record)];
  const auto verts = ctx.meshes.Vertices(mesh);
  const double s = 100.0 / scale;
  MeshModel model;
  model.points.resize(verts.size());
  // As PlacePoint takes them: y handed over pointing down and turned up again.
  for (size_t i = 0; i < verts.size(); ++i)
    model.points[i] = {static_cast<float>(verts[i].x / s), -static_cast<float>(-verts[i].y / s),
                       static_cast<float>(-verts[i].z / s)};
  std::vector<std::pair<int32_t, MeshModel::Triangle>> made;
  made.reserve(mesh.triangles);
  auto add = [&](const MeshFace& f, int corners, int32_t texture, const TexCoord* uv,
                 const uint8_t* order, uint32_t colour) {
    for (int k = 0; k < corners; ++k)
      if (f.vertices[k] >= verts.size()) return;
    for (int t = 0; t < corners - 2; ++t) {
      MeshModel::Triangle tri;
      tri.colour = colour;
      for (int c = 0; c < 3; ++c) {
        const uint8_t k = order[3 * t + c];
        tri.corner[c] = f.vertices[k];
        tri.uv[c] = uv[k];
      }
      made.emplace_back(texture, tri);
    }
  };
  PieceUv spare;
  auto textured = [&](const MeshFace& f, int corners) {
    const PieceUv* piece = FindPiece(ctx.meshes, ctx.level, f.texture & 0x0FFF, spare);
    const uint8_t* order = corners == 3         ? DrawList::kTriangleOrder
                           : use_current_colour ? DrawList::kQuadOrder
                                                : DrawList::kTexturedQuadOrder;
    add(f, corners, piece ? piece->page : list.standard_texture(),
        piece ? piece->uv.data() : kWholeTexture.data(), order, 0);
  };
  for (const MeshFace& f : ctx.meshes.TexturedRectangles(mesh)) textured(f, 4);
  for (const MeshFace& f : ctx.meshes.TexturedTriangles(mesh)) textured(f, 3);
  if (ctx.level.version_kind < kTR4) {
    auto coloured = [&](const MeshFace& f, int corners) {
      const Rgb c = PaletteColour(ctx.level, f.texture);
      add(f, corners, list.standard_texture(), kWholeTexture.data(),
          corners == 4 ? DrawList::kQuadOrder : DrawList::kTriangleOrder,
          0xFF000000u | uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b);
    };
    for (const MeshFace& f : ctx.meshes.ColouredRectangles(mesh)) coloured(f, 4);
    for (const MeshFace& f : ctx.meshes.ColouredTriangles(mesh)) coloured(f, 3);
  }
  // Each texture's triangles together, in the order their faces came (a mesh uses few
  // textures: one pass over the triangles for each).
  std::vector<int32_t> textures;
  for (const auto& [texture, tri] : made)
    if (std::find(textures.begin(), textures.end(), texture) == textures.end())
      textures.push_back(texture);
  std::sort(textures.begin(), textures.end());
  model.triangles.reserve(made.size());
  model.textures.reserve(textures.size());
  for (const int32_t texture : textures) {
    model.textures.push_back({texture, static_cast<uint32_t>(model.triangles.size()), 0});
    for (const auto& [t, tri] : made)
      if (t == texture) model.triangles.push_back(tri);
    model.textures.back().count =
        static_cast<uint32_t>(model.triangles.size()) - model.textures.back().first;
  }
  return list.AddModel(key, std::move(model));
}

}  // namespace

void DrawMesh(const MeshContext& ctx, int record, double x, double y, double z, float angle_y,
              double scale, bool use_current_colour, uint32_t window_colour) {
  if (record < 0 || record >= ctx.meshes.count()) return;
  DrawList& list = ctx.list;
  const uint32_t model = MeshModelOf(ctx, record, scale, use_current_colour);
  list.PushMatrix();
  list.Translate(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
  list.Rotate(false, 0, angle_y, 0);
  list.PlaceModel(model, use_current_colour ? list.colour() : Argb(window_colour));
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

// Notes the first thing found that keeps a mesh from being drawn as the file says.
void Note(std::string& problem, const std::string& what) {
  if (problem.empty()) problem = what;
}

// Record of the n-th (1-based) mesh of movable m, with empty meshes taken from the skin; -1
// when a pointer index falls outside the map.
int MeshRecordOf(const Tmesh_list& meshes, const Ttrlevel& level, int m, const tmovable& mv, int n,
                 std::string& problem) {
  const int record = PointerRecord(meshes, level, int64_t{mv.start_mesh} + n - 1, problem);
  if (record != 0 || (m == meshes.kept_movable && n == meshes.kept_mesh)) return record;
  return PointerRecord(meshes, level, int64_t{meshes.skin_start_mesh} + n - 1, problem);
}

// Adds what drawing makes of a record that exists.
void CheckRecord(const Tmesh_list& meshes, int record, MeshCheck& out) {
  if (record < 0 || record >= meshes.count()) return;
  const tmesh_record& r = meshes.meshes[static_cast<size_t>(record)];
  out.triangles += r.triangles;
  if (r.broken_faces)
    Note(out.problem, "mesh " + std::to_string(record) + " names vertices it lacks in " +
                          std::to_string(r.broken_faces) + " faces");
  if (r.cut)
    Note(out.problem,
         "mesh " + std::to_string(record) + " is cut short by the end of the mesh data");
}

}  // namespace

int PointerRecord(const Tmesh_list& meshes, const Ttrlevel& level, int64_t pointer,
                  std::string& problem) {
  const auto count = static_cast<int64_t>(meshes.pointer_map.size());
  if (pointer < 0 || pointer >= count) {
    Note(problem, "mesh pointer " + std::to_string(pointer) + " lies outside the " +
                      std::to_string(count) + " mesh pointers");
    return -1;
  }
  const int record = meshes.pointer_map[static_cast<size_t>(pointer)];
  // Record 0 also stands for a pointer that starts no mesh at all.
  if (record == 0 && static_cast<size_t>(pointer) < level.mesh_pointers.size()) {
    const uint32_t offset = level.mesh_pointers[static_cast<size_t>(pointer)];
    if (meshes.meshes.empty() || offset != static_cast<uint32_t>(meshes.meshes[0].offset))
      Note(problem, "mesh pointer " + std::to_string(pointer) + " (byte " + std::to_string(offset) +
                        " of the mesh data) starts no mesh");
  }
  return record;
}

MeshCheck CheckMesh(const Tmesh_list& meshes, const Ttrlevel& level, int64_t pointer, int& record) {
  MeshCheck out;
  record = PointerRecord(meshes, level, pointer, out.problem);
  CheckRecord(meshes, record, out);
  return out;
}

MeshCheck CheckMovable(const Tmesh_list& meshes, const Ttrlevel& level, int m) {
  MeshCheck out;
  if (m < 0 || m >= static_cast<int64_t>(level.num_movables())) return out;
  const tmovable& mv = level.movables[static_cast<size_t>(m)];
  for (int n = 1; n <= mv.num_meshes; ++n) {
    // The same walk as DrawMovable's.
    if (n > 1 && int64_t{mv.mesh_tree} + 4 * int64_t{n - 2} + 3 >=
                     static_cast<int64_t>(level.mesh_trees.size())) {
      Note(out.problem, "the mesh tree has no place for mesh " + std::to_string(n) + " of " +
                            std::to_string(mv.num_meshes));
      break;
    }
    CheckRecord(meshes, MeshRecordOf(meshes, level, m, mv, n, out.problem), out);
  }
  return out;
}

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
    std::string unused;
    DrawMesh(ctx, MeshRecordOf(ctx.meshes, level, m, mv, n, unused), 0, 0, 0, 0, scale, true,
             0xFFFFFF);
  }
  // Whatever the tree pushed is dropped, so the next object starts from the same matrix.
  while (list.stack_depth() > base_depth) list.PopMatrix();
  list.PopMatrix();
}

}  // namespace qavel
