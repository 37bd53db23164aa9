#include "textures/bitmap_ops.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace qavel {

namespace {

// One stretch axis: for each destination position the source position, or -1 outside.
// The vectors are reused from call to call: a mosaic stretches hundreds of pieces.
void AxisMap(int from, int to, int dst_len, int src_len, bool mirror, std::vector<int>& map) {
  const int extent = std::max(1, to - from);
  map.assign(size_t(std::max(0, dst_len)), 0);
  for (int i = 0; i < dst_len; ++i) {
    const int s = from + int(int64_t{i} * extent / dst_len);
    map[size_t(mirror ? dst_len - 1 - i : i)] = (s >= 0 && s < src_len) ? s : -1;
  }
}

// Stretching mostly copies texels in order (a 64-texel piece maps 63 source texels onto 64),
// so the column map is cut into runs that are copied with memcpy.
struct Run {
  int dst, src, len;  // src -1: fill with black
};

void Runs(const std::vector<int>& map, std::vector<Run>& runs) {
  runs.clear();
  for (int i = 0; i < int(map.size()); ++i) {
    const int s = map[size_t(i)];
    if (!runs.empty()) {
      Run& last = runs.back();
      const bool extends =
          (s < 0 && last.src < 0) || (s >= 0 && last.src >= 0 && s == last.src + last.len);
      if (extends) {
        ++last.len;
        continue;
      }
    }
    runs.push_back({i, s, 1});
  }
}

}  // namespace

void StretchNearest(const QImage& src, int x0, int y0, int x1, int y1, QImage& dst,
                    const QRect& dst_rect, bool mirror_x, bool mirror_y) {
  const QRect target = dst_rect.intersected(dst.rect());
  if (target != dst_rect || dst_rect.isEmpty()) return;
  thread_local std::vector<int> col_map, rows;
  thread_local std::vector<Run> cols;
  AxisMap(x0, x1, dst_rect.width(), src.width(), mirror_x, col_map);
  Runs(col_map, cols);
  AxisMap(y0, y1, dst_rect.height(), src.height(), mirror_y, rows);
  // Row addresses are taken once: scanLine() per row costs more than copying a short row.
  const auto dst_pitch = size_t(dst.bytesPerLine()), src_pitch = size_t(src.bytesPerLine());
  uint8_t* dst_bits = dst.bits() + size_t(dst_rect.top()) * dst_pitch;
  const uint8_t* src_bits = src.constBits();
  const bool single_run = cols.size() == 1 && cols[0].src >= 0;
  const bool doubled_first =
      cols.size() == 2 && cols[0].len == 1 && cols[0].src >= 0 && cols[1].src == cols[0].src;
  for (int y = 0; y < dst_rect.height(); ++y) {
    auto* out = reinterpret_cast<uint16_t*>(dst_bits + size_t(y) * dst_pitch) + dst_rect.left();
    const int sy = rows[size_t(y)];
    if (sy < 0) {
      std::memset(out, 0, size_t(dst_rect.width()) * 2);
      continue;
    }
    const auto* in = reinterpret_cast<const uint16_t*>(src_bits + size_t(sy) * src_pitch);
    if (single_run) {
      std::memcpy(out, in + cols[0].src, size_t(cols[0].len) * 2);
    } else if (doubled_first) {  // the usual piece: n-1 source texels over n
      out[0] = in[cols[0].src];
      std::memcpy(out + 1, in + cols[1].src, size_t(cols[1].len) * 2);
    } else {
      for (const Run& r : cols) {
        if (r.src < 0)
          std::memset(out + r.dst, 0, size_t(r.len) * 2);
        else
          std::memcpy(out + r.dst, in + r.src, size_t(r.len) * 2);
      }
    }
  }
}

int NextPowerOfTwo(int n) {
  if (n < 1 || n > 8192) return n;
  int p = 2;
  while (p < n) p *= 2;
  return p;
}

}  // namespace qavel
