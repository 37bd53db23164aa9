#pragma once
// Tmesh_list: the level's mesh block read once per open into records that drawing walks, the
// map from mesh pointers to records, and the skin model that stands in for empty meshes.

#include <cstdint>
#include <span>
#include <vector>

#include "level/ttrlevel.h"
#include "pieces/texture_pieces.h"

namespace qavel {

// A piece's texture number (its page) and corner coordinates.
struct PieceUv {
  int32_t page = 0;
  std::array<TexCoord, 4> uv;
};

struct MeshVertex {
  int16_t x = 0, y = 0, z = 0;
};

// A face of a mesh: vertex indices (a triangle uses three) and its texture or colour word.
struct MeshFace {
  uint16_t vertices[4] = {};
  uint16_t texture = 0;
};

// One mesh. Vertices and faces live in the table's shared arrays, so a mesh holds as many as
// the block gives it; faces are stored textured rectangles, textured triangles, coloured
// rectangles, coloured triangles, one after the other from first_face.
struct tmesh_record {
  int32_t offset = 0;  // bytes from the start of the block
  int16_t centre_x = 0, centre_y = 0, centre_z = 0;
  int32_t radius = 0;
  int16_t normal_count = 0;  // > 0 normals, <= 0 -count lights (neither is drawn)
  uint32_t first_vertex = 0, vertex_count = 0;
  uint32_t first_face = 0;
  uint32_t textured_rectangles = 0, textured_triangles = 0;
  uint32_t coloured_rectangles = 0, coloured_triangles = 0;  // TR1-TR3 only
  // What drawing makes of it: the triangles of the faces whose corners the mesh has, the faces
  // that name a vertex it lacks (never drawn), and whether the end of the block cut it short.
  uint32_t triangles = 0;
  uint32_t broken_faces = 0;
  bool cut = false;
};

struct Tmesh_list {
  std::vector<tmesh_record> meshes;  // in block order
  std::vector<int32_t> pointer_map;  // record index per mesh pointer, 0 when none starts there
  uint8_t state = 0;                 // 2 once the open sequence built it
  int32_t skin_start_mesh = 0;
  // The one (movable, 1-based mesh) pair whose record 0 is its own mesh, never the skin's.
  int32_t kept_movable = 0;
  int32_t kept_mesh = 0;
  std::vector<MeshVertex> vertices;
  std::vector<MeshFace> faces;
  // Page and corner coordinates of every object texture, worked out with the meshes so that
  // drawing looks them up (rebuilt with the table whenever the level's tables are replaced).
  std::vector<PieceUv> pieces;
  // Unique in the process for every build of a table: what drawing made of its meshes is found
  // again under it.
  uint64_t stamp = 0;

  int32_t count() const { return static_cast<int32_t>(meshes.size()); }
  std::span<const MeshVertex> Vertices(const tmesh_record& m) const {
    return {vertices.data() + m.first_vertex, m.vertex_count};
  }
  std::span<const MeshFace> TexturedRectangles(const tmesh_record& m) const {
    return {faces.data() + m.first_face, m.textured_rectangles};
  }
  std::span<const MeshFace> TexturedTriangles(const tmesh_record& m) const {
    return {faces.data() + m.first_face + m.textured_rectangles, m.textured_triangles};
  }
  std::span<const MeshFace> ColouredRectangles(const tmesh_record& m) const {
    return {faces.data() + m.first_face + m.textured_rectangles + m.textured_triangles,
            m.coloured_rectangles};
  }
  std::span<const MeshFace> ColouredTriangles(const tmesh_record& m) const {
    return {faces.data() + m.first_face + m.textured_rectangles + m.textured_triangles +
                m.coloured_rectangles,
            m.coloured_triangles};
  }
};

// Reads every mesh of the level's block. Counts are bounded by the block: a mesh that runs past
// its end keeps the whole elements that fit, and reading stops there.
void BuildMeshTable(Tmesh_list& table, const Ttrlevel& level);
// Index of the record starting at that byte offset, 0 when none does.
int32_t FindMeshRecord(const Tmesh_list& table, int64_t offset);

}  // namespace qavel
