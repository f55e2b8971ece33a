#include "playback/ellipse.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

namespace velto::emf::playback {

void EllipseSpans(int left, int top, int right, int bottom, const std::function<void(int, int, int)>& span) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const int64_t a = int64_t{right} - left, b = int64_t{bottom} - top;
  if (a > kMaxEllipseBox || b > kMaxEllipseBox) return;
  // Leftmost and rightmost pixel of each row.
  std::vector<int64_t> lo(static_cast<size_t>(b) + 1, std::numeric_limits<int64_t>::max());
  std::vector<int64_t> hi(static_cast<size_t>(b) + 1, std::numeric_limits<int64_t>::min());
  auto plot = [&](int64_t x, int64_t y) {
    if (y < top || y > bottom) return;
    size_t row = static_cast<size_t>(y - top);
    lo[row] = std::min(lo[row], x);
    hi[row] = std::max(hi[row], x);
  };
  // The walk runs through the lower right and upper left quadrants at once, mirrored into the others:
  // (x0, x1) the left and right pixel, (yDown, yUp) the rows below and above the middle.
  int64_t x0 = left, x1 = right;
  const int64_t odd = b & 1;
  int64_t dx = 4 * (1 - a) * b * b, dy = 4 * (odd + 1) * a * a;  // error increments
  int64_t err = dx + dy + odd * a * a;
  int64_t yDown = top + (b + 1) / 2, yUp = yDown - odd;
  const int64_t stepY = 8 * a * a, stepX = 8 * b * b;
  do {
    plot(x1, yDown);
    plot(x0, yDown);
    plot(x0, yUp);
    plot(x1, yUp);
    int64_t e2 = 2 * err;
    if (e2 <= dy) {
      ++yDown, --yUp;
      dy += stepY;
      err += dy;
    }
    if (e2 >= dx) {
      ++x0, --x1;
      dx += stepX;
      err += dx;
    }
  } while (x0 <= x1);
  // A flat ellipse stops the walk early: its tips continue straight up and down.
  while (yDown - yUp < b) {
    plot(x0 - 1, yDown);
    plot(x1 + 1, yDown++);
    plot(x0 - 1, yUp);
    plot(x1 + 1, yUp--);
  }
  for (int64_t row = 0; row <= b; ++row)
    if (lo[row] <= hi[row])
      span(static_cast<int>(top + row), static_cast<int>(lo[row]), static_cast<int>(hi[row] + 1));
}

}  // namespace velto::emf::playback
