#pragma once
// The Items panel's edits of one entry of the item list: an item (both of its forms through the
// model's store) or, for TR4/TR5, an aux record. Each gives the edit, or the refusal that says
// why; an edit may change nothing (LevelEdit::ChangesNothing), and then need not be kept. Each
// is named after its button.

#include <optional>
#include <string>

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
// TR2 and later store the value in both light words (TR4/TR5: the second is the OCB); TR1 items
// have one 16-bit light, which takes the value as it is. Items only.
Expected<LevelEdit> ChangeItemLight(const Ttrlevel& level, int entry, int light);

// The entry's place in world units and its angle (0 for aux records, which have none).
std::optional<Placement> ItemPlacement(const Ttrlevel& level, int entry);
// Moves and turns the entry in one step ("Position"); an aux record takes no angle but 0.
Expected<LevelEdit> PlaceItem(const Ttrlevel& level, int entry, const Placement& placement);

// The activation flags as the Items page shows them: bits 1-5 the activation mask (buttons
// "1" to "5"), bit 7 clear body ("C"), bit 0 invisible ("I"). An item keeps them in the high
// byte of its flags word, an aux record in the low byte of its own.
inline constexpr int kClearBodyFlag = 7;
inline constexpr int kInvisibleFlag = 0;
// The bit of the entry's flags word that holds a flag (0 for no entry).
uint16_t ItemFlagMask(const Ttrlevel& level, int entry, int flag);
// Switches one flag, named after its button ("Activation 1", "Clear Body", "Invisible").
Expected<LevelEdit> ToggleItemFlag(const Ttrlevel& level, int entry, int flag);
// Moves the entry by dx and dz world units.
Expected<LevelEdit> MoveItem(const Ttrlevel& level, int entry, int dx, int dz);
// A copy of the item placed in room; with a choice, the item the Create Item dialog describes
// (the selected item, when there is one, gives its angle, light and flags).
Expected<LevelEdit> DuplicateItem(const Ttrlevel& level, int entry, int room,
                                  const std::optional<CreateChoice>& create);
// The room a copy of the entry goes to while the user has room `shown` chosen: that room when
// the item's x and z lie on its sector grid (the wall sectors count), otherwise the item's own
// room, with a note that says so.
struct CopyRoom {
  int room = -1;
  std::string note;  // empty when the copy goes to the shown room
};
CopyRoom RoomForCopy(const Ttrlevel& level, int entry, int shown);

// Where the Create Item dialog takes a position from, and the position (in panel units) the
// selected room, entry or static instance gives; nothing where that selection is empty.
enum class PositionSource { kRoom, kItem, kStatic };
std::optional<PanelPosition> PositionFrom(const Ttrlevel& level, PositionSource source, int room,
                                          int entry, int instance);

}  // namespace qavel::edit
