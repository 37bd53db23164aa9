#include "inspect/face_edits.h"

#include "inspect/refusals.h"

namespace qavel::edit {

namespace {

// The face exists in the level, or why it does not.
Result CheckFace(const Ttrlevel& level, int room, FaceRef face) {
  if (!HasRooms(level)) return NoLevel();
  if (room < 0 || room >= level.num_rooms())
    return Refused("Room " + std::to_string(room) + " does not exist in this level.");
  if (face.index < 0 || static_cast<size_t>(face.index) >= FaceCount(level.rooms[room], face.kind))
    return Refused("Room " + std::to_string(room) + " has no such face.");
  return Result::Ok();
}

}  // namespace

Expected<LevelEdit> PaintFace(const Ttrlevel& level, int room, FaceRef face, int piece) {
  if (Result checked = CheckFace(level, room, face); !checked) return checked;
  if (piece < 0) return Refused("Choose a texture piece on the Textures page first.");
  if (static_cast<uint32_t>(piece) >= level.num_object_textures())
    return Refused("Texture piece " + std::to_string(piece) + " does not exist; the level has " +
                   std::to_string(level.num_object_textures()) + " object textures.");
  const auto k = static_cast<size_t>(face.index);
  return LevelEdit::Change<uint16_t>("Paint Texture", FaceTarget{room, face.kind, face.index},
                                     kNoMerge, FaceTexture(level.rooms[room], face.kind, k),
                                     static_cast<uint16_t>(piece),
                                     [room, face, k](Ttrlevel& l, const uint16_t& v) {
                                       SetFaceTexture(l.rooms.at(room), face.kind, k, v);
                                     });
}

Expected<LevelEdit> TurnFace(const Ttrlevel& level, int room, FaceRef face) {
  if (Result checked = CheckFace(level, room, face); !checked) return checked;
  // Turning is undone by turning back, so every form comes back exactly.
  auto turn = [room, face](int steps) {
    return [room, face, steps](Ttrlevel& l) {
      TurnFaceCorners(l.rooms.at(room), face.kind, static_cast<size_t>(face.index), steps);
    };
  };
  return LevelEdit::Steps("Turn Texture", FaceTarget{room, face.kind, face.index}, turn(1),
                          turn(-1));
}

Expected<int> FacePiece(const Ttrlevel& level, int room, FaceRef face) {
  if (Result checked = CheckFace(level, room, face); !checked) return checked;
  // The low twelve bits are the piece the face shows; the bits above are flags.
  const int piece =
      FaceTexture(level.rooms[room], face.kind, static_cast<size_t>(face.index)) & 0x0FFF;
  if (static_cast<uint32_t>(piece) >= level.num_object_textures())
    return Refused("The face shows texture piece " + std::to_string(piece) +
                   ", which this level does not have.");
  return piece;
}

}  // namespace qavel::edit
