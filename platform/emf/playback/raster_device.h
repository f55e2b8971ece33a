#pragma once
// The device that draws pixels as GDI draws them on a memory bitmap: fills, cosmetic and geometric
// strokes, bitmaps and glyphs on a surface, under the clip region, with GDI's raster operations and
// without anti-aliasing. Polygon fills and strokes go span by span into the pixels; plain copies of
// images, glyphs and gradients go through cairo; other raster operations render coverage into a mask
// and combine per pixel.

#include <cairo.h>

#include <functional>
#include <optional>
#include <vector>

#include "playback/cairo_handles.h"
#include "playback/device.h"
#include "surface.h"

namespace velto::emf::playback {

class RasterDevice final : public Device {
 public:
  explicit RasterDevice(Surface& surface);
  ~RasterDevice() override;
  RasterDevice(const RasterDevice&) = delete;
  RasterDevice& operator=(const RasterDevice&) = delete;

  DeviceCaps Caps() const override;
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  bool IsMonochrome() const override { return surface_.IsMonochrome(); }

  void SetClip(const std::optional<Region>& clip) override;
  Region ClipRegionOrSurface() const override;
  RectL ClipBounds() const override;

  void FillPolygons(const std::vector<std::vector<PointD>>& polygons, bool winding, const FillSource& source,
                    uint32_t rop2) override;
  void FillRegion(const Region& region, const FillSource& source, uint32_t rop2) override;
  void StrokeCosmetic(const std::vector<PointI>& points, bool closed, const CosmeticStroke& stroke,
                      int& phase) override;
  void StrokeGeometric(const std::vector<Figure>& figures, const GeometricStroke& stroke,
                       const FillSource& source) override;
  void DrawGlyphs(const GlyphRun& run) override;
  void DrawImage(const Image& image, const Xform& imageToDevice, const std::vector<PointD>& destination,
                 uint32_t rop3, const FillSource* pattern, bool smooth, std::optional<Rgb> transparentKey = std::nullopt,
                 bool blend = false, double constantAlpha = 1) override;
  void FillGradientRect(double x0, double y0, double x1, double y1, bool vertical, const GradientColour& first,
                        const GradientColour& second) override;

  void SetPixel(int x, int y, Rgb colour) override;
  bool FloodFill(int x, int y, Rgb colour, bool fillSurface, const FillSource& source, uint32_t rop2) override;
  void InvertRegion(const Region& region) override;

 private:
  // Pixels written directly and pixels drawn by cairo share the surface: cairo is told of each switch.
  void Flush() { cairo_surface_flush(target_.get()); }
  void MarkDirty() { cairo_surface_mark_dirty(target_.get()); }
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

  Surface& surface_;
  int width_;
  int height_;
  CairoSurfacePtr target_;  // cairo's view of the surface's pixels
  CairoPtr cr_;             // identity matrix, no anti-aliasing, the clip set
  std::optional<Region> clip_;
};

}  // namespace velto::emf::playback
