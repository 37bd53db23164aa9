#pragma once
// Drawing one mesh and one movable in one animation frame into a DrawList, and the lookups of
// animations, frames, static meshes and palette colours they need.

#include <cstdint>
#include <string>

#include "level/ttrlevel.h"
#include "view/draw_list.h"
#include "view/mesh_table.h"

namespace qavel {

inline constexpr std::array<TexCoord, 4> kWholeTexture = {TexCoord{0, 0}, TexCoord{1, 0},
                                                          TexCoord{1, 1}, TexCoord{0, 1}};

// The page and corner coordinates of piece `number` from the table, worked out afresh when the
// table does not hold the level's pieces (a table built for another level); nullptr when the
// level has no such piece.
inline const PieceUv* FindPiece(const Tmesh_list& meshes, const Ttrlevel& level, uint32_t number,
                                PieceUv& spare) {
  if (number >= level.object_textures.size()) return nullptr;
  if (meshes.pieces.size() == level.object_textures.size()) return &meshes.pieces[number];
  const tobject_texture& piece = level.object_textures[number];
  spare = {PiecePage(piece), GetPieceTexCoords(piece, level.version_kind)};
  return &spare;
}

// The current mesh's or room's vertices placed through the current matrix, kept between
// meshes of one build so that drawing does not allocate for every mesh.
struct DrawScratch {
  std::vector<Vec3> placed;
  std::vector<uint32_t> light;  // per room vertex, when room faces are lit
};

// What mesh and movable drawing read: the list to draw into, the mesh table, the level, and
// optionally a scratch shared by one build (drawing makes its own otherwise).
struct MeshContext {
  DrawList& list;
  const Tmesh_list& meshes;
  const Ttrlevel& level;
  DrawScratch* scratch = nullptr;
};

// 1-based index of the first static mesh with that object id, -1 when there is none.
int FindStaticMesh(const Ttrlevel& level, uint32_t object_id);
// Animations of movable m (0 for none or an index outside the table).
int AnimationCount(const Ttrlevel& level, int m);
// Frames of animation a of movable m (0 when anything lies outside its table).
int FrameCount(const Ttrlevel& level, int m, int a);
// Word offset in `frames` of frame fr of animation a of movable m; 0 for a negative m or a,
// -1 when the movable or animation does not exist (and then nothing of a frame is read).
int64_t FrameOffset(const Ttrlevel& level, int m, int a, int fr);

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
// Colour of a coloured face: TR1 from the 6-bit palette, TR2/TR3 from the 16-bit one, black
// for TR4/TR5.
Rgb PaletteColour(const Ttrlevel& level, uint16_t colour_word);

// Draws mesh record `record` placed at (x, y, z) turned by angle_y degrees; mesh units are
// divided by 100 / scale. Textured faces take the current colour (use_current_colour) or the
// given window colour; TR1-TR3 coloured faces are drawn with the list's standard texture. A
// face naming a vertex the mesh lacks is not drawn; a face whose texture is not in the level
// is drawn with the standard texture, so it stays visible and can be picked.
void DrawMesh(const MeshContext& ctx, int record, double x, double y, double z, float angle_y,
              double scale, bool use_current_colour, uint32_t window_colour);

// What drawing makes of the meshes of a movable or a static mesh: the triangles drawn and, when
// something the file names cannot be drawn as it says, why (the first such thing found).
struct MeshCheck {
  uint64_t triangles = 0;
  std::string problem;  // empty when drawn whole
};
// The record mesh pointer `pointer` (an index into the pointers) names: -1 when it lies outside
// them, 0 (and a problem) when its offset starts no mesh.
int PointerRecord(const Tmesh_list& meshes, const Ttrlevel& level, int64_t pointer,
                  std::string& problem);
// The mesh of a pointer as DrawMesh draws it; `record` gets the record drawn (-1 for none).
MeshCheck CheckMesh(const Tmesh_list& meshes, const Ttrlevel& level, int64_t pointer, int& record);
// Movable m as DrawMovable draws it.
MeshCheck CheckMovable(const Tmesh_list& meshes, const Ttrlevel& level, int m);

struct MovablePose {
  int frame = 0;
  int animation = 0;
  bool skip_root_offset = false;
  float extra_x = 0, extra_y = 0, extra_z = 0;  // degrees; extra_y is added to the angle
};
// Draws movable m at (x, y, z) turned by angle degrees, in one frame of one animation. A
// movable without that frame is drawn in its rest pose (no root offset, no rotations). The
// list's matrix and stack depth are as they were afterwards, whatever the mesh tree does.
void DrawMovable(const MeshContext& ctx, int m, double x, double y, double z, float angle,
                 double scale, const MovablePose& pose = {});

}  // namespace qavel
