#include "pieces/texture_pieces.h"

#include <algorithm>

namespace qavel {

PieceCorner GetCorner(const tobject_texture& piece, int k) {
  const uint8_t* b = piece.corners + 4 * k;
  return {b[0], b[1], b[2], b[3]};
}

void SetCorner(tobject_texture& piece, int k, const PieceCorner& c) {
  uint8_t* b = piece.corners + 4 * k;
  b[0] = c.x_side;
  b[1] = c.x_pixel;
  b[2] = c.y_side;
  b[3] = c.y_pixel;
}

bool IsTrianglePiece(const tobject_texture& piece) {
  const PieceCorner c3 = GetCorner(piece, 3);
  return (c3.x_pixel == 0 && c3.y_pixel == 0) || (c3.x_side == 0 && c3.y_side == 0);
}

PieceBounds GetPieceBounds(const tobject_texture& piece) {
  const int corners = IsTrianglePiece(piece) ? 3 : 4;
  PieceBounds b{255, 255, 0, 0};
  for (int k = 0; k < corners; ++k) {
    const PieceCorner c = GetCorner(piece, k);
    b.minX = std::min<int>(b.minX, c.x_pixel);
    b.maxX = std::max<int>(b.maxX, c.x_pixel);
    b.minY = std::min<int>(b.minY, c.y_pixel);
    b.maxY = std::max<int>(b.maxY, c.y_pixel);
  }
  return b;
}

PieceMirror GetPieceMirror(const tobject_texture& piece) {
  const PieceCorner c0 = GetCorner(piece, 0);
  if (!IsTrianglePiece(piece)) return {c0.x_side == 255, c0.y_side == 255};
  const PieceCorner c2 = GetCorner(piece, 2);
  return {c0.x_side == 255 && c2.x_side != c0.x_side, c0.y_side == 255 && c2.y_side != c0.y_side};
}

std::array<TexCoord, 4> GetPieceTexCoords(const tobject_texture& piece, int32_t version_kind) {
  const bool triangle = IsTrianglePiece(piece);
  const PieceBounds bounds = GetPieceBounds(piece);
  std::array<PieceCorner, 4> c;
  for (int k = 0; k < 4; ++k) c[size_t(k)] = GetCorner(piece, k);

  const bool no_sides = std::all_of(
      c.begin(), c.end(), [](const PieceCorner& p) { return p.x_side == 0 && p.y_side == 0; });
  if (no_sides) {
    const auto lo = uint8_t(bounds.minX), hi = uint8_t(bounds.maxX);
    const auto top = uint8_t(bounds.minY), bottom = uint8_t(bounds.maxY);
    c = {PieceCorner{1, lo, 1, top}, PieceCorner{255, hi, 1, top},
         PieceCorner{255, hi, 255, bottom}, PieceCorner{1, lo, 255, bottom}};
  }
  for (auto& p : c) {
    if (p.x_side == 0) p.x_side = 1;
    if (p.y_side == 0) p.y_side = 1;
  }
  if (version_kind >= kTR4) {
    c[3].x_side = c[3].y_side = 0;
    const size_t used = triangle ? 3 : 4;
    int mx = 255, my = 255;
    for (size_t k = 0; k < used; ++k) {
      mx = std::min<int>(mx, c[k].x_pixel);
      my = std::min<int>(my, c[k].y_pixel);
    }
    for (size_t k = 0; k < used; ++k) {
      c[k].x_side = mx >= c[k].x_pixel ? 1 : 255;
      c[k].y_side = my >= c[k].y_pixel ? 1 : 255;
    }
  }
  std::array<TexCoord, 4> uv;
  for (size_t k = 0; k < 4; ++k) {
    const auto x = uint8_t(c[k].x_pixel + c[k].x_side);
    const auto y = uint8_t(c[k].y_pixel + c[k].y_side);
    uv[k] = {x / 255.0f, y / 255.0f};
  }
  return uv;
}

}  // namespace qavel
