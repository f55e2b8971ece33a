#include "text/glyph_outline.h"

#include FT_OUTLINE_H

#include <cmath>

namespace velto::emf::text {
namespace {

struct Decomposer {
  OutlineSink& out;
  double originX;
  double originY;
  GlyphMatrix m;
  double lastX = 0;
  double lastY = 0;
  bool open = false;

  // Glyph space (26.6 pixels, y up) to the page (y down).
  void Map(const FT_Vector* v, double& x, double& y) const {
    const double gx = v->x / 64.0, gy = v->y / 64.0;
    x = originX + m.xx * gx + m.xy * gy;
    y = originY + m.yx * gx + m.yy * gy;
  }
};

int MoveTo(const FT_Vector* to, void* user) {
  auto* s = static_cast<Decomposer*>(user);
  if (s->open) s->out.Close();
  s->Map(to, s->lastX, s->lastY);
  s->out.MoveTo(s->lastX, s->lastY);
  s->open = true;
  return 0;
}

int LineTo(const FT_Vector* to, void* user) {
  auto* s = static_cast<Decomposer*>(user);
  s->Map(to, s->lastX, s->lastY);
  s->out.LineTo(s->lastX, s->lastY);
  return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* s = static_cast<Decomposer*>(user);
  double cx, cy, x, y;
  s->Map(control, cx, cy);
  s->Map(to, x, y);
  // The quadratic curve as the cubic that traces it.
  s->out.CurveTo(s->lastX + 2.0 / 3 * (cx - s->lastX), s->lastY + 2.0 / 3 * (cy - s->lastY),
                 x + 2.0 / 3 * (cx - x), y + 2.0 / 3 * (cy - y), x, y);
  s->lastX = x;
  s->lastY = y;
  return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* s = static_cast<Decomposer*>(user);
  double x1, y1, x2, y2, x, y;
  s->Map(c1, x1, y1);
  s->Map(c2, x2, y2);
  s->Map(to, x, y);
  s->out.CurveTo(x1, y1, x2, y2, x, y);
  s->lastX = x;
  s->lastY = y;
  return 0;
}

}  // namespace

void AppendGlyphOutline(OutlineSink& out, const FT_Outline& outline, double x, double y, const GlyphMatrix& matrix) {
  static const FT_Outline_Funcs kFuncs = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
  Decomposer sink{out, x, y, matrix};
  FT_Outline copy = outline;  // decomposing does not change it, but the call takes it mutable
  FT_Outline_Decompose(&copy, &kFuncs, &sink);
  if (sink.open) out.Close();
}

GlyphMatrix GlyphMatrix::Turned(double angleRadians, bool mirrored) {
  if (!std::isfinite(angleRadians)) angleRadians = 0;
  if (angleRadians == 0 && !mirrored) return GlyphMatrix{};
  const double c = std::cos(angleRadians), s = std::sin(angleRadians), ys = mirrored ? -1 : 1;
  return GlyphMatrix{c, -s * ys, -s, -c * ys};
}

bool GlyphMatrix::IsFinite() const {
  return std::isfinite(xx) && std::isfinite(xy) && std::isfinite(yx) && std::isfinite(yy);
}

}  // namespace velto::emf::text
