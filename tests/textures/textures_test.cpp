// The texture store (numbering, replacement, pages, pictures from files), the display colour
// rules, the atlas of 16-bit and 8-bit pages, and what is drawn from it: the mosaics of
// same-sized pieces, piece previews and clicks on a mosaic, also on the real levels.

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "fixtures/texture_fixtures.h"
#include "level/level_reader.h"
#include "test_paths.h"
#include "textures/atlas.h"
#include "textures/bitmap_ops.h"
#include "textures/texture_panels.h"
#include "textures/texture_store.h"

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

TEST(DisplayColours, SixteenBitRuleAndGamePalette) {
  const std::pair<uint16_t, int> words[] = {
      {Word16(31, 31, 31, false), 0xF81F},  // transparent texels of any colour become magenta
      {0x0000, 0xF81F},
      {Word16(1, 1, 1), 0x18C3},  // opaque near-black is lifted to (3,3,3)
      {Word16(0, 0, 0), 0x18C3},
      {Word16(2, 2, 2), 0x18C3},
      {Word16(3, 1, 1), (3 << 11) | (1 << 6) | 1},  // one channel above 2 keeps the texel
      {Word16(1, 1, 3), (1 << 11) | (1 << 6) | 3},
      {Word16(31, 31, 31), 0xFFDF},  // green in the top 5 of 6 bits, the lowest bit clear
      {Word16(0, 16, 0), 16 << 6},
  };
  for (auto [word, shown] : words) EXPECT_EQ(DisplayWord16(word), shown) << word;
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

TEST(Atlas, TR1PaletteAndMissingOrShortPages) {
  Ttrlevel tr1;
  tr1.version_kind = kTR1;
  tr1.num_pages = 1;
  tr1.palette[0] = {{}, 255, 0, 255};  // as the reader leaves entry 0
  tr1.palette[7] = {{}, 10, 20, 30};
  Bytes page(65536, 7);
  page[0] = page[65535] = 0;
  tr1.pages8 = SharedBlock::Of(page);
  QImage atlas = BuildAtlas(tr1);
  ASSERT_EQ(atlas.size(), QSize(256, 256));
  EXPECT_EQ(At(atlas, 0, 0), 0xF81F);
  EXPECT_EQ(At(atlas, 255, 255), 0xF81F);
  EXPECT_EQ(At(atlas, 1, 0), ToR5G6B5(qRgb(40, 80, 120)));
  tr1.pages8 = SharedBlock::Of(Bytes(1000, 3));  // three whole rows and a bit
  atlas = BuildAtlas(tr1);
  ASSERT_EQ(atlas.height(), 256);
  EXPECT_EQ(At(atlas, 0, 4), 0);

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
  atlas = BuildAtlas(level);
  ASSERT_EQ(atlas.height(), 512);
  EXPECT_EQ(At(atlas, 10, 255), 31 << 11);
  EXPECT_EQ(At(atlas, 10, 256), 0);
  EXPECT_EQ(At(atlas, 255, 511), 0);
}

TEST(TexturePanel, ListsQuadsOfItsSizeInOrderUpToNineHundredNinetyNine) {
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
  EXPECT_EQ(panel.pieces, (std::vector<uint32_t>{0, 2, 4, 5, 6}));
  EXPECT_EQ(panel.rows, 2);
  ASSERT_EQ(panel.bitmap.size(), QSize(4 * 64 + 3, 2 * 64 + 1));
  // Cell 2 (x from 65; piece 2, page 1 at 128,64): 63 source texels stretched over 64, the
  // first doubled. Gap lines and the empty cells of the last row are black.
  const std::tuple<int, int, uint16_t> texels[] = {{65, 0, Shown(1, 128, 64)},
                                                   {65 + 1, 1, Shown(1, 128, 64)},
                                                   {65 + 63, 63, Shown(1, 190, 126)},
                                                   {65 + 40, 20, Shown(1, 128 + 39, 64 + 19)},
                                                   {64, 10, 0},
                                                   {10, 64, 0},
                                                   {100, 100, 0},
                                                   {10, 100, Shown(0, 9, 128 + 34)}};
  for (auto [x, y, word] : texels) EXPECT_EQ(At(panel.bitmap, x, y), word) << x << "," << y;
  const tpanel_texture small = Panel(level, 64, 32);
  EXPECT_EQ(small.pieces, (std::vector<uint32_t>{1}));
  EXPECT_EQ(small.bitmap.size(), QSize(259, 32));
  // No piece of the size: no rows, no picture, no hit.
  const tpanel_texture none = Panel(level, 64, 16);
  EXPECT_EQ(none.rows, 0);
  EXPECT_TRUE(none.bitmap.isNull());
  EXPECT_EQ(HitTestPanel(10, 10, none), 0u);

  level.object_textures.assign(1200, Quad(0, 0, 0, 64, 16));
  const tpanel_texture full = Panel(level, 64, 16);
  EXPECT_EQ(full.piece_count, 999u);
  EXPECT_EQ(full.rows, 250);
  EXPECT_EQ(full.bitmap.height(), 250 * 17 - 1);
  EXPECT_EQ(HitTestPanel(10, full.bitmap.height() - 1, full), 997u);
  EXPECT_EQ(HitTestPanel(200, full.bitmap.height() - 1, full), 0u);
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

// How many texels of a picture of a piece come from anywhere but the piece's rectangle of its
// page (or are not black when that page lies beyond the level's pages).
size_t TexelsFromElsewhere(const QImage& picture, const QRect& cell,
                           const std::set<uint16_t>& allowed) {
  size_t wrong = 0;
  for (int y = cell.top(); y <= cell.bottom(); ++y)
    for (int x = cell.left(); x <= cell.right(); ++x)
      wrong += allowed.empty() ? At(picture, x, y) != 0 : !allowed.count(At(picture, x, y));
  return wrong;
}

TEST(RealLevelTextures, PanelsAndPreviewsShowOnlyTheirPieces) {
  for (const auto& [generation, path] : test::SweptLevels()) {
    SCOPED_TRACE(generation);
    const Ttrlevel level = test::ReadLevelOrFail(path);
    ASSERT_GT(level.num_pages, 0u);
    const QImage atlas = BuildAtlas(level);
    ASSERT_EQ(atlas.size(), QSize(256, int(level.num_pages) * 256));
    TextureStore store;
    EXPECT_EQ(AddLevelPages(store, atlas), int(level.num_pages));
    EXPECT_EQ(store.records().size(), level.num_pages);

    Ttabla_textures table;
    TexturePanels panels;
    BuildTextureViews(level, atlas, table, panels);
    for (const auto& panel : panels)
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
    for (uint32_t i = 0; i < level.num_object_textures(); ++i) {
      const tobject_texture& piece = level.object_textures[i];
      const QImage& preview = GetPiecePreview(int32_t(i), table, false);
      const PieceBounds b = GetPieceBounds(piece);
      ASSERT_EQ(preview.size(), QSize(b.maxX - b.minX + 1, b.maxY - b.minY + 1)) << i;
      EXPECT_EQ(
          TexelsFromElsewhere(preview, preview.rect(), WordsUnder(atlas, b, piece.tile & 0x7FFF)),
          0u)
          << "preview of piece " << i;
      for (const TexCoord& uv : GetPieceTexCoords(piece, level.version_kind))
        ASSERT_TRUE(uv.u >= 0 && uv.u <= 1 && uv.v >= 0 && uv.v <= 1);
    }
  }
}

TEST(TextureStore, AddSelectReplaceKeepsNumberOrder) {
  TextureStore store;
  EXPECT_EQ(store.GetCurrentTexture(), nullptr);
  ASSERT_TRUE(store.AddTexture(8888, 2, 2, Bytes(8, 1), 16));
  ASSERT_TRUE(store.AddTexture(7, 1, 1, Bytes(4, 2), 32));
  ASSERT_TRUE(store.AddTexture(100000, 1, 1, Bytes(3, 3), 24));
  ASSERT_TRUE(store.AddTexture(12, 4, 1, Bytes(8, 4), 15));
  EXPECT_EQ(store.current_id(), 12);  // the last addition is current
  std::vector<int32_t> ids;
  for (const auto& r : store.records()) ids.push_back(r.id);
  EXPECT_EQ(ids, (std::vector<int32_t>{7, 12, 8888, 100000}));

  store.SelectTexture(8888);
  ASSERT_NE(store.GetCurrentTexture(), nullptr);
  EXPECT_EQ(store.GetCurrentTexture()->width, 2);
  store.SelectTexture(9);
  EXPECT_EQ(store.current_id(), -1);
  EXPECT_EQ(store.GetCurrentTexture(), nullptr);

  // Replacing a number keeps one record with the new texels and a new revision.
  const uint64_t old_revision = store.Find(7)->revision;
  ASSERT_TRUE(store.AddTexture(7, 2, 1, Bytes(4, 9), 16));
  EXPECT_EQ(store.records().size(), 4u);
  EXPECT_EQ(store.Find(7)->width, 2);
  EXPECT_EQ((*store.Find(7)->pixels)[0], 9);
  EXPECT_NE(store.Find(7)->revision, old_revision);
  // Refused textures leave the old one.
  EXPECT_FALSE(store.AddTexture(7, 2, 2, Bytes(7, 0), 16));  // one byte short
  EXPECT_FALSE(store.AddTexture(7, 1, 1, Bytes(2, 0), 8));   // no such depth
  EXPECT_FALSE(store.AddTexture(7, 0, 1, {}, 16));
  EXPECT_FALSE(store.AddTexture(7, -1, -1, {}, 16));
  EXPECT_FALSE(store.AddTexture(7, kMaxTextureSide + 1, 1, Bytes(16386, 0), 16));
  EXPECT_EQ((*store.Find(7)->pixels)[0], 9);
  EXPECT_EQ(store.records().size(), 4u);
}

TEST(TextureStore, AddPagesSplitsAndChecksShape) {
  TextureStore store;
  QImage pages(256, 512, QImage::Format_RGB16);
  pages.fill(0);
  reinterpret_cast<uint16_t*>(pages.scanLine(256))[1] = 0xABCD;
  EXPECT_EQ(store.AddPages(pages, 40), "");
  ASSERT_EQ(store.records().size(), 2u);
  const auto* second = store.Find(41);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->pixels->size(), 131072u);
  EXPECT_EQ((*second->pixels)[2], 0xCD);
  EXPECT_EQ((*second->pixels)[3], 0xAB);
  EXPECT_EQ(store.current_id(), 41);

  // A smaller level opened later replaces its own numbers and leaves the higher ones.
  ASSERT_TRUE(store.AddTexture(kRoomTextureId, 1, 1, Bytes(2, 0), 16));
  QImage one(256, 256, QImage::Format_RGB16);
  one.fill(0x1234);
  EXPECT_EQ(AddLevelPages(store, one, 40), 1);
  EXPECT_EQ((*store.Find(40)->pixels)[0], 0x34);
  EXPECT_EQ((*store.Find(41)->pixels)[2], 0xCD);
  EXPECT_NE(store.Find(kRoomTextureId), nullptr);

  TextureStore other;
  EXPECT_EQ(other.AddPages(QImage(128, 256, QImage::Format_RGB16), 0),
            "width have to be 256 pixels");
  EXPECT_EQ(other.AddPages(QImage(256, 300, QImage::Format_RGB16), 0),
            "Height have to be multiple of 256 pixels");
  EXPECT_EQ(other.AddPages(QImage(256, 256, QImage::Format_RGB32), 0), "");
  EXPECT_EQ(other.AddPages(QImage(), 0), "");
  EXPECT_TRUE(other.records().empty());
}

TEST(TextureStore, PicturesFromFilesAreStretchedToPowersOfTwo) {
  // Sides above the largest texture, and nonsense ones, are left as they are.
  const std::pair<int, int> sides[] = {{1, 2},       {2, 2},       {3, 4}, {256, 256}, {257, 512},
                                       {8192, 8192}, {8193, 8193}, {0, 0}, {-5, -5}};
  for (const auto& [side, expected] : sides) EXPECT_EQ(NextPowerOfTwo(side), expected) << side;
  const std::string dir = test::ScratchDir("texture_store_files");
  QImage red(100, 33, QImage::Format_RGB32);
  red.fill(qRgb(255, 0, 0));
  ASSERT_TRUE(red.save(QString::fromStdString(dir + "/red.jpg"), "JPEG", 95));
  ASSERT_TRUE(red.save(QString::fromStdString(dir + "/red.bmp"), "BMP"));

  TextureStore store;
  ASSERT_TRUE(store.AddTextureFromFile(8888, dir + "/red.jpg"));
  ASSERT_TRUE(store.AddTextureFromFile(8889, dir + "/red.bmp"));
  for (int32_t id : {8888, 8889}) {
    const auto* r = store.Find(id);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(std::tuple(r->width, r->height, r->format),
              std::tuple(128, 64, TexelFormat::kR5G6B5));
    ASSERT_EQ(r->pixels->size(), 128u * 64 * 2);
    const uint16_t mid =
        uint16_t((*r->pixels)[64 * 256 / 2 + 64] | (*r->pixels)[64 * 256 / 2 + 65] << 8);
    EXPECT_GE(mid >> 11, 29) << id;  // red stays red after JPEG and stretching
    EXPECT_LE(mid & 31, 2) << id;
  }

  // A missing file and a file that is no picture are refused; the store keeps what it had.
  std::ofstream(dir + "/junk.jpg") << "not a picture";
  EXPECT_FALSE(store.AddTextureFromFile(8888, dir + "/none.jpg"));
  EXPECT_FALSE(store.AddTextureFromFile(8888, dir + "/junk.jpg"));
  EXPECT_EQ(store.Find(8888)->width, 128);

  TextureStore view;
  EXPECT_EQ(LoadViewTextures(view, dir + "/none.jpg", dir + "/red.bmp"),
            "Error loading texture #1");
  EXPECT_NE(view.Find(kWireframeTextureId), nullptr);
  EXPECT_EQ(LoadViewTextures(view, dir + "/red.jpg", dir + "/none.bmp"), "");
  // A wireframe picture that cannot be read is not said: the shipped one must load.
  TextureStore shipped;
  EXPECT_EQ(
      LoadViewTextures(shipped, test::DataPath("texture1.jpg"), test::DataPath("colored.bmp")), "");
  EXPECT_NE(shipped.Find(kWireframeTextureId), nullptr);
}

}  // namespace
}  // namespace qavel
