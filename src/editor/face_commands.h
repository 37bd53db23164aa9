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

}  // namespace qavel
