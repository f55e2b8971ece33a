#pragma once
// Glyphs drawn with cairo: masks filled with the context's current source, large glyphs filled as
// paths. The raster device draws text through these, as do the font tests.

#include <cairo.h>

#include <span>

#include "text/font.h"

namespace velto::emf::text {

// Hands outlines to cairo's current path.
class CairoOutlineSink final : public OutlineSink {
 public:
  explicit CairoOutlineSink(cairo_t* cr) : cr_(cr) {}
  void MoveTo(double x, double y) override { cairo_move_to(cr_, x, y); }
  void LineTo(double x, double y) override { cairo_line_to(cr_, x, y); }
  void CurveTo(double x1, double y1, double x2, double y2, double x, double y) override {
    cairo_curve_to(cr_, x1, y1, x2, y2, x, y);
  }
  void Close() override { cairo_close_path(cr_); }

 private:
  cairo_t* cr_;
};

// Fills the glyphs with cr's current source at the given origins, each glyph placed by `matrix`.
// cr's matrix is expected to be identity; its current path is left as it was.
void DrawGlyphs(cairo_t* cr, const RealisedFont& font, std::span<const Glyph> glyphs,
                std::span<const GlyphOrigin> origins, const GlyphMatrix& matrix);
// The same with the glyphs turned by `angleRadians` counter-clockwise on the page (escapement),
// reflected across their baseline first when `mirrored` (a transform that mirrors the page).
inline void DrawGlyphs(cairo_t* cr, const RealisedFont& font, std::span<const Glyph> glyphs,
                       std::span<const GlyphOrigin> origins, double angleRadians, bool mirrored = false) {
  DrawGlyphs(cr, font, glyphs, origins, GlyphMatrix::Turned(angleRadians, mirrored));
}

// Appends the glyph outlines to cr's current path instead of drawing.
void AppendGlyphOutlines(cairo_t* cr, const RealisedFont& font, std::span<const Glyph> glyphs,
                         std::span<const GlyphOrigin> origins, const GlyphMatrix& matrix);
inline void AppendGlyphOutlines(cairo_t* cr, const RealisedFont& font, std::span<const Glyph> glyphs,
                                std::span<const GlyphOrigin> origins, double angleRadians, bool mirrored = false) {
  AppendGlyphOutlines(cr, font, glyphs, origins, GlyphMatrix::Turned(angleRadians, mirrored));
}

}  // namespace velto::emf::text
