// The mesh table: mesh sizes per generation with the 2-byte pad, no capacities, a block that
// ends inside a mesh, pointers that start no mesh, and the skin model per generation.

#include <gtest/gtest.h>

#include "view/mesh_table.h"

namespace qavel {
namespace {

// Writes one mesh into a word block.
struct MeshWriter {
  std::vector<uint16_t>& w;
  bool tr4;
  void Put(std::initializer_list<int> words) {
    for (int x : words) w.push_back(static_cast<uint16_t>(x));
  }
  // vertices, normal count (normals or lights follow), faces per kind.
  void Mesh(int vertices, int normals, int rects, int tris, int crects = 0, int ctris = 0) {
    const size_t start = w.size();
    Body(vertices, normals, rects, tris, crects, ctris);
    if ((w.size() - start) % 2) Put({0});  // the pad to a 4-byte boundary
  }
  void Body(int vertices, int normals, int rects, int tris, int crects, int ctris) {
    Put({1, 2, 3, 100, 0, vertices});
    for (int v = 0; v < vertices; ++v) Put({v, -v, 2 * v});
    Put({normals});
    const int normal_words = normals > 0 ? 3 * normals : -normals;
    for (int k = 0; k < normal_words; ++k) Put({0});
    Put({rects});
    for (int k = 0; k < rects; ++k) tr4 ? Put({0, 1, 2, 3, 7, 0}) : Put({0, 1, 2, 3, 7});
    Put({tris});
    for (int k = 0; k < tris; ++k) tr4 ? Put({0, 1, 2, 9, 0}) : Put({0, 1, 2, 9});
    if (tr4) return;
    Put({crects});
    for (int k = 0; k < crects; ++k) Put({0, 1, 2, 3, 0x1234});
    Put({ctris});
    for (int k = 0; k < ctris; ++k) Put({0, 1, 2, 0x4321});
  }
};

Ttrlevel LevelOfKind(int32_t kind) {
  Ttrlevel level;
  level.version_kind = kind;
  return level;
}

TEST(MeshTable, MeshSizesAndThePad) {
  struct Case {
    int32_t kind;
    int vertices, normals, rects, tris;
    int next_offset;  // where the following mesh starts
  } cases[] = {
      {kTR4, 6, 0, 1, 1, 76},  {kTR2, 6, 0, 1, 1, 76},  {kTR2, 6, 0, 1, 2, 84},
      {kTR2, 6, 0, 1, 0, 68},  {kTR2, 6, -1, 1, 0, 72},  // 70 bytes and the pad
      {kTR1, 6, -5, 0, 0, 68},                           // five lights: 10 bytes
  };
  for (const Case& c : cases) {
    Ttrlevel level = LevelOfKind(c.kind);
    MeshWriter w{level.mesh_data, c.kind >= kTR4};
    w.Mesh(c.vertices, c.normals, c.rects, c.tris);
    w.Mesh(3, 0, 0, 1);
    level.mesh_pointers = {0, uint32_t(c.next_offset), 3, 100000};
    Tmesh_list table;
    BuildMeshTable(table, level);
    ASSERT_EQ(table.count(), 2) << "kind " << c.kind << " next " << c.next_offset;
    EXPECT_EQ(table.meshes[1].offset, c.next_offset);
    EXPECT_EQ(table.pointer_map, (std::vector<int32_t>{0, 1, 0, 0}));
    const tmesh_record& m = table.meshes[0];
    EXPECT_EQ(m.normal_count, c.normals);
    EXPECT_EQ(table.Vertices(m)[2].z, 4);
    EXPECT_EQ(table.TexturedTriangles(m).size(), size_t(c.tris));
    EXPECT_EQ(table.TexturedTriangles(table.meshes[1])[0].texture, 9);
  }
}

TEST(MeshTable, WholeMeshesBeyondOldCapacitiesAndColouredFaces) {
  Ttrlevel level = LevelOfKind(kTR3);
  MeshWriter w{level.mesh_data, false};
  w.Mesh(600, 600, 700, 400, 350, 320);
  Tmesh_list table;
  BuildMeshTable(table, level);
  ASSERT_EQ(table.count(), 1);
  const tmesh_record& m = table.meshes[0];
  EXPECT_EQ(m.vertex_count, 600u);
  EXPECT_EQ(table.TexturedRectangles(m).size(), 700u);
  EXPECT_EQ(table.TexturedTriangles(m).size(), 400u);
  EXPECT_EQ(table.ColouredRectangles(m).back().texture, 0x1234);
  EXPECT_EQ(table.ColouredTriangles(m).size(), 320u);
}

TEST(MeshTable, ABlockEndingInsideAMeshKeepsWhatFits) {
  Ttrlevel level = LevelOfKind(kTR4);
  MeshWriter w{level.mesh_data, true};
  w.Mesh(4, 0, 1, 0);
  w.Mesh(50, 0, 30, 0);
  level.mesh_data.resize(level.mesh_data.size() - 100);  // cuts the second mesh's faces
  Tmesh_list table;
  BuildMeshTable(table, level);
  ASSERT_EQ(table.count(), 2);
  EXPECT_EQ(table.meshes[1].vertex_count, 50u);
  EXPECT_LT(table.meshes[1].textured_rectangles, 30u);
  // Garbage counts never read past the block either.
  level.mesh_data = {0, 0, 0, 0, 0, 0x7FFF, 1, 2, 3, 4};
  BuildMeshTable(table, level);
  EXPECT_EQ(table.count(), 1);
  EXPECT_EQ(table.meshes[0].vertex_count, 1u);
}

TEST(MeshTable, SkinModelAndKeptPairPerGeneration) {
  struct Case {
    int32_t kind;
    uint32_t skin_id;
    int kept_movable, kept_mesh;
  } cases[] = {
      {kTR1, 0, 0, 1}, {kTR2, 0, 0, 1}, {kTR3, 315, 1, 2}, {kTR4, 8, 1, 11}, {kTR5, 8, 1, 11}};
  for (const Case& c : cases) {
    Ttrlevel level = LevelOfKind(c.kind);
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
