#include "textures/texture_store.h"

#include <QImageReader>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>

#include "program/program_data.h"
#include "textures/atlas.h"
#include "textures/bitmap_ops.h"

namespace qavel {

namespace {

bool FormatOfBits(uint16_t bits, TexelFormat& format, uint16_t& bytes) {
  switch (bits) {
    case 15:
      format = TexelFormat::kA1R5G5B5, bytes = 2;
      return true;
    case 16:
      format = TexelFormat::kR5G6B5, bytes = 2;
      return true;
    case 24:
      format = TexelFormat::kR8G8B8, bytes = 3;
      return true;
    case 32:
      format = TexelFormat::kA8R8G8B8, bytes = 4;
      return true;
    default:
      return false;
  }
}

// Texels of an image row by row without the padding QImage may keep at each row's end.
Bytes PackedTexels(const QImage& image, size_t bytes_per_texel) {
  const size_t row = size_t(image.width()) * bytes_per_texel;
  Bytes out(row * size_t(image.height()));
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(out.data() + size_t(y) * row, image.constScanLine(y), row);
  return out;
}

// Revisions are unique in the process, not only in one store: a renderer that is handed
// another store (a second view, a store made anew) then never takes its texels for ones it has.
uint64_t NextRevision() {
  static std::atomic<uint64_t> revision{0};
  return ++revision;
}

}  // namespace

bool TextureStore::AddTexture(int32_t id, int width, int height, Bytes pixels, uint16_t bits) {
  TexelFormat format;
  uint16_t bytes = 0;
  if (!FormatOfBits(bits, format, bytes)) return false;
  if (width < 1 || height < 1 || width > kMaxTextureSide || height > kMaxTextureSide) return false;
  const size_t needed = size_t(width) * size_t(height) * bytes;
  if (pixels.size() < needed) return false;
  pixels.resize(needed);

  ttexture_record record;
  record.id = id;
  record.pixels = std::make_shared<const Bytes>(std::move(pixels));
  record.width = uint16_t(width);
  record.height = uint16_t(height);
  record.bytes_per_pixel = bytes;
  record.format = format;
  record.revision = NextRevision();

  auto at = std::lower_bound(records_.begin(), records_.end(), id,
                             [](const ttexture_record& r, int32_t v) { return r.id < v; });
  if (at != records_.end() && at->id == id)
    *at = std::move(record);
  else
    records_.insert(at, std::move(record));
  current_id_ = id;
  has_current_ = true;
  return true;
}

bool TextureStore::AddTextureFromFile(int32_t id, const std::string& file_name) {
  QImageReader reader(QString::fromStdString(file_name));
  QImage image = reader.read();
  if (image.isNull()) return false;
  const int w = NextPowerOfTwo(image.width()), h = NextPowerOfTwo(image.height());
  if (w > kMaxTextureSide || h > kMaxTextureSide) return false;
  if (image.size() != QSize(w, h))
    image = image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  image = image.convertToFormat(QImage::Format_RGB16);
  return AddTexture(id, w, h, PackedTexels(image, 2), 16);
}

std::string TextureStore::AddPages(const QImage& bitmap, int32_t first_id) {
  if (bitmap.format() != QImage::Format_RGB16) return {};
  if (bitmap.width() != kPageSide) return "width have to be 256 pixels";
  if (bitmap.height() % kPageSide != 0) return "Height have to be multiple of 256 pixels";
  const size_t page_bytes = size_t(kPageSide) * kPageSide * 2;
  for (int k = 0; k < bitmap.height() / kPageSide; ++k) {
    Bytes block(page_bytes);
    for (int y = 0; y < kPageSide; ++y)
      std::memcpy(block.data() + size_t(y) * kPageSide * 2, bitmap.constScanLine(k * kPageSide + y),
                  size_t(kPageSide) * 2);
    AddTexture(first_id + k, kPageSide, kPageSide, std::move(block), 16);
  }
  return {};
}

void TextureStore::SelectTexture(int32_t id) {
  has_current_ = Find(id) != nullptr;
  current_id_ = has_current_ ? id : -1;
}

const ttexture_record* TextureStore::GetCurrentTexture() const {
  return has_current_ ? Find(current_id_) : nullptr;
}

const ttexture_record* TextureStore::Find(int32_t id) const {
  auto at = std::lower_bound(records_.begin(), records_.end(), id,
                             [](const ttexture_record& r, int32_t v) { return r.id < v; });
  return (at != records_.end() && at->id == id) ? &*at : nullptr;
}

int AddLevelPages(TextureStore& store, const QImage& atlas, int32_t first_id) {
  if (atlas.isNull()) return 0;
  store.AddPages(atlas, first_id);
  return atlas.height() / kPageSide;
}

std::string LoadViewTextures(TextureStore& store, const std::string& room_texture,
                             const std::string& wireframe_texture) {
  std::string message;
  if (!store.AddTextureFromFile(kRoomTextureId, room_texture)) message = "Error loading texture #1";
  store.AddTextureFromFile(kWireframeTextureId, wireframe_texture);
  return message;
}

std::string LoadViewTexturesBeside(TextureStore& store, const std::string& program_dir) {
  const std::string own = "texture1.jpg";
  std::error_code ignored;
  const std::string room =
      std::filesystem::exists(own, ignored) ? own : FindProgramData(program_dir, own);
  return LoadViewTextures(store, room, FindProgramData(program_dir, "colored.bmp"));
}

}  // namespace qavel
