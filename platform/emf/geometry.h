#pragma once
// The integer geometry types of enhanced metafiles (MS-EMF 2.2).

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

}  // namespace velto::emf
