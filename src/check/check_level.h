#pragma once
// CheckLevel: the level's cross-references checked, so that a designer learns before the game
// does that a record names something the level does not hold.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "level/ttrlevel.h"

namespace qavel {

// error: the game reads outside a table or cannot resolve a reference;
// warning: legal, but almost surely not what the designer meant.
enum class Severity : uint8_t { kError, kWarning };

// What kind of record a problem lies in.
enum class PlaceKind : uint8_t {
  kRoom,              // room `room`
  kPortal,            // portal `index` of room `room`
  kSector,            // sector `column`,`row` (0-based) of room `room`
  kRectangle,         // rectangle `index` of room `room`
  kTriangle,          // triangle `index` of room `room`
  kRoomSprite,        // sprite `index` of room `room`
  kStatic,            // static mesh instance `index` of room `room`
  kItem,              // entry `index` of the item list (TR4/TR5 aux records after the items)
  kMesh,              // mesh pointer `index`
  kMovable,           // movable `index`, object id `object_id`
  kStaticMesh,        // static mesh `index`, object id `object_id`
  kAnimation,         // animation `index`
  kStateChange,       // state change `index`
  kAnimDispatch,      // anim dispatch `index`
  kObjectTexture,     // object texture `index`
  kSpriteTexture,     // sprite texture `index`
  kSpriteSequence,    // sprite sequence `index`
  kAnimatedTextures,  // animated-texture group `index` (0-based)
  kBox,               // box `index`
  kOverlap,           // overlap entry `index`
  kZones,             // zone array `index` (0-based; the files number them from 1)
  kCamera,            // camera `index`
  kFlybyCamera,       // flyby camera `index`
  kSoundSource,       // sound source `index`
  kSoundMap,          // sound map entry `index` (a sound id)
  kSoundDetail,       // sound detail `index`
};

// Where a problem lies: enough for a window to select the record and for a person to find it.
struct ProblemPlace {
  PlaceKind kind = PlaceKind::kRoom;
  int64_t index = -1;      // the record in its table; unused for rooms and sectors
  int32_t room = -1;       // rooms and the records of a room
  int32_t column = -1;     // sectors
  int32_t row = -1;        // sectors
  int64_t object_id = -1;  // movables and static meshes
  bool operator==(const ProblemPlace&) const = default;
};

struct Problem {
  Severity severity = Severity::kError;
  std::string_view code;  // stable and short: "item-room", "portal-room", ...
  ProblemPlace where;
  std::string message;  // one sentence that starts with the place: "item 3: room 77 ..."

  // The same fault in the same record (what an edit can add or take away).
  bool SameFault(const Problem& other) const { return code == other.code && where == other.where; }
};

// Every problem of the level, in the order of its tables (rooms first). Reads nothing outside
// the model's tables, whatever they hold.
std::vector<Problem> CheckLevel(const Ttrlevel& level);

size_t CountProblems(const std::vector<Problem>& problems, Severity severity);

// "item 3", "sector 2,5 of room 1", "movable 4 (object ID 7)", ...
std::string PlaceText(const ProblemPlace& where);
// The kind as a lower-case word for machine-readable output: "item", "sector", ...
std::string_view PlaceKindName(PlaceKind kind);
std::string_view SeverityName(Severity severity);

}  // namespace qavel
