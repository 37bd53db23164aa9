#pragma once
// The Items panel's edits of one entry of the item list: an item (both of its forms through the
// model's store) or, for TR4/TR5, an aux record. Each gives the edit, or the refusal that says
// why; an edit may change nothing (LevelEdit::ChangesNothing), and then need not be kept. Each
// is named after its button.

#include <optional>

#include "inspect/level_edit.h"
#include "inspect/panel_units.h"
#include "level/result.h"

namespace qavel::edit {

// The Create Item dialog's choices: a movable of the level and a position in panel units.
struct CreateChoice {
  int movable = -1;
  PanelPosition position;
};

// How far one press of Shift and an arrow key moves an item (world units).
inline constexpr int kItemKeyStep = 16;

Expected<LevelEdit> ChangeItemId(const Ttrlevel& level, int entry, int object_id);
Expected<LevelEdit> ChangeItemOcb(const Ttrlevel& level, int entry, int ocb);  // TR4/TR5 only
Expected<LevelEdit> RotateItem(const Ttrlevel& level, int entry);  // 45 degrees; items only
Expected<LevelEdit> SetItemPosition(const Ttrlevel& level, int entry, Axis axis, int panel_value);
Expected<LevelEdit> ChangeItemRoom(const Ttrlevel& level, int entry, int room);
Expected<LevelEdit> ChangeItemLight(const Ttrlevel& level, int entry, int light);  // items only
// Moves the entry by dx and dz world units.
Expected<LevelEdit> MoveItem(const Ttrlevel& level, int entry, int dx, int dz);
// A copy of the item placed in room; with a choice, the item the Create Item dialog describes
// (the selected item, when there is one, gives its angle, light and flags).
Expected<LevelEdit> DuplicateItem(const Ttrlevel& level, int entry, int room,
                                  const std::optional<CreateChoice>& create);

// Where the Create Item dialog takes a position from, and the position (in panel units) the
// selected room, entry or static instance gives; nothing where that selection is empty.
enum class PositionSource { kRoom, kItem, kStatic };
std::optional<PanelPosition> PositionFrom(const Ttrlevel& level, PositionSource source, int room,
                                          int entry, int instance);

}  // namespace qavel::edit
