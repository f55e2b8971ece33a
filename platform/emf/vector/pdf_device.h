#pragma once
// A device that draws into a PDF page through cairo's PDF surface: shapes as paths, wide pens as the
// outlines GDI would fill, bitmaps as images at their own resolution, and text as text in embedded
// font subsets, so that it can be searched and copied. It cannot read back what it drew: no raster
// operations other than copy, no flood fills, no pixel inversion.

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "playback/device.h"

namespace velto::emf::vector {

// Font files opened for one document, with cairo's font faces over them. FreeType faces opened here
// are the document's own, so playback of other pages on other threads never shares them.
class PdfFontFaces {
 public:
  PdfFontFaces();
  ~PdfFontFaces();
  PdfFontFaces(const PdfFontFaces&) = delete;
  PdfFontFaces& operator=(const PdfFontFaces&) = delete;

  // cairo's face for the file (borrowed; lives as long as this object); null when it cannot be opened.
  cairo_font_face_t* Face(const text::FaceSource& source);

 private:
  struct Entry;
  std::shared_ptr<FT_LibraryRec_> library_;
  std::map<std::tuple<std::string, int, bool>, std::unique_ptr<Entry>> faces_;
};

class PdfDevice final : public playback::Device {
 public:
  // Draws on `cr` (a PDF surface's context) whose user space is the device's pixels: `width` × `height`
  // of them cover the page.
  PdfDevice(cairo_t* cr, int width, int height, PdfFontFaces& fonts);
  ~PdfDevice() override;
  PdfDevice(const PdfDevice&) = delete;
  PdfDevice& operator=(const PdfDevice&) = delete;

  playback::DeviceCaps Caps() const override { return {}; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  bool IsMonochrome() const override { return false; }

  void SetClip(const std::optional<playback::Region>& clip) override;
  playback::Region ClipRegionOrSurface() const override;
  RectL ClipBounds() const override;

  void FillPolygons(const std::vector<std::vector<playback::PointD>>& polygons, bool winding,
                    const playback::FillSource& source, uint32_t rop2) override;
  void FillRegion(const playback::Region& region, const playback::FillSource& source, uint32_t rop2) override;
  void StrokeCosmetic(const std::vector<playback::PointI>& points, bool closed, const playback::CosmeticStroke& stroke,
                      int& phase) override;
  void StrokeGeometric(const std::vector<playback::Figure>& figures, const playback::GeometricStroke& stroke,
                       const playback::FillSource& source) override;
  void DrawGlyphs(const playback::GlyphRun& run) override;
  void DrawImage(const playback::Image& image, const playback::Xform& imageToDevice,
                 const std::vector<playback::PointD>& destination, uint32_t rop3, const playback::FillSource* pattern,
                 bool smooth, std::optional<Rgb> transparentKey = std::nullopt, bool blend = false,
                 double constantAlpha = 1) override;
  void FillGradientRect(double x0, double y0, double x1, double y1, bool vertical,
                        const playback::GradientColour& first, const playback::GradientColour& second) override;

  void SetPixel(int x, int y, Rgb colour) override;
  bool FloodFill(int, int, Rgb, bool, const playback::FillSource&, uint32_t) override { return false; }
  void InvertRegion(const playback::Region&) override {}

 private:
  // Sets the fill's source; false when the operation paints nothing on a device that cannot combine
  // with what is below (R2_NOP and the like).
  bool SetSource(const playback::FillSource& source, uint32_t rop2);
  void AddPolygons(const std::vector<std::vector<playback::PointD>>& polygons);

  cairo_t* cr_;
  int width_;
  int height_;
  PdfFontFaces& fonts_;
  std::optional<playback::Region> clip_;
};

}  // namespace velto::emf::vector
