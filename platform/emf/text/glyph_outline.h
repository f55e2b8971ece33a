#pragma once
// Glyph outlines handed to an outline sink, for text drawn inside a path bracket and for text too large
// to cache as bitmaps.

#include <ft2build.h>
#include FT_FREETYPE_H

#include "text/font.h"

namespace velto::emf::text {

// Hands `outline` (26.6 pixels, y up, origin at the glyph origin) to `sink` with its origin at (x, y) on
// the page (y down), placed by `matrix`. Each contour becomes one closed sub-path; quadratic pieces
// become cubic ones.
void AppendGlyphOutline(OutlineSink& sink, const FT_Outline& outline, double x, double y, const GlyphMatrix& matrix);

}  // namespace velto::emf::text
