#pragma once
// What the player draws on: fills with a brush, cosmetic and geometric strokes, positioned glyphs,
// images, gradients and regions, under a clip region. Everything arrives in device pixels, already laid
// out by the player: transforms, text layout and pen geometry stay above the device. A raster device
// (raster_device.h) draws pixels exactly as GDI does; other devices draw what they can and say in
// Caps() what they cannot.

#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "colour.h"
#include "geometry.h"
#include "playback/device_coordinates.h"
#include "playback/fill_source.h"
#include "playback/image.h"
#include "playback/path.h"
#include "playback/region.h"
#include "playback/transform.h"
#include "playback/wide_stroke.h"
#include "text/font.h"

namespace velto::emf::playback {

// What a device can do beyond painting with plain copies.
struct DeviceCaps {
  bool rasterOps = false;    // raster operations other than copy (R2_XORPEN, SRCINVERT, DSTINVERT ...)
  bool floodFill = false;    // EXTFLOODFILL, which reads the pixels around its start point
  bool pixelAccess = false;  // per-pixel reads and writes: exact SetPixel, InvertRegion
  // Stretched bitmaps are resampled to device pixels as GDI's stretch modes pick them; a device
  // without it takes every bitmap at its own resolution.
  bool pixelStretch = false;
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

// Glyphs laid out on the device: each glyph at its baseline origin, turned, slanted or mirrored by
// `matrix`, in one colour. The realised font carries the face, the size and the glyph masks.
struct GlyphRun {
  std::shared_ptr<const text::RealisedFont> font;
  std::span<const text::Glyph> glyphs;
  std::span<const text::GlyphOrigin> origins;  // device pixels, one per glyph
  text::GlyphMatrix matrix;
  Rgb colour = kBlack;
  std::u16string_view chars;  // the characters drawn, when the record gave characters rather than glyphs
};

// A colour of a gradient's end, each channel 0..1 (beyond 1 counts as 1).
struct GradientColour {
  double r = 0, g = 0, b = 0;
};

class Device {
 public:
  virtual ~Device() = default;

  virtual DeviceCaps Caps() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // A 1-bit device: text takes no grey edges.
  virtual bool IsMonochrome() const = 0;
  RectL Bounds() const { return RectL{0, 0, Width(), Height()}; }

  // The effective clip (clip ∩ meta region); no value: the whole device.
  virtual void SetClip(const std::optional<Region>& clip) = 0;
  // The clip cut to the device (the whole device when unclipped).
  virtual Region ClipRegionOrSurface() const = 0;
  // The part of the device that drawing can reach: the clip's bounding box, cut to the device.
  virtual RectL ClipBounds() const = 0;

  virtual void FillPolygons(const std::vector<std::vector<PointD>>& polygons, bool winding,
                            const FillSource& source, uint32_t rop2) = 0;
  virtual void FillRegion(const Region& region, const FillSource& source, uint32_t rop2) = 0;
  // A polyline of device pixels, each segment without its last pixel; `closed` joins the end to the start.
  // `phase` carries the dash position from one call to the next.
  virtual void StrokeCosmetic(const std::vector<PointI>& points, bool closed, const CosmeticStroke& stroke,
                              int& phase) = 0;
  // Figures of device points (rounded to whole pixels by the device) with a pen at least two pixels wide.
  virtual void StrokeGeometric(const std::vector<Figure>& figures, const GeometricStroke& stroke,
                               const FillSource& source) = 0;
  virtual void DrawGlyphs(const GlyphRun& run) = 0;

  // Draws the image's pixels mapped by `imageToDevice` into the parallelogram `destination` (device
  // points, 4 corners), combined with the pattern and destination by the ternary raster operation.
  // `smooth` averages pixels (halftone stretching). `transparentKey` leaves source pixels of that colour
  // out; `blend` composites the premultiplied pixels at `constantAlpha`.
  virtual void DrawImage(const Image& image, const Xform& imageToDevice, const std::vector<PointD>& destination,
                         uint32_t rop3, const FillSource* pattern, bool smooth,
                         std::optional<Rgb> transparentKey = std::nullopt, bool blend = false,
                         double constantAlpha = 1) = 0;
  // The rectangle [x0, x1) × [y0, y1) shaded linearly from `first` at its left edge (top edge when
  // `vertical`) to `second` at the opposite one.
  virtual void FillGradientRect(double x0, double y0, double x1, double y1, bool vertical,
                                const GradientColour& first, const GradientColour& second) = 0;

  virtual void SetPixel(int x, int y, Rgb colour) = 0;
  // EXTFLOODFILL: paints with `source` the 4-connected area around (x, y) that is bounded by pixels of
  // `colour` (border mode) or made of pixels of `colour` (surface mode), within the clip. False when the
  // start point is outside the clip or not part of such an area, or the device cannot read its pixels.
  virtual bool FloodFill(int x, int y, Rgb colour, bool fillSurface, const FillSource& source, uint32_t rop2) = 0;
  virtual void InvertRegion(const Region& region) = 0;
};

}  // namespace velto::emf::playback
