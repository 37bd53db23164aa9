#pragma once
// Floor data: the level's floor-data word stream decoded once into groups of functions,
// triggers and commands, and the lookup from a sector to its group.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "level/progress.h"
#include "level/ttrlevel.h"

namespace qavel {

// One command of a trigger.
struct ttrigger_command {
  uint8_t command = 0;        // bits 10-13 of the command word
  uint16_t operand = 0;       // bits 0-9
  uint16_t camera_extra = 0;  // camera commands: bits 8-14 of the second word, else 0
  bool operator==(const ttrigger_command&) const = default;
};

// The decoded rest of a trigger function (function 4).
struct tfdlist {
  uint16_t trigger_type = 0;
  int32_t trigger_item = -1;  // item index for types 2, 3 and 4, else -1
  int32_t command_count = 0;
  std::vector<ttrigger_command> commands;
  bool operator==(const tfdlist&) const = default;
};

// One function of a sector's function list.
struct ttrigger_list {
  uint16_t function = 0;
  uint16_t subfunction = 0;
  uint16_t operand = 0;  // 0 for the one-word functions
  tfdlist trigger;       // filled for function 4 only
  bool operator==(const ttrigger_list&) const = default;
};

// One function list of the stream, as sectors point at it.
struct tfloordata_group {
  // Word index of the first function word. Wider than a sector's fd_index so that streams
  // longer than 65535 words keep honest start indices (sectors simply cannot reach them).
  uint32_t fd_start = 0;
  int32_t function_count = 0;
  uint8_t has_portal = 0;
  uint8_t has_trigger = 0;
  uint8_t has_death = 0;
  uint8_t has_high_function = 0;
  std::vector<ttrigger_list> functions;
  bool operator==(const tfloordata_group&) const = default;
};

// FloorDataGroups with GroupOfFdIndex: rebuilt on every open, never edited.
struct FloorData {
  // Entry 0 is the empty group that stands for a sector without floor data.
  std::vector<tfloordata_group> FloorDataGroups;
  // One entry per floor-data word: the group starting there, 0 where none starts.
  std::vector<uint32_t> GroupOfFdIndex;

  size_t num_groups() const { return FloorDataGroups.size(); }
  // The group a sector's fd_index names; 0 for an index that starts no group or lies beyond
  // the stream.
  uint32_t GroupOf(uint32_t fd_index) const {
    return fd_index < GroupOfFdIndex.size() ? GroupOfFdIndex[fd_index] : 0;
  }
  const tfloordata_group& Group(uint32_t g) const { return FloorDataGroups[g]; }
};

// True for the functions that are a single word (no operand word follows).
bool IsOneWordFunction(uint32_t function);

// One function list read from a given word on, as the game reads the list a sector names.
struct FunctionListRead {
  tfloordata_group group;  // fd_start is the word the list was read from
  size_t end = 0;          // the word after the last one read (at most the stream's length)
  // The list ended with its end marks, and every word it needs lies inside the stream.
  bool complete = false;
};
// Reads the list at `start` (which must lie inside the stream); never reads past the end.
FunctionListRead ReadFunctionList(std::span<const uint16_t> words, size_t start);

// Decodes the stream. gauge (may be empty) receives 0..100 while decoding and 0 at the end.
// Never reads a word at or beyond the end: a function list cut off by the end of the stream
// keeps what was read (missing operands and items read as absent) and ends there.
FloorData ParseFloorData(const std::vector<uint16_t>& floor_data,
                         const std::function<void(int)>& gauge = {});
// The same over the level's stream.
FloorData ParseFloorData(const Ttrlevel& level, const Progress& gauge = {});

// Sector number (1-based) of a 1-based column and row, in the 16-bit arithmetic the map uses.
// Column and row are taken as 8-bit values; column 0 (in eight bits) counts as column 1.
uint16_t SectorNumber(uint16_t num_z_sectors, int column, int row);

// The sector at a 1-based column and row of a room, or nothing when the place lies outside
// the room.
const tsector* SectorAt(const troom& room, int column, int row);

// Display name of an object id (the movable names of the open level provide it). Without a
// function an object is shown by its id alone.
using ObjectNames = std::function<std::string(uint32_t object_id)>;

// Name shown for an item-list index: the name of the item's object id, "None" for an index
// that is no item of the level.
std::string ItemName(const Ttrlevel& level, int64_t item, const ObjectNames& names);

// The two texts of the "Floor Data" tab for one sector.
struct SectorText {
  std::vector<std::string> raw;      // "Raw floor data" (Memo3)
  std::vector<std::string> details;  // "Trigger Details" (Memo2)
};

// Describes the sector at column and row (1-based) of room room_index. Returns nothing for a
// room or place that does not exist, so a click outside the room decodes nothing.
std::optional<SectorText> DecodeSector(const Ttrlevel& level, const FloorData& fd,
                                       size_t room_index, int column, int row,
                                       const ObjectNames& names);

}  // namespace qavel
