#pragma once
// The level's texture pages as one R5G6B5 atlas, and the colour rules that make it.

#include <QImage>
#include <array>
#include <cstddef>
#include <cstdint>

#include "level/ttrlevel.h"
#include "pieces/texture_pages.h"

namespace qavel {

inline constexpr uint16_t kTransparentWord = 0xF81F;  // magenta: red 31, green 0, blue 31
inline constexpr uint16_t kLiftedBlackWord = 0x18C3;  // red 3, green 3, blue 3

// One 16-bit level texel (opaque flag, then 5 bits each of red, green, blue) as the R5G6B5
// word we show. Transparent texels become magenta; opaque near-black ones are lifted to
// (3,3,3) so that they stay distinguishable from "nothing" on screen. Written without
// branches so that whole rows convert in vector registers.
constexpr uint16_t DisplayWord16(uint16_t w) {
  const unsigned r = (w >> 10) & 31u, g = (w >> 5) & 31u, b = w & 31u;
  const unsigned shown = (r << 11) | (g << 6) | b;
  const bool near_black = (r <= 2) & (g <= 2) & (b <= 2);
  const unsigned lifted = near_black ? kLiftedBlackWord : shown;
  return static_cast<uint16_t>((w & 0x8000) ? lifted : kTransparentWord);
}

// Converts level texels to display words in place.
void ConvertTexels16(uint16_t* words, size_t count);
// The same over every texel of an R5G6B5 image holding raw level words.
void ConvertTexels16(QImage& image);

// The TR1 colour table: each palette byte times 4, kept in 8 bits (so 63 becomes 252).
std::array<QRgb, 256> MakeGamePalette(const std::array<tpalette_entry, 256>& palette);
// An 8-bit colour as R5G6B5, keeping the top 5/6/5 bits.
constexpr uint16_t ToR5G6B5(QRgb c) {
  return static_cast<uint16_t>(((qRed(c) >> 3) << 11) | ((qGreen(c) >> 2) << 5) | (qBlue(c) >> 3));
}

// The atlas: 256 texels wide, num_pages * 256 tall, page p at rows p*256 .. p*256+255.
// TR2 and later convert pages16 by DisplayWord16; TR1 draws pages8 through the colour table.
// A level without pages (or whose atlas cannot be allocated) gives a null image. Pages the
// model claims but whose bytes are missing stay black.
QImage BuildAtlas(const Ttrlevel& level);
// The same into an existing image, reusing its memory when it has the size and no other
// holder: a reopened level of the same size then costs no fresh allocation.
void BuildAtlasInto(const Ttrlevel& level, QImage& atlas);

}  // namespace qavel
