#pragma once
// A region of device pixels as GDI keeps clip regions: horizontal bands, each a sorted list of
// disjoint [x0, x1) spans. Supports the five combine modes of CombineRgn.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry.h"

namespace velto::emf::playback {

enum class RegionOp { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };

class Region {
 public:
  struct Band {
    int y0 = 0;
    int y1 = 0;
    std::vector<int> xs;  // x0, x1, x0, x1, ... sorted, disjoint, non-touching
    friend bool operator==(const Band&, const Band&) = default;
  };

  Region() = default;
  static Region FromRect(int left, int top, int right, int bottom);
  static Region FromRect(const RectL& r) { return FromRect(r.left, r.top, r.right, r.bottom); }
  // Builds from bands in order of y (rows of rasterised paths); neighbouring equal bands merge.
  static Region FromBands(std::vector<Band> bands);

  bool Empty() const { return bands_.empty(); }
  RectL Bounds() const;
  bool Contains(int x, int y) const;
  const std::vector<Band>& Bands() const { return bands_; }
  size_t RectCount() const;

  void Offset(int dx, int dy);
  static Region Combine(const Region& a, const Region& b, RegionOp op);

  friend bool operator==(const Region&, const Region&) = default;

 private:
  void Coalesce();
  std::vector<Band> bands_;
};

}  // namespace velto::emf::playback
