#pragma once
// Commands on the faces of a room, as clicks in the 3D view give them (inspect/face_edits.h):
// paint a face with a texture piece, turn its corners, pick up its texture. The edits are one
// undo step each.

#include "editor/editor_session.h"
#include "inspect/face_edits.h"

namespace qavel {

// The face's texture word becomes the piece number (the whole word, flag bits included).
Result PaintFace(EditorSession& session, int room, FaceRef face, int piece);
// Turns the face's texture mapping by one corner (see TurnFaceCorners in room_faces.h).
Result TurnFace(EditorSession& session, int room, FaceRef face);
// Selects the texture piece the face shows; the level does not change.
Result PickFaceTexture(EditorSession& session, int room, FaceRef face);

// The keys held during a click in the 3D view.
struct ClickModifiers {
  bool shift = false, ctrl = false, alt = false;
};
// A left click on a room face while the Textures page is shown: without modifiers it paints the
// face with the selected piece (a triangle is painted with Shift held too), Alt turns its
// corners, Ctrl picks up its texture, and Alt with Ctrl turns first, then picks up.
Result ClickFaceForTextures(EditorSession& session, int room, FaceRef face, ClickModifiers keys);

// Painting in one drag: every face the pointer passes over while the button is held takes the
// selected piece, and the whole drag is one undo step ("Paint Texture"), however many faces it
// painted. The step closes when the stroke ends (Finish, or its end of life).
class PaintStroke {
 public:
  explicit PaintStroke(EditorSession& session) : session_(session) {}
  ~PaintStroke() { Finish(); }
  PaintStroke(const PaintStroke&) = delete;
  PaintStroke& operator=(const PaintStroke&) = delete;

  // Paints the face as a plain click does (a triangle also with Shift held); with Ctrl or Alt,
  // or Shift on a rectangle, nothing is painted.
  Result Paint(int room, FaceRef face, ClickModifiers keys);
  void Finish();

 private:
  EditorSession& session_;
  bool open_ = false;
};

}  // namespace qavel
