// The mosaics of same-sized pieces, the piece preview and clicks on a mosaic.

#include "textures/texture_panels.h"

#include <gtest/gtest.h>

#include "fixtures/texture_fixtures.h"
#include "textures/atlas.h"

namespace qavel {
namespace {

using test::Piece;
using test::Quad;
using test::Word16;

uint16_t At(const QImage& image, int x, int y) {
  return reinterpret_cast<const uint16_t*>(image.constScanLine(y))[x];
}

// Page texels tell where they come from: red = page*8 + x/8, green = y/8, blue 31.
uint16_t Source(uint32_t p, int x, int y) {
  return Word16(int(p) * 8 + x / 8 % 8, y / 8, 31);
}
uint16_t Shown(uint32_t p, int x, int y) {
  return DisplayWord16(Source(p, x, y));
}

Ttrlevel TwoPageLevel() {
  return test::LevelWithPages16(kTR4, 2, Source);
}

tpanel_texture Panel(const Ttrlevel& level, int w, int h) {
  tpanel_texture panel;
  BuildTexturePanel(w, h, 4, level, BuildAtlas(level), panel);
  return panel;
}

TEST(TexturePanel, ListsQuadsOfItsSizeInOrder) {
  Ttrlevel level = TwoPageLevel();
  level.object_textures = {
      Quad(0, 0, 0, 64, 64),                                                        // 0
      Quad(1, 64, 0, 64, 32),                                                       // 1: other size
      Quad(1, 128, 64, 64, 64),                                                     // 2
      Piece(0, {{1, 0, 1, 0}, {255, 63, 1, 0}, {255, 63, 255, 63}, {0, 0, 0, 0}}),  // triangle
      Quad(0, 64, 64, 64, 64),                                                      // 4
      Quad(0, 0, 0, 64, 64),                                                        // 5
      Quad(0, 0, 128, 64, 64),  // 6: fifth piece, second row
  };
  const tpanel_texture panel = Panel(level, 64, 64);
  EXPECT_EQ(panel.valid_mark, "Valido");
  EXPECT_EQ(panel.pieces, (std::vector<uint32_t>{0, 2, 4, 5, 6}));
  EXPECT_EQ(panel.rows, 2);
  ASSERT_EQ(panel.bitmap.size(), QSize(4 * 64 + 3, 2 * 64 + 1));

  // Cell 2 (piece 2, page 1 at 128,64): 63 source texels stretched over 64, first one doubled.
  const int cx = 65;
  EXPECT_EQ(At(panel.bitmap, cx + 0, 0), Shown(1, 128, 64));
  EXPECT_EQ(At(panel.bitmap, cx + 1, 1), Shown(1, 128, 64));
  EXPECT_EQ(At(panel.bitmap, cx + 63, 63), Shown(1, 190, 126));
  EXPECT_EQ(At(panel.bitmap, cx + 40, 20), Shown(1, 128 + 39, 64 + 19));
  // Gap lines and the empty cells of the last row are black.
  EXPECT_EQ(At(panel.bitmap, 64, 10), 0);
  EXPECT_EQ(At(panel.bitmap, 10, 64), 0);
  EXPECT_EQ(At(panel.bitmap, 100, 100), 0);
  EXPECT_EQ(At(panel.bitmap, 10, 100), Shown(0, 9, 128 + 34));

  const tpanel_texture small = Panel(level, 64, 32);
  EXPECT_EQ(small.pieces, (std::vector<uint32_t>{1}));
  EXPECT_EQ(small.bitmap.size(), QSize(259, 32));

  // No piece of the size: no rows, no picture, no hit.
  const tpanel_texture none = Panel(level, 64, 16);
  EXPECT_EQ(none.rows, 0);
  EXPECT_TRUE(none.bitmap.isNull());
  EXPECT_EQ(HitTestPanel(10, 10, none), 0u);
}

TEST(TexturePanel, StopsAtNineHundredNinetyNinePieces) {
  Ttrlevel level = TwoPageLevel();
  level.object_textures.assign(1200, Quad(0, 0, 0, 64, 16));
  const tpanel_texture panel = Panel(level, 64, 16);
  EXPECT_EQ(panel.piece_count, 999u);
  EXPECT_EQ(panel.rows, 250);
  EXPECT_EQ(panel.bitmap.height(), 250 * 17 - 1);
  EXPECT_EQ(HitTestPanel(10, panel.bitmap.height() - 1, panel), 997u);
  EXPECT_EQ(HitTestPanel(200, panel.bitmap.height() - 1, panel), 0u);
}

// A piece on a page the level lacks shows black, in its mosaic cell and in its preview; the
// preview keeps more page bits than the mosaic, so a piece may be on a page for one only.
TEST(TexturePanel, PieceOnMissingPageIsBlack) {
  Ttrlevel level = TwoPageLevel();
  level.object_textures = {Quad(0x0FFF, 0, 0, 64, 64), Quad(0x1001, 0, 0, 64, 64)};
  const tpanel_texture panel = Panel(level, 64, 64);
  ASSERT_EQ(panel.piece_count, 2u);
  EXPECT_EQ(At(panel.bitmap, 30, 30), 0);
  EXPECT_EQ(At(panel.bitmap, 65 + 30, 30), Shown(1, 30, 30));
  Ttabla_textures table;
  BuildTextureTable(level, BuildAtlas(level), table);
  for (int piece : {0, 1}) {
    const QImage& preview = GetPiecePreview(piece, table, false);
    for (int y = 0; y < preview.height(); y += 9)
      for (int x = 0; x < preview.width(); x += 9) EXPECT_EQ(At(preview, x, y), 0) << piece;
  }
}

TEST(TexturePanel, HitTest) {
  tpanel_texture panel;
  EXPECT_EQ(HitTestPanel(10, 10, panel), 0u);  // not built
  panel.valid_mark = kValidMark;
  panel.piece_width = 64;
  panel.piece_height = 64;
  panel.columns = 4;
  panel.piece_count = 6;
  // (x, y, piece from 1): the gap line right of a cell and the one under the first row belong
  // to the cell before; the top pixel row, the empty part of the last row and x < 0 hit nothing.
  const int hits[][3] = {{10, 10, 1}, {64, 10, 1},  {65, 10, 2},   {258, 64, 4}, {10, 65, 1},
                         {10, 66, 5}, {70, 100, 6}, {140, 100, 0}, {0, 0, 0},    {100, 0, 0},
                         {200, 0, 0}, {258, 0, 0},  {-1, 10, 0}};
  for (const auto& [x, y, piece] : hits)
    EXPECT_EQ(HitTestPanel(x, y, panel), uint32_t(piece)) << x << "," << y;
  panel.piece_width = panel.piece_height = 128;
  EXPECT_EQ(HitTestPanel(129, 129, panel), 2u);
  EXPECT_EQ(HitTestPanel(129, 130, panel), 6u);
}

TEST(TexturePreview, SizeMirrorTriangleMarkAndBlank) {
  Ttrlevel level = TwoPageLevel();
  level.object_textures = {
      Quad(1, 16, 32, 20, 10),
      Piece(0, {{1, 0, 1, 0}, {255, 7, 1, 0}, {255, 7, 255, 7}, {0, 0, 0, 0}}),
      Piece(0x8001, {{255, 9, 1, 0}, {1, 0, 1, 0}, {1, 0, 255, 9}, {255, 9, 255, 9}}),
  };
  Ttabla_textures table;
  BuildTextureTable(level, BuildAtlas(level), table);
  EXPECT_EQ(table.valid_mark, "Valido");
  EXPECT_EQ(table.piece_count, 3u);
  EXPECT_EQ(table.current_index, -1);

  const QImage quad = GetPiecePreview(0, table, true);
  ASSERT_EQ(quad.size(), QSize(20, 10));
  EXPECT_EQ(At(quad, 0, 0), Shown(1, 16, 32));
  EXPECT_EQ(At(quad, 19, 9), Shown(1, 34, 40));
  EXPECT_EQ(table.current_index, 0);

  const QImage tri = GetPiecePreview(1, table, true);
  ASSERT_EQ(tri.size(), QSize(8, 8));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(At(tri, i, i), 0xFFFF) << i;
  EXPECT_EQ(At(tri, 1, 0), Shown(0, 0, 0));
  EXPECT_EQ(At(GetPiecePreview(1, table, false), 1, 1), 0xFFFF);  // same index: not redrawn
  table.current_index = -1;
  EXPECT_EQ(At(GetPiecePreview(1, table, false), 1, 1), Shown(0, 0, 0));

  // The preview keeps page bits up to 14, and mirrors as the mosaics do (one drawing for both):
  // corner 0 on the right edge draws the piece mirrored left to right.
  const QImage flipped = GetPiecePreview(2, table, true);
  ASSERT_EQ(flipped.size(), QSize(10, 10));
  EXPECT_EQ(At(flipped, 9, 3), Shown(1, 0, 2));

  // Outside the table: a blank 4 x 4 picture. Asking for the piece shown before the blank
  // draws it again instead of handing back the blank.
  for (int bad : {3, -1, 1 << 30}) {
    const QImage blank = GetPiecePreview(bad, table, true);
    EXPECT_EQ(blank.size(), QSize(4, 4));
    EXPECT_EQ(At(blank, 2, 2), 0xFFFF);
    EXPECT_EQ(GetPiecePreview(2, table, true).size(), QSize(10, 10));
  }
}

}  // namespace
}  // namespace qavel
