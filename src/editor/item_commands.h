#pragma once
// The Items panel's commands. Edits act on the selected item-list entry: an item (both of its
// forms), or for TR4/TR5 an aux record. Each is one undo step named after its button; a
// refusal says why and changes nothing.

#include <optional>

#include "editor/editor_session.h"
#include "editor/panel_units.h"

namespace qavel {

// The Create Item dialog's choices: a movable of the level and a position in panel units.
struct CreateChoice {
  int movable = -1;
  PanelPosition position;
};

// Where the Create Item dialog takes a position from.
enum class PositionSource { kRoom, kItem, kStatic };

// How far one press of Shift and an arrow key moves an item (world units).
inline constexpr int kItemKeyStep = 16;

Result ChangeItemId(EditorSession& session, int object_id);
Result ChangeItemOcb(EditorSession& session, int ocb);  // TR4/TR5 only
Result RotateItem(EditorSession& session);              // 45 degrees; items only
Result SetItemPosition(EditorSession& session, Axis axis, int panel_value);
Result ChangeItemRoom(EditorSession& session, int room);
Result ChangeItemLight(EditorSession& session, int light);  // items only
// Copies the selected item into the selected room; in create mode makes the item chosen in the
// Create Item dialog instead and leaves create mode.
Result DuplicateItem(EditorSession& session, const CreateChoice& choice = {});
// Moves the selected entry by dx and dz world units; moves of one entry that follow each other
// are one undo step.
Result MoveItem(EditorSession& session, int dx, int dz);
// Shift and an arrow key in the 3D view: left and right move along x, up and down along z
// (up is +z), one kItemKeyStep a press.
enum class Arrow { kLeft, kRight, kUp, kDown };
Result MoveItemByArrow(EditorSession& session, Arrow arrow);

// The next entry after `after` placed from movable m (its alias when it has one), items first,
// then aux records; selects it and its room. Refused with "No more Items found".
Result FindNextPlacement(EditorSession& session, int movable, int after);
// The position of the movables list that names the selected entry's object (-1 when none).
int MovableOfSelectedItem(const EditorSession& session);
// Create Item dialog: a position in panel units taken from the selected room, item or mesh.
std::optional<PanelPosition> PositionFrom(const EditorSession& session, PositionSource source);

}  // namespace qavel
