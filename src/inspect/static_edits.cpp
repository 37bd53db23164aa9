#include "inspect/static_edits.h"

#include "inspect/refusals.h"

namespace qavel::edit {

namespace {

constexpr size_t kStaticCapacity = RoomCapacity::static_instances;

// The instance exists, or why it does not.
Result CheckSelected(const Ttrlevel& level, int room, int instance) {
  if (!HasRooms(level)) return NoLevel();
  if (room < 0 || room >= level.num_rooms() || instance < 0 ||
      static_cast<size_t>(instance) >= level.rooms[room].num_static_instances())
    return Refused("No static mesh is selected.");
  return Result::Ok();
}

// A mesh id the level has a static mesh for, or the refusal: an instance of a mesh the level
// lacks is what the game cannot draw (and may crash on).
Result CheckMeshId(const Ttrlevel& level, uint16_t mesh_id) {
  for (const tstatic_mesh& m : level.static_meshes)
    if (m.object_id == mesh_id) return Result::Ok();
  return Refused("No static mesh has ID " + std::to_string(mesh_id) + " in this level.");
}

template <class Change>
Expected<LevelEdit> EditStatic(const Ttrlevel& level, int r, int k, const char* name, MergeId merge,
                               Change change) {
  if (Result checked = CheckSelected(level, r, k); !checked) return checked;
  const tstatic2 before = level.rooms[r].statics2[k];
  tstatic2 after = before;
  change(after);
  return LevelEdit::Change<tstatic2>(
      name, StaticTarget{r, k}, merge, before, after,
      [r, k](Ttrlevel& l, const tstatic2& v) { StoreStatic(l.rooms.at(r), k, v); });
}

}  // namespace

Expected<LevelEdit> ChangeStaticId(const Ttrlevel& level, int room, int instance, int mesh_id) {
  const auto v = static_cast<uint16_t>(mesh_id);
  if (Result checked = CheckSelected(level, room, instance); !checked) return checked;
  if (Result known = CheckMeshId(level, v); !known) return known;
  return EditStatic(level, room, instance, "Change ID", kNoMerge,
                    [v](tstatic2& s) { s.mesh_id = v; });
}

Expected<LevelEdit> SetStaticPosition(const Ttrlevel& level, int room, int instance, Axis axis,
                                      int panel_value) {
  static const char* const kNames[] = {"Change -X-", "Change -Y-", "Change -Z-"};
  const auto a = static_cast<int>(axis);
  const int32_t v = ToWorldUnits(axis, panel_value);
  return EditStatic(level, room, instance, kNames[a], static_cast<MergeId>(kMergeStaticX + a),
                    [axis, v](tstatic2& s) {
                      if (axis == Axis::kX)
                        s.x = v;
                      else if (axis == Axis::kY)
                        s.y = v;
                      else
                        s.z = v;
                    });
}

Expected<LevelEdit> RotateStatic(const Ttrlevel& level, int room, int instance) {
  return EditStatic(level, room, instance, "Rotate", kNoMerge,
                    [](tstatic2& s) { s.rotation = static_cast<uint16_t>(s.rotation + 0x2000); });
}

Expected<LevelEdit> ChangeStaticLights(const Ttrlevel& level, int room, int instance, int light1,
                                       int light2) {
  const auto a = static_cast<uint16_t>(light1);
  const auto b = static_cast<uint16_t>(level.version_kind < kTR2 ? light1 : light2);
  return EditStatic(level, room, instance, "Change L1,L2", kMergeStaticLights, [a, b](tstatic2& s) {
    s.intensity1 = a;
    s.intensity2 = b;
  });
}

Expected<LevelEdit> PlaceStatic(const Ttrlevel& level, int room, int instance, const Placement& p) {
  return EditStatic(level, room, instance, "Position", kNoMerge, [p](tstatic2& s) {
    s.x = p.x;
    s.y = p.y;
    s.z = p.z;
    s.rotation = p.angle;
  });
}

Expected<LevelEdit> DuplicateStatic(const Ttrlevel& level, int r, int instance) {
  if (Result checked = CheckSelected(level, r, instance); !checked) return checked;
  const troom& room = level.rooms[r];
  if (room.num_static_instances() >= kStaticCapacity)
    return Refused("This room already holds " + std::to_string(kStaticCapacity) +
                   " static meshes; no more can be added.");
  const int n = static_cast<int>(room.num_static_instances());
  const tstatic2 copy = room.statics2[instance];
  if (Result known = CheckMeshId(level, copy.mesh_id); !known) return known;
  return LevelEdit::Steps(
      "Duplicate", StaticListTarget{r, n},
      [r, copy](Ttrlevel& l) { AppendStatic(l.rooms.at(r), copy); },
      [r](Ttrlevel& l) {
        troom& target = l.rooms.at(r);
        ResizeStatics(target, target.num_static_instances() - 1);
      });
}

}  // namespace qavel::edit
