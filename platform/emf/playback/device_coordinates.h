#pragma once
// Device pixel coordinates as drawing takes them: whole pixels for lines, and a range that no device's
// arithmetic overflows.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "geometry.h"
#include "playback/transform.h"

namespace velto::emf::playback {

// Device coordinates stay within ±2^22 pixels, so that cairo's 24.8 fixed point never overflows, not
// even in differences of two coordinates.
inline constexpr double kMaxDeviceCoordinate = 4194304.0;

struct PointI {
  int x = 0;
  int y = 0;
};

inline double ClampCoordinate(double v) {
  if (!(v > -kMaxDeviceCoordinate)) return -kMaxDeviceCoordinate;  // NaN goes low too
  if (v > kMaxDeviceCoordinate) return kMaxDeviceCoordinate;
  return v;
}

// The whole pixels that the polygons can touch, grown by `grow` pixels each way; empty without points.
inline RectL BoundsOfPolygons(const std::vector<std::vector<PointD>>& polygons, double grow) {
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (const auto& poly : polygons)
    for (const auto& p : poly) {
      x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
  if (x0 > x1) return {};
  auto lo = [&](double v) { return static_cast<int32_t>(std::floor(ClampCoordinate(v - grow))); };
  auto hi = [&](double v) { return static_cast<int32_t>(std::ceil(ClampCoordinate(v + grow))) + 1; };
  return RectL{lo(x0), lo(y0), hi(x1), hi(y1)};
}

}  // namespace velto::emf::playback
