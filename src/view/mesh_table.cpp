#include "view/mesh_table.h"

#include <algorithm>
#include <atomic>

namespace qavel {

namespace {

// A word cursor over the mesh block that never reads past its end: reads there give 0.
class WordCursor {
 public:
  explicit WordCursor(const std::vector<uint16_t>& words) : w_(words.data()), n_(words.size()) {}
  bool AtEnd() const { return pos_ >= n_; }
  size_t pos() const { return pos_; }
  size_t left() const { return n_ - pos_; }
  uint16_t Word() { return pos_ < n_ ? w_[pos_++] : 0; }
  int16_t Short() { return static_cast<int16_t>(Word()); }
  int32_t Long() {
    const uint32_t lo = Word();
    return static_cast<int32_t>(lo | uint32_t{Word()} << 16);
  }
  void Skip(size_t words) { pos_ = std::min(n_, pos_ + words); }
  // Elements of `size` words the block still holds whole, at most the count read. A count the
  // block cannot hold means the mesh runs past its end: nothing after it is read.
  uint32_t Fitting(int count, size_t size) {
    if (count <= 0) return 0;
    const size_t fit = left() / size;
    if (fit < static_cast<size_t>(count)) {
      cut_ = true;
      return static_cast<uint32_t>(fit);
    }
    return static_cast<uint32_t>(count);
  }
  bool cut() const { return cut_; }
  void Finish() { pos_ = n_; }

 private:
  const uint16_t* w_;
  size_t n_;
  size_t pos_ = 0;
  bool cut_ = false;
};

uint32_t ReadFaces(WordCursor& in, Tmesh_list& table, int corners, size_t size) {
  const uint32_t n = in.Fitting(in.Short(), size);
  for (uint32_t k = 0; k < n; ++k) {
    MeshFace f;
    for (int c = 0; c < corners; ++c) f.vertices[c] = in.Word();
    f.texture = in.Word();
    in.Skip(size - static_cast<size_t>(corners) - 1);  // the effects word of TR4/TR5
    table.faces.push_back(f);
  }
  return n;
}

void CountTriangles(const Tmesh_list& table, tmesh_record& m) {
  const uint32_t rectangles = m.textured_rectangles + m.coloured_rectangles;
  const uint32_t all = rectangles + m.textured_triangles + m.coloured_triangles;
  for (uint32_t k = 0; k < all; ++k) {
    const MeshFace& f = table.faces[m.first_face + k];
    // Faces come rectangles, triangles, rectangles, triangles.
    const bool rectangle =
        k < m.textured_rectangles ||
        (k >= m.textured_rectangles + m.textured_triangles &&
         k < m.textured_rectangles + m.textured_triangles + m.coloured_rectangles);
    const int corners = rectangle ? 4 : 3;
    if (std::any_of(f.vertices, f.vertices + corners,
                    [&](uint16_t v) { return v >= m.vertex_count; }))
      ++m.broken_faces;
    else
      m.triangles += rectangle ? 2 : 1;
  }
}

void ReadMesh(WordCursor& in, Tmesh_list& table, bool tr4_faces) {
  tmesh_record m;
  const size_t start = in.pos();
  m.offset = static_cast<int32_t>(2 * start);
  m.centre_x = in.Short();
  m.centre_y = in.Short();
  m.centre_z = in.Short();
  m.radius = in.Long();
  m.first_vertex = static_cast<uint32_t>(table.vertices.size());
  m.vertex_count = in.Fitting(in.Short(), 3);
  for (uint32_t k = 0; k < m.vertex_count; ++k) {
    MeshVertex v;
    v.x = in.Short();
    v.y = in.Short();
    v.z = in.Short();
    table.vertices.push_back(v);
  }
  m.normal_count = in.Short();
  in.Skip(m.normal_count > 0 ? 3 * size_t(m.normal_count) : size_t(-int(m.normal_count)));
  m.first_face = static_cast<uint32_t>(table.faces.size());
  m.textured_rectangles = ReadFaces(in, table, 4, tr4_faces ? 6 : 5);
  m.textured_triangles = ReadFaces(in, table, 3, tr4_faces ? 5 : 4);
  if (!tr4_faces) {
    m.coloured_rectangles = ReadFaces(in, table, 4, 5);
    m.coloured_triangles = ReadFaces(in, table, 3, 4);
  }
  // Meshes start on 4-byte boundaries relative to the block.
  if ((in.pos() - start) % 2 != 0) in.Skip(1);
  CountTriangles(table, m);
  m.cut = in.cut();
  table.meshes.push_back(m);
  if (in.cut()) in.Finish();
}

}  // namespace

int32_t FindMeshRecord(const Tmesh_list& table, int64_t offset) {
  // Records are in block order, so their offsets rise strictly.
  const auto it = std::lower_bound(
      table.meshes.begin(), table.meshes.end(), offset,
      [](const tmesh_record& m, int64_t value) { return int64_t{m.offset} < value; });
  if (it == table.meshes.end() || it->offset != offset) return 0;
  return static_cast<int32_t>(it - table.meshes.begin());
}

void BuildMeshTable(Tmesh_list& table, const Ttrlevel& level) {
  static std::atomic<uint64_t> stamps{0};
  table = Tmesh_list{};
  table.stamp = ++stamps;
  const bool tr4_faces = level.version_kind >= kTR4;
  WordCursor in(level.mesh_data);
  while (!in.AtEnd()) ReadMesh(in, table, tr4_faces);

  table.pointer_map.reserve(level.mesh_pointers.size());
  for (uint32_t p : level.mesh_pointers) table.pointer_map.push_back(FindMeshRecord(table, p));

  table.pieces.reserve(level.object_textures.size());
  for (const tobject_texture& piece : level.object_textures)
    table.pieces.push_back({PiecePage(piece), GetPieceTexCoords(piece, level.version_kind)});

  uint32_t skin_id = 0;
  if (level.version_kind >= kTR4) {
    skin_id = 8;
    table.kept_movable = 1;
    table.kept_mesh = 11;
  } else if (level.version_kind == kTR3) {
    skin_id = 315;
    table.kept_movable = 1;
    table.kept_mesh = 2;
  } else {
    table.kept_movable = 0;
    table.kept_mesh = 1;
  }
  for (const tmovable& mv : level.movables) {
    if (mv.object_id == skin_id) {
      table.skin_start_mesh = mv.start_mesh;
      break;
    }
  }
}

}  // namespace qavel
