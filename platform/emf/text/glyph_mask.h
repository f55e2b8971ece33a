#pragma once
// A rendered glyph as a 1-bit cairo mask: filling through it puts the source colour on exactly the
// glyph's pixels and leaves every other pixel alone, as GDI's non-anti-aliased text does.

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <memory>

namespace velto::emf::text {

struct CairoSurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};

struct GlyphMask {
  std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter> mask;  // null for a glyph without ink
  int left = 0;  // from the glyph origin to the mask's left edge, pixels rightwards
  int top = 0;   // from the glyph origin to the mask's top edge, pixels upwards

  // Memory the mask holds, for the cache's limit.
  size_t Bytes() const;
};

// Copies a FreeType bitmap (mono, or grey thresholded at half) into a cairo A1 mask.
GlyphMask MaskFromBitmap(const FT_Bitmap& bitmap, int left, int top);

// Anti-aliased text (fonts asking for ANTIALIASED_QUALITY or a ClearType quality): a grey FreeType
// bitmap becomes an A8 mask in GDI's 17 coverage steps, each step weighted by GDI's text gamma ramp.
// Dark text on a light ground comes out exactly as GDI blends it.
GlyphMask GreyMaskFromBitmap(const FT_Bitmap& bitmap, int left, int top);

}  // namespace velto::emf::text
