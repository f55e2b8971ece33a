#pragma once
// The drawing device under the player: fills, cosmetic and geometric strokes, bitmaps and glyphs on the
// surface, under the clip region, with GDI's raster operations and without anti-aliasing. Plain copies
// go straight through cairo; other raster operations render coverage into a mask and combine per pixel.

#include <cairo.h>

#include <functional>
#include <optional>
#include <vector>

#include "playback/fill_source.h"
#include "playback/image.h"
#include "playback/path.h"
#include "playback/region.h"
#include "playback/transform.h"
#include "playback/wide_stroke.h"
#include "surface.h"

namespace velto::emf::playback {

// Device coordinates reach cairo within ±2^22 pixels, so that its 24.8 fixed point never overflows,
// not even in differences of two coordinates.
inline constexpr double kMaxDeviceCoordinate = 4194304.0;

struct PointI {
  int x = 0;
  int y = 0;
};

// A cosmetic pen's look: one pixel wide, dashes in device pixels.
struct CosmeticStroke {
  Rgb colour = kBlack;
  std::vector<int> dashes;  // on, off, on, off ... pixels; empty: solid
  bool alternate = false;   // every other pixel
  bool opaqueGaps = false;  // gaps take the background colour
  Rgb bkColour = kWhite;
  uint32_t rop2 = 13;
};

// A wide geometric pen's look: its outline built as GDI builds it (see wide_stroke.h).
struct GeometricStroke {
  WideStrokeStyle style;
  uint32_t rop2 = 13;
};

class Device {
 public:
  explicit Device(Surface& surface);
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool IsMonochrome() const { return surface_.IsMonochrome(); }

  // The effective clip (clip ∩ meta region); no value: the whole surface.
  void SetClip(const std::optional<Region>& clip);

  void FillPolygons(const std::vector<std::vector<PointD>>& polygons, bool winding, const FillSource& source,
                    uint32_t rop2);
  void FillRegion(const Region& region, const FillSource& source, uint32_t rop2);
  // A polyline of device pixels, each segment without its last pixel; `closed` joins the end to the start.
  // `phase` carries the dash position from one call to the next.
  void StrokeCosmetic(const std::vector<PointI>& points, bool closed, const CosmeticStroke& stroke, int& phase);
  // Figures of device points (rounded to whole pixels here) with a pen at least two pixels wide.
  void StrokeGeometric(const std::vector<Figure>& figures, const GeometricStroke& stroke, const FillSource& source);

  // Draws the image's pixels mapped by `imageToDevice` into the parallelogram `destination` (device
  // points, 4 corners), combined with the pattern and destination by the ternary raster operation.
  // `smooth` averages pixels (halftone stretching). `transparentKey` leaves source pixels of that colour out.
  void DrawImage(const Image& image, const Xform& imageToDevice, const std::vector<PointD>& destination,
                 uint32_t rop3, const FillSource* pattern, bool smooth,
                 std::optional<Rgb> transparentKey = std::nullopt, bool blend = false, double constantAlpha = 1);

  void SetPixel(int x, int y, Rgb colour);
  // EXTFLOODFILL: paints with `source` the 4-connected area around (x, y) that is bounded by pixels of
  // `colour` (border mode) or made of pixels of `colour` (surface mode), within the clip. False when the
  // start point is outside the clip or not part of such an area.
  bool FloodFill(int x, int y, Rgb colour, bool fillSurface, const FillSource& source, uint32_t rop2);
  void InvertRegion(const Region& region);

  // A cairo context with identity matrix, no anti-aliasing and the clip set, for glyphs.
  cairo_t* Context() { return cr_; }
  // Turns the clip into a region of the surface (the whole surface when unclipped).
  Region ClipRegionOrSurface() const;
  // Rasterises polygons into a region (for clip paths).
  Region RegionOfPolygons(const std::vector<std::vector<PointD>>& polygons, bool winding) const;
  // The part of the surface that drawing can reach: the clip's bounding box, cut to the surface.
  RectL ClipBounds() const;

 private:
  void AddPolygons(cairo_t* cr, const std::vector<std::vector<PointD>>& polygons) const;
  void ApplyClip(cairo_t* cr, int dx, int dy) const;
  // Renders coverage with `draw` into a mask over `box` (already cut to the clip) and calls `combine`
  // for every covered pixel with its row pointer.
  void ForEachCovered(RectL box, const std::function<void(cairo_t*)>& draw,
                      const std::function<void(int x, int y, uint32_t& pixel)>& combine);
  void SetSource(cairo_t* cr, const FillSource& source, double dx, double dy);
  void PaintSpan(int y, int x0, int x1, const FillSource& source, uint32_t rop2);
  // Paints united spans cut to the clip.
  void PaintSpans(const SpanSet& spans, const FillSource& source, uint32_t rop2);
  bool InClip(int x, int y) const { return !clip_ || clip_->Contains(x, y); }

  // Pixels written directly and pixels drawn by cairo share the surface: cairo is told of each switch.
  void Flush() { cairo_surface_flush(target_); }
  void MarkDirty() { cairo_surface_mark_dirty(target_); }

  Surface& surface_;
  int width_;
  int height_;
  cairo_surface_t* target_;  // cairo's view of the surface's pixels
  cairo_t* cr_;
  std::optional<Region> clip_;
};

inline double ClampCoordinate(double v) {
  if (!(v > -kMaxDeviceCoordinate)) return -kMaxDeviceCoordinate;  // NaN goes low too
  if (v > kMaxDeviceCoordinate) return kMaxDeviceCoordinate;
  return v;
}

}  // namespace velto::emf::playback
