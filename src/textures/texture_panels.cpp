#include "textures/texture_panels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "pieces/texture_pieces.h"
#include "textures/atlas.h"
#include "textures/bitmap_ops.h"
#include "textures/bitmap_pool.h"

namespace qavel {

void BuildTextureTable(const Ttrlevel& level, const QImage& atlas, Ttabla_textures& table) {
  table.valid_mark = kValidMark;
  table.piece_count = level.num_object_textures();
  table.current_index = -1;
  table.preview = QImage();
  table.atlas = atlas;
  table.pieces = level.object_textures;
  table.version_kind = level.version_kind;
}

namespace {

bool HasPanelSize(const tobject_texture& piece, int width, int height) {
  const PieceCorner c0 = GetCorner(piece, 0), c1 = GetCorner(piece, 1), c2 = GetCorner(piece, 2);
  return std::abs(c1.x_pixel - c0.x_pixel) == width - 1 &&
         std::abs(c2.y_pixel - c1.y_pixel) == height - 1 && !IsTrianglePiece(piece);
}

// Copies a piece's texels from the atlas into dst_rect of dst, mirrored as the piece is drawn.
void DrawPiece(const QImage& atlas, const tobject_texture& piece, int page, QImage& dst,
               const QRect& dst_rect) {
  const PieceBounds b = GetPieceBounds(piece);
  const PieceMirror m = GetPieceMirror(piece);
  const int top = page * kPageSide;
  StretchNearest(atlas, b.minX, b.minY + top, b.maxX, b.maxY + top, dst, dst_rect, m.horizontal,
                 m.vertical);
}

// Blackens what no piece covers: the one-texel gaps and the unused cells of the last row.
// Cells with a piece are overwritten whole, so clearing them first would only cost time.
void ClearGapsAndEmptyCells(tpanel_texture& panel) {
  QImage& image = panel.bitmap;
  const int w = panel.piece_width, h = panel.piece_height;
  const int last_used = int(panel.piece_count - 1) % panel.columns;
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<uint16_t*>(image.scanLine(y));
    const bool gap_row = y % (h + 1) == h;
    const bool last_band = y >= (panel.rows - 1) * (h + 1);
    if (gap_row) {
      std::fill(row, row + image.width(), uint16_t{0});
      continue;
    }
    for (int c = 1; c < panel.columns; ++c) row[c * (w + 1) - 1] = 0;
    if (last_band && last_used + 1 < panel.columns) {
      const int from = (last_used + 1) * (w + 1) - 1;
      std::fill(row + from, row + image.width(), uint16_t{0});
    }
  }
}

}  // namespace

void BuildTexturePanel(int width, int height, int columns, const Ttrlevel& level,
                       const QImage& atlas, tpanel_texture& panel) {
  panel.pieces.clear();
  const bool usable =
      width >= 1 && width <= kPageSide && height >= 1 && height <= kPageSide && columns >= 1;
  if (usable) {
    for (uint32_t i = 0; i < level.num_object_textures(); ++i) {
      if (!HasPanelSize(level.object_textures[i], width, height)) continue;
      if (panel.pieces.size() == kMaxPanelPieces) break;
      panel.pieces.push_back(i);
    }
  }
  panel.piece_width = width;
  panel.piece_height = height;
  panel.columns = columns;
  panel.piece_count = uint32_t(panel.pieces.size());
  panel.rows = usable ? int((panel.piece_count + uint32_t(columns) - 1) / uint32_t(columns)) : 0;
  panel.valid_mark = kValidMark;
  if (panel.rows == 0) {
    panel.bitmap = QImage();
    return;
  }
  const QSize size(columns * width + columns - 1, panel.rows * height + panel.rows - 1);
  // The panel keeps its bitmap and only resizes it, as a reopened level reuses the panel.
  if (panel.bitmap.size() != size || panel.bitmap.format() != QImage::Format_RGB16)
    panel.bitmap = NewBitmap16(size);
  ClearGapsAndEmptyCells(panel);
  for (uint32_t n = 0; n < panel.piece_count; ++n) {
    const tobject_texture& piece = level.object_textures[panel.pieces[n]];
    const int col = int(n % uint32_t(columns)), row = int(n / uint32_t(columns));
    DrawPiece(atlas, piece, PiecePage(piece), panel.bitmap,
              QRect(col * (width + 1), row * (height + 1), width, height));
  }
}

void BuildTextureViews(const Ttrlevel& level, const QImage& atlas, Ttabla_textures& table,
                       TexturePanels& panels) {
  BuildTextureTable(level, atlas, table);
  for (size_t k = 0; k < panels.size(); ++k)
    BuildTexturePanel(kPanelSizes[k].width, kPanelSizes[k].height, kPanelColumns, level, atlas,
                      panels[k]);
}

void BuildTextureViews(const Ttrlevel& level, Ttabla_textures& table, TexturePanels& panels) {
  QImage atlas = std::move(table.atlas);
  BuildAtlasInto(level, atlas);
  BuildTextureViews(level, atlas, table, panels);
}

const QImage& GetPiecePreview(int32_t index, Ttabla_textures& table, bool mark_triangles) {
  if (index == table.current_index && index >= 0) return table.preview;
  if (index < 0 || uint32_t(index) >= table.piece_count || size_t(index) >= table.pieces.size()) {
    table.preview = QImage(4, 4, QImage::Format_RGB16);
    table.preview.fill(0xFFFF);
    // The preview no longer shows a piece; forgetting the index makes the next request for
    // the earlier piece draw it again rather than return this blank.
    table.current_index = -1;
    return table.preview;
  }
  const tobject_texture& piece = table.pieces[size_t(index)];
  const PieceBounds b = GetPieceBounds(piece);
  const int w = b.maxX - b.minX + 1, h = b.maxY - b.minY + 1;
  table.preview = QImage(w, h, QImage::Format_RGB16);
  DrawPiece(table.atlas, piece, PreviewPage(piece), table.preview, QRect(0, 0, w, h));
  if (mark_triangles && IsTrianglePiece(piece)) {
    // The line runs from the top-left corner towards (w, h), that end point excluded.
    const int steps = std::max(w, h);
    for (int t = 0; t < steps; ++t) {
      const int x = t * w / steps, y = t * h / steps;
      reinterpret_cast<uint16_t*>(table.preview.scanLine(y))[x] = 0xFFFF;
    }
  }
  table.current_index = index;
  return table.preview;
}

uint32_t HitTestPanel(int x, int y, const tpanel_texture& panel) {
  if (panel.valid_mark != kValidMark || panel.columns < 1 || x < 0 || y < 0) return 0;
  const double col = double(x) / (panel.piece_width + 1);
  const double exact_row = double(y) / (panel.piece_height + 1);
  // Any part of a band counts as the whole band, so the row number is rounded up.
  const double row = std::ceil(exact_row);
  const double p = std::trunc(panel.columns * row + col) - panel.columns + 1;
  if (p > double(panel.piece_count) || p < 0) return 0;
  return uint32_t(p);
}

}  // namespace qavel
