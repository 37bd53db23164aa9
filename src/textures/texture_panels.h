#pragma once
// The texture table (atlas, piece preview) and the five mosaics of same-sized pieces.

#include <QImage>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "level/ttrlevel.h"

namespace qavel {

inline constexpr char kValidMark[] = "Valido";
// A mosaic lists at most this many pieces; further pieces of the size are left out.
inline constexpr uint32_t kMaxPanelPieces = 999;

// What the texture panel shows of the current level: the atlas and the last piece preview.
struct Ttabla_textures {
  std::string valid_mark;  // kValidMark once built
  QImage atlas;
  QImage preview;
  int32_t current_index = -1;  // piece shown in preview
  uint32_t piece_count = 0;
  // The pieces and generation of the level the table was built from; copied so the table
  // never refers to a level that has since been replaced.
  std::vector<tobject_texture> pieces;
  int32_t version_kind = 0;
};

// A mosaic of every rectangular piece of one size, in piece order, with one-texel gaps.
struct tpanel_texture {
  std::string valid_mark;
  int piece_width = 0, piece_height = 0, columns = 0, rows = 0;
  QImage bitmap;  // null when no piece has the size
  uint32_t piece_count = 0;
  std::vector<uint32_t> pieces;  // piece indices in mosaic order; position p is pieces[p - 1]
};

struct PanelSize {
  int width, height;
};
// The five mosaics, in the order the Textures tab offers them, four columns each.
inline constexpr std::array<PanelSize, 5> kPanelSizes = {
    {{64, 64}, {64, 48}, {64, 32}, {64, 16}, {128, 128}}};
inline constexpr int kPanelColumns = 4;
using TexturePanels = std::array<tpanel_texture, 5>;

// Fills the table from the level and its atlas (BuildAtlas).
void BuildTextureTable(const Ttrlevel& level, const QImage& atlas, Ttabla_textures& table);

// Lists the quads whose corner 0 -> 1 spans width texels and corner 1 -> 2 height texels and
// draws them into the panel's mosaic, columns to a row.
void BuildTexturePanel(int width, int height, int columns, const Ttrlevel& level,
                       const QImage& atlas, tpanel_texture& panel);

// The table and all five mosaics from one atlas, as opening a level needs them.
void BuildTextureViews(const Ttrlevel& level, const QImage& atlas, Ttabla_textures& table,
                       TexturePanels& panels);
// The same building the atlas into table.atlas, reusing the memory of the previous level's
// atlas where it can; hand table.atlas to the texture store afterwards.
void BuildTextureViews(const Ttrlevel& level, Ttabla_textures& table, TexturePanels& panels);

// The preview of piece index at its own size, mirrored as it is drawn; triangles get a white
// diagonal when mark_triangles is set. An index outside the table gives a blank 4 x 4 preview.
// Rebuilt only when index differs from the one shown last.
const QImage& GetPiecePreview(int32_t index, Ttabla_textures& table, bool mark_triangles);

// 1-based position in panel.pieces of the mosaic cell at image pixel (x, y), 0 for none. A gap
// line belongs to the cell left of or above it; the top pixel row selects nothing.
uint32_t HitTestPanel(int x, int y, const tpanel_texture& panel);

}  // namespace qavel
