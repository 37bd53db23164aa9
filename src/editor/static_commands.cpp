#include "editor/static_commands.h"

#include "editor/edit_commands.h"

namespace qavel {

namespace {

constexpr size_t kStaticCapacity = RoomCapacity::static_instances;

// The selected instance, or why there is none.
Result CheckSelected(const EditorSession& session) {
  if (!session.HasLevel()) return NoLevel();
  const Selection& sel = session.selection();
  if (sel.static_instance() < 0 ||
      sel.static_instance() >= session.document().StaticCount(sel.room()))
    return Refused("No static mesh is selected.");
  return Result::Ok();
}

Result EditStatic(EditorSession& session, const char* name, int merge,
                  const std::function<void(tstatic2&)>& change) {
  if (Result r = CheckSelected(session); !r) return r;
  LevelDocument& doc = session.document();
  const int r = session.selection().room();
  const int k = session.selection().static_instance();
  const tstatic2 before = doc.level().rooms[r].statics2[k];
  tstatic2 after = before;
  change(after);
  if (after == before) return Result::Ok();
  doc.undo_stack().push(new ChangeValueCommand<tstatic2>(
      &doc, QString::fromUtf8(name), {Change::kStatic, r, k}, merge, before, after,
      [r, k](Ttrlevel& level, const tstatic2& v) { StoreStatic(level.rooms.at(r), k, v); }));
  return Result::Ok();
}

}  // namespace

Result ChangeStaticId(EditorSession& session, int mesh_id) {
  const auto v = static_cast<uint16_t>(mesh_id);
  return EditStatic(session, "Change ID", kNoMerge, [v](tstatic2& s) { s.mesh_id = v; });
}

Result SetStaticPosition(EditorSession& session, Axis axis, int panel_value) {
  static const char* const kNames[] = {"Change -X-", "Change -Y-", "Change -Z-"};
  const auto a = static_cast<int>(axis);
  const int32_t v = ToWorldUnits(axis, panel_value);
  return EditStatic(session, kNames[a], kMergeStaticX + a, [axis, v](tstatic2& s) {
    if (axis == Axis::kX)
      s.x = v;
    else if (axis == Axis::kY)
      s.y = v;
    else
      s.z = v;
  });
}

Result RotateStatic(EditorSession& session) {
  return EditStatic(session, "Rotate", kNoMerge,
                    [](tstatic2& s) { s.rotation = static_cast<uint16_t>(s.rotation + 0x2000); });
}

Result ChangeStaticLights(EditorSession& session, int light1, int light2) {
  const auto a = static_cast<uint16_t>(light1);
  const auto b = static_cast<uint16_t>(light2);
  return EditStatic(session, "Change L1,L2", kMergeStaticLights, [a, b](tstatic2& s) {
    s.intensity1 = a;
    s.intensity2 = b;
  });
}

Result DuplicateStatic(EditorSession& session) {
  if (Result r = CheckSelected(session); !r) return r;
  LevelDocument& doc = session.document();
  const int r = session.selection().room();
  const troom& room = doc.level().rooms[r];
  if (room.num_static_instances() >= kStaticCapacity)
    return Refused("This room already holds " + std::to_string(kStaticCapacity) +
                   " static meshes; no more can be added.");
  const int n = static_cast<int>(room.num_static_instances());
  doc.undo_stack().push(new AppendRecordCommand<tstatic2>(
      &doc, QStringLiteral("Duplicate"), {Change::kStatics, r, n},
      room.statics2[session.selection().static_instance()],
      [r](Ttrlevel& level, const tstatic2& v) { AppendStatic(level.rooms.at(r), v); },
      [r](Ttrlevel& level) {
        troom& target = level.rooms.at(r);
        ResizeStatics(target, target.num_static_instances() - 1);
      }));
  return Result::Ok();
}

}  // namespace qavel
