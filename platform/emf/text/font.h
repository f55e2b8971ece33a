#pragma once
// Fonts for metafile text: a Windows LOGFONT realised on our device. The face table maps Windows faces to
// installed metric-compatible faces; characters the chosen face lacks come from a fallback face.
// Glyphs are drawn as GDI puts text on a memory bitmap: without anti-aliasing.
// A realised font hands out its glyphs as cached masks or as outlines; devices draw them
// (text/glyph_raster.h draws them with cairo).

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velto::emf::text {

// lfQuality NONANTIALIASED_QUALITY: 1-bit glyphs whatever the face allows.
inline constexpr uint8_t kNonAntialiasedQuality = 3;

// LOGFONTW as recorded (EMR_EXTCREATEFONTINDIRECTW), sizes in logical units.
struct LogFont {
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;   // tenths of a degree, counter-clockwise
  int32_t orientation = 0;
  int32_t weight = 0;       // 0 = default (400)
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 0;
  std::u16string faceName;
};

// Metrics of a realised font in device pixels, as GDI's TEXTMETRIC gives them.
struct FontMetrics {
  double ascent = 0;
  double descent = 0;
  double internalLeading = 0;
  double externalLeading = 0;
  double averageCharWidth = 0;
  double maxCharWidth = 0;
  double underlinePosition = 0;   // below the baseline, positive down
  double underlineThickness = 1;
  double strikeoutPosition = 0;   // above the baseline, positive up
  double strikeoutThickness = 1;
  double Height() const { return ascent + descent; }
};

struct Glyph {
  uint32_t index = 0;   // glyph index in the face named by faceSlot
  int faceSlot = 0;     // 0: the primary face; above 0: a fallback face
  double advance = 0;   // device pixels along the baseline
};

struct GlyphOrigin {
  double x = 0;
  double y = 0;  // device pixels, baseline point of the glyph
};

// Where a glyph's own axes go on the page: a glyph point (gx, gy) in pixels, y up, lands at
// (xx·gx + xy·gy, yx·gx + yy·gy) from its origin, page y down. Turns, reflections and the slant of a
// shearing transform are all such matrices.
struct GlyphMatrix {
  double xx = 1, xy = 0, yx = 0, yy = -1;
  // Turned counter-clockwise on the page by `angleRadians`, after a reflection across the baseline
  // when `mirrored`.
  static GlyphMatrix Turned(double angleRadians, bool mirrored = false);
  bool IsFinite() const;
};

struct GlyphMask;

// The font file behind a face slot, for devices that embed fonts rather than draw glyph pixels.
struct FaceSource {
  std::string path;      // the font file
  int index = 0;         // the face within a collection
  double emPixels = 0;   // the em in device pixels, vertically
  double xScale = 1;     // horizontal stretch of the em
  bool syntheticBold = false;
  bool syntheticItalic = false;
};

// Receives glyph outlines in page coordinates (pixels, y down). Every contour starts with MoveTo and
// ends with Close.
class OutlineSink {
 public:
  virtual void MoveTo(double x, double y) = 0;
  virtual void LineTo(double x, double y) = 0;
  virtual void CurveTo(double x1, double y1, double x2, double y2, double x, double y) = 0;
  virtual void Close() = 0;

 protected:
  ~OutlineSink() = default;
};

// Receives the pixels of positioned glyphs: each glyph's mask (1-bit, or grey through GDI's text gamma)
// at a whole pixel; glyphs too large to cache as masks come as outlines to fill instead.
class GlyphRasterSink {
 public:
  // The mask's top-left corner lands on page pixel (x, y).
  virtual void Mask(const GlyphMask& mask, double x, double y) = 0;
  // The outlines between these two calls are filled together by the nonzero rule, with grey edges
  // when `antialiased`.
  virtual OutlineSink& BeginOutlines(bool antialiased) = 0;
  virtual void EndOutlines() = 0;

 protected:
  ~GlyphRasterSink() = default;
};

class RealisedFont {
 public:
  virtual ~RealisedFont() = default;
  virtual const FontMetrics& Metrics() const = 0;
  // Family name of the primary face actually used (for tests and diagnostics).
  virtual std::string FamilyName() const = 0;
  // Characters (UTF-16, surrogate pairs combined) to glyphs, with fallback faces for missing characters.
  virtual std::vector<Glyph> MapText(std::u16string_view text) const = 0;
  // Glyph indices recorded with ETO_GLYPH_INDEX, taken in the primary face.
  virtual std::vector<Glyph> MapGlyphIndices(std::span<const uint16_t> indices) const = 0;
  // Hands the glyphs at the given origins, each placed by `matrix`, to `sink` as a device draws them.
  virtual void Rasterise(std::span<const Glyph> glyphs, std::span<const GlyphOrigin> origins,
                         const GlyphMatrix& matrix, GlyphRasterSink& sink) const = 0;
  // The file and size of face slot `faceSlot` (Glyph::faceSlot); nothing for a slot the font lacks.
  virtual std::optional<FaceSource> FaceOf(int faceSlot) const = 0;
  // The unhinted outlines of the glyphs (text inside a path bracket, vector output).
  virtual void Outlines(std::span<const Glyph> glyphs, std::span<const GlyphOrigin> origins,
                        const GlyphMatrix& matrix, OutlineSink& sink) const = 0;
};

// Realises `font` at a size already transformed to device pixels: `pixelHeight` keeps lfHeight's sign
// rule (negative: em height, positive: cell height, 0: GDI's default size, a 16-pixel cell); `pixelWidth`
// 0 keeps the face's own proportions, otherwise the glyphs are stretched so that the average character
// width is |pixelWidth|. As in GDI, the height is cut to whole pixels toward zero (24.9 gives 24), and a
// font under one pixel draws nothing; heights are capped at an em of 10000 pixels. Fonts are cached:
// the same request returns the same object. Never null: an unknown face falls back to a default face.
// Safe to call from several threads.
std::shared_ptr<const RealisedFont> RealiseFont(const LogFont& font, double pixelHeight, double pixelWidth);

// The installed family that the face table (and fontconfig after it) picks for a Windows face name;
// a face outside the table that is installed is used as it is; otherwise the character set decides
// (Chinese, Japanese and Korean sets: a CJK face; the symbol set: a symbol face; else a sans face).
std::string SubstituteFamily(std::u16string_view windowsFace, uint8_t charSet);

}  // namespace velto::emf::text
