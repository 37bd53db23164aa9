#include "textures/atlas.h"

#include "textures/bitmap_pool.h"

#include <algorithm>
#include <cstring>

namespace qavel {

void ConvertTexels16(uint16_t* words, size_t count) {
  for (size_t i = 0; i < count; ++i) words[i] = DisplayWord16(words[i]);
}

void ConvertTexels16(QImage& image) {
  if (image.format() != QImage::Format_RGB16) return;
  for (int y = 0; y < image.height(); ++y)
    ConvertTexels16(reinterpret_cast<uint16_t*>(image.scanLine(y)),
                    static_cast<size_t>(image.width()));
}

std::array<QRgb, 256> MakeGamePalette(const std::array<tpalette_entry, 256>& palette) {
  std::array<QRgb, 256> table{};
  for (size_t i = 0; i < table.size(); ++i) {
    const auto& e = palette[i];
    table[i] = qRgb((e.red * 4) & 0xFF, (e.green * 4) & 0xFF, (e.blue * 4) & 0xFF);
  }
  return table;
}

namespace {

// Converts one row of 256 level words; the fixed length lets the compiler vectorise it, in
// wider registers where the processor has them.
__attribute__((target_clones("avx2", "default"))) void ConvertRow16(const uint8_t* src,
                                                                    uint16_t* dst) {
  uint16_t row[kPageSide];
  std::memcpy(row, src, sizeof row);
  for (int x = 0; x < kPageSide; ++x) dst[x] = DisplayWord16(row[x]);
}

size_t FillFrom16(const Ttrlevel& level, QImage& atlas) {
  const size_t row_bytes = kPageSide * 2;
  const size_t rows = std::min<size_t>(atlas.height(), level.pages16.size() / row_bytes);
  const uint8_t* src = level.pages16.bytes();
  for (size_t y = 0; y < rows; ++y)
    ConvertRow16(src + y * row_bytes, reinterpret_cast<uint16_t*>(atlas.scanLine(int(y))));
  return rows;
}

size_t FillFrom8(const Ttrlevel& level, QImage& atlas) {
  const auto colours = MakeGamePalette(level.palette);
  std::array<uint16_t, 256> words{};
  for (size_t i = 0; i < words.size(); ++i) words[i] = ToR5G6B5(colours[i]);
  const size_t rows = std::min<size_t>(atlas.height(), level.pages8.size() / kPageSide);
  const uint8_t* src = level.pages8.bytes();
  for (size_t y = 0; y < rows; ++y) {
    auto* dst = reinterpret_cast<uint16_t*>(atlas.scanLine(int(y)));
    const uint8_t* row = src + y * kPageSide;
    for (int x = 0; x < kPageSide; ++x) dst[x] = words[row[x]];
  }
  return rows;
}

}  // namespace

QImage BuildAtlas(const Ttrlevel& level) {
  QImage atlas;
  BuildAtlasInto(level, atlas);
  return atlas;
}

void BuildAtlasInto(const Ttrlevel& level, QImage& atlas) {
  // QImage holds at most 2 GiB; more pages than that cannot come from a real file anyway.
  const uint64_t height = uint64_t{level.num_pages} * kPageSide;
  if (height == 0 || height * kPageSide * 2 > 0x7FFFFFFFull) {
    atlas = QImage();
    return;
  }
  const QSize size(kPageSide, int(height));
  if (atlas.size() != size || atlas.format() != QImage::Format_RGB16 || !atlas.isDetached())
    atlas = NewBitmap16(size);
  if (atlas.isNull()) return;
  const size_t filled =
      level.version_kind >= kTR2 ? FillFrom16(level, atlas) : FillFrom8(level, atlas);
  for (int y = int(filled); y < atlas.height(); ++y)
    std::memset(atlas.scanLine(y), 0, size_t(atlas.bytesPerLine()));
}

}  // namespace qavel
