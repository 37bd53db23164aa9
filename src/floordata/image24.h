#pragma once
// Image24: a plain 24-bit RGB picture and a small PNG writer, so pictures can be saved
// without a window system.

#include <cstdint>
#include <string>
#include <vector>

#include "level/result.h"

namespace qavel {

// A window-system colour value: red in the low byte, blue in the high one (0x0000FF is red).
using WindowColour = uint32_t;

// An RGB picture, rows top to bottom, three bytes a pixel.
class Image24 {
 public:
  Image24() = default;
  Image24(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<uint8_t>& pixels() const { return pixels_; }

  // The pixel as a window colour value. Outside the picture: 0.
  WindowColour Pixel(int x, int y) const;
  void SetPixel(int x, int y, WindowColour colour);
  // Fills x0 <= x < x1, y0 <= y < y1 (clipped to the picture).
  void FillRect(int x0, int y0, int x1, int y1, WindowColour colour);
  // Draws the one-pixel outline of the same rectangle.
  void FrameRect(int x0, int y0, int x1, int y1, WindowColour colour);

 private:
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> pixels_;
};

// The picture as PNG file bytes (8-bit RGB, zlib-compressed); fails only when packing does.
Expected<std::vector<uint8_t>> EncodePng(const Image24& image);
// Writes the PNG file safely (temporary file, then rename); a failure says why.
Result WritePng(const Image24& image, const std::string& path);

}  // namespace qavel
