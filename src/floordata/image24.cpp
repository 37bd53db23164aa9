#include "floordata/image24.h"

#include <zlib.h>

#include <algorithm>

#include "level/zfile.h"

namespace qavel {

Image24::Image24(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * height_ * 3, 0) {}

WindowColour Image24::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  const uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 3];
  return WindowColour{p[0]} | WindowColour{p[1]} << 8 | WindowColour{p[2]} << 16;
}

void Image24::SetPixel(int x, int y, WindowColour colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint8_t* p = &pixels_[(static_cast<size_t>(y) * width_ + x) * 3];
  p[0] = colour & 0xFF;
  p[1] = (colour >> 8) & 0xFF;
  p[2] = (colour >> 16) & 0xFF;
}

void Image24::FillRect(int x0, int y0, int x1, int y1, WindowColour colour) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, width_);
  y1 = std::min(y1, height_);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) SetPixel(x, y, colour);
}

void Image24::FrameRect(int x0, int y0, int x1, int y1, WindowColour colour) {
  if (x1 <= x0 || y1 <= y0) return;
  for (int x = x0; x < x1; ++x) {
    SetPixel(x, y0, colour);
    SetPixel(x, y1 - 1, colour);
  }
  for (int y = y0; y < y1; ++y) {
    SetPixel(x0, y, colour);
    SetPixel(x1 - 1, y, colour);
  }
}

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  const size_t type_at = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + type_at, static_cast<uInt>(out.size() - type_at));
  Put32(out, static_cast<uint32_t>(crc));
}

}  // namespace

Expected<std::vector<uint8_t>> EncodePng(const Image24& image) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> out(kSignature, kSignature + 8);
  std::vector<uint8_t> header;
  Put32(header, static_cast<uint32_t>(image.width()));
  Put32(header, static_cast<uint32_t>(image.height()));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit depth, RGB, no interlace
  PutChunk(out, "IHDR", header);

  // Each row starts with filter type 0 (none); the map's flat colours pack well regardless.
  const size_t row_bytes = static_cast<size_t>(image.width()) * 3;
  std::vector<uint8_t> raw;
  raw.reserve((row_bytes + 1) * image.height());
  for (int y = 0; y < image.height(); ++y) {
    raw.push_back(0);
    const auto* row = image.pixels().data() + y * row_bytes;
    raw.insert(raw.end(), row, row + row_bytes);
  }
  const auto packed = PackBlock(raw.data(), raw.size(), 9);
  if (!packed) return packed.result();
  PutChunk(out, "IDAT", *packed);
  PutChunk(out, "IEND", {});
  return out;
}

Result WritePng(const Image24& image, const std::string& path) {
  const auto png = EncodePng(image);
  if (!png) return png.result();
  return WriteFileAtomically(path, *png);
}

}  // namespace qavel
