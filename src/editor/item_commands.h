#pragma once
// The Items panel's commands on the selected item-list entry (inspect/item_edits.h does the
// checking and the change). Each edit is one undo step named after its button; a refusal says
// why and changes nothing.

#include <optional>

#include "editor/editor_session.h"
#include "inspect/item_edits.h"

namespace qavel {

using edit::CreateChoice;
using edit::kItemKeyStep;
using edit::PositionSource;

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
