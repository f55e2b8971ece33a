#pragma once
// The integer geometry types of enhanced metafiles (MS-EMF 2.2).

#include <algorithm>
#include <cstdint>

namespace velto::emf {

struct PointL {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const PointL&, const PointL&) = default;
};

struct SizeL {
  int32_t cx = 0;
  int32_t cy = 0;
  friend bool operator==(const SizeL&, const SizeL&) = default;
};

// A rectangle whose right and bottom edges are excluded when it is filled, as GDI's RECT.
struct RectL {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int64_t Width() const { return int64_t{right} - left; }
  int64_t Height() const { return int64_t{bottom} - top; }
  friend bool operator==(const RectL&, const RectL&) = default;
};

inline bool IsEmpty(const RectL& r) { return r.right <= r.left || r.bottom <= r.top; }

// The overlap of two rectangles; an empty rectangle when they do not meet.
inline RectL Intersect(const RectL& a, const RectL& b) {
  RectL r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  return IsEmpty(r) ? RectL{} : r;
}

}  // namespace velto::emf
