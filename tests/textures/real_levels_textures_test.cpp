// Atlas, mosaics and previews of the real game levels, where present.

#include <gtest/gtest.h>

#include "../support/test_paths.h"
#include "level/level_reader.h"
#include "textures/atlas.h"
#include "textures/texture_panels.h"
#include "textures/texture_pieces.h"
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
      for (uint32_t i : panel.pieces) ASSERT_LT(i, level.num_object_textures());
      if (panel.piece_count) {
        EXPECT_EQ(panel.bitmap.height(), panel.rows * (panel.piece_height + 1) - 1);
      }
    }
    for (uint32_t i = 0; i < level.num_object_textures(); ++i) {
      const QImage& preview = GetPiecePreview(int32_t(i), table, true);
      const PieceBounds b = GetPieceBounds(level.object_textures[i]);
      ASSERT_EQ(preview.size(), QSize(b.maxX - b.minX + 1, b.maxY - b.minY + 1)) << i;
      for (const TexCoord& uv : GetPieceTexCoords(level.object_textures[i], level.version_kind))
        ASSERT_TRUE(uv.u >= 0 && uv.u <= 1 && uv.v >= 0 && uv.v <= 1);
    }
  }
}

}  // namespace
}  // namespace qavel
