// Lines, polygons, curves and closed shapes.
#include <cmath>
#include <numbers>

#include "metafile_recorder.h"
#include "playback/handlers.h"

namespace velto::emf::playback {
namespace {

constexpr double kPi = std::numbers::pi;

std::vector<PointD> ToDevice(const Context& c, const std::vector<PointD>& logical) {
  std::vector<PointD> out;
  out.reserve(logical.size());
  for (const auto& p : logical) out.push_back(c.ToDevice(p));
  return out;
}

// The device rectangle of a shape's bounding box: normalised, and pulled in by half the pen width for
// inside-frame pens. Playback runs in the advanced graphics mode, where rectangles, ellipses and rounded
// rectangles include their right and bottom edges; arcs, chords and pies keep them out.
struct DeviceBox {
  double l, t, r, b;
  bool rotated;
};

DeviceBox ShapeBox(const Context& c, const Record& rec, size_t offset, bool excludeEdges = false) {
  double l = I32At(rec, offset), t = I32At(rec, offset + 4), r = I32At(rec, offset + 8), b = I32At(rec, offset + 12);
  PointD p0 = c.ToDevice(l, t), p1 = c.ToDevice(r, b);
  DeviceBox box{std::min(p0.x, p1.x), std::min(p0.y, p1.y), std::max(p0.x, p1.x), std::max(p0.y, p1.y),
                c.LogicalToDevice().HasRotation()};
  if (excludeEdges) {
    box.r -= 1;
    box.b -= 1;
  }
  const Pen& pen = *c.dc.pen;
  if (pen.Style() == kPsInsideFrame && (pen.geometric || pen.width > 1)) {
    double inset = std::floor(c.PenDeviceWidth(pen.width) / 2);
    if (box.r - box.l > 2 * inset && box.b - box.t > 2 * inset) {
      box.l += inset, box.t += inset, box.r -= inset, box.b -= inset;
    }
  }
  return box;
}

// Corners of the logical rectangle on the device, for rotating transforms.
std::vector<PointD> RotatedCorners(const Context& c, const Record& rec, size_t offset) {
  double l = I32At(rec, offset), t = I32At(rec, offset + 4), r = I32At(rec, offset + 8), b = I32At(rec, offset + 12);
  return {c.ToDevice(l, t), c.ToDevice(r, t), c.ToDevice(r, b), c.ToDevice(l, b)};
}

bool Rectangle(Context& c, const Record& r) {
  if (!Fits(r, 24)) return false;
  DeviceBox box = ShapeBox(c, r, 8);
  Figure f{{}, true};
  if (box.rotated) {
    f.points = RotatedCorners(c, r, 8);
  } else {
    f.points = {{box.l, box.t}, {box.r, box.t}, {box.r, box.b}, {box.l, box.b}};
  }
  c.DrawFigures({f}, true, true);
  return true;
}

void AddArc(std::vector<PointD>& pts, double cx, double cy, double rx, double ry, double a0, double sweep) {
  AppendArc(cx - rx, cy - ry, cx + rx, cy + ry, a0, sweep, pts);
}

bool Ellipse(Context& c, const Record& r) {
  if (!Fits(r, 24)) return false;
  Figure f{{}, true};
  if (c.LogicalToDevice().HasRotation()) {
    // Flatten in logical units, then transform.
    double l = I32At(r, 8), t = I32At(r, 12), rr = I32At(r, 16), b = I32At(r, 20);
    std::vector<PointD> logical;
    AppendArc(l, t, rr, b, 0, 2 * kPi, logical);
    f.points = ToDevice(c, logical);
  } else {
    DeviceBox box = ShapeBox(c, r, 8);
    AppendArc(box.l, box.t, box.r, box.b, 0, 2 * kPi, f.points);
  }
  c.DrawFigures({f}, true, true);
  return true;
}

bool RoundRect(Context& c, const Record& r) {
  if (!Fits(r, 32)) return false;
  DeviceBox box = ShapeBox(c, r, 8);
  PointD corner = c.LogicalToDevice().ApplyVector(I32At(r, 24), I32At(r, 28));
  double rx = std::min(std::fabs(corner.x) / 2, (box.r - box.l) / 2);
  double ry = std::min(std::fabs(corner.y) / 2, (box.b - box.t) / 2);
  Figure f{{}, true};
  AddArc(f.points, box.r - rx, box.t + ry, rx, ry, 0, kPi / 2);
  AddArc(f.points, box.l + rx, box.t + ry, rx, ry, kPi / 2, kPi / 2);
  AddArc(f.points, box.l + rx, box.b - ry, rx, ry, kPi, kPi / 2);
  AddArc(f.points, box.r - rx, box.b - ry, rx, ry, 3 * kPi / 2, kPi / 2);
  c.DrawFigures({f}, true, true);
  return true;
}

enum class ArcKind { Arc, ArcTo, Chord, Pie };

// Parametric angle (counter-clockwise on the page) of the ellipse point on the radial through p.
double RadialAngle(double cx, double cy, double rx, double ry, PointD p) {
  return std::atan2(-(p.y - cy) * rx, (p.x - cx) * ry);
}

bool ArcFamily(Context& c, const Record& r, ArcKind kind) {
  if (!Fits(r, 40)) return false;
  DeviceBox box = ShapeBox(c, r, 8, true);
  PointD start = c.ToDevice(I32At(r, 24), I32At(r, 28));
  PointD end = c.ToDevice(I32At(r, 32), I32At(r, 36));
  double cx = (box.l + box.r) / 2, cy = (box.t + box.b) / 2;
  double rx = std::max((box.r - box.l) / 2, 0.5), ry = std::max((box.b - box.t) / 2, 0.5);
  double a0 = RadialAngle(cx, cy, rx, ry, start), a1 = RadialAngle(cx, cy, rx, ry, end);
  bool clockwise = c.dc.arcDirection == kArcClockwise;
  if (c.LogicalToDevice().Determinant() < 0) clockwise = !clockwise;
  double sweep;
  if (clockwise) {
    sweep = a0 - a1;
    while (sweep <= 0) sweep += 2 * kPi;
    sweep = -sweep;
  } else {
    sweep = a1 - a0;
    while (sweep <= 0) sweep += 2 * kPi;
  }
  if (std::fabs(a1 - a0) < 1e-9) sweep = clockwise ? -2 * kPi : 2 * kPi;
  Figure f{{}, kind == ArcKind::Chord || kind == ArcKind::Pie};
  if (kind == ArcKind::ArcTo) f.points.push_back(c.ToDevice(c.dc.currentPos));
  AppendArc(box.l, box.t, box.r, box.b, a0, sweep, f.points);
  if (kind == ArcKind::Pie) f.points.push_back({std::floor(cx + 0.5), std::floor(cy + 0.5)});
  if (kind == ArcKind::ArcTo) {
    // The current position moves to the arc's end, in logical units.
    Xform inverse;
    if (Invert(c.LogicalToDevice(), inverse)) c.dc.currentPos = inverse.Apply(f.points.back().x, f.points.back().y);
  }
  if (kind == ArcKind::ArcTo && c.dc.inPath) {
    for (size_t i = 1; i < f.points.size(); ++i) c.dc.path.LineTo(f.points[0], f.points[i]);
    return true;
  }
  c.DrawFigures({f}, f.closed, true);
  return true;
}

bool Arc(Context& c, const Record& r) { return ArcFamily(c, r, ArcKind::Arc); }
bool ArcTo(Context& c, const Record& r) { return ArcFamily(c, r, ArcKind::ArcTo); }
bool Chord(Context& c, const Record& r) { return ArcFamily(c, r, ArcKind::Chord); }
bool Pie(Context& c, const Record& r) { return ArcFamily(c, r, ArcKind::Pie); }

bool AngleArc(Context& c, const Record& r) {
  if (!Fits(r, 28)) return false;
  double cx = I32At(r, 8), cy = I32At(r, 12), radius = U32At(r, 16);
  double start = F32At(r, 20) * kPi / 180, sweep = F32At(r, 24) * kPi / 180;
  if (!std::isfinite(start) || !std::isfinite(sweep)) return true;
  sweep = std::clamp(sweep, -8 * kPi, 8 * kPi);
  std::vector<PointD> logical{c.dc.currentPos};
  AppendArc(cx - radius, cy - radius, cx + radius, cy + radius, start, sweep, logical);
  c.dc.currentPos = logical.back();
  auto device = ToDevice(c, logical);
  if (c.dc.inPath) {
    for (size_t i = 1; i < device.size(); ++i) c.dc.path.LineTo(device[0], device[i]);
    return true;
  }
  c.DrawFigures({Figure{device, false}}, false, true);
  return true;
}

bool LineTo(Context& c, const Record& r) {
  if (!Fits(r, 16)) return false;
  PointD to{double(I32At(r, 8)), double(I32At(r, 12))};
  PointD from = c.ToDevice(c.dc.currentPos), dto = c.ToDevice(to);
  c.dc.currentPos = to;
  if (c.dc.inPath) {
    c.dc.path.LineTo(from, dto);
    return true;
  }
  c.DrawFigures({Figure{{from, dto}, false}}, false, true);
  return true;
}

// Polyline, polygon and bezier records: bounds, count, points.
enum class PolyKind { Polyline, Polygon, PolylineTo, Bezier, BezierTo };

bool Poly(Context& c, const Record& r, PolyKind kind, bool small) {
  if (!Fits(r, 28)) return false;
  uint32_t count = U32At(r, 24);
  std::vector<PointD> logical;
  if (!ReadPoints(r, 28, count, small, logical)) return false;
  if (logical.empty() || !WithinGdiRange(logical)) return true;
  std::vector<PointD> device = ToDevice(c, logical);
  bool continues = kind == PolyKind::PolylineTo || kind == PolyKind::BezierTo;
  std::vector<PointD> pts;
  if (continues) pts.push_back(c.ToDevice(c.dc.currentPos));
  if (kind == PolyKind::Bezier || kind == PolyKind::BezierTo) {
    size_t i = 0;
    if (kind == PolyKind::Bezier) pts.push_back(device[i++]);
    for (; i + 3 <= device.size(); i += 3) FlattenBezier(pts.back(), device[i], device[i + 1], device[i + 2], pts);
  } else {
    pts.insert(pts.end(), device.begin(), device.end());
  }
  if (kind == PolyKind::PolylineTo) c.dc.currentPos = logical.back();
  if (kind == PolyKind::BezierTo && logical.size() >= 3) c.dc.currentPos = logical[(logical.size() / 3) * 3 - 1];
  if (c.dc.inPath && continues) {
    for (size_t i = 1; i < pts.size(); ++i) c.dc.path.LineTo(pts[0], pts[i]);
    return true;
  }
  bool polygon = kind == PolyKind::Polygon;
  c.DrawFigures({Figure{std::move(pts), polygon}}, polygon, true);
  return true;
}

#define VELTO_POLY(Name, kind, small) \
  bool Name(Context& c, const Record& r) { return Poly(c, r, PolyKind::kind, small); }
VELTO_POLY(Polyline, Polyline, false)
VELTO_POLY(Polyline16, Polyline, true)
VELTO_POLY(Polygon, Polygon, false)
VELTO_POLY(Polygon16, Polygon, true)
VELTO_POLY(PolylineTo, PolylineTo, false)
VELTO_POLY(PolylineTo16, PolylineTo, true)
VELTO_POLY(PolyBezier, Bezier, false)
VELTO_POLY(PolyBezier16, Bezier, true)
VELTO_POLY(PolyBezierTo, BezierTo, false)
VELTO_POLY(PolyBezierTo16, BezierTo, true)
#undef VELTO_POLY

// PolyPolyline and PolyPolygon: bounds, number of polys, total points, counts, points.
bool PolyPoly(Context& c, const Record& r, bool polygon, bool small) {
  if (!Fits(r, 32)) return false;
  uint32_t polys = U32At(r, 24), total = U32At(r, 28);
  if (!r.Reader().Array(32, polys, 4)) return false;
  std::vector<PointD> logical;
  size_t pointsAt = 32 + size_t{polys} * 4;
  if (!ReadPoints(r, pointsAt, total, small, logical)) return false;
  if (!WithinGdiRange(logical)) return true;
  std::vector<Figure> figures;
  size_t used = 0;
  for (uint32_t i = 0; i < polys; ++i) {
    uint32_t n = U32At(r, 32 + 4 * i);
    if (n > total - used) return false;
    Figure f{{}, polygon};
    for (uint32_t k = 0; k < n; ++k) f.points.push_back(c.ToDevice(logical[used + k]));
    used += n;
    figures.push_back(std::move(f));
  }
  c.DrawFigures(std::move(figures), polygon, true);
  return true;
}

bool PolyPolyline(Context& c, const Record& r) { return PolyPoly(c, r, false, false); }
bool PolyPolyline16(Context& c, const Record& r) { return PolyPoly(c, r, false, true); }
bool PolyPolygon(Context& c, const Record& r) { return PolyPoly(c, r, true, false); }
bool PolyPolygon16(Context& c, const Record& r) { return PolyPoly(c, r, true, true); }

// PolyDraw: points with a type byte each (move, line, bezier, close figure).
bool PolyDraw(Context& c, const Record& r, bool small) {
  if (!Fits(r, 28)) return false;
  uint32_t count = U32At(r, 24);
  std::vector<PointD> logical;
  if (!ReadPoints(r, 28, count, small, logical)) return false;
  size_t typesAt = 28 + size_t{count} * (small ? 4 : 8);
  auto types = r.Reader().Slice(typesAt, count);
  if (!types) return false;
  if (!WithinGdiRange(logical)) return true;
  std::vector<Figure> figures;
  PointD cur = c.ToDevice(c.dc.currentPos);
  auto open = [&]() -> Figure& {
    if (figures.empty() || figures.back().closed) figures.push_back(Figure{{cur}, false});
    return figures.back();
  };
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t type = (*types)[i];
    PointD p = c.ToDevice(logical[i]);
    switch (type & ~1u) {
      case 6:  // PT_MOVETO
        figures.push_back(Figure{{p}, false});
        break;
      case 2:  // PT_LINETO
        open().points.push_back(p);
        break;
      case 4:  // PT_BEZIERTO: three points
        if (i + 2 < count) {
          Figure& f = open();
          FlattenBezier(f.points.back(), p, c.ToDevice(logical[i + 1]), c.ToDevice(logical[i + 2]), f.points);
          i += 2;
          type = (*types)[i];
          p = c.ToDevice(logical[i]);
        }
        break;
      default:
        return true;  // an unknown type makes PolyDraw fail before drawing
    }
    cur = p;
    c.dc.currentPos = logical[i];
    if ((type & 1) && !figures.empty()) {
      figures.back().closed = true;
    }
  }
  c.DrawFigures(std::move(figures), false, true);
  return true;
}

bool PolyDraw32(Context& c, const Record& r) { return PolyDraw(c, r, false); }
bool PolyDraw16(Context& c, const Record& r) { return PolyDraw(c, r, true); }

bool SetPixel(Context& c, const Record& r) {
  if (!Fits(r, 20)) return false;
  PointD p = c.ToDevice(I32At(r, 8), I32At(r, 12));
  c.device.SetPixel(static_cast<int>(ClampCoordinate(p.x)), static_cast<int>(ClampCoordinate(p.y)),
                    RgbOfColorRef(U32At(r, 16)));
  return true;
}

// Floods with the current brush from a point: up to a border colour, or across a surface colour.
bool ExtFloodFill(Context& c, const Record& r) {
  if (!Fits(r, 24)) return false;
  if (c.dc.inPath || c.dc.brush->IsNull() || !c.device.Caps().floodFill) return true;
  constexpr uint32_t kFloodFillSurface = 1;
  PointD p = c.ToDevice(I32At(r, 8), I32At(r, 12));
  auto pixel = [](double v) { return static_cast<int>(std::floor(ClampCoordinate(v) + 0.5)); };
  c.device.FloodFill(pixel(p.x), pixel(p.y),
                     RgbOfColorRef(U32At(r, 16)), U32At(r, 20) == kFloodFillSurface, c.BrushSource(), c.dc.rop2);
  return true;
}

}  // namespace

void RegisterShapeHandlers(HandlerTable& t) {
  t.Set(EMR_RECTANGLE, Rectangle);
  t.Set(EMR_ELLIPSE, Ellipse);
  t.Set(EMR_ROUNDRECT, RoundRect);
  t.Set(EMR_ARC, Arc);
  t.Set(EMR_ARCTO, ArcTo);
  t.Set(EMR_CHORD, Chord);
  t.Set(EMR_PIE, Pie);
  t.Set(EMR_ANGLEARC, AngleArc);
  t.Set(EMR_LINETO, LineTo);
  t.Set(EMR_POLYLINE, Polyline);
  t.Set(EMR_POLYLINE16, Polyline16);
  t.Set(EMR_POLYGON, Polygon);
  t.Set(EMR_POLYGON16, Polygon16);
  t.Set(EMR_POLYLINETO, PolylineTo);
  t.Set(EMR_POLYLINETO16, PolylineTo16);
  t.Set(EMR_POLYBEZIER, PolyBezier);
  t.Set(EMR_POLYBEZIER16, PolyBezier16);
  t.Set(EMR_POLYBEZIERTO, PolyBezierTo);
  t.Set(EMR_POLYBEZIERTO16, PolyBezierTo16);
  t.Set(EMR_POLYPOLYLINE, PolyPolyline);
  t.Set(EMR_POLYPOLYLINE16, PolyPolyline16);
  t.Set(EMR_POLYPOLYGON, PolyPolygon);
  t.Set(EMR_POLYPOLYGON16, PolyPolygon16);
  t.Set(EMR_POLYDRAW, PolyDraw32);
  t.Set(EMR_POLYDRAW16, PolyDraw16);
  t.Set(EMR_SETPIXELV, SetPixel);
  t.Set(EMR_EXTFLOODFILL, ExtFloodFill);
}

}  // namespace velto::emf::playback
