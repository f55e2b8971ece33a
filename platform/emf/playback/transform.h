#pragma once
// Affine transforms as GDI's XFORM: x' = x·m11 + y·m21 + dx, y' = x·m12 + y·m22 + dy.

#include <algorithm>
#include <cmath>

namespace velto::emf::playback {

struct PointD {
  double x = 0;
  double y = 0;
};

struct Xform {
  double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

  PointD Apply(double x, double y) const { return {x * m11 + y * m21 + dx, x * m12 + y * m22 + dy}; }
  PointD ApplyVector(double x, double y) const { return {x * m11 + y * m21, x * m12 + y * m22}; }
  double Determinant() const { return m11 * m22 - m12 * m21; }
  // Mean scale of lengths, for pen widths and font sizes.
  double Scale() const { return std::sqrt(std::fabs(Determinant())); }
  bool IsFinite() const {
    return std::isfinite(m11) && std::isfinite(m12) && std::isfinite(m21) && std::isfinite(m22) &&
           std::isfinite(dx) && std::isfinite(dy);
  }
  bool HasRotation() const { return m12 != 0 || m21 != 0; }
};

// A double as an int for indexing arithmetic: NaN gives 0, anything beyond ±2^30 stops there, so that
// no conversion or later sum of two such values overflows.
inline int SaturatingInt(double v) {
  constexpr double kLimit = 1 << 30;
  if (!(v == v)) return 0;
  return static_cast<int>(std::clamp(v, -kLimit, kLimit));
}

// `first` applied, then `second` (GDI's CombineTransform(first, second)).
inline Xform Then(const Xform& first, const Xform& second) {
  Xform r;
  r.m11 = first.m11 * second.m11 + first.m12 * second.m21;
  r.m12 = first.m11 * second.m12 + first.m12 * second.m22;
  r.m21 = first.m21 * second.m11 + first.m22 * second.m21;
  r.m22 = first.m21 * second.m12 + first.m22 * second.m22;
  r.dx = first.dx * second.m11 + first.dy * second.m21 + second.dx;
  r.dy = first.dx * second.m12 + first.dy * second.m22 + second.dy;
  return r;
}

inline bool Invert(const Xform& x, Xform& out) {
  double det = x.Determinant();
  if (det == 0 || !std::isfinite(det)) return false;
  out.m11 = x.m22 / det;
  out.m12 = -x.m12 / det;
  out.m21 = -x.m21 / det;
  out.m22 = x.m11 / det;
  out.dx = -(x.dx * out.m11 + x.dy * out.m21);
  out.dy = -(x.dx * out.m12 + x.dy * out.m22);
  return true;
}

}  // namespace velto::emf::playback
