#pragma once
// Glyph outlines as cairo paths, for text drawn inside a path bracket and for text too large to cache
// as bitmaps.

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "text/font.h"

namespace velto::emf::text {

// Appends `outline` (26.6 pixels, y up, origin at the glyph origin) to cr's current path with its
// origin at (x, y) on the page (y down), placed by `matrix`. Each contour becomes one closed sub-path;
// quadratic pieces become cubic ones.
void AppendGlyphOutline(cairo_t* cr, const FT_Outline& outline, double x, double y, const GlyphMatrix& matrix);

}  // namespace velto::emf::text
