#include "editor/face_commands.h"

#include "editor/edit_command.h"

namespace qavel {

Result PaintFace(EditorSession& session, int room, FaceRef face, int piece) {
  return Push(session.document(), edit::PaintFace(session.level(), room, face, piece));
}

Result TurnFace(EditorSession& session, int room, FaceRef face) {
  return Push(session.document(), edit::TurnFace(session.level(), room, face));
}

Result PickFaceTexture(EditorSession& session, int room, FaceRef face) {
  const Expected<int> piece = edit::FacePiece(session.level(), room, face);
  if (!piece) return piece.result();
  session.selection().SelectPiece(*piece);
  return Result::Ok();
}

Result ClickFaceForTextures(EditorSession& session, int room, FaceRef face, ClickModifiers keys) {
  const bool plain = !keys.ctrl && !keys.alt && (face.kind == FaceKind::kTriangle || !keys.shift);
  if (plain) return PaintFace(session, room, face, session.selection().piece());
  if (keys.alt) {
    if (Result r = TurnFace(session, room, face); !r) return r;
  }
  if (keys.ctrl) return PickFaceTexture(session, room, face);
  return Result::Ok();
}

}  // namespace qavel
