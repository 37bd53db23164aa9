#include "inspect/item_edits.h"

#include <limits>

#include "inspect/item_list.h"
#include "inspect/refusals.h"

namespace qavel::edit {

namespace {

Result NoEntry() {
  return Refused("No item is selected.");
}

// Puts one changed item through the model's store, which keeps both forms in step.
template <class Change>
Expected<LevelEdit> EditItem(const Ttrlevel& level, int n, const char* name, MergeId merge,
                             Change change) {
  if (!IsItemEntry(level, n)) return NoEntry();
  const titem2 before = level.items2[n];
  titem2 after = before;
  change(after);
  return LevelEdit::Change<titem2>(name, ItemEntryTarget{n}, merge, before, after,
                                   [n](Ttrlevel& l, const titem2& v) { StoreItem(l, n, v); });
}

template <class Change>
Expected<LevelEdit> EditAux(const Ttrlevel& level, int n, const char* name, MergeId merge,
                            Change change) {
  const size_t j = static_cast<size_t>(n) - level.num_items();
  const taux_item before = level.aux_items[j];
  taux_item after = before;
  change(after);
  return LevelEdit::Change<taux_item>(
      name, ItemEntryTarget{n}, merge, before, after,
      [j](Ttrlevel& l, const taux_item& v) { l.aux_items.at(j) = v; });
}

// An edit of whichever record the entry is; change takes either record.
template <class Change>
Expected<LevelEdit> EditEntry(const Ttrlevel& level, int n, const char* name, MergeId merge,
                              Change change) {
  if (!HasRooms(level)) return NoLevel();
  if (IsAuxEntry(level, n)) return EditAux(level, n, name, merge, change);
  return EditItem(level, n, name, merge, change);
}

}  // namespace

Expected<LevelEdit> ChangeItemId(const Ttrlevel& level, int entry, int object_id) {
  const auto id = static_cast<uint16_t>(object_id);
  return EditEntry(level, entry, "Change ID", kNoMerge, [id](auto& r) { r.object_id = id; });
}

Expected<LevelEdit> ChangeItemOcb(const Ttrlevel& level, int entry, int ocb) {
  if (HasRooms(level) && !CarriesOcb(level)) return Refused("Only TR4 and TR5 items have an OCB.");
  const auto v = static_cast<int16_t>(ocb);
  struct {
    int16_t v;
    void operator()(titem2& i) const { i.light2_ocb = v; }
    void operator()(taux_item& a) const { a.ocb = v; }
  } set{v};
  return EditEntry(level, entry, "Change OCB", kNoMerge, set);
}

Expected<LevelEdit> RotateItem(const Ttrlevel& level, int entry) {
  if (IsAuxEntry(level, entry)) return Refused("Aux entries have no angle.");
  if (!HasRooms(level)) return NoLevel();
  return EditItem(level, entry, "Rotate", kNoMerge,
                  [](titem2& i) { i.angle = static_cast<uint16_t>(i.angle + 0x2000); });
}

Expected<LevelEdit> SetItemPosition(const Ttrlevel& level, int entry, Axis axis, int panel_value) {
  static const char* const kNames[] = {"Change -X-", "Change -Y-", "Change -Z-"};
  const auto a = static_cast<int>(axis);
  const int32_t v = ToWorldUnits(axis, panel_value);
  // Packed records: each field is assigned, never bound by reference.
  auto set = [axis, v](auto& record) {
    if (axis == Axis::kX)
      record.x = v;
    else if (axis == Axis::kY)
      record.y = v;
    else
      record.z = v;
  };
  return EditEntry(level, entry, kNames[a], static_cast<MergeId>(kMergeItemX + a), set);
}

Expected<LevelEdit> ChangeItemRoom(const Ttrlevel& level, int entry, int room) {
  if (!HasRooms(level)) return NoLevel();
  if (entry < 0) return NoEntry();
  if (room < 0 || room >= level.num_rooms())
    return Refused("Room " + std::to_string(room) + " does not exist in this level.");
  const auto v = static_cast<uint16_t>(room);
  return EditEntry(level, entry, "Change -R-", kNoMerge, [v](auto& r) { r.room = v; });
}

Expected<LevelEdit> ChangeItemLight(const Ttrlevel& level, int entry, int light) {
  if (IsAuxEntry(level, entry)) return Refused("Aux entries have no light.");
  if (!HasRooms(level)) return NoLevel();
  const auto v = static_cast<uint16_t>(light);
  const bool tr1 = level.version_kind < kTR2;
  return EditItem(level, entry, "Change -W-", kNoMerge, [v, tr1](titem2& i) {
    if (tr1) {
      // The first form's one light word is made of the second form's two low bytes.
      i.light1 = static_cast<int16_t>(v & 0xFF);
      i.light2_ocb = static_cast<int16_t>(v >> 8);
    } else {
      i.light1 = static_cast<int16_t>(v);
      i.light2_ocb = static_cast<int16_t>(v);
    }
  });
}

std::optional<Placement> ItemPlacement(const Ttrlevel& level, int entry) {
  if (IsItemEntry(level, entry)) {
    const titem2& i = level.items2[entry];
    return Placement{i.x, i.y, i.z, i.angle};
  }
  if (IsAuxEntry(level, entry)) {
    const taux_item& a = level.aux_items[entry - level.num_items()];
    return Placement{a.x, a.y, a.z, 0};
  }
  return std::nullopt;
}

Expected<LevelEdit> PlaceItem(const Ttrlevel& level, int entry, const Placement& p) {
  if (IsAuxEntry(level, entry) && p.angle != 0) return Refused("Aux entries have no angle.");
  struct {
    Placement p;
    void operator()(titem2& i) const {
      i.x = p.x;
      i.y = p.y;
      i.z = p.z;
      i.angle = p.angle;
    }
    void operator()(taux_item& a) const {
      a.x = p.x;
      a.y = p.y;
      a.z = p.z;
    }
  } place{p};
  return EditEntry(level, entry, "Position", kNoMerge, place);
}

uint16_t ItemFlagMask(const Ttrlevel& level, int entry, int flag) {
  if (flag < 0 || flag > 7) return 0;
  if (IsItemEntry(level, entry)) return static_cast<uint16_t>(0x100u << flag);
  if (IsAuxEntry(level, entry)) return static_cast<uint16_t>(1u << flag);
  return 0;
}

Expected<LevelEdit> ToggleItemFlag(const Ttrlevel& level, int entry, int flag) {
  static const char* const kNames[8] = {
      "Invisible", "Activation 1", "Activation 2", "Activation 3", "Activation 4", "Activation 5",
      "",          "Clear Body"};
  if (flag < 0 || flag > 7 || flag == 6) return Refused("No such item flag.");
  const uint16_t mask = ItemFlagMask(level, entry, flag);
  return EditEntry(level, entry, kNames[flag], kNoMerge,
                   [mask](auto& r) { r.item_flags = static_cast<uint16_t>(r.item_flags ^ mask); });
}

Expected<LevelEdit> MoveItem(const Ttrlevel& level, int entry, int dx, int dz) {
  bool fits = true;
  auto move = [&fits, dx, dz](auto& record) {
    const int64_t x = int64_t{record.x} + dx;
    const int64_t z = int64_t{record.z} + dz;
    constexpr int64_t lo = std::numeric_limits<int32_t>::min();
    constexpr int64_t hi = std::numeric_limits<int32_t>::max();
    fits = x >= lo && x <= hi && z >= lo && z <= hi;
    if (!fits) return;
    record.x = static_cast<int32_t>(x);
    record.z = static_cast<int32_t>(z);
  };
  Expected<LevelEdit> edit = EditEntry(level, entry, "Move", kMergeItemMove, move);
  if (!fits) return Refused("The item cannot move any further that way.");
  return edit;
}

Expected<LevelEdit> DuplicateItem(const Ttrlevel& level, int entry, int room,
                                  const std::optional<CreateChoice>& create) {
  if (!HasRooms(level)) return NoLevel();
  titem2 item{};
  const bool from_item = IsItemEntry(level, entry);
  if (from_item) item = level.items2[entry];
  if (create) {
    if (create->movable < 0 || static_cast<size_t>(create->movable) >= level.movables.size())
      return Refused("Choose the movable of the new item in the Create Item dialog.");
    item.object_id = static_cast<uint16_t>(level.movables[create->movable].object_id);
    item.x = ToWorldUnits(Axis::kX, create->position.x);
    item.y = ToWorldUnits(Axis::kY, create->position.y);
    item.z = ToWorldUnits(Axis::kZ, create->position.z);
  } else if (!from_item) {
    return Refused(IsAuxEntry(level, entry) ? "Aux entries cannot be duplicated."
                                            : "No item is selected.");
  }
  item.room = static_cast<uint16_t>(room);
  const int n = static_cast<int>(level.num_items());
  return LevelEdit::Steps(
      create ? "Create Item" : "Duplicate", ItemListTarget{n},
      [item](Ttrlevel& l) { AppendItem(l, item); },
      [](Ttrlevel& l) { l.ResizeItems(l.num_items() - 1); });
}

CopyRoom RoomForCopy(const Ttrlevel& level, int entry, int shown) {
  const auto place = ItemPlacement(level, entry);
  const int own = RoomOfEntry(level, entry);
  if (!place || shown < 0 || shown >= level.num_rooms() || shown == own) return {shown, {}};
  const troom& r = level.rooms[shown];
  auto on_grid = [](int64_t v, int64_t origin, int sectors) {
    return v >= origin && v < origin + int64_t{sectors} * 1024;
  };
  if (on_grid(place->x, r.x, r.num_x_sectors) && on_grid(place->z, r.z, r.num_z_sectors))
    return {shown, {}};
  return {own, "The copy stays in room " + std::to_string(own) + ": the item lies outside room " +
                   std::to_string(shown) + "."};
}

std::optional<PanelPosition> PositionFrom(const Ttrlevel& level, PositionSource source, int room,
                                          int entry, int instance) {
  if (!HasRooms(level)) return std::nullopt;
  const troom* r = room >= 0 && room < level.num_rooms() ? &level.rooms[room] : nullptr;
  switch (source) {
    case PositionSource::kRoom:
      if (!r) return std::nullopt;
      return ToPanelUnits(r->x, r->y_bottom, r->z);
    case PositionSource::kItem:
      if (IsItemEntry(level, entry)) {
        const titem2& i = level.items2[entry];
        return ToPanelUnits(i.x, i.y, i.z);
      }
      if (IsAuxEntry(level, entry)) {
        const taux_item& a = level.aux_items[entry - level.num_items()];
        return ToPanelUnits(a.x, a.y, a.z);
      }
      return std::nullopt;
    case PositionSource::kStatic:
      if (!r || instance < 0 || static_cast<size_t>(instance) >= r->num_static_instances())
        return std::nullopt;
      const tstatic2& s = r->statics2[instance];
      return ToPanelUnits(s.x, s.y, s.z);
  }
  return std::nullopt;
}

}  // namespace qavel::edit
