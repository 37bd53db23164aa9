// Atlas, mosaics and previews of the real game levels, where present.

#include <gtest/gtest.h>

#include <set>

#include "../support/test_paths.h"
#include "level/level_reader.h"
#include "pieces/texture_pieces.h"
#include "textures/atlas.h"
#include "textures/texture_panels.h"
#include "textures/texture_store.h"

namespace qavel {
namespace {

// The colour rules written out plainly, texel by texel, to check the atlas against.
uint16_t Expected(const Ttrlevel& level, size_t texel) {
  if (level.version_kind < kTR2) {
    const tpalette_entry e = level.palette[level.pages8.bytes()[texel]];
    const int r = (e.red * 4) % 256, g = (e.green * 4) % 256, b = (e.blue * 4) % 256;
    return uint16_t((r / 8) * 2048 + (g / 4) * 32 + b / 8);
  }
  const uint8_t* p = level.pages16.bytes() + texel * 2;
  const int w = p[0] + 256 * p[1];
  if (w < 0x8000) return 0xF81F;
  const int r = (w / 1024) % 32, g = (w / 32) % 32, b = w % 32;
  if (r < 3 && g < 3 && b < 3) return 0x18C3;
  return uint16_t(r * 2048 + g * 64 + b);
}

// The display words of the page rectangle a piece covers; empty when its page lies beyond the
// atlas.
std::set<uint16_t> WordsUnder(const QImage& atlas, const PieceBounds& b, int page) {
  std::set<uint16_t> words;
  for (int y = b.minY; y <= b.maxY; ++y) {
    if (int64_t{page} * 256 + y >= atlas.height()) return {};
    const auto* row = reinterpret_cast<const uint16_t*>(atlas.constScanLine(page * 256 + y));
    words.insert(row + b.minX, row + b.maxX + 1);
  }
  return words;
}

// Every texel of a picture of a piece comes from the piece's rectangle of its page, or is black
// when that page lies beyond the level's pages: a picture holds nothing from anywhere else.
size_t TexelsFromElsewhere(const QImage& picture, const QRect& cell,
                           const std::set<uint16_t>& allowed) {
  size_t wrong = 0;
  for (int y = cell.top(); y <= cell.bottom(); ++y) {
    const auto* row = reinterpret_cast<const uint16_t*>(picture.constScanLine(y));
    for (int x = cell.left(); x <= cell.right(); ++x)
      wrong += allowed.empty() ? row[x] != 0 : !allowed.count(row[x]);
  }
  return wrong;
}

TEST(RealLevelTextures, AtlasPanelsAndPreviews) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels in " << QAVEL_LEVELS_DIR << "; skipped";
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(generation);
    const Ttrlevel level = test::ReadLevelOrFail(path);
    ASSERT_GT(level.num_pages, 0u);

    const QImage atlas = BuildAtlas(level);
    ASSERT_EQ(atlas.size(), QSize(256, int(level.num_pages) * 256));
    size_t wrong = 0;
    for (int y = 0; y < atlas.height(); ++y) {
      const auto* row = reinterpret_cast<const uint16_t*>(atlas.constScanLine(y));
      for (int x = 0; x < 256; ++x) wrong += row[x] != Expected(level, size_t(y) * 256 + size_t(x));
    }
    EXPECT_EQ(wrong, 0u);

    TextureStore store;
    EXPECT_EQ(AddLevelPages(store, atlas), int(level.num_pages));
    EXPECT_EQ(store.records().size(), level.num_pages);

    Ttabla_textures table;
    TexturePanels panels;
    BuildTextureViews(level, atlas, table, panels);
    for (const auto& panel : panels) {
      for (uint32_t n = 0; n < panel.piece_count; ++n) {
        const tobject_texture& piece = level.object_textures.at(panel.pieces[n]);
        const QRect cell(int(n % 4) * (panel.piece_width + 1),
                         int(n / 4) * (panel.piece_height + 1), panel.piece_width,
                         panel.piece_height);
        EXPECT_EQ(
            TexelsFromElsewhere(panel.bitmap, cell,
                                WordsUnder(atlas, GetPieceBounds(piece), piece.tile & 0x0FFF)),
            0u)
            << "mosaic cell of piece " << panel.pieces[n];
      }
    }
    for (uint32_t i = 0; i < level.num_object_textures(); ++i) {
      const tobject_texture& piece = level.object_textures[i];
      const QImage& preview = GetPiecePreview(int32_t(i), table, false);
      const PieceBounds b = GetPieceBounds(piece);
      ASSERT_EQ(preview.size(), QSize(b.maxX - b.minX + 1, b.maxY - b.minY + 1)) << i;
      EXPECT_EQ(
          TexelsFromElsewhere(preview, preview.rect(), WordsUnder(atlas, b, piece.tile & 0x7FFF)),
          0u)
          << "preview of piece " << i;
      for (const TexCoord& uv : GetPieceTexCoords(level.object_textures[i], level.version_kind))
        ASSERT_TRUE(uv.u >= 0 && uv.u <= 1 && uv.v >= 0 && uv.v <= 1);
    }
  }
}

}  // namespace
}  // namespace qavel
