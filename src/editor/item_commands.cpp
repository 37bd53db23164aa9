#include "editor/item_commands.h"

#include <cmath>

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

Result PlaceItem(EditorSession& session, const Placement& placement) {
  return Push(session.document(), edit::PlaceItem(session.level(), Entry(session), placement));
}

Result ToggleItemFlag(EditorSession& session, int flag) {
  return Push(session.document(), edit::ToggleItemFlag(session.level(), Entry(session), flag));
}

Result DuplicateItem(EditorSession& session, const CreateChoice& choice) {
  const std::optional<CreateChoice> create =
      session.create_mode() ? std::optional(choice) : std::nullopt;
  // A created item goes where the dialog says; a copy stays in a room that holds its place.
  const CopyRoom target =
      create ? CopyRoom{session.selection().room(), {}}
             : edit::RoomForCopy(session.level(), Entry(session), session.selection().room());
  Result r = Push(session.document(),
                  edit::DuplicateItem(session.level(), Entry(session), target.room, create));
  if (!r) return r;
  session.SetCreateMode(false);
  return Result::Ok(target.note);
}

Result MoveItem(EditorSession& session, int dx, int dz) {
  return Push(session.document(), edit::MoveItem(session.level(), Entry(session), dx, dz));
}

Result MoveItemByArrow(EditorSession& session, Arrow arrow, const GroundAxes& axes) {
  // The world axis nearest to the view's right, with its sign; the other axis is forward, signed
  // by where the view's away points along it.
  const bool right_on_x = std::abs(axes.right_x) >= std::abs(axes.right_z);
  const int right_sign = (right_on_x ? axes.right_x : axes.right_z) < 0 ? -1 : 1;
  const int away_sign = (right_on_x ? axes.away_z : axes.away_x) < 0 ? -1 : 1;
  int along_right = 0, along_away = 0;
  switch (arrow) {
    case Arrow::kLeft:
      along_right = -1;
      break;
    case Arrow::kRight:
      along_right = 1;
      break;
    case Arrow::kUp:
      along_away = 1;
      break;
    case Arrow::kDown:
      along_away = -1;
      break;
  }
  const int r = along_right * right_sign * kItemKeyStep;
  const int a = along_away * away_sign * kItemKeyStep;
  return right_on_x ? MoveItem(session, r, a) : MoveItem(session, a, r);
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
