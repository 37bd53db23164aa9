#pragma once
// The Static Meshes panel's edits of one instance of a room. Both forms of the instance change
// together, so a TR1 level (whose file holds the first) saves what the panel shows. Each gives
// the edit or the refusal that says why; no edit makes an instance of a mesh id the level has no
// static mesh for.

#include <optional>

#include "inspect/level_edit.h"
#include "inspect/panel_units.h"
#include "level/result.h"

namespace qavel::edit {

Expected<LevelEdit> ChangeStaticId(const Ttrlevel& level, int room, int instance, int mesh_id);
Expected<LevelEdit> SetStaticPosition(const Ttrlevel& level, int room, int instance, Axis axis,
                                      int panel_value);
Expected<LevelEdit> RotateStatic(const Ttrlevel& level, int room, int instance);  // 45 degrees
// TR1 instances have one light, which takes light1 (light2 is ignored).
Expected<LevelEdit> ChangeStaticLights(const Ttrlevel& level, int room, int instance, int light1,
                                       int light2);
// Moves and turns the instance in one step ("Position").
Expected<LevelEdit> PlaceStatic(const Ttrlevel& level, int room, int instance,
                                const Placement& placement);
// Appends a copy of the instance to its room, up to the room's capacity.
Expected<LevelEdit> DuplicateStatic(const Ttrlevel& level, int room, int instance);

}  // namespace qavel::edit
