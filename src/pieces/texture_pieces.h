#pragma once
// Texture pieces (object textures): triangle rule, bounds, mirroring and texture coordinates.

#include <array>
#include <cstdint>

#include "level/ttrlevel.h"

namespace qavel {

// One corner of a piece as the record holds it: a side byte (1 low edge, 255 high edge, 0
// unset) and a texel position inside the page, for x and then y.
struct PieceCorner {
  uint8_t x_side = 0, x_pixel = 0, y_side = 0, y_pixel = 0;
};

PieceCorner GetCorner(const tobject_texture& piece, int k);
void SetCorner(tobject_texture& piece, int k, const PieceCorner& c);

// Page masks: drawing and the mosaics keep 12 bits of `tile`, the single-piece preview 15.
inline uint16_t PiecePage(const tobject_texture& piece) {
  return piece.tile & 0x0FFF;
}
inline uint16_t PreviewPage(const tobject_texture& piece) {
  return piece.tile & 0x7FFF;
}

// A piece is a triangle when corner 3 sits at texel (0, 0) or has both side bytes unset.
bool IsTrianglePiece(const tobject_texture& piece);

struct PieceBounds {
  int minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool operator==(const PieceBounds&) const = default;
};
// Smallest and largest texel positions over corners 0..2, and corner 3 for a quad.
PieceBounds GetPieceBounds(const tobject_texture& piece);

// Whether the piece is shown flipped: a quad whose corner 0 lies on the high edge is drawn
// mirrored on that axis; a triangle only when corner 2 lies on the other edge as well.
struct PieceMirror {
  bool horizontal = false, vertical = false;
};
PieceMirror GetPieceMirror(const tobject_texture& piece);

struct TexCoord {
  float u = 0, v = 0;
  bool operator==(const TexCoord&) const = default;
};
// Texture coordinates of the four corners within the piece's own page texture (page id
// PiecePage). Side bytes move each corner one texel inwards; TR4 and TR5 recompute them from
// the texel positions because their files do not carry usable ones. Positions wrap in 8 bits.
std::array<TexCoord, 4> GetPieceTexCoords(const tobject_texture& piece, int32_t version_kind);

}  // namespace qavel
