#include "editor/item_commands.h"

#include <algorithm>
#include <limits>

#include "editor/edit_commands.h"

namespace qavel {

namespace {

Result NoEntry() {
  return Refused("No item is selected.");
}

// Puts one changed item through the model's store, which keeps both forms in step.
Result EditItem(EditorSession& session, const char* name, int merge,
                const std::function<void(titem2&)>& change) {
  LevelDocument& doc = session.document();
  const int n = session.selection().item();
  if (!doc.IsItemEntry(n)) return NoEntry();
  const titem2 before = doc.level().items2[n];
  titem2 after = before;
  change(after);
  if (after == before) return Result::Ok();
  doc.undo_stack().push(new ChangeValueCommand<titem2>(
      &doc, QString::fromUtf8(name), {Change::kItem, -1, n}, merge, before, after,
      [n](Ttrlevel& level, const titem2& v) { StoreItem(level, n, v); }));
  return Result::Ok();
}

Result EditAux(EditorSession& session, const char* name, int merge,
               const std::function<void(taux_item&)>& change) {
  LevelDocument& doc = session.document();
  const int n = session.selection().item();
  if (!doc.IsAuxEntry(n)) return NoEntry();
  const size_t j = static_cast<size_t>(n) - doc.level().num_items();
  const taux_item before = doc.level().aux_items[j];
  taux_item after = before;
  change(after);
  if (after == before) return Result::Ok();
  doc.undo_stack().push(new ChangeValueCommand<taux_item>(
      &doc, QString::fromUtf8(name), {Change::kItem, -1, n}, merge, before, after,
      [j](Ttrlevel& level, const taux_item& v) { level.aux_items.at(j) = v; }));
  return Result::Ok();
}

// An edit of whichever record the entry is.
Result EditEntry(EditorSession& session, const char* name, int merge,
                 const std::function<void(titem2&)>& item,
                 const std::function<void(taux_item&)>& aux) {
  if (!session.HasLevel()) return NoLevel();
  if (session.document().IsAuxEntry(session.selection().item()))
    return EditAux(session, name, merge, aux);
  return EditItem(session, name, merge, item);
}

}  // namespace

Result ChangeItemId(EditorSession& session, int object_id) {
  const auto id = static_cast<uint16_t>(object_id);
  // The item's room is shown, as after a double click on the list.
  session.selection().SelectRoom(session.document().RoomOfEntry(session.selection().item()));
  return EditEntry(
      session, "Change ID", kNoMerge, [id](titem2& i) { i.object_id = id; },
      [id](taux_item& a) { a.object_id = id; });
}

Result ChangeItemOcb(EditorSession& session, int ocb) {
  if (session.HasLevel() && session.level().version_kind < kTR4)
    return Refused("Only TR4 and TR5 items have an OCB.");
  const auto v = static_cast<int16_t>(ocb);
  return EditEntry(
      session, "Change OCB", kNoMerge, [v](titem2& i) { i.light2_ocb = v; },
      [v](taux_item& a) { a.ocb = v; });
}

Result RotateItem(EditorSession& session) {
  if (session.document().IsAuxEntry(session.selection().item()))
    return Refused("Aux entries have no angle.");
  if (!session.HasLevel()) return NoLevel();
  return EditItem(session, "Rotate", kNoMerge,
                  [](titem2& i) { i.angle = static_cast<uint16_t>(i.angle + 0x2000); });
}

Result SetItemPosition(EditorSession& session, Axis axis, int panel_value) {
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
  return EditEntry(session, kNames[a], kMergeItemX + a, set, set);
}

Result ChangeItemRoom(EditorSession& session, int room) {
  if (!session.HasLevel()) return NoLevel();
  if (session.selection().item() < 0) return NoEntry();
  if (!session.document().IsRoom(room))
    return Refused("Room " + std::to_string(room) + " does not exist in this level.");
  const auto v = static_cast<uint16_t>(room);
  return EditEntry(
      session, "Change -R-", kNoMerge, [v](titem2& i) { i.room = v; },
      [v](taux_item& a) { a.room = v; });
}

Result ChangeItemLight(EditorSession& session, int light) {
  if (session.document().IsAuxEntry(session.selection().item()))
    return Refused("Aux entries have no light.");
  if (!session.HasLevel()) return NoLevel();
  const auto v = static_cast<int16_t>(light);
  return EditItem(session, "Change -W-", kNoMerge, [v](titem2& i) {
    i.light1 = v;
    i.light2_ocb = v;
  });
}

Result DuplicateItem(EditorSession& session, const CreateChoice& choice) {
  LevelDocument& doc = session.document();
  const Selection& sel = session.selection();
  if (!session.HasLevel()) return NoLevel();
  const Ttrlevel& level = doc.level();
  titem2 item{};
  const bool from_item = doc.IsItemEntry(sel.item());
  if (from_item) item = level.items2[sel.item()];
  const bool create = session.create_mode();
  if (create) {
    if (choice.movable < 0 || static_cast<size_t>(choice.movable) >= level.movables.size())
      return Refused("Choose the movable of the new item in the Create Item dialog.");
    item.object_id = static_cast<uint16_t>(level.movables[choice.movable].object_id);
    item.x = ToWorldUnits(Axis::kX, choice.position.x);
    item.y = ToWorldUnits(Axis::kY, choice.position.y);
    item.z = ToWorldUnits(Axis::kZ, choice.position.z);
  } else if (!from_item) {
    return Refused(doc.IsAuxEntry(sel.item()) ? "Aux entries cannot be duplicated."
                                              : "No item is selected.");
  }
  item.room = static_cast<uint16_t>(sel.room());
  const int n = static_cast<int>(level.num_items());
  doc.undo_stack().push(new AppendRecordCommand<titem2>(
      &doc, create ? QStringLiteral("Create Item") : QStringLiteral("Duplicate"),
      {Change::kItems, -1, n}, item, [](Ttrlevel& l, const titem2& v) { AppendItem(l, v); },
      [](Ttrlevel& l) { l.ResizeItems(l.num_items() - 1); }));
  session.SetCreateMode(false);
  return Result::Ok();
}

Result MoveItem(EditorSession& session, int dx, int dz) {
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
  Result r = EditEntry(session, "Move", kMergeItemMove, move, move);
  if (!fits) return Refused("The item cannot move any further that way.");
  return r;
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
  const Ttrlevel& level = session.level();
  if (!session.HasLevel()) return NoLevel();
  if (movable < 0 || static_cast<size_t>(movable) >= level.movables.size())
    return Refused("Choose a movable first.");
  uint32_t id = level.movables[movable].object_id;
  if (const int alias = session.document().names().AliasOf(id); alias != -1)
    id = static_cast<uint32_t>(alias);
  const int items = static_cast<int>(level.num_items());
  int found = -1;
  for (int k = std::max(after + 1, 0); k < items && found < 0; ++k)
    if (level.items2[k].object_id == id) found = k;
  if (found < 0 && level.version_kind >= kTR4) {
    const int aux = static_cast<int>(level.aux_items.size());
    for (int j = std::max(0, after + 1 - items); j < aux && found < 0; ++j)
      if (level.aux_items[j].object_id == id) found = items + j;
  }
  if (found < 0) return Refused("No more Items found");
  session.selection().SelectItem(found);
  session.selection().SelectRoom(session.document().RoomOfEntry(found));
  return Result::Ok();
}

int MovableOfSelectedItem(const EditorSession& session) {
  const int id = session.document().ObjectOfEntry(session.selection().item());
  return id < 0 ? -1 : session.document().names().MovableIndexOf(static_cast<uint32_t>(id));
}

std::optional<PanelPosition> PositionFrom(const EditorSession& session, PositionSource source) {
  if (!session.HasLevel()) return std::nullopt;
  const LevelDocument& doc = session.document();
  const Selection& sel = session.selection();
  const Ttrlevel& level = doc.level();
  const troom* room = doc.IsRoom(sel.room()) ? &level.rooms[sel.room()] : nullptr;
  switch (source) {
    case PositionSource::kRoom:
      if (!room) return std::nullopt;
      return ToPanelUnits(room->x, room->y_bottom, room->z);
    case PositionSource::kItem:
      if (doc.IsItemEntry(sel.item())) {
        const titem2& i = level.items2[sel.item()];
        return ToPanelUnits(i.x, i.y, i.z);
      }
      if (doc.IsAuxEntry(sel.item())) {
        const taux_item& a = level.aux_items[sel.item() - level.num_items()];
        return ToPanelUnits(a.x, a.y, a.z);
      }
      return std::nullopt;
    case PositionSource::kStatic:
      if (!room || sel.static_instance() < 0 ||
          static_cast<size_t>(sel.static_instance()) >= room->num_static_instances())
        return std::nullopt;
      const tstatic2& s = room->statics2[sel.static_instance()];
      return ToPanelUnits(s.x, s.y, s.z);
  }
  return std::nullopt;
}

}  // namespace qavel
