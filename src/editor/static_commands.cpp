#include "editor/static_commands.h"

#include "editor/edit_command.h"
#include "inspect/static_edits.h"

namespace qavel {

namespace {

// Runs an edit of the selected instance.
template <class Make, class... Args>
Result OnSelected(EditorSession& session, Make make, Args... args) {
  const Selection& sel = session.selection();
  return Push(session.document(),
              make(session.level(), sel.room(), sel.static_instance(), args...));
}

}  // namespace

Result ChangeStaticId(EditorSession& session, int mesh_id) {
  return OnSelected(session, edit::ChangeStaticId, mesh_id);
}

Result SetStaticPosition(EditorSession& session, Axis axis, int panel_value) {
  return OnSelected(session, edit::SetStaticPosition, axis, panel_value);
}

Result RotateStatic(EditorSession& session) {
  return OnSelected(session, edit::RotateStatic);
}

Result ChangeStaticLights(EditorSession& session, int light1, int light2) {
  return OnSelected(session, edit::ChangeStaticLights, light1, light2);
}

Result PlaceStatic(EditorSession& session, const Placement& placement) {
  return OnSelected(session, edit::PlaceStatic, placement);
}

Result DuplicateStatic(EditorSession& session) {
  return OnSelected(session, edit::DuplicateStatic);
}

}  // namespace qavel
