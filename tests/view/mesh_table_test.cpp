// The mesh table: mesh sizes per generation with the 2-byte pad, no capacities, a block that
// ends inside a mesh, pointers that start no mesh, and the skin model per generation.

#include <gtest/gtest.h>

#include "view/mesh_table.h"

namespace qavel {
namespace {

// Appends one mesh (and its pad to a 4-byte boundary) to a word block: vertices, normal count
// (normals or lights follow), and faces per kind; TR4 faces carry an effects word.
void PutMesh(std::vector<uint16_t>& w, bool tr4, int vertices, int normals, int rects, int tris,
             int crects = 0, int ctris = 0) {
  const size_t start = w.size();
  auto put = [&](std::initializer_list<int> words) {
    for (int x : words) w.push_back(uint16_t(x));
  };
  put({1, 2, 3, 100, 0, vertices});
  for (int v = 0; v < vertices; ++v) put({v, -v, 2 * v});
  put({normals});
  w.resize(w.size() + size_t(normals > 0 ? 3 * normals : -normals));
  put({rects});
  for (int k = 0; k < rects; ++k) tr4 ? put({0, 1, 2, 3, 7, 0}) : put({0, 1, 2, 3, 7});
  put({tris});
  for (int k = 0; k < tris; ++k) tr4 ? put({0, 1, 2, 9, 0}) : put({0, 1, 2, 9});
  if (!tr4) {
    put({crects});
    for (int k = 0; k < crects; ++k) put({0, 1, 2, 3, 0x1234});
    put({ctris});
    for (int k = 0; k < ctris; ++k) put({0, 1, 2, 0x4321});
  }
  if ((w.size() - start) % 2) put({0});
}

TEST(MeshTable, MeshSizesThePadAndPointers) {
  struct Case {
    int32_t kind;
    int normals, rects, tris;
    int next;  // where the following mesh starts
  } cases[] = {
      {kTR4, 0, 1, 1, 76},  {kTR2, 0, 1, 1, 76},  {kTR2, 0, 1, 2, 84},
      {kTR2, 0, 1, 0, 68},  {kTR2, -1, 1, 0, 72},  // 70 bytes and the pad
      {kTR1, -5, 0, 0, 68},                        // five lights: 10 bytes
  };
  for (const Case& c : cases) {
    Ttrlevel level;
    level.version_kind = c.kind;
    PutMesh(level.mesh_data, c.kind >= kTR4, 6, c.normals, c.rects, c.tris);
    PutMesh(level.mesh_data, c.kind >= kTR4, 3, 0, 0, 1);
    level.mesh_pointers = {0, uint32_t(c.next), 3, 100000};
    Tmesh_list table;
    BuildMeshTable(table, level);
    ASSERT_EQ(table.count(), 2) << "kind " << c.kind << " next " << c.next;
    EXPECT_EQ(table.meshes[1].offset, c.next);
    EXPECT_EQ(table.pointer_map, (std::vector<int32_t>{0, 1, 0, 0}));
    EXPECT_EQ(table.Vertices(table.meshes[0])[2].z, 4);
    EXPECT_EQ(table.TexturedTriangles(table.meshes[0]).size(), size_t(c.tris));
    EXPECT_EQ(table.TexturedTriangles(table.meshes[1])[0].texture, 9);
  }
}

TEST(MeshTable, WholeMeshesAndBlocksThatEndInsideOne) {
  Ttrlevel level;
  level.version_kind = kTR3;
  PutMesh(level.mesh_data, false, 600, 600, 700, 400, 350, 320);  // far beyond 501 and 301
  Tmesh_list table;
  BuildMeshTable(table, level);
  ASSERT_EQ(table.count(), 1);
  EXPECT_EQ(table.meshes[0].vertex_count, 600u);
  EXPECT_EQ(table.TexturedRectangles(table.meshes[0]).size(), 700u);
  EXPECT_EQ(table.ColouredRectangles(table.meshes[0]).back().texture, 0x1234);
  EXPECT_EQ(table.ColouredTriangles(table.meshes[0]).size(), 320u);
  EXPECT_EQ(table.meshes[0].triangles, 2u * 700 + 400 + 2 * 350 + 320);
  EXPECT_FALSE(table.meshes[0].cut);
  // A cut block keeps the whole faces that fit and reads no further; so do garbage counts.
  level.mesh_data.resize(level.mesh_data.size() - 1000);
  BuildMeshTable(table, level);
  ASSERT_EQ(table.count(), 1);
  EXPECT_EQ(table.meshes[0].coloured_rectangles, 350u);
  EXPECT_EQ(table.meshes[0].coloured_triangles, 70u);  // (1280 words - 1000) / 4
  EXPECT_TRUE(table.meshes[0].cut);
  level.mesh_data = {0, 0, 0, 0, 0, 0x7FFF, 1, 2, 3, 4};
  BuildMeshTable(table, level);
  EXPECT_EQ(table.count(), 1);
  EXPECT_EQ(table.meshes[0].vertex_count, 1u);
  // Faces naming a vertex the mesh lacks are counted, not drawn: a rectangle over 3 vertices.
  level.mesh_data.clear();
  PutMesh(level.mesh_data, false, 3, 0, 1, 1);
  BuildMeshTable(table, level);
  EXPECT_EQ(table.meshes[0].broken_faces, 1u);
  EXPECT_EQ(table.meshes[0].triangles, 1u);
}

TEST(MeshTable, SkinModelAndKeptPairPerGeneration) {
  struct Case {
    int32_t kind;
    uint32_t skin_id;
    int kept_movable, kept_mesh;
  } cases[] = {
      {kTR1, 0, 0, 1}, {kTR2, 0, 0, 1}, {kTR3, 315, 1, 2}, {kTR4, 8, 1, 11}, {kTR5, 8, 1, 11}};
  for (const Case& c : cases) {
    Ttrlevel level;
    level.version_kind = c.kind;
    level.movables = {tmovable{{}, 5, 1, 1, 0, 0, 0, 0}, tmovable{{}, c.skin_id, 1, 7, 0, 0, 0, 0},
                      tmovable{{}, c.skin_id, 1, 9, 0, 0, 0, 0}};
    Tmesh_list table;
    BuildMeshTable(table, level);
    EXPECT_EQ(table.skin_start_mesh, 7) << c.kind;
    EXPECT_EQ(table.kept_movable, c.kept_movable);
    EXPECT_EQ(table.kept_mesh, c.kept_mesh);
    level.movables.resize(1);
    BuildMeshTable(table, level);
    EXPECT_EQ(table.skin_start_mesh, 0);
  }
}

}  // namespace
}  // namespace qavel
