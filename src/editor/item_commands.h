#pragma once
// The Items panel's commands on the selected item-list entry (inspect/item_edits.h does the
// checking and the change). Each edit is one undo step named after its button; a refusal says
// why and changes nothing.

#include <optional>

#include "editor/editor_session.h"
#include "inspect/item_edits.h"

namespace qavel {

using edit::CopyRoom;
using edit::CreateChoice;
using edit::kItemKeyStep;
using edit::PositionSource;

Result ChangeItemId(EditorSession& session, int object_id);
Result ChangeItemOcb(EditorSession& session, int ocb);  // TR4/TR5 only
Result RotateItem(EditorSession& session);              // 45 degrees; items only
Result SetItemPosition(EditorSession& session, Axis axis, int panel_value);
Result ChangeItemRoom(EditorSession& session, int room);
Result ChangeItemLight(EditorSession& session, int light);  // items only
// Moves and turns the selected entry in one step (world units and a stored angle).
Result PlaceItem(EditorSession& session, const Placement& placement);
// Switches one activation flag of the selected entry (see edit::ToggleItemFlag).
Result ToggleItemFlag(EditorSession& session, int flag);
// Copies the selected item into the selected room, or into its own room when it lies outside
// the selected one (the result's message says so); in create mode makes the item chosen in
// the Create Item dialog instead and leaves create mode.
Result DuplicateItem(EditorSession& session, const CreateChoice& choice = {});
// Moves the selected entry by dx and dz world units; moves of one entry that follow each other
// are one undo step.
Result MoveItem(EditorSession& session, int dx, int dz);

// Shift and an arrow key: left and right move along the world axis (x or z) nearest to the
// view's right, up and down along the other one, up being away from the viewer; one
// kItemKeyStep a press.
enum class Arrow { kLeft, kRight, kUp, kDown };
// Where the view's right and its away-from-the-viewer point on the ground, as world x and z
// (any length). The default is a view looking along +z.
struct GroundAxes {
  double right_x = 1, right_z = 0;
  double away_x = 0, away_z = 1;
};
Result MoveItemByArrow(EditorSession& session, Arrow arrow, const GroundAxes& axes = {});

// The next entry after `after` placed from movable m (its alias when it has one), items first,
// then aux records; selects it and its room. Refused with "No more Items found".
Result FindNextPlacement(EditorSession& session, int movable, int after);
// The position of the movables list that names the selected entry's object (-1 when none).
int MovableOfSelectedItem(const EditorSession& session);
// Create Item dialog: a position in panel units taken from the selected room, item or mesh.
std::optional<PanelPosition> PositionFrom(const EditorSession& session, PositionSource source);

}  // namespace qavel
