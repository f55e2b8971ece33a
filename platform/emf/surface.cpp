#include "surface.h"

#include <algorithm>

namespace velto::emf {

std::unique_ptr<Surface> Surface::Create(int width, int height, Kind kind) {
  if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return nullptr;
  if (uint64_t(width) * uint64_t(height) * 4 > kMaxSurfaceBytes) return nullptr;
  // calloc: large pages come as untouched zero pages, cleared only where drawn.
  std::unique_ptr<uint32_t, FreeDeleter> pixels(
      static_cast<uint32_t*>(std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height), 4)));
  if (!pixels) return nullptr;
  return std::unique_ptr<Surface>(new Surface(std::move(pixels), width, height, kind));
}

namespace {
struct Span {
  int x0, x1, y0, y1;
};
Span Clip(const RectL& r, int width, int height) {
  return Span{static_cast<int>(std::clamp<int64_t>(r.left, 0, width)),
              static_cast<int>(std::clamp<int64_t>(r.right, 0, width)),
              static_cast<int>(std::clamp<int64_t>(r.top, 0, height)),
              static_cast<int>(std::clamp<int64_t>(r.bottom, 0, height))};
}
}  // namespace

void Surface::FillRect(const RectL& rect, Rgb colour) {
  Span s = Clip(rect, width_, height_);
  if (IsMonochrome()) colour = MonochromeOf(colour);
  for (int y = s.y0; y < s.y1; ++y) std::fill(Row(y) + s.x0, Row(y) + std::max(s.x0, s.x1), colour & 0xFFFFFF);
}

void Surface::InvertRect(const RectL& rect) {
  Span s = Clip(rect, width_, height_);
  for (int y = s.y0; y < s.y1; ++y) {
    uint32_t* row = Row(y);
    for (int x = s.x0; x < s.x1; ++x) row[x] = ~row[x] & 0xFFFFFF;
  }
}

void Surface::SnapToMonochrome() {
  for (int y = 0; y < height_; ++y) {
    uint32_t* row = Row(y);
    for (int x = 0; x < width_; ++x) row[x] = MonochromeOf(row[x] & 0xFFFFFF);
  }
}

}  // namespace velto::emf
