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

namespace {

// A click that paints: no Ctrl or Alt, and Shift only on a triangle.
bool Paints(FaceRef face, ClickModifiers keys) {
  return !keys.ctrl && !keys.alt && (face.kind == FaceKind::kTriangle || !keys.shift);
}

}  // namespace

Result ClickFaceForTextures(EditorSession& session, int room, FaceRef face, ClickModifiers keys) {
  if (Paints(face, keys)) return PaintFace(session, room, face, session.selection().piece());
  if (keys.alt) {
    if (Result r = TurnFace(session, room, face); !r) return r;
  }
  if (keys.ctrl) return PickFaceTexture(session, room, face);
  return Result::Ok();
}

Result PaintStroke::Paint(int room, FaceRef face, ClickModifiers keys) {
  if (!Paints(face, keys)) return Result::Ok();
  Expected<LevelEdit> edit =
      edit::PaintFace(session_.level(), room, face, session_.selection().piece());
  if (!edit) return edit.result();
  if (edit->ChangesNothing()) return Result::Ok();
  if (!open_) {
    session_.undo_stack().beginMacro(QString::fromStdString(edit->name()));
    open_ = true;
  }
  return Push(session_.document(), std::move(edit));
}

void PaintStroke::Finish() {
  if (!open_) return;
  open_ = false;
  session_.undo_stack().endMacro();
}

}  // namespace qavel
