// Feeds arbitrary page texels and texture piece records to the texture layer: atlas, mosaics,
// previews, coordinates and mosaic clicks must stay inside their bitmaps whatever a level
// file's pieces say (pages it lacks, corners anywhere, counts that do not match).

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "pieces/texture_pieces.h"
#include "textures/atlas.h"
#include "textures/texture_panels.h"
#include "textures/texture_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  qavel::Ttrlevel level;
  level.version_kind = 1 + data[0] % 7;
  level.num_pages = data[1] % 4;  // claimed pages; the block below may hold fewer bytes
  const size_t texel_bytes = std::min<size_t>(size - 4, size_t(data[2]) * 1024);
  const qavel::Bytes texels(data + 4, data + 4 + texel_bytes);
  if (level.version_kind < qavel::kTR2) {
    level.pages8 = qavel::SharedBlock::Of(texels);
    for (size_t i = 0; i < 256 && 4 + i * 3 + 2 < size; ++i)
      level.palette[i] = {{}, data[4 + i * 3], data[5 + i * 3], data[6 + i * 3]};
  } else {
    level.pages16 = qavel::SharedBlock::Of(texels);
  }
  const uint8_t* records = data + 4 + texel_bytes;
  const size_t record_bytes = size - 4 - texel_bytes;
  for (size_t at = 0; at + sizeof(qavel::tobject_texture) <= record_bytes;
       at += sizeof(qavel::tobject_texture)) {
    qavel::tobject_texture t;
    std::memcpy(&t, records + at, sizeof t);
    level.object_textures.push_back(t);
  }

  qavel::Ttabla_textures table;
  qavel::TexturePanels panels;
  qavel::BuildTextureViews(level, table, panels);
  qavel::TextureStore store;
  qavel::AddLevelPages(store, table.atlas);
  if (store.records().size() != (table.atlas.isNull() ? 0 : level.num_pages)) std::abort();
  for (int32_t i = -1; i <= int32_t(level.num_object_textures()); ++i) {
    const QImage& preview = qavel::GetPiecePreview(i, table, data[3] & 1);
    if (preview.isNull()) std::abort();
    if (i >= 0 && size_t(i) < level.object_textures.size()) {
      for (const auto& uv :
           qavel::GetPieceTexCoords(level.object_textures[size_t(i)], level.version_kind))
        if (!(uv.u >= 0 && uv.u <= 1 && uv.v >= 0 && uv.v <= 1)) std::abort();
    }
  }
  for (const auto& panel : panels) {
    for (int y = -1; y < panel.bitmap.height() + 2; y += 7)
      for (int x = -1; x < panel.bitmap.width() + 2; x += 13) {
        const uint32_t p = qavel::HitTestPanel(x, y, panel);
        if (p > panel.piece_count) std::abort();
      }
  }
  return 0;
}
