#include "playback/raster_device.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "playback/ellipse.h"
#include "playback/raster_ops.h"
#include "playback/scan_fill.h"
#include "text/glyph_raster.h"

namespace velto::emf::playback {
namespace {

uint32_t Opaque(Rgb c) { return 0xFF000000u | c; }

}  // namespace

RasterDevice::RasterDevice(Surface& surface)
    : surface_(surface), width_(surface.Width()), height_(surface.Height()),
      target_(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(surface.Row(0)),
                                                  CAIRO_FORMAT_RGB24, width_, height_, surface.Stride())),
      cr_(cairo_create(target_.get())) {
  cairo_set_antialias(cr_.get(), CAIRO_ANTIALIAS_NONE);
}

RasterDevice::~RasterDevice() = default;

DeviceCaps RasterDevice::Caps() const {
  DeviceCaps caps;
  caps.rasterOps = true;
  caps.floodFill = true;
  caps.pixelAccess = true;
  caps.pixelStretch = true;
  return caps;
}

void RasterDevice::ApplyClip(cairo_t* cr, int dx, int dy) const {
  if (!clip_) return;
  cairo_new_path(cr);
  for (const auto& band : clip_->Bands())
    for (size_t i = 0; i < band.xs.size(); i += 2)
      cairo_rectangle(cr, band.xs[i] + dx, band.y0 + dy, band.xs[i + 1] - band.xs[i], band.y1 - band.y0);
  cairo_clip(cr);
}

void RasterDevice::SetClip(const std::optional<Region>& clip) {
  // Only the part on the surface matters; it also keeps cairo's fixed point within range.
  std::optional<Region> onSurface;
  if (clip) onSurface = Region::Combine(*clip, Region::FromRect(0, 0, width_, height_), RegionOp::And);
  if (onSurface == clip_) return;
  clip_ = std::move(onSurface);
  cairo_reset_clip(cr_.get());
  ApplyClip(cr_.get(), 0, 0);
}

RectL RasterDevice::ClipBounds() const {
  RectL surface{0, 0, width_, height_};
  if (!clip_) return surface;
  return Intersect(surface, clip_->Bounds());
}

Region RasterDevice::ClipRegionOrSurface() const {
  Region surface = Region::FromRect(0, 0, width_, height_);
  return clip_ ? Region::Combine(*clip_, surface, RegionOp::And) : surface;
}

void RasterDevice::AddPolygons(cairo_t* cr, const std::vector<std::vector<PointD>>& polygons) const {
  for (const auto& poly : polygons) {
    if (poly.empty()) continue;
    cairo_move_to(cr, ClampCoordinate(poly[0].x), ClampCoordinate(poly[0].y));
    for (size_t i = 1; i < poly.size(); ++i) cairo_line_to(cr, ClampCoordinate(poly[i].x), ClampCoordinate(poly[i].y));
    cairo_close_path(cr);
  }
}

void RasterDevice::SetSource(cairo_t* cr, const FillSource& source, double dx, double dy) {
  if (source.solid) {
    cairo_set_source_rgb(cr, RedOf(source.colour) / 255.0, GreenOf(source.colour) / 255.0,
                         BlueOf(source.colour) / 255.0);
    return;
  }
  auto surface = WrapImage(*source.tile);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface.get());
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, -(source.origin.x + dx), -(source.origin.y + dy));
  cairo_pattern_set_matrix(pattern, &m);
  cairo_set_source(cr, pattern);
  cairo_pattern_destroy(pattern);
}

void RasterDevice::ForEachCovered(RectL box, const std::function<void(cairo_t*)>& draw,
                            const std::function<void(int, int, uint32_t&)>& combine) {
  box = Intersect(box, ClipBounds());
  if (IsEmpty(box)) return;
  int w = box.right - box.left, h = box.bottom - box.top;
  CairoSurfacePtr mask(cairo_image_surface_create(CAIRO_FORMAT_A8, w, h));
  if (cairo_surface_status(mask.get()) != CAIRO_STATUS_SUCCESS) return;
  {
    CairoPtr cr(cairo_create(mask.get()));
    cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
    ApplyClip(cr.get(), -box.left, -box.top);
    cairo_translate(cr.get(), -box.left, -box.top);
    cairo_set_source_rgba(cr.get(), 0, 0, 0, 1);
    draw(cr.get());
  }
  cairo_surface_flush(mask.get());
  const uint8_t* data = cairo_image_surface_get_data(mask.get());
  int stride = cairo_image_surface_get_stride(mask.get());
  Flush();
  for (int y = 0; y < h; ++y) {
    const uint8_t* m = data + static_cast<size_t>(y) * stride;
    uint32_t* row = surface_.Row(box.top + y);
    for (int x = 0; x < w; ++x)
      if (m[x]) combine(box.left + x, box.top + y, row[box.left + x]);
  }
  MarkDirty();
}

void RasterDevice::FillPolygons(const std::vector<std::vector<PointD>>& polygons, bool winding, const FillSource& source,
                          uint32_t rop2) {
  if (rop2 == 11) return;  // R2_NOP
  RectL box = Intersect(BoundsOfPolygons(polygons, 1), ClipBounds());
  if (IsEmpty(box)) return;
  // Spans straight into the surface: exact pixel-centre coverage, clip bands applied per row.
  Flush();
  ScanPolygons(polygons, winding, box, clip_ ? &*clip_ : nullptr,
               [&](int y, int x0, int x1) { PaintSpan(y, x0, x1, source, rop2); });
  MarkDirty();
}

void RasterDevice::PaintSpan(int y, int x0, int x1, const FillSource& source, uint32_t rop2) {
  uint8_t table = Rop2ToTable(rop2);
  bool copy = rop2 == kR2CopyPenCode;
  uint32_t colour = source.colour & 0xFFFFFF;
  uint32_t* row = surface_.Row(y);
  if (source.solid) {
    if (copy) {
      std::fill(row + x0, row + x1, colour);
    } else {
      for (int x = x0; x < x1; ++x) row[x] = ApplyRop3(table, colour, 0, row[x]) & 0xFFFFFF;
    }
    return;
  }
  for (int x = x0; x < x1; ++x) {
    uint32_t p = source.TileAt(x, y);
    if ((p >> 24) == 0) continue;  // transparent part of a hatch
    row[x] = (copy ? p : ApplyRop3(table, p, 0, row[x])) & 0xFFFFFF;
  }
}

bool RasterDevice::FloodFill(int x, int y, Rgb colour, bool fillSurface, const FillSource& source, uint32_t rop2) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || !InClip(x, y)) return false;
  Flush();
  colour &= 0xFFFFFF;
  // Border mode floods everything up to pixels of `colour`; surface mode floods the pixels of `colour`.
  auto inside = [&](int px, int py) {
    bool same = (surface_.Row(py)[px] & 0xFFFFFF) == colour;
    return (fillSurface ? same : !same) && InClip(px, py);
  };
  if (!inside(x, y)) return false;
  // The area is found first (4-connected, span by span) and painted afterwards, so that the paint
  // cannot change what counts as inside.
  std::vector<uint8_t> seen(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
  struct Span { int y, x0, x1; };
  std::vector<Span> spans;
  std::vector<PointI> todo{{x, y}};
  while (!todo.empty()) {
    PointI p = todo.back();
    todo.pop_back();
    uint8_t* seenRow = &seen[static_cast<size_t>(p.y) * static_cast<size_t>(width_)];
    if (seenRow[p.x] || !inside(p.x, p.y)) continue;
    int x0 = p.x, x1 = p.x + 1;
    while (x0 > 0 && !seenRow[x0 - 1] && inside(x0 - 1, p.y)) --x0;
    while (x1 < width_ && !seenRow[x1] && inside(x1, p.y)) ++x1;
    std::fill(seenRow + x0, seenRow + x1, 1);
    spans.push_back({p.y, x0, x1});
    for (int ny : {p.y - 1, p.y + 1}) {
      if (ny < 0 || ny >= height_) continue;
      const uint8_t* nextSeen = &seen[static_cast<size_t>(ny) * static_cast<size_t>(width_)];
      // One seed per run of candidate pixels next to the span.
      bool inRun = false;
      for (int nx = x0; nx < x1; ++nx) {
        bool candidate = !nextSeen[nx] && inside(nx, ny);
        if (candidate && !inRun) todo.push_back({nx, ny});
        inRun = candidate;
      }
    }
  }
  for (const Span& span : spans) PaintSpan(span.y, span.x0, span.x1, source, rop2);
  MarkDirty();
  return true;
}

void RasterDevice::FillRegion(const Region& region, const FillSource& source, uint32_t rop2) {
  std::vector<std::vector<PointD>> rects;
  for (const auto& band : region.Bands())
    for (size_t i = 0; i < band.xs.size(); i += 2) {
      double x0 = band.xs[i], x1 = band.xs[i + 1], y0 = band.y0, y1 = band.y1;
      rects.push_back({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
    }
  FillPolygons(rects, true, source, rop2);
}

void RasterDevice::StrokeCosmetic(const std::vector<PointI>& points, bool closed, const CosmeticStroke& stroke, int& phase) {
  if (points.empty() || stroke.rop2 == 11) return;
  uint8_t table = Rop2ToTable(stroke.rop2);
  int dashTotal = 0;
  for (int d : stroke.dashes) dashTotal += std::max(d, 0);
  Flush();
  auto plot = [&](int x, int y) {
    bool on = true;
    if (stroke.alternate) {
      on = (phase & 1) == 0;
    } else if (dashTotal > 0) {
      int pos = phase % dashTotal;
      for (size_t i = 0; i < stroke.dashes.size(); ++i) {
        if (pos < stroke.dashes[i]) {
          on = (i % 2) == 0;
          break;
        }
        pos -= stroke.dashes[i];
      }
    }
    ++phase;
    if (phase > (1 << 30)) phase = 0;
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || !InClip(x, y)) return;
    if (!on && !stroke.opaqueGaps) return;
    uint32_t& pixel = surface_.Row(y)[x];
    pixel = ApplyRop3(table, on ? stroke.colour : stroke.bkColour, 0, pixel) & 0xFFFFFF;
  };
  auto segment = [&](PointI a, PointI b) {
    int64_t dx = int64_t{b.x} - a.x, dy = int64_t{b.y} - a.y;
    int64_t adx = std::llabs(dx), ady = std::llabs(dy);
    int64_t steps = std::max(adx, ady);
    if (steps == 0) return;
    // Only the steps that can land on the surface are walked; the dash phase skips the rest.
    int64_t first = 0, last = steps;  // [first, last)
    auto limit = [&](int64_t start, int64_t delta, int64_t lo, int64_t hi) {
      if (delta == 0) {
        if (start < lo || start > hi) last = first;
        return;
      }
      // Solve start + delta * i / steps within [lo, hi] for i.
      double i0 = double(lo - start) * steps / double(delta), i1 = double(hi - start) * steps / double(delta);
      if (i0 > i1) std::swap(i0, i1);
      first = std::max<int64_t>(first, static_cast<int64_t>(std::floor(i0)) - 1);
      last = std::min<int64_t>(last, static_cast<int64_t>(std::ceil(i1)) + 2);
    };
    limit(a.x, dx, -1, width_);
    limit(a.y, dy, -1, height_);
    if (first < 0) first = 0;
    if (last > steps) last = steps;
    if (first >= last) {
      phase = static_cast<int>((phase + steps) % (1 << 30));
      return;
    }
    phase = static_cast<int>((phase + first) % (1 << 30));
    int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    for (int64_t i = first; i < last; ++i) {
      int64_t x, y;
      if (adx >= ady) {
        x = a.x + sx * i;
        y = a.y + sy * ((2 * i * ady + adx - 1) / (2 * adx));
      } else {
        y = a.y + sy * i;
        x = a.x + sx * ((2 * i * adx + ady - 1) / (2 * ady));
      }
      plot(static_cast<int>(x), static_cast<int>(y));
    }
    phase = static_cast<int>((phase + (steps - last)) % (1 << 30));
  };
  if (points.size() == 1) {
    MarkDirty();
    return;
  }
  for (size_t i = 1; i < points.size(); ++i) segment(points[i - 1], points[i]);
  if (closed) segment(points.back(), points.front());
  MarkDirty();
}

void RasterDevice::StrokeGeometric(const std::vector<Figure>& figures, const GeometricStroke& stroke,
                             const FillSource& source) {
  if (stroke.rop2 == 11 || figures.empty()) return;
  const int width = std::clamp(stroke.style.width, 1, kMaxEllipseBox);
  std::vector<std::vector<PointD>> polys;
  for (const auto& f : figures) polys.push_back(f.points);
  // Miters reach furthest: the limit in widths, at least the square end's diagonal.
  double grow = width * std::max(stroke.style.miterLimit, 2.0) + 2;
  RectL box = Intersect(BoundsOfPolygons(polys, std::min(grow, kMaxDeviceCoordinate)), ClipBounds());
  if (IsEmpty(box)) return;
  WideStrokeStyle style = stroke.style;
  style.width = width;
  SpanSet spans(box);
  std::vector<PointL> points;
  for (const auto& f : figures) {
    points.clear();
    for (const auto& p : f.points) {
      points.push_back({static_cast<int32_t>(std::floor(ClampCoordinate(p.x) + 0.5)),
                        static_cast<int32_t>(std::floor(ClampCoordinate(p.y) + 0.5))});
    }
    AddWideStroke(points, f.closed, style, spans);
  }
  Flush();
  PaintSpans(spans, source, stroke.rop2);
  MarkDirty();
}

void RasterDevice::PaintSpans(const SpanSet& spans, const FillSource& source, uint32_t rop2) {
  static const std::vector<Region::Band> kNoBands;
  const std::vector<Region::Band>& bands = clip_ ? clip_->Bands() : kNoBands;
  size_t band = 0;
  spans.ForEach([&](int y, int x0, int x1) {
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width_);
    if (y < 0 || y >= height_ || x0 >= x1) return;
    if (!clip_) {
      PaintSpan(y, x0, x1, source, rop2);
      return;
    }
    while (band < bands.size() && bands[band].y1 <= y) ++band;
    if (band >= bands.size() || bands[band].y0 > y) return;
    const auto& xs = bands[band].xs;
    for (size_t k = 0; k < xs.size(); k += 2) {
      int c0 = std::max(x0, xs[k]), c1 = std::min(x1, xs[k + 1]);
      if (c0 < c1) PaintSpan(y, c0, c1, source, rop2);
      if (xs[k] >= x1) break;
    }
  });
}

void RasterDevice::DrawImage(const Image& image, const Xform& imageToDevice, const std::vector<PointD>& destination,
                       uint32_t rop3, const FillSource* pattern, bool smooth, std::optional<Rgb> transparentKey,
                       bool blend, double constantAlpha) {
  uint8_t table = Rop3Table(rop3);
  if (table == 0xAA) return;
  std::vector<std::vector<PointD>> polys{destination};
  RectL box = Intersect(BoundsOfPolygons(polys, 1), ClipBounds());
  if (IsEmpty(box)) return;
  Xform deviceToImage;
  bool usesSource = Rop3UsesSource(table);
  // An image given to an operation without source still limits it to its opaque pixels (masks).
  bool haveImage = image.width > 0 && image.height > 0 && Invert(imageToDevice, deviceToImage);
  if (usesSource && !haveImage) return;

  // The source as a cairo pattern in device space.
  Image keyed;
  const Image* src = &image;
  if (transparentKey) {
    keyed = image;
    uint32_t key = Opaque(*transparentKey);
    for (auto& p : keyed.pixels)
      if (p == key) p = 0;
    src = &keyed;
  }
  CairoSurfacePtr srcSurface;
  CairoPatternPtr srcPattern;
  if (haveImage) {
    srcSurface = WrapImage(const_cast<Image&>(*src));  // cairo only reads it
    srcPattern.reset(cairo_pattern_create_for_surface(srcSurface.get()));
    cairo_pattern_set_extend(srcPattern.get(), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(srcPattern.get(), smooth ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_NEAREST);
    cairo_matrix_t m;
    cairo_matrix_init(&m, deviceToImage.m11, deviceToImage.m12, deviceToImage.m21, deviceToImage.m22,
                      deviceToImage.dx, deviceToImage.dy);
    if (smooth) {
      // Halftone stretching interpolates between the two nearest source pixels, taking destination
      // pixel x from source position x × ratio (pixel corners, not centres, line up), whether the
      // image grows or shrinks.
      cairo_matrix_translate(&m, -0.5, -0.5);
      m.x0 += 0.5;
      m.y0 += 0.5;
    }
    cairo_pattern_set_matrix(srcPattern.get(), &m);
  }

  if (table == 0xCC || blend) {
    cairo_t* cr = cr_.get();
    cairo_save(cr);
    cairo_new_path(cr);
    AddPolygons(cr, polys);
    if (blend || transparentKey) {
      cairo_clip(cr);
      cairo_set_source(cr, srcPattern.get());
      cairo_paint_with_alpha(cr, std::clamp(constantAlpha, 0.0, 1.0));
    } else {
      cairo_set_source(cr, srcPattern.get());
      cairo_fill(cr);
    }
    cairo_restore(cr);
    return;
  }
  if (table == 0xF0 && pattern && !haveImage) {
    FillPolygons(polys, true, *pattern, kR2CopyPenCode);
    return;
  }

  // General case: the source rendered into device space over the box, then combined per pixel.
  int w = box.right - box.left, h = box.bottom - box.top;
  std::vector<uint32_t> rendered;
  if (haveImage) {
    rendered.assign(static_cast<size_t>(w) * h, 0);
    CairoSurfacePtr tmp(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(rendered.data()),
                                                            CAIRO_FORMAT_ARGB32, w, h, w * 4));
    CairoPtr cr(cairo_create(tmp.get()));
    cairo_translate(cr.get(), -box.left, -box.top);
    cairo_set_source(cr.get(), srcPattern.get());
    cairo_paint(cr.get());
    cairo_surface_flush(tmp.get());
  }
  ForEachCovered(
      box,
      [&](cairo_t* cr) {
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        AddPolygons(cr, polys);
        cairo_fill(cr);
      },
      [&](int x, int y, uint32_t& pixel) {
        uint32_t s = 0;
        if (haveImage) {
          s = rendered[static_cast<size_t>(y - box.top) * w + (x - box.left)];
          if ((s >> 24) == 0) return;  // transparent source pixel
        }
        uint32_t p = 0;
        if (pattern) {
          p = pattern->solid ? pattern->colour : pattern->TileAt(x, y);
        }
        pixel = ApplyRop3(table, p, s, pixel) & 0xFFFFFF;
      });
}

void RasterDevice::SetPixel(int x, int y, Rgb colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || !InClip(x, y)) return;
  Flush();
  surface_.SetPixel(x, y, colour);
  MarkDirty();
}

void RasterDevice::InvertRegion(const Region& region) {
  Region r = clip_ ? Region::Combine(region, *clip_, RegionOp::And) : region;
  r = Region::Combine(r, Region::FromRect(0, 0, width_, height_), RegionOp::And);
  Flush();
  for (const auto& band : r.Bands())
    for (int y = band.y0; y < band.y1; ++y)
      for (size_t i = 0; i < band.xs.size(); i += 2)
        for (int x = band.xs[i]; x < band.xs[i + 1]; ++x) surface_.Row(y)[x] ^= 0xFFFFFF;
  MarkDirty();
}

void RasterDevice::DrawGlyphs(const GlyphRun& run) {
  if (!run.font) return;
  cairo_t* cr = cr_.get();
  cairo_save(cr);
  cairo_set_source_rgb(cr, RedOf(run.colour) / 255.0, GreenOf(run.colour) / 255.0, BlueOf(run.colour) / 255.0);
  text::DrawGlyphs(cr, *run.font, run.glyphs, run.origins, run.matrix);
  cairo_restore(cr);
}

void RasterDevice::FillGradientRect(double x0, double y0, double x1, double y1, bool vertical,
                                    const GradientColour& first, const GradientColour& second) {
  cairo_t* cr = cr_.get();
  CairoPatternPtr pattern;
  cairo_save(cr);
  cairo_new_path(cr);
  pattern.reset(vertical ? cairo_pattern_create_linear(0, y0, 0, y1) : cairo_pattern_create_linear(x0, 0, x1, 0));
  cairo_pattern_add_color_stop_rgb(pattern.get(), 0, std::min(first.r, 1.0), std::min(first.g, 1.0),
                                   std::min(first.b, 1.0));
  cairo_pattern_add_color_stop_rgb(pattern.get(), 1, std::min(second.r, 1.0), std::min(second.g, 1.0),
                                   std::min(second.b, 1.0));
  cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
  cairo_set_source(cr, pattern.get());
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace velto::emf::playback
