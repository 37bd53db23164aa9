#pragma once
// The 2D sector map of a room as data: the colour of every cell, the selection frame, the
// picture size and the rooms-above set; painting it into a picture; and the click-to-cell
// mapping of the map.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "floordata/floor_data.h"
#include "floordata/image24.h"

namespace qavel {

// Window colour values of the map (red in the low byte).
namespace map_colour {
inline constexpr WindowColour kBlack = 0x000000;
inline constexpr WindowColour kAqua = 0xFFFF00;
inline constexpr WindowColour kGrey = 0x808080;
inline constexpr WindowColour kMagenta = 0xFF00FF;
inline constexpr WindowColour kRed = 0x0000FF;
inline constexpr WindowColour kGreen = 0x00FF00;
inline constexpr WindowColour kYellow = 0x00FFFF;
}  // namespace map_colour

// Pixels per cell step: an 11-pixel cell and one black pixel between cells.
inline constexpr int kMapCellStep = 12;

struct SectorMap {
  int num_x = 0;  // columns
  int num_z = 0;  // rows
  int width = 0;  // picture size: 12 x columns + 1 by 12 x rows + 1
  int height = 0;
  // Colour of every cell, sector order (column by column, row 1 first in each column).
  std::vector<WindowColour> cells;
  // The selected cell when it lies in the room (1-based), framed in yellow.
  std::optional<std::pair<int, int>> selected;
  // RoomAboveSet: decimal texts of the rooms above this room's sectors, first seen first.
  std::vector<std::string> room_above_set;
  // Size of the group box that holds the picture.
  int group_box_width = 0;
  int group_box_height = 0;

  WindowColour CellColour(int column, int row) const {
    return cells[static_cast<size_t>(column - 1) * num_z + (row - 1)];
  }
  // Top-left pixel of a cell; row num_z is at the top.
  int CellLeft(int column) const { return 1 + kMapCellStep * (column - 1); }
  int CellTop(int row) const { return 1 + kMapCellStep * (num_z - row); }
};

// Classifies every sector of room room_index (see the colour steps in sector_map.cpp) and
// records the selection (column, row, 1-based; anything outside the room selects nothing).
// An unknown room gives an empty map.
SectorMap BuildSectorMap(const Ttrlevel& level, const FloorData& fd, size_t room_index,
                         int selected_column = -1, int selected_row = -1);

// The map as a picture: black background, 11 x 11 cells, the selection framed twice.
Image24 PaintSectorMap(const SectorMap& map);

// The cell under a click at pixel (x, y) of the picture, or nothing when the click falls
// outside the room's cells (the top two pixel rows, the last pixel column, or beyond).
std::optional<std::pair<int, int>> SectorMapCellAt(const SectorMap& map, int x, int y);

}  // namespace qavel
