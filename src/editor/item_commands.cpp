#include "editor/item_commands.h"

#include "editor/edit_command.h"
#include "inspect/item_list.h"

namespace qavel {

namespace {

int Entry(const EditorSession& session) {
  return session.selection().item();
}

}  // namespace

Result ChangeItemId(EditorSession& session, int object_id) {
  // The item's room is shown, as after a double click on the list.
  session.selection().SelectRoom(session.document().RoomOfEntry(Entry(session)));
  return Push(session.document(), edit::ChangeItemId(session.level(), Entry(session), object_id));
}

Result ChangeItemOcb(EditorSession& session, int ocb) {
  return Push(session.document(), edit::ChangeItemOcb(session.level(), Entry(session), ocb));
}

Result RotateItem(EditorSession& session) {
  return Push(session.document(), edit::RotateItem(session.level(), Entry(session)));
}

Result SetItemPosition(EditorSession& session, Axis axis, int panel_value) {
  return Push(session.document(),
              edit::SetItemPosition(session.level(), Entry(session), axis, panel_value));
}

Result ChangeItemRoom(EditorSession& session, int room) {
  return Push(session.document(), edit::ChangeItemRoom(session.level(), Entry(session), room));
}

Result ChangeItemLight(EditorSession& session, int light) {
  return Push(session.document(), edit::ChangeItemLight(session.level(), Entry(session), light));
}

Result DuplicateItem(EditorSession& session, const CreateChoice& choice) {
  const std::optional<CreateChoice> create =
      session.create_mode() ? std::optional(choice) : std::nullopt;
  Result r = Push(session.document(), edit::DuplicateItem(session.level(), Entry(session),
                                                          session.selection().room(), create));
  if (r) session.SetCreateMode(false);
  return r;
}

Result MoveItem(EditorSession& session, int dx, int dz) {
  return Push(session.document(), edit::MoveItem(session.level(), Entry(session), dx, dz));
}

Result MoveItemByArrow(EditorSession& session, Arrow arrow) {
  switch (arrow) {
    case Arrow::kLeft:
      return MoveItem(session, -kItemKeyStep, 0);
    case Arrow::kRight:
      return MoveItem(session, kItemKeyStep, 0);
    case Arrow::kUp:
      return MoveItem(session, 0, kItemKeyStep);
    case Arrow::kDown:
      break;
  }
  return MoveItem(session, 0, -kItemKeyStep);
}

Result FindNextPlacement(EditorSession& session, int movable, int after) {
  const Expected<int> found =
      qavel::FindNextPlacement(session.level(), session.document().names(), movable, after);
  if (!found) return found.result();
  session.selection().SelectItem(*found);
  session.selection().SelectRoom(session.document().RoomOfEntry(*found));
  return Result::Ok();
}

int MovableOfSelectedItem(const EditorSession& session) {
  return MovableOfEntry(session.level(), session.document().names(), Entry(session));
}

std::optional<PanelPosition> PositionFrom(const EditorSession& session, PositionSource source) {
  const Selection& sel = session.selection();
  return edit::PositionFrom(session.level(), source, sel.room(), sel.item(), sel.static_instance());
}

}  // namespace qavel
