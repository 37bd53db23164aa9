#include "editor/face_commands.h"

#include "editor/edit_commands.h"

namespace qavel {

namespace {

// The face exists in the level, or why it does not.
Result CheckFace(const EditorSession& session, int room, FaceRef face) {
  if (!session.HasLevel()) return NoLevel();
  if (!session.document().IsRoom(room))
    return Refused("Room " + std::to_string(room) + " does not exist in this level.");
  if (face.index < 0 ||
      static_cast<size_t>(face.index) >= FaceCount(session.level().rooms[room], face.kind))
    return Refused("Room " + std::to_string(room) + " has no such face.");
  return Result::Ok();
}

// Turning is undone by turning back, so every form comes back exactly.
class TurnFaceCommand : public QUndoCommand {
 public:
  TurnFaceCommand(LevelDocument* document, int room, FaceRef face)
      : QUndoCommand(QStringLiteral("Turn Texture")),
        document_(document),
        room_(room),
        face_(face) {}
  void redo() override { Turn(1); }
  void undo() override { Turn(-1); }

 private:
  void Turn(int steps) {
    TurnFaceCorners(document_->mutable_level().rooms.at(room_), face_.kind,
                    static_cast<size_t>(face_.index), steps);
    document_->Announce(Change::kFace, room_, -1);
  }
  LevelDocument* document_;
  int room_;
  FaceRef face_;
};

}  // namespace

Result PaintFace(EditorSession& session, int room, FaceRef face, int piece) {
  if (Result r = CheckFace(session, room, face); !r) return r;
  LevelDocument& doc = session.document();
  if (piece < 0 || static_cast<uint32_t>(piece) >= doc.level().num_object_textures())
    return Refused("Choose a texture piece on the Textures page first.");
  const auto k = static_cast<size_t>(face.index);
  const uint16_t before = FaceTexture(doc.level().rooms[room], face.kind, k);
  const auto after = static_cast<uint16_t>(piece);
  if (after == before) return Result::Ok();
  doc.undo_stack().push(new ChangeValueCommand<uint16_t>(
      &doc, QStringLiteral("Paint Texture"), {Change::kFace, room, -1}, kNoMerge, before, after,
      [room, face, k](Ttrlevel& level, const uint16_t& v) {
        SetFaceTexture(level.rooms.at(room), face.kind, k, v);
      }));
  return Result::Ok();
}

Result TurnFace(EditorSession& session, int room, FaceRef face) {
  if (Result r = CheckFace(session, room, face); !r) return r;
  LevelDocument& doc = session.document();
  doc.undo_stack().push(new TurnFaceCommand(&doc, room, face));
  return Result::Ok();
}

Result PickFaceTexture(EditorSession& session, int room, FaceRef face) {
  if (Result r = CheckFace(session, room, face); !r) return r;
  // The low twelve bits are the piece the face shows; the bits above are flags.
  const int piece =
      FaceTexture(session.level().rooms[room], face.kind, static_cast<size_t>(face.index)) & 0x0FFF;
  if (static_cast<uint32_t>(piece) >= session.level().num_object_textures())
    return Refused("The face shows texture piece " + std::to_string(piece) +
                   ", which this level does not have.");
  session.selection().SelectPiece(piece);
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
