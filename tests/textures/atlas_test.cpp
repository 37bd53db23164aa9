// The display colour rules and the atlas of 16-bit and 8-bit pages.

#include "textures/atlas.h"

#include <gtest/gtest.h>

#include "fixtures/texture_fixtures.h"
#include "textures/texture_store.h"

namespace qavel {
namespace {

using test::Word16;

uint16_t At(const QImage& image, int x, int y) {
  return reinterpret_cast<const uint16_t*>(image.constScanLine(y))[x];
}

TEST(DisplayColours, SixteenBitRule) {
  // Transparent texels of any colour become magenta.
  EXPECT_EQ(DisplayWord16(Word16(31, 31, 31, false)), 0xF81F);
  EXPECT_EQ(DisplayWord16(0x0000), 0xF81F);
  // Opaque near-black is lifted to (3,3,3); one channel above 2 keeps the texel as it is.
  EXPECT_EQ(DisplayWord16(Word16(1, 1, 1)), 0x18C3);
  EXPECT_EQ(DisplayWord16(Word16(0, 0, 0)), 0x18C3);
  EXPECT_EQ(DisplayWord16(Word16(2, 2, 2)), 0x18C3);
  EXPECT_EQ(DisplayWord16(Word16(3, 1, 1)), (3 << 11) | (1 << 6) | 1);
  EXPECT_EQ(DisplayWord16(Word16(1, 1, 3)), (1 << 11) | (1 << 6) | 3);
  // Green moves into the top 5 of the 6 green bits; the lowest green bit stays clear.
  EXPECT_EQ(DisplayWord16(Word16(31, 31, 31)), 0xFFDF);
  EXPECT_EQ(DisplayWord16(Word16(0, 16, 0)), 16 << 6);
}

TEST(DisplayColours, GamePaletteTimesFourInEightBits) {
  std::array<tpalette_entry, 256> palette{};
  palette[1] = {{}, 63, 32, 1};
  palette[2] = {{}, 64, 255, 0};  // out-of-range bytes wrap rather than saturate
  const auto table = MakeGamePalette(palette);
  EXPECT_EQ(table[1], qRgb(252, 128, 4));
  EXPECT_EQ(table[2], qRgb(0, 252, 0));
  EXPECT_EQ(ToR5G6B5(qRgb(252, 0, 252)), 0xF81F);
  EXPECT_EQ(ToR5G6B5(qRgb(7, 3, 7)), 0);  // low bits are dropped, not rounded
}

TEST(Atlas, SixteenBitPagesInOrderAndConverted) {
  // Each texel encodes its page and position, so any misplaced row or page shows.
  auto level = test::LevelWithPages16(kTR4, 3, [](uint32_t p, int x, int y) {
    return Word16(int(p) * 8 + (y & 7), x & 31, (x + y) & 31, ((x ^ y) & 15) != 0);
  });
  const QImage atlas = BuildAtlas(level);
  ASSERT_EQ(atlas.size(), QSize(256, 768));
  ASSERT_EQ(atlas.format(), QImage::Format_RGB16);
  for (int p = 0; p < 3; ++p)
    for (int y = 0; y < 256; y += 5)
      for (int x = 0; x < 256; x += 3) {
        const uint16_t raw = Word16(p * 8 + (y & 7), x & 31, (x + y) & 31, ((x ^ y) & 15) != 0);
        ASSERT_EQ(At(atlas, x, p * 256 + y), DisplayWord16(raw)) << p << " " << x << "," << y;
      }
}

TEST(Atlas, TR1DrawsThroughPalette) {
  Ttrlevel level;
  level.version_kind = kTR1;
  level.num_pages = 1;
  level.palette[0] = {{}, 255, 0, 255};  // as the reader leaves entry 0
  level.palette[7] = {{}, 10, 20, 30};
  Bytes page(65536, 7);
  page[0] = 0;
  page[65535] = 0;
  level.pages8 = SharedBlock::Of(page);
  const QImage atlas = BuildAtlas(level);
  ASSERT_EQ(atlas.size(), QSize(256, 256));
  EXPECT_EQ(At(atlas, 0, 0), 0xF81F);
  EXPECT_EQ(At(atlas, 255, 255), 0xF81F);
  EXPECT_EQ(At(atlas, 1, 0), ToR5G6B5(qRgb(40, 80, 120)));
}

TEST(Atlas, MissingOrShortPages) {
  // No pages: no atlas and no texture.
  Ttrlevel empty;
  empty.version_kind = kTR4;
  EXPECT_TRUE(BuildAtlas(empty).isNull());
  TextureStore store;
  EXPECT_EQ(AddLevelPages(store, BuildAtlas(empty)), 0);
  EXPECT_TRUE(store.records().empty());

  // A model that claims more pages than its block holds: the missing rows stay black and
  // nothing is read past the block.
  auto level = test::LevelWithPages16(kTR2, 1, [](uint32_t, int, int) { return Word16(31, 0, 0); });
  level.num_pages = 2;
  const QImage atlas = BuildAtlas(level);
  ASSERT_EQ(atlas.height(), 512);
  EXPECT_EQ(At(atlas, 10, 255), 31 << 11);
  EXPECT_EQ(At(atlas, 10, 256), 0);
  EXPECT_EQ(At(atlas, 255, 511), 0);

  Ttrlevel tr1;
  tr1.version_kind = kTR1;
  tr1.num_pages = 1;
  tr1.pages8 = SharedBlock::Of(Bytes(1000, 3));  // three whole rows and a bit
  const QImage short8 = BuildAtlas(tr1);
  ASSERT_EQ(short8.height(), 256);
  EXPECT_EQ(At(short8, 0, 4), 0);
}

}  // namespace
}  // namespace qavel
