#include "documents/pixel_rows.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace velto {

bool FlipRows(std::span<uint8_t> rows, size_t bytesPerRow, size_t rowCount) {
  if (rows.empty() || bytesPerRow == 0 || rowCount == 0) return false;
  if (rowCount > std::numeric_limits<size_t>::max() / bytesPerRow || rows.size() < bytesPerRow * rowCount)
    return false;
  for (size_t i = 0; i < rowCount / 2; ++i) {
    uint8_t* top = rows.data() + i * bytesPerRow;
    uint8_t* bottom = rows.data() + (rowCount - 1 - i) * bytesPerRow;
    std::swap_ranges(top, top + bytesPerRow, bottom);
  }
  return true;
}

void SwapRedBlue(std::span<uint8_t> rows, size_t pixelsPerRow, size_t rowCount) {
  size_t pixels = rowCount != 0 && pixelsPerRow > std::numeric_limits<size_t>::max() / rowCount
                      ? std::numeric_limits<size_t>::max()
                      : pixelsPerRow * rowCount;
  pixels = std::min(pixels, rows.size() / 3);
  uint8_t* p = rows.data();
  for (size_t i = 0; i < pixels; ++i, p += 3) std::swap(p[0], p[2]);
}

}  // namespace velto
