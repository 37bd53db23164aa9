#pragma once
// Small levels drawn by the tests: pages with known texels and pieces placed on them.

#include <cstdint>
#include <initializer_list>

#include "level/ttrlevel.h"
#include "textures/texture_pieces.h"

namespace qavel::test {

// A TR4-style level (16-bit pages) whose texel (x, y) of page p is texel(p, x, y).
template <class F>
Ttrlevel LevelWithPages16(int32_t version_kind, uint32_t pages, F texel) {
  Ttrlevel level;
  level.version_kind = version_kind;
  level.num_pages = pages;
  Bytes bytes(size_t{pages} * 131072);
  for (uint32_t p = 0; p < pages; ++p)
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        const uint16_t w = texel(p, x, y);
        const size_t at = (size_t{p} * 65536 + size_t(y) * 256 + size_t(x)) * 2;
        bytes[at] = uint8_t(w & 0xFF);
        bytes[at + 1] = uint8_t(w >> 8);
      }
  level.pages16 = SharedBlock::Of(std::move(bytes));
  return level;
}

// A piece from its four corners as (x_side, x_pixel, y_side, y_pixel).
inline tobject_texture Piece(uint16_t tile, std::initializer_list<PieceCorner> corners,
                             uint16_t attribute = 0) {
  tobject_texture t{};
  t.attribute = attribute;
  t.tile = tile;
  int k = 0;
  for (const PieceCorner& c : corners) SetCorner(t, k++, c);
  return t;
}

// An axis-aligned quad covering texels x..x+w-1, y..y+h-1 of a page, corners clockwise from
// the top left, with the side bytes a TR4 file carries.
inline tobject_texture Quad(uint16_t page, int x, int y, int w, int h) {
  const auto x0 = uint8_t(x), x1 = uint8_t(x + w - 1), y0 = uint8_t(y), y1 = uint8_t(y + h - 1);
  return Piece(page, {{1, x0, 1, y0}, {255, x1, 1, y0}, {255, x1, 255, y1}, {1, x0, 255, y1}});
}

// A level word: opaque flag and 5-bit red, green, blue.
constexpr uint16_t Word16(int r, int g, int b, bool opaque = true) {
  return uint16_t((opaque ? 0x8000 : 0) | (r << 10) | (g << 5) | b);
}

}  // namespace qavel::test
