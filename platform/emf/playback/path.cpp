#include "platform/emf/playback/path.h"

#include <algorithm>
#include <cmath>

namespace velto::emf::playback {

void FlattenBezier(PointD p0, PointD p1, PointD p2, PointD p3, std::vector<PointD>& out) {
  // Segment count from the control polygon's length: about one segment per 3 device pixels.
  double len = std::hypot(p1.x - p0.x, p1.y - p0.y) + std::hypot(p2.x - p1.x, p2.y - p1.y) +
               std::hypot(p3.x - p2.x, p3.y - p2.y);
  if (!std::isfinite(len)) {
    out.push_back(p3);
    return;
  }
  int n = static_cast<int>(std::clamp(len / 3.0, 1.0, 256.0));
  for (int i = 1; i <= n; ++i) {
    double t = double(i) / n, u = 1 - t;
    double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    out.push_back({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
  }
}

void AppendArc(double l, double t, double r, double b, double a0, double sweep, std::vector<PointD>& out) {
  double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::fabs(r - l) / 2, ry = std::fabs(b - t) / 2;
  double perimeter = std::fabs(sweep) * std::max(rx, ry);
  if (!std::isfinite(perimeter)) return;
  int n = static_cast<int>(std::clamp(perimeter / 2.0, 4.0, 1024.0));
  for (int i = 0; i <= n; ++i) {
    double a = a0 + sweep * i / n;
    // Counter-clockwise on the page: y up is -y on the device.
    out.push_back({cx + rx * std::cos(a), cy - ry * std::sin(a)});
  }
}

}  // namespace velto::emf::playback
