#include "editor/selection.h"

#include <algorithm>

namespace qavel {

Selection::Selection(LevelDocument& document, QObject* parent)
    : QObject(parent), document_(document) {
  connect(&document, &LevelDocument::opened, this, &Selection::Reset);
  connect(&document, &LevelDocument::changed, this, &Selection::Follow);
}

void Selection::Set(int room, int item, int instance, int column, int row, int piece) {
  unsigned parts = 0;
  if (room != room_) parts |= kRoom;
  if (item != item_) parts |= kItem;
  if (instance != static_) parts |= kStatic;
  if (column != column_ || row != row_) parts |= kSector;
  if (piece != piece_) parts |= kPiece;
  room_ = room;
  item_ = item;
  static_ = instance;
  column_ = column;
  row_ = row;
  piece_ = piece;
  if (parts != 0) emit changed(parts);
}

void Selection::Reset() {
  const Ttrlevel& level = document_.level();
  Set(level.num_rooms() > 0 ? 0 : -1, document_.ItemListSize() > 0 ? 0 : -1, -1, -1, -1,
      level.num_object_textures() > 0 ? 0 : -1);
}

void Selection::SelectRoom(int room) {
  if (!document_.IsRoom(room)) return;
  Set(room, item_, -1, -1, -1, piece_);
}

void Selection::SelectItem(int entry) {
  Set(room_, entry >= 0 && entry < document_.ItemListSize() ? entry : -1, static_, column_, row_,
      piece_);
}

void Selection::SelectStatic(int instance) {
  Set(room_, item_, instance >= 0 && instance < document_.StaticCount(room_) ? instance : -1,
      column_, row_, piece_);
}

void Selection::SelectSector(int column, int row) {
  Set(room_, item_, static_, column, row, piece_);
}

void Selection::SelectPiece(int piece) {
  const auto pieces = static_cast<int>(document_.level().num_object_textures());
  Set(room_, item_, static_, column_, row_, piece >= 0 && piece < pieces ? piece : -1);
}

void Selection::Follow(const EditTarget& target) {
  // An edit (or its undo) in another room shows that room.
  const int room = RoomOf(target);
  int r = room >= 0 && room != room_ && document_.IsRoom(room) ? room : room_;
  const bool new_room = r != room_;
  int item = item_;
  int instance = new_room ? -1 : static_;
  int column = new_room ? -1 : column_;
  int row = new_room ? -1 : row_;
  int piece = piece_;
  const int last_entry = document_.ItemListSize() - 1;
  if (const auto* t = std::get_if<ItemEntryTarget>(&target)) item = std::min(t->entry, last_entry);
  if (const auto* t = std::get_if<ItemListTarget>(&target)) item = std::min(t->entry, last_entry);
  if (const auto* t = std::get_if<StaticTarget>(&target))
    instance = std::min(t->instance, document_.StaticCount(r) - 1);
  if (const auto* t = std::get_if<StaticListTarget>(&target))
    instance = std::min(t->instance, document_.StaticCount(r) - 1);
  if (const LevelTarget* whole = AsLevel(target)) {
    if (whole->floor_data) column = row = -1;
    if (!document_.IsRoom(r)) {
      r = document_.level().num_rooms() - 1;
      instance = column = row = -1;
    }
    item = std::min(item, last_entry);
    if (instance >= document_.StaticCount(r)) instance = -1;
    if (piece >= static_cast<int>(document_.level().num_object_textures())) piece = -1;
  }
  Set(r, item, instance, column, row, piece);
}

}  // namespace qavel
