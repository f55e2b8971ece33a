#pragma once
// Glyph outlines flattened to straight lines, as text inside a path bracket joins the path.

#include <span>

#include "text/font.h"

namespace velto::emf::text {

// Hands the outlines of the glyphs to `sink` with every curve flattened to within a tenth of a pixel:
// MoveTo, LineTo and Close only.
void FlattenGlyphOutlines(const RealisedFont& font, std::span<const Glyph> glyphs,
                          std::span<const GlyphOrigin> origins, const GlyphMatrix& matrix, OutlineSink& sink);

}  // namespace velto::emf::text
