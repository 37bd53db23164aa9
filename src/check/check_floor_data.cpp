// Floor data: every list a sector names, read as the game reads it, and what its portals and
// triggers name.

#include <array>

#include "check/check_rules.h"
#include "floordata/floor_data.h"

namespace qavel::check {

namespace {

// Function numbers each generation's game knows: TR1 portals, slants, triggers and death;
// TR2 adds climbable walls; TR3 the triangulated slants, monkey swing and the minecart (TR4 and
// TR5 give the last two other meanings, of the same length).
bool KnownFunction(int32_t version_kind, uint16_t function) {
  if (function == 0) return false;
  if (version_kind < kTR2) return function <= 5;
  if (version_kind < kTR3) return function <= 6;
  return function <= 21;
}

// The trigger's item word carries the item number in its low ten bits, as the game reads it.
constexpr uint16_t kItemBits = 0x03FF;

struct TriggerContext {
  const Ttrlevel& level;
  std::array<bool, 256> flyby_sequences{};
  std::vector<uint8_t>& camera_use;
  Findings& out;
};

void CheckItemNumber(const TriggerContext& c, const ProblemPlace& at, uint32_t item,
                     const char* what) {
  if (item < c.level.num_items()) return;
  c.out.Error("trigger-item", at,
              std::string(what) + " names item " + std::to_string(item) + "; " +
                  LevelHas(c.level.num_items(), "item", "items"));
}

void CheckTrigger(const TriggerContext& c, const ProblemPlace& at, const tfdlist& t) {
  const Ttrlevel& level = c.level;
  if (t.trigger_item >= 0) {
    const auto word = static_cast<uint16_t>(t.trigger_item);
    CheckItemNumber(c, at, word & kItemBits, "the trigger's switch, key or pick-up");
    if ((word & ~kItemBits) != 0 && (word & kItemBits) < level.num_items())
      c.out.Warning("trigger-item-bits", at,
                    "the trigger's item word " + std::to_string(word) +
                        " has bits set above the item number; the game reads item " +
                        std::to_string(word & kItemBits));
  }
  for (const ttrigger_command& cmd : t.commands) {
    switch (cmd.command) {
      case 0:
        CheckItemNumber(c, at, cmd.operand, "a trigger command");
        break;
      case 6:
        CheckItemNumber(c, at, cmd.operand, "a look-at command");
        break;
      case 1:
      case 2: {
        const char* what = cmd.command == 1 ? "a camera command" : "an underwater current";
        if (cmd.operand >= level.cameras.size()) {
          c.out.Error("trigger-camera", at,
                      std::string(what) + " names camera " + std::to_string(cmd.operand) + "; " +
                          LevelHas(level.cameras.size(), "camera", "cameras"));
          break;
        }
        c.camera_use[cmd.operand] |= cmd.command == 1 ? kCameraShown : kCameraCurrent;
        break;
      }
      case 12:
        // Sequence numbers are a byte; an operand above 255 names no sequence.
        if (level.version_kind >= kTR4 && (cmd.operand > 255 || !c.flyby_sequences[cmd.operand]))
          c.out.Error("trigger-flyby", at,
                      "a flyby command names sequence " + std::to_string(cmd.operand) +
                          ", which no flyby camera belongs to");
        break;
      default:
        break;
    }
  }
}

// Checks the list that starts at word `start`, which the sector at `at` names.
void CheckList(const TriggerContext& c, const ProblemPlace& at, size_t start) {
  const Ttrlevel& level = c.level;
  const FunctionListRead read = ReadFunctionList(level.floor_data, start);
  for (const ttrigger_list& fn : read.group.functions) {
    if (!KnownFunction(level.version_kind, fn.function)) {
      // Its length is unknown, so whatever follows it cannot be read with confidence.
      c.out.Warning("floor-function", at,
                    "the floor data at word " + std::to_string(start) + " holds function " +
                        std::to_string(fn.function) + ", which " +
                        GenerationName(level.version_kind) +
                        " does not know; the rest of the list is not checked");
      return;
    }
    if (fn.function == 1 && fn.operand >= level.rooms.size())
      c.out.Error("floor-portal", at,
                  "a floor-data portal leads to room " + std::to_string(fn.operand) +
                      ", which does not exist; " + LevelHas(level.num_rooms(), "room", "rooms"));
    if (fn.function == 4) CheckTrigger(c, at, fn.trigger);
  }
  if (!read.complete)
    c.out.Error("floor-data-end", at,
                "the floor data at word " + std::to_string(start) + " runs past the end of the " +
                    Plural(level.floor_data.size(), "word", "words") + " of floor data");
}

}  // namespace

std::vector<uint8_t> CheckFloorData(const Ttrlevel& level, Findings& out) {
  std::vector<uint8_t> camera_use(level.cameras.size(), kCameraUnused);
  TriggerContext c{level, {}, camera_use, out};
  for (const tflyby_camera& f : level.flyby_cameras) c.flyby_sequences[f.raw[24]] = true;
  // Each list once, reported at the first sector (room by room) that names it.
  std::vector<uint8_t> seen(level.floor_data.size(), 0);
  for (size_t r = 0; r < level.rooms.size(); ++r) {
    const troom& room = level.rooms[r];
    for (size_t s = 0; s < room.sectors.size(); ++s) {
      const uint16_t fd = room.sectors[s].fd_index;
      // Index 0 is no floor data; one beyond the stream is the sector rule's.
      if (fd == 0 || fd >= seen.size() || seen[fd]) continue;
      seen[fd] = 1;
      CheckList(c, SectorPlace(room, r, s), fd);
    }
  }
  return camera_use;
}

}  // namespace qavel::check
