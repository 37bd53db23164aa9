#pragma once
// Edits of the faces of a room, as clicks in the 3D view give them: paint a face with a texture
// piece, turn its corners. They keep every form of the face (and a TR5 room's layers) in step.

#include "inspect/level_edit.h"
#include "level/result.h"
#include "level/room_faces.h"

namespace qavel {

// A face of a room by kind and 0-based index into the room's rectangles or triangles.
struct FaceRef {
  FaceKind kind = FaceKind::kRectangle;
  int index = -1;
};

}  // namespace qavel

namespace qavel::edit {

// The face's texture word becomes the piece number (the whole word, flag bits included).
Expected<LevelEdit> PaintFace(const Ttrlevel& level, int room, FaceRef face, int piece);
// Turns the face's texture mapping by one corner (see TurnFaceCorners in room_faces.h).
Expected<LevelEdit> TurnFace(const Ttrlevel& level, int room, FaceRef face);
// The texture piece the face shows (the low twelve bits of its texture word), refused when the
// level has no such piece.
Expected<int> FacePiece(const Ttrlevel& level, int room, FaceRef face);

}  // namespace qavel::edit
