// Triangle rule, bounds, mirroring and texture coordinates of pieces.

#include "pieces/texture_pieces.h"

#include <gtest/gtest.h>

#include <random>

#include "fixtures/texture_fixtures.h"

namespace qavel {
namespace {

using test::Piece;
using test::Quad;

std::array<TexCoord, 4> Texels(std::array<std::pair<int, int>, 4> t) {
  std::array<TexCoord, 4> out;
  for (size_t k = 0; k < 4; ++k) out[k] = {t[k].first / 255.0f, t[k].second / 255.0f};
  return out;
}

TEST(Pieces, TriangleRuleAndBounds) {
  // Corner 3 at texel (0,0): a triangle, whose bounds ignore corner 3.
  const auto tri = Piece(0, {{1, 10, 1, 20}, {255, 40, 1, 20}, {255, 40, 255, 50}, {9, 0, 9, 0}});
  EXPECT_TRUE(IsTrianglePiece(tri));
  EXPECT_EQ(GetPieceBounds(tri), (PieceBounds{10, 20, 40, 50}));
  // Corner 3 with both sides unset: a triangle too, wherever it lies.
  EXPECT_TRUE(IsTrianglePiece(
      Piece(0, {{1, 10, 1, 20}, {255, 40, 1, 20}, {255, 40, 255, 50}, {0, 5, 0, 99}})));
  // A quad whose corner 3 lies at x 0 only is still a quad, and counts in the bounds.
  const auto quad =
      Piece(0, {{1, 10, 1, 20}, {255, 40, 1, 20}, {255, 40, 255, 50}, {1, 0, 255, 60}});
  EXPECT_FALSE(IsTrianglePiece(quad));
  EXPECT_EQ(GetPieceBounds(quad), (PieceBounds{0, 20, 40, 60}));
}

TEST(Pieces, MirrorRule) {
  // A triangle flips only when corner 2 lies on the other edge.
  for (const auto& [piece, h, v] :
       {std::tuple{Quad(0, 0, 0, 64, 64), false, false},
        {Piece(0, {{255, 63, 255, 63}, {1, 0, 255, 63}, {1, 0, 1, 0}, {255, 63, 1, 0}}), true,
         true},
        {Piece(0, {{255, 63, 1, 0}, {1, 0, 1, 0}, {255, 63, 255, 63}, {0, 0, 0, 0}}), false, false},
        {Piece(0, {{255, 63, 255, 63}, {1, 0, 255, 63}, {1, 0, 1, 0}, {0, 0, 0, 0}}), true, true}})
    EXPECT_EQ(std::pair(GetPieceMirror(piece).horizontal, GetPieceMirror(piece).vertical),
              std::pair(h, v));
}

TEST(Pieces, TexCoordsMoveCornersOneTexelInwards) {
  const auto quad = Quad(3, 0, 0, 64, 64);
  const auto inset = Texels({{{1, 1}, {62, 1}, {62, 62}, {1, 62}}});
  EXPECT_EQ(GetPieceTexCoords(quad, kTR4), inset);
  EXPECT_EQ(GetPieceTexCoords(quad, kTR5), inset);
  // TR1-TR3 take the stored sides as they are.
  EXPECT_EQ(GetPieceTexCoords(quad, kTR3), inset);

  // TR4 ignores stored sides: wrong ones are recomputed from the texel positions.
  const auto wrong = Piece(0, {{255, 0, 255, 0}, {1, 63, 255, 0}, {1, 63, 1, 63}, {9, 0, 9, 63}});
  EXPECT_EQ(GetPieceTexCoords(wrong, kTR4), inset);
  EXPECT_EQ(GetPieceTexCoords(wrong, kTR2), Texels({{{255, 255}, {64, 255}, {64, 64}, {9, 72}}}));

  // x_pixel 255 with side 1 wraps round to 0 in 8 bits.
  const auto edge = Piece(0, {{1, 255, 1, 0}, {1, 255, 1, 0}, {1, 255, 1, 0}, {1, 255, 1, 1}});
  EXPECT_EQ(GetPieceTexCoords(edge, kTR1)[0].u, 0.0f);
}

TEST(Pieces, TexCoordsWithoutSidesComeFromTheBounds) {
  // All side bytes 0: a triangle by the rule; corners are rebuilt from corners 0..2 alone.
  const auto bare = Piece(0, {{0, 40, 0, 8}, {0, 8, 0, 30}, {0, 20, 0, 16}, {0, 200, 0, 200}});
  ASSERT_TRUE(IsTrianglePiece(bare));
  EXPECT_EQ(GetPieceTexCoords(bare, kTR3), Texels({{{9, 9}, {39, 9}, {39, 29}, {9, 29}}}));
  // TR4 and TR5 recompute corners 0..2 the same way; corner 3 keeps no shift.
  EXPECT_EQ(GetPieceTexCoords(bare, kTR4), Texels({{{9, 9}, {39, 9}, {39, 29}, {8, 30}}}));

  // Sides partly set: the unset ones count as 1.
  const auto part =
      Piece(0, {{0, 10, 1, 10}, {255, 20, 0, 10}, {255, 20, 255, 20}, {1, 10, 255, 20}});
  EXPECT_EQ(GetPieceTexCoords(part, kTR2), Texels({{{11, 11}, {19, 11}, {19, 19}, {11, 19}}}));
}

TEST(Pieces, RandomRectanglesInAnyCornerOrderAreInsetForTR4) {
  // Whatever corner the file starts at and whatever side bytes it stores, a TR4/TR5 quad on
  // an axis-aligned rectangle samples exactly from one texel inside its edges.
  std::mt19937 rng(42);
  for (int i = 0; i < 2000; ++i) {
    const int x0 = int(rng() % 250), y0 = int(rng() % 250);
    const int x1 = x0 + 2 + int(rng() % uint32_t(254 - x0)),
              y1 = y0 + 2 + int(rng() % uint32_t(254 - y0));
    if (x1 > 255 || y1 > 255) continue;
    std::array<std::pair<int, int>, 4> corners = {{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}};
    std::rotate(corners.begin(), corners.begin() + rng() % 4, corners.end());
    if (corners[3] == std::pair<int, int>{0, 0}) continue;  // that would be a triangle
    tobject_texture t{};
    for (int k = 0; k < 4; ++k)
      SetCorner(t, k,
                {uint8_t(rng()), uint8_t(corners[size_t(k)].first), uint8_t(rng() | 1),
                 uint8_t(corners[size_t(k)].second)});
    const auto uv = GetPieceTexCoords(t, i % 2 ? kTR4 : kTR5);
    for (size_t k = 0; k < 4; ++k) {
      const int ex = corners[k].first == x0 ? x0 + 1 : x1 - 1;
      const int ey = corners[k].second == y0 ? y0 + 1 : y1 - 1;
      ASSERT_EQ(uv[k], (TexCoord{ex / 255.0f, ey / 255.0f})) << i << " corner " << k;
    }
  }
}

}  // namespace
}  // namespace qavel
