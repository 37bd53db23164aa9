#include "floordata/sector_map.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "fd_builder.h"

namespace qavel {
namespace {

using namespace map_colour;
using test::Cmd;
using test::Fn;

TEST(SectorMap, BorderInnerAndOverridingRules) {
  // Groups: 1 trigger, 2 death + trigger, 3 high function + death, 4 slant.
  Ttrlevel level =
      test::LevelWithRoom(5, 4,
                          {0, Fn(4, 0, true), 0, Cmd(0, 0, true), Fn(5), Fn(4, 0, true), 0,
                           Cmd(0, 0, true), Fn(5), Fn(30, 0, true), 0, Fn(2, 0, true), 0});
  auto& s = level.rooms[0].sectors;                // column c, row r at (c - 1) * 4 + (r - 1)
  s[1 * 4 + 1] = test::Sector(1);                  // (2, 2) trigger
  s[1 * 4 + 2] = test::Sector(4);                  // (2, 3) death beats trigger
  s[2 * 4 + 1] = test::Sector(8);                  // (3, 2) high beats death
  s[2 * 4 + 2] = test::Sector(0, 255, 255, -127);  // (3, 3) wall
  s[3 * 4 + 1] = test::Sector(11, 3);              // (4, 2) room below
  s[0] = test::Sector(1);                          // (1, 1) border, but trigger
  const FloorData fd = ParseFloorData(level);
  const SectorMap map = BuildSectorMap(level, fd, 0);
  EXPECT_EQ(map.width, 61);
  EXPECT_EQ(map.height, 49);
  EXPECT_EQ(map.group_box_width, 68);
  EXPECT_EQ(map.group_box_height, 61);
  EXPECT_EQ(map.CellColour(2, 2), kMagenta);
  EXPECT_EQ(map.CellColour(2, 3), kRed);
  EXPECT_EQ(map.CellColour(3, 2), kGreen);
  EXPECT_EQ(map.CellColour(3, 3), kGrey);
  EXPECT_EQ(map.CellColour(4, 2), kBlack);
  EXPECT_EQ(map.CellColour(4, 3), kAqua);
  EXPECT_EQ(map.CellColour(1, 1), kMagenta);
  for (int c = 1; c <= 5; ++c) {
    EXPECT_EQ(map.CellColour(c, 4), kGrey);
    if (c > 1) {
      EXPECT_EQ(map.CellColour(c, 1), kGrey);
    }
  }
  EXPECT_FALSE(map.selected);
  // A room one sector wide is all border.
  const Ttrlevel narrow = test::LevelWithRoom(1, 6, {0});
  const SectorMap column = BuildSectorMap(narrow, ParseFloorData(narrow), 0);
  for (int r = 1; r <= 6; ++r) EXPECT_EQ(column.CellColour(1, r), kGrey);
}

TEST(SectorMap, PortalsIntoRoomsAboveAreGreySidePortalsBlack) {
  // Group 1: portal to room 4; group 4: portal to room 9.
  Ttrlevel level = test::LevelWithRoom(4, 4, {0, Fn(1, 0, true), 4, Fn(1, 0, true), 9});
  auto& room = level.rooms[0];
  tportal p{};
  p.adjoining_room = 4;
  room.portals.push_back(p);
  room.sectors[5] = test::Sector(1);          // (2, 2)
  room.sectors[6] = test::Sector(3);          // (2, 3): portal to 9, no portal of the room
  room.sectors[9] = test::Sector(0, 255, 9);  // (3, 2): room 9 lies above
  const FloorData fd = ParseFloorData(level);
  SectorMap map = BuildSectorMap(level, fd, 0);
  EXPECT_EQ(map.room_above_set, std::vector<std::string>{"9"});
  EXPECT_EQ(map.CellColour(2, 2), kBlack);
  EXPECT_EQ(map.CellColour(2, 3), kGrey);
  // Without portals in the room the rule has nothing to compare.
  room.portals.clear();
  map = BuildSectorMap(level, fd, 0);
  EXPECT_EQ(map.CellColour(2, 2), kAqua);
}

TEST(SectorMap, PictureCellsSelectionFramesAndClicks) {
  const Ttrlevel level = test::LevelWithRoom(3, 2, {0});
  const FloorData fd = ParseFloorData(level);
  const SectorMap map = BuildSectorMap(level, fd, 0, 2, 1);
  ASSERT_TRUE(map.selected);
  const Image24 image = PaintSectorMap(map);
  ASSERT_EQ(image.width(), 37);
  ASSERT_EQ(image.height(), 25);
  // Row 2 is the top row; cells are 11 pixels with black between them.
  EXPECT_EQ(image.Pixel(0, 0), kBlack);
  EXPECT_EQ(image.Pixel(1, 1), kGrey);
  EXPECT_EQ(image.Pixel(11, 11), kGrey);
  EXPECT_EQ(image.Pixel(12, 1), kBlack);
  // Selected (2, 1): cell at x 13..23, y 13..23, framed at 12..24 and 13..23.
  EXPECT_EQ(image.Pixel(12, 12), kYellow);
  EXPECT_EQ(image.Pixel(24, 24), kYellow);
  EXPECT_EQ(image.Pixel(13, 18), kYellow);
  EXPECT_EQ(image.Pixel(14, 14), kGrey);
  EXPECT_EQ(image.Pixel(36, 24), kBlack);
  // Red is the low byte of a window colour: the first byte of a pixel.
  Image24 red(1, 1);
  red.SetPixel(0, 0, kRed);
  EXPECT_EQ(red.pixels(), (std::vector<uint8_t>{255, 0, 0}));

  EXPECT_EQ(SectorMapCellAt(map, 0, 24), std::make_pair(1, 1));
  EXPECT_EQ(SectorMapCellAt(map, 0, 14), std::make_pair(1, 1));
  EXPECT_EQ(SectorMapCellAt(map, 0, 12), std::make_pair(1, 2));
  EXPECT_EQ(SectorMapCellAt(map, 35, 2), std::make_pair(3, 2));
  EXPECT_FALSE(SectorMapCellAt(map, 0, 0));  // top two pixel rows: row 3
  EXPECT_FALSE(SectorMapCellAt(map, 5, 1));
  EXPECT_FALSE(SectorMapCellAt(map, 36, 5));  // last pixel column: column 4
  EXPECT_FALSE(SectorMapCellAt(map, -1, 5));
  EXPECT_FALSE(SectorMapCellAt(map, 5, 25));
  // A selection outside the room frames nothing; an unknown room is an empty map.
  EXPECT_FALSE(BuildSectorMap(level, fd, 0, 4, 1).selected);
  EXPECT_EQ(BuildSectorMap(level, fd, 3).width, 0);
}

uint32_t Be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// The PNG carries the picture's pixels exactly: chunks check out and IDAT inflates back.
TEST(Png, ChunksAndPixelsRoundTrip) {
  Image24 image(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) image.SetPixel(x, y, static_cast<uint32_t>(x * 0x10203 + y * 77));
  const auto encoded = EncodePng(image);
  ASSERT_TRUE(encoded);
  const auto& png = *encoded;
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
  std::vector<uint8_t> idat;
  size_t p = 8;
  std::vector<std::string> chunks;
  while (p + 12 <= png.size()) {
    const uint32_t len = Be32(&png[p]);
    ASSERT_LE(p + 12 + len, png.size());
    const std::string type(reinterpret_cast<const char*>(&png[p + 4]), 4);
    chunks.push_back(type);
    EXPECT_EQ(crc32(0, &png[p + 4], len + 4), Be32(&png[p + 8 + len])) << type;
    if (type == "IHDR") {
      EXPECT_EQ(Be32(&png[p + 8]), 5u);
      EXPECT_EQ(Be32(&png[p + 12]), 3u);
    }
    if (type == "IDAT") idat.insert(idat.end(), &png[p + 8], &png[p + 8 + len]);
    p += 12 + len;
  }
  EXPECT_EQ(p, png.size());
  EXPECT_EQ(chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  std::vector<uint8_t> raw(3 * (1 + 15));
  uLongf raw_len = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &raw_len, idat.data(), idat.size()), Z_OK);
  ASSERT_EQ(raw_len, raw.size());
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(raw[y * 16], 0);
    EXPECT_EQ(std::memcmp(&raw[y * 16 + 1], image.pixels().data() + y * 15, 15), 0);
  }
}

}  // namespace
}  // namespace qavel
