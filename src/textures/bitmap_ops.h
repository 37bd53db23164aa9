#pragma once
// Small operations on R5G6B5 bitmaps: nearest-texel stretches and size rounding.

#include <QImage>
#include <QRect>

namespace qavel {

// Stretches the source rectangle (x0, y0) .. (x1, y1), right and bottom edges excluded, over
// the whole of dst by nearest texel. A zero-wide or zero-tall source takes its one edge texel
// column or row. Source texels outside src read as black, so a piece that names a page the
// level lacks shows black instead of reading past the atlas. mirror_x / mirror_y flip the
// result while copying. Both images must be Format_RGB16.
void StretchNearest(const QImage& src, int x0, int y0, int x1, int y1, QImage& dst,
                    const QRect& dst_rect, bool mirror_x = false, bool mirror_y = false);

// 1 and 2 give 2, then the next power of two up to 8192; 0, negatives and values above 8192
// come back unchanged.
int NextPowerOfTwo(int n);

}  // namespace qavel
