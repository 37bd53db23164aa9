#include "floordata/sector_map.h"

#include <algorithm>

namespace qavel {

namespace {

bool Contains(const std::vector<std::string>& set, const std::string& s) {
  return std::find(set.begin(), set.end(), s) != set.end();
}

// The colour of one cell; each later rule overrides the earlier ones.
WindowColour CellColour(const troom& room, const tsector& sector, const tfloordata_group& g,
                        int column, int row, const std::vector<std::string>& room_above_set) {
  using namespace map_colour;
  WindowColour colour = kAqua;
  if (sector.floor == -127) colour = kGrey;
  if (row == 1 || row == room.num_z_sectors || column == 1 || column == room.num_x_sectors)
    colour = kGrey;
  if (sector.room_below != 255) colour = kBlack;
  if (g.has_portal) {
    // Every function's operand is compared, as the map always has: a portal into a room that
    // lies above this one is drawn like the border, a side portal black.
    for (const auto& portal : room.portals) {
      for (const auto& fn : g.functions) {
        if (Contains(room_above_set, std::to_string(fn.operand)))
          colour = kGrey;
        else if (portal.adjoining_room == fn.operand)
          colour = kBlack;
      }
    }
  }
  if (g.has_trigger) colour = kMagenta;
  if (g.has_death) colour = kRed;
  if (g.has_high_function) colour = kGreen;
  return colour;
}

}  // namespace

SectorMap BuildSectorMap(const Ttrlevel& level, const FloorData& fd, size_t room_index,
                         int selected_column, int selected_row) {
  SectorMap map;
  if (room_index >= level.rooms.size()) return map;
  const troom& room = level.rooms[room_index];
  map.num_x = room.num_x_sectors;
  map.num_z = room.num_z_sectors;
  map.width = kMapCellStep * map.num_x + 1;
  map.height = kMapCellStep * map.num_z + 1;
  map.group_box_width = map.width + 7;
  map.group_box_height = map.height + 12;
  const size_t count = static_cast<size_t>(map.num_x) * map.num_z;

  // Rooms above are gathered from every sector of the room.
  for (size_t s = 0; s < count && s < room.sectors.size(); ++s) {
    const uint8_t above = room.sectors[s].room_above;
    if (above == 255) continue;
    std::string text = std::to_string(above);
    if (!Contains(map.room_above_set, text)) map.room_above_set.push_back(std::move(text));
  }

  static const tfloordata_group kEmpty;
  const tsector kNoSector = [] {
    tsector s{};
    s.room_below = s.room_above = 255;
    return s;
  }();
  map.cells.assign(count, map_colour::kBlack);
  for (int c = 1; c <= map.num_x; ++c) {
    for (int r = 1; r <= map.num_z; ++r) {
      const size_t s = static_cast<size_t>(c - 1) * map.num_z + (r - 1);
      const tsector& sector = s < room.sectors.size() ? room.sectors[s] : kNoSector;
      const uint32_t g = fd.GroupOf(sector.fd_index);
      const tfloordata_group& group = g < fd.num_groups() ? fd.Group(g) : kEmpty;
      map.cells[s] = CellColour(room, sector, group, c, r, map.room_above_set);
    }
  }
  if (selected_column >= 1 && selected_column <= map.num_x && selected_row >= 1 &&
      selected_row <= map.num_z)
    map.selected = std::make_pair(selected_column, selected_row);
  return map;
}

Image24 PaintSectorMap(const SectorMap& map) {
  Image24 image(map.width, map.height);
  for (int c = 1; c <= map.num_x; ++c) {
    for (int r = map.num_z; r >= 1; --r) {
      const int x0 = map.CellLeft(c), y0 = map.CellTop(r);
      image.FillRect(x0, y0, x0 + 11, y0 + 11, map.CellColour(c, r));
    }
  }
  if (map.selected) {
    const int x0 = map.CellLeft(map.selected->first), y0 = map.CellTop(map.selected->second);
    image.FrameRect(x0 - 1, y0 - 1, x0 + 12, y0 + 12, map_colour::kYellow);
    image.FrameRect(x0, y0, x0 + 11, y0 + 11, map_colour::kYellow);
  }
  return image;
}

std::optional<std::pair<int, int>> SectorMapCellAt(const SectorMap& map, int x, int y) {
  if (x < 0 || y < 0 || x >= map.width || y >= map.height) return std::nullopt;
  const int column = x / kMapCellStep + 1;
  const int row = (map.height - y) / kMapCellStep + 1;
  if (column > map.num_x || row > map.num_z) return std::nullopt;
  return std::make_pair(column, row);
}

}  // namespace qavel
