#include "floordata/floor_data.h"

#include <algorithm>

#include "floordata/trigger_text.h"

namespace qavel {

namespace {

constexpr uint16_t kLastBit = 0x8000;

// Reads one trigger function's item and commands from w on; w ends after the last word taken.
// Returns false when the stream ends before the trigger does.
bool ParseTrigger(std::span<const uint16_t> words, size_t& w, ttrigger_list& fn) {
  const size_t n = words.size();
  tfdlist& t = fn.trigger;
  t.trigger_type = fn.subfunction;
  t.trigger_item = -1;
  if (t.trigger_type >= 2 && t.trigger_type <= 4) {
    if (w >= n) return false;  // the stream ends before the item word
    t.trigger_item = words[w];
    ++w;
  }
  bool more = true;
  while (more && w < n) {
    const uint16_t word = words[w];
    ttrigger_command c;
    c.command = static_cast<uint8_t>((word >> 10) & 0x0F);
    c.operand = static_cast<uint16_t>(word & 0x03FF);
    ++w;
    more = (word & kLastBit) == 0;
    // The camera command carries a second word whose bit 15 ends the list instead.
    if (((word >> 10) & 0x1F) == 1) {
      if (w < n) {
        c.camera_extra = static_cast<uint16_t>(words[w] & 0x7F00);
        more = (words[w] & kLastBit) == 0;
        ++w;
      } else {
        more = true;  // the second word is missing
      }
    }
    t.commands.push_back(c);
  }
  t.command_count = static_cast<int32_t>(t.commands.size());
  return !more;
}

}  // namespace

bool IsOneWordFunction(uint32_t function) {
  return function == 5 || function == 6 || function == 19 || function == 20 || function == 21;
}

FunctionListRead ReadFunctionList(std::span<const uint16_t> words, size_t start) {
  FunctionListRead read;
  tfloordata_group& g = read.group;
  g.fd_start = static_cast<uint32_t>(start);
  const size_t n = words.size();
  size_t w = start;
  bool last = false, whole = true;
  while (!last && w < n) {
    const uint16_t word = words[w];
    last = (word & kLastBit) != 0;
    ttrigger_list fn;
    fn.function = word & 0x1F;
    fn.subfunction = (word >> 8) & 0x7F;
    ++w;
    if (!IsOneWordFunction(fn.function)) {
      if (w < n)
        fn.operand = words[w];
      else
        whole = false;
      ++w;
    }
    switch (fn.function) {
      case 1:
        g.has_portal = 1;
        break;
      case 4:
        g.has_trigger = 1;
        break;
      case 5:
        g.has_death = 1;
        break;
      default:
        break;
    }
    if (fn.function > 25) g.has_high_function = 1;
    if (fn.function == 4 && !ParseTrigger(words, w, fn)) whole = false;
    g.functions.push_back(std::move(fn));
  }
  g.function_count = static_cast<int32_t>(g.functions.size());
  read.end = std::min(w, n);
  read.complete = last && whole && w <= n;
  return read;
}

FloorData ParseFloorData(const std::vector<uint16_t>& words,
                         const std::function<void(int)>& gauge) {
  FloorData fd;
  fd.FloorDataGroups.emplace_back();
  const size_t n = words.size();
  size_t w = 1;
  while (w < n) {
    FunctionListRead read = ReadFunctionList(words, w);
    w = std::max(read.end, w + 1);
    fd.FloorDataGroups.push_back(std::move(read.group));
    if (gauge) gauge(static_cast<int>(std::min(w, n) * 100 / n));
  }
  if (gauge) gauge(0);
  fd.GroupOfFdIndex.assign(n, 0);
  for (size_t i = 0; i < fd.FloorDataGroups.size(); ++i) {
    const uint32_t start = fd.FloorDataGroups[i].fd_start;
    if (start < n) fd.GroupOfFdIndex[start] = static_cast<uint32_t>(i);
  }
  return fd;
}

FloorData ParseFloorData(const Ttrlevel& level, const Progress& gauge) {
  return ParseFloorData(level.floor_data, gauge);
}

uint16_t SectorNumber(uint16_t num_z_sectors, int column, int row) {
  auto c = static_cast<uint8_t>(column);
  if (c == 0) c = 1;
  const auto r = static_cast<uint8_t>(row);
  return static_cast<uint16_t>(static_cast<uint16_t>((c - 1) & 0xFF) * num_z_sectors + r);
}

const tsector* SectorAt(const troom& room, int column, int row) {
  if (column < 1 || row < 1 || column > room.num_x_sectors || row > room.num_z_sectors)
    return nullptr;
  // Full-width arithmetic: a room longer than 255 rows still finds its own sector here.
  const size_t s = static_cast<size_t>(column - 1) * room.num_z_sectors + row;
  if (s > room.sectors.size()) return nullptr;
  return &room.sectors[s - 1];
}

std::string ItemName(const Ttrlevel& level, int64_t item, const ObjectNames& names) {
  if (item < 0 || item >= static_cast<int64_t>(level.num_items())) return "None";
  const uint32_t id = level.items2[static_cast<size_t>(item)].object_id;
  return names ? names(id) : std::to_string(id);
}

namespace {

// The "Trigger Details" text of one non-trigger function; empty for those that add nothing.
std::string FunctionText(const ttrigger_list& fn) {
  const uint32_t f = fn.function;
  const std::string n = std::to_string(f);
  if (f == 1) return "Portal to Room:#" + std::to_string(fn.operand);
  if (f == 2) return "Floor Slant-Function-2-";
  if (f == 3) return "Ceiling Slant-Function-3-";
  if (f == 5) return "Death sector-Function-5-";
  if (f == 6) return "Climbable Walls-Function-6-";
  if (f >= 7 && f <= 12) return "Slants TR3-Function-" + n + "-";
  if (f >= 13 && f <= 19) return "Unkwown! Function-" + n + "-";
  if (f == 20) return "Minecart Left-Function-20-";
  if (f == 21) return "Minecart Right-Function-21-";
  return {};
}

}  // namespace

std::optional<SectorText> DecodeSector(const Ttrlevel& level, const FloorData& fd,
                                       size_t room_index, int column, int row,
                                       const ObjectNames& names) {
  if (room_index >= level.rooms.size()) return std::nullopt;
  const troom& room = level.rooms[room_index];
  const tsector* sector = SectorAt(room, column, row);
  if (!sector) return std::nullopt;
  uint32_t g = fd.GroupOf(sector->fd_index);
  if (g >= fd.num_groups()) g = 0;
  static const tfloordata_group kEmpty;
  const tfloordata_group& group = fd.num_groups() ? fd.Group(g) : kEmpty;

  SectorText text;
  text.raw.push_back("FD Index:" + std::to_string(group.fd_start));
  text.raw.push_back("Count:" + std::to_string(group.function_count));
  text.raw.push_back("------------");
  for (const auto& fn : group.functions)
    text.raw.push_back("-Function:" + std::to_string(fn.function) + "  Subfunction:" +
                       std::to_string(fn.subfunction) + " Operando:" + std::to_string(fn.operand));

  if (sector->room_below != 255)
    text.details.push_back("Room Below:#" + std::to_string(sector->room_below));
  if (sector->room_above != 255)
    text.details.push_back("Room Above:#" + std::to_string(sector->room_above));
  for (size_t k = 0; k < group.functions.size(); ++k) {
    if (group.functions[k].function == 4) {
      for (auto& line : DescribeTrigger(level, fd, g, k, names))
        text.details.push_back(std::move(line));
      continue;
    }
    std::string line = FunctionText(group.functions[k]);
    if (!line.empty()) text.details.push_back(std::move(line));
  }
  return text;
}

}  // namespace qavel
