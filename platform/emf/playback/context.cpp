#include "playback/context.h"

#include <algorithm>
#include <cmath>

#include "playback/ellipse.h"
#include "playback/scan_fill.h"

namespace velto::emf::playback {
namespace {

// The frame (hundredths of a millimetre) onto the destination, through the recording device's pixels.
Xform PlaybackTransform(const MetafileHeader& h, const RectL& r) {
  Xform x;
  double fw = double(h.frame.right) - h.frame.left, fh = double(h.frame.bottom) - h.frame.top;
  double rw = double(r.right) - r.left, rh = double(r.bottom) - r.top;
  bool deviceOk = h.device.cx > 0 && h.device.cy > 0 && h.millimeters.cx > 0 && h.millimeters.cy > 0;
  if (fw > 0 && fh > 0 && deviceOk) {
    x.m11 = rw * 100.0 / fw * h.millimeters.cx / h.device.cx;
    x.m22 = rh * 100.0 / fh * h.millimeters.cy / h.device.cy;
    x.dx = r.left - rw / fw * h.frame.left;
    x.dy = r.top - rh / fh * h.frame.top;
    return x;
  }
  // No usable frame: the bounds (recording-device pixels) fill the destination.
  double bw = double(h.bounds.right) - h.bounds.left + 1, bh = double(h.bounds.bottom) - h.bounds.top + 1;
  if (bw > 1 && bh > 1) {
    x.m11 = rw / bw;
    x.m22 = rh / bh;
    x.dx = r.left - h.bounds.left * x.m11;
    x.dy = r.top - h.bounds.top * x.m22;
  } else {
    x.dx = r.left;
    x.dy = r.top;
  }
  return x;
}

// A screen of 96 pixels per inch: 9600 pixels span 2540 mm.
constexpr SizeL kScreenPixels{9600, 9600};
constexpr SizeL kScreenMillimeters{2540, 2540};

double Round(double v) { return std::floor(v + 0.5); }
int RoundToPixel(double v) { return static_cast<int>(std::floor(ClampCoordinate(v) + 0.5)); }

// The dashes of a wide geometric pen in device pixels. The standard styles are multiples of the pen's
// width on the device (dash 3, dot 1, gaps 1), and with round or square ends every dash is one width
// shorter and every gap one width longer, so that the ends bring the dashes back to their length. A user
// style's lengths are device pixels, whatever the transform (ExtCreatePen's documentation says logical
// units; GDI's playback draws them unscaled), and its dashes take their ends on top.
std::vector<double> GeometricDashes(const Pen& pen, int width, WidenCap cap) {
  std::vector<double> base;
  switch (pen.Style()) {
    case kPsDash: base = {3, 1}; break;
    case kPsDot: base = {1, 1}; break;
    case kPsDashDot: base = {3, 1, 1, 1}; break;
    case kPsDashDotDot: base = {3, 1, 1, 1, 1, 1}; break;
    case kPsUserStyle: return pen.userStyle;
    default: return {};
  }
  const double shift = cap == WidenCap::Flat ? 0 : 1;
  for (size_t i = 0; i < base.size(); ++i) base[i] = (base[i] + (i % 2 ? shift : -shift)) * width;
  return base;
}

}  // namespace

Context::Context(Device& target, const MetafileHeader& h, const RectL& destination)
    : device(target), header(h), playback(PlaybackTransform(h, destination)), objects(h.handles) {
  // A fresh memory context: black pen, white brush, system font.
  dc.pen = std::get<std::shared_ptr<Pen>>(StockObject(7));
  dc.brush = std::get<std::shared_ptr<Brush>>(StockObject(0));
  dc.font = std::get<std::shared_ptr<Font>>(StockObject(13));
}

Xform Context::PageTransform() const {
  Xform page;
  double sx = 1, sy = 1;
  if (dc.mapMode != kMmText) {
    sx = dc.windowExt.cx ? double(dc.viewportExt.cx) / dc.windowExt.cx : 1;
    sy = dc.windowExt.cy ? double(dc.viewportExt.cy) / dc.windowExt.cy : 1;
  }
  page.m11 = sx;
  page.m22 = sy;
  page.dx = dc.viewportOrg.x - dc.windowOrg.x * sx;
  page.dy = dc.viewportOrg.y - dc.windowOrg.y * sy;
  return Then(dc.world, page);
}

PointD Context::ToDevice(double x, double y) const {
  // GDI keeps transforms as XFORMs of single-precision floats: a point exactly halfway between two
  // pixels under a scale like 0.9625 lands just short of the half and rounds down.
  Xform t = LogicalToDevice();
  for (double* v : {&t.m11, &t.m12, &t.m21, &t.m22, &t.dx, &t.dy}) *v = static_cast<float>(*v);
  PointD p = t.Apply(x, y);
  return {Round(p.x), Round(p.y)};
}

std::optional<Region> Context::EffectiveClip() const {
  if (dc.clip && dc.metaRegion) return Region::Combine(*dc.clip, *dc.metaRegion, RegionOp::And);
  if (dc.clip) return dc.clip;
  return dc.metaRegion;
}

void Context::ClipChanged() { device.SetClip(EffectiveClip()); }

FillSource Context::BrushSource(const Brush& brush) const {
  // Hatches and patterns are anchored at the brush origin in surface pixels, whatever the transform.
  return MakeFillSource(brush, dc.textColour, dc.bkColour, dc.bkMode, dc.brushOrg);
}

FillSource Context::BrushSource() const { return BrushSource(*dc.brush); }

void Context::FillFigures(const std::vector<Figure>& figures, const FillSource& source) {
  std::vector<std::vector<PointD>> polys;
  polys.reserve(figures.size());
  for (const auto& f : figures)
    if (f.points.size() >= 2) polys.push_back(f.points);
  if (polys.empty()) return;
  device.FillPolygons(polys, dc.fillMode == kWinding, source, dc.rop2);
}

double Context::PenDeviceWidth(double logicalWidth) const {
  // GDI realises the width as the distance between the device points of (0, 0) and (width, 0), each
  // rounded to a whole pixel, cut down to a whole pixel: 1.3 pixels can draw two wide where the
  // origin falls between pixels, as played pages show.
  PointD a = ToDevice(0, 0), b = ToDevice(logicalWidth, 0);
  double width = std::floor(std::hypot(b.x - a.x, b.y - a.y));
  if (!std::isfinite(width)) return 1.0;
  return std::max(1.0, width);
}

bool Context::WideningPen(WidenPen& out) const {
  const Pen& pen = *dc.pen;
  if (pen.IsNull()) return false;
  double width = pen.geometric || pen.width > 1 ? PenDeviceWidth(pen.width) : 1;
  if (width < 1.5 || !std::isfinite(width)) return false;
  out.width = width;
  out.miterLimit = dc.miterLimit;
  switch (pen.style & kPsEndcapMask) {
    case kPsEndcapSquare: out.cap = WidenCap::Square; break;
    case kPsEndcapFlat: out.cap = WidenCap::Flat; break;
    default: out.cap = WidenCap::Round; break;
  }
  switch (pen.style & kPsJoinMask) {
    case kPsJoinBevel: out.join = WidenJoin::Bevel; break;
    case kPsJoinMiter: out.join = WidenJoin::Miter; break;
    default: out.join = WidenJoin::Round; break;
  }
  return true;
}

void Context::StrokeFigures(const std::vector<Figure>& figures) {
  const Pen& pen = *dc.pen;
  if (pen.IsNull()) return;
  double width = pen.geometric || pen.width > 1 ? PenDeviceWidth(pen.width) : 1;
  WidenPen wide;
  const bool cosmetic = !WideningPen(wide);
  uint32_t style = pen.Style();
  FillSource source = pen.brush ? BrushSource(*pen.brush) : SolidSource(pen.colour);
  if (cosmetic) {
    CosmeticStroke stroke;
    stroke.colour = source.solid ? source.colour : pen.colour;
    stroke.rop2 = dc.rop2;
    stroke.opaqueGaps = dc.bkMode == kOpaque;
    stroke.bkColour = dc.bkColour;
    bool geometricPattern = pen.geometric;
    double unit = geometricPattern ? std::max(1.0, width) : 1.0;
    switch (style) {
      case kPsDash: stroke.dashes = geometricPattern ? std::vector<int>{int(3 * unit), int(unit)} : std::vector<int>{18, 6}; break;
      case kPsDot: stroke.dashes = geometricPattern ? std::vector<int>{int(unit), int(unit)} : std::vector<int>{3, 3}; break;
      case kPsDashDot:
        stroke.dashes = geometricPattern ? std::vector<int>{int(3 * unit), int(unit), int(unit), int(unit)}
                                         : std::vector<int>{9, 6, 3, 6};
        break;
      case kPsDashDotDot:
        stroke.dashes = geometricPattern ? std::vector<int>{int(3 * unit), int(unit), int(unit), int(unit),
                                                            int(unit), int(unit)}
                                         : std::vector<int>{9, 3, 3, 3, 3, 3};
        break;
      case kPsAlternate: stroke.alternate = true; break;
      case kPsUserStyle:
        for (double d : pen.userStyle)
          stroke.dashes.push_back(static_cast<int>(std::clamp(d, 1.0, 1e6)));
        if (stroke.dashes.size() % 2) stroke.dashes.push_back(stroke.dashes.back());
        break;
      default: break;
    }
    for (const auto& f : figures) {
      std::vector<PointI> pts;
      pts.reserve(f.points.size());
      for (const auto& p : f.points) pts.push_back({RoundToPixel(p.x), RoundToPixel(p.y)});
      int phase = 0;
      device.StrokeCosmetic(pts, f.closed, stroke, phase);
    }
    return;
  }
  GeometricStroke stroke;
  stroke.rop2 = dc.rop2;
  stroke.style.width = static_cast<int>(std::min(wide.width, double(kMaxEllipseBox)));
  stroke.style.cap = wide.cap;
  stroke.style.join = wide.join;
  stroke.style.miterLimit = wide.miterLimit;
  if (pen.geometric) stroke.style.dashes = GeometricDashes(pen, stroke.style.width, wide.cap);
  device.StrokeGeometric(figures, stroke, source);
}

void Context::DrawFigures(std::vector<Figure> figures, bool fill, bool stroke) {
  // GDI refuses to draw what lies beyond its 27-bit device coordinate space.
  constexpr double kGdiLimit = 134217728.0;
  for (const auto& f : figures)
    for (const auto& p : f.points)
      if (!(std::fabs(p.x) < kGdiLimit) || !(std::fabs(p.y) < kGdiLimit)) return;
  if (dc.inPath) {
    for (auto& f : figures) dc.path.figures.push_back(std::move(f));
    return;
  }
  WidenPen frame;
  if (fill && !dc.brush->IsNull()) {
    if (stroke && dc.rop2 != kR2CopyPen && WideningPen(frame)) {
      // The interior is painted only where the frame is not: with a raster operation other than copy,
      // the frame's inner half would otherwise take the operation twice.
      std::vector<std::vector<PointD>> inside, outline;
      for (const auto& f : figures)
        if (f.points.size() >= 2) inside.push_back(f.points);
      std::vector<Figure> closed = figures;
      for (auto& f : closed) f.closed = true;
      for (auto& f : WidenFigures(closed, frame)) outline.push_back(std::move(f.points));
      Region interior = Region::Combine(RegionOfPolygons(inside, dc.fillMode == kWinding, device.Bounds()),
                                        RegionOfPolygons(outline, true, device.Bounds()), RegionOp::Diff);
      device.FillRegion(interior, BrushSource(), dc.rop2);
    } else {
      FillFigures(figures, BrushSource());
    }
  }
  if (stroke) StrokeFigures(figures);
}

void Context::SetMapMode(uint32_t mode) {
  if (mode < kMmText || mode > kMmAnisotropic) return;
  dc.mapMode = mode;
  // The fixed modes measure with the playing context's own device (a screen of 96 pixels per inch),
  // not with the recording device; the playback transform then scales as for any other mode.
  const SizeL px = kScreenPixels;
  const SizeL mm = kScreenMillimeters;
  auto set = [&](double unitsPerMm10) {
    // unitsPerMm10: logical units per 10 mm.
    dc.windowExt = {static_cast<int32_t>(mm.cx * unitsPerMm10 / 10), static_cast<int32_t>(mm.cy * unitsPerMm10 / 10)};
    dc.viewportExt = {px.cx, -px.cy};
  };
  switch (mode) {
    case kMmText: dc.windowExt = dc.viewportExt = {1, 1}; break;
    case kMmLoMetric: case kMmIsotropic: set(100); break;
    case kMmHiMetric: set(1000); break;
    case kMmLoEnglish: set(1000 / 25.4); break;
    case kMmHiEnglish: set(10000 / 25.4); break;
    case kMmTwips: set(14400 / 25.4); break;
    default: break;  // anisotropic keeps the extents it had
  }
}

void Context::FixIsotropic() {
  if (dc.mapMode != kMmIsotropic || !dc.windowExt.cx || !dc.windowExt.cy || !dc.viewportExt.cx ||
      !dc.viewportExt.cy)
    return;
  double pxPerMmX = double(kScreenPixels.cx) / kScreenMillimeters.cx;
  double pxPerMmY = double(kScreenPixels.cy) / kScreenMillimeters.cy;
  double xdim = std::fabs(double(dc.viewportExt.cx) / pxPerMmX / dc.windowExt.cx);
  double ydim = std::fabs(double(dc.viewportExt.cy) / pxPerMmY / dc.windowExt.cy);
  if (xdim > ydim) {
    double v = dc.viewportExt.cx * ydim / xdim;
    dc.viewportExt.cx = static_cast<int32_t>(std::floor(v + 0.5));
    if (dc.viewportExt.cx == 0) dc.viewportExt.cx = v < 0 ? -1 : 1;
  } else if (ydim > xdim) {
    double v = dc.viewportExt.cy * xdim / ydim;
    dc.viewportExt.cy = static_cast<int32_t>(std::floor(v + 0.5));
    if (dc.viewportExt.cy == 0) dc.viewportExt.cy = v < 0 ? -1 : 1;
  }
}

bool Context::TimeUp() {
  if (timedOut) return true;
  if (++recordsSinceCheck < 64) return false;
  recordsSinceCheck = 0;
  timedOut = std::chrono::steady_clock::now() > deadline;
  return timedOut;
}

size_t StateBytes(const DcState& state) {
  size_t bytes = sizeof(DcState);
  for (const auto* region : {&state.clip, &state.metaRegion})
    if (*region) bytes += (*region)->RectCount() * 8 + (*region)->Bands().size() * sizeof(Region::Band);
  bytes += state.path.PointCount() * sizeof(PointD) + state.path.figures.size() * sizeof(Figure);
  return bytes;
}

Rgb RgbOfColorRef(uint32_t colorRef) {
  static const Rgb kDefaultPalette[20] = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0,
      0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
  };
  switch (colorRef >> 24) {
    case 0:
    case 2:
      return MakeRgb(static_cast<uint8_t>(colorRef), static_cast<uint8_t>(colorRef >> 8),
                     static_cast<uint8_t>(colorRef >> 16));
    case 1: {
      uint32_t index = colorRef & 0xFFFF;
      return index < 20 ? kDefaultPalette[index] : kBlack;
    }
    default:
      return kBlack;
  }
}

}  // namespace velto::emf::playback
