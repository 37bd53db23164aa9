#pragma once
// Recycles the memory of large bitmaps (atlas, mosaics) between level opens.

#include <QImage>
#include <QSize>

namespace qavel {

// A new R5G6B5 image with undefined texels. Its memory comes from bitmaps freed earlier when
// one of a fitting size is at hand: fresh memory costs a page fault per 4 KiB on first touch,
// which on our machines is several times the cost of converting the texels themselves.
QImage NewBitmap16(QSize size);

}  // namespace qavel
