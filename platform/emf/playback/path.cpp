#include "playback/path.h"

#include <algorithm>
#include <cmath>

namespace velto::emf::playback {

namespace {

// GDI flattens a curve by halving it until both control points lie within a pixel of the chord, at
// most eight times, and keeps the end points on whole device pixels.
constexpr double kFlatness = 1.0;
constexpr int kMaxDepth = 8;

bool FlatEnough(PointD p0, PointD p1, PointD p2, PointD p3, double tolerance) {
  double dx = p3.x - p0.x, dy = p3.y - p0.y;
  double len = std::hypot(dx, dy);
  auto off = [&](PointD p) {
    if (len < 1e-9) return std::hypot(p.x - p0.x, p.y - p0.y);
    return std::fabs((p.x - p0.x) * dy - (p.y - p0.y) * dx) / len;
  };
  return off(p1) <= tolerance && off(p2) <= tolerance;
}

void Subdivide(PointD p0, PointD p1, PointD p2, PointD p3, int depth, std::vector<PointD>& out) {
  if (depth == 0 || FlatEnough(p0, p1, p2, p3, kFlatness)) {
    out.push_back(PointD{std::nearbyint(p3.x), std::nearbyint(p3.y)});
    return;
  }
  auto mid = [](PointD a, PointD b) { return PointD{(a.x + b.x) / 2, (a.y + b.y) / 2}; };
  PointD a = mid(p0, p1), b = mid(p1, p2), c = mid(p2, p3);
  PointD ab = mid(a, b), bc = mid(b, c), m = mid(ab, bc);
  Subdivide(p0, a, ab, m, depth - 1, out);
  Subdivide(m, bc, c, p3, depth - 1, out);
}

}  // namespace

void FlattenBezier(PointD p0, PointD p1, PointD p2, PointD p3, std::vector<PointD>& out) {
  if (!std::isfinite(p0.x + p0.y + p1.x + p1.y + p2.x + p2.y + p3.x + p3.y)) {
    out.push_back(p3);
    return;
  }
  Subdivide(p0, p1, p2, p3, kMaxDepth, out);
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
