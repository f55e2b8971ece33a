#pragma once
// Sizes and TEXTMETRIC-style metrics of a font as GDI computes them from a face's tables: the em
// height from lfHeight's sign rule, ascent and descent from the OS/2 Windows metrics, all whole pixels.

#include <ft2build.h>
#include FT_FREETYPE_H

#include "text/font.h"

namespace velto::emf::text {

// The face tables that GDI's metrics come from, in font units.
struct FaceTables {
  int unitsPerEm = 2048;
  int winAscent = 0;     // OS/2 usWinAscent
  int winDescent = 0;    // OS/2 usWinDescent
  int hheaAscender = 0;
  int hheaDescender = 0;  // negative below the baseline
  int hheaLineGap = 0;
  int averageCharWidth = 0;  // OS/2 xAvgCharWidth
  int maxAdvanceWidth = 0;
  int underlinePosition = 0;   // post table, negative below the baseline
  int underlineThickness = 0;
  int strikeoutPosition = 0;   // OS/2 yStrikeoutPosition, above the baseline
  int strikeoutSize = 0;
};

// Reads the tables of an opened face; missing tables fall back to the face's generic metrics.
FaceTables ReadFaceTables(FT_Face face);

// Largest em height we realise; larger requests are cut to it.
inline constexpr double kMaxEmPixels = 10000;
// Cell height used for lfHeight 0: the height GDI gives a TrueType face it is asked for at no size.
inline constexpr int kDefaultCellHeight = 16;

struct GdiSize {
  int emPixels = 0;     // pixels per em (vertical); 0: too small to draw
  int cellPixels = 0;   // the cell height asked for, or the one the em gives
  double xScale = 1;    // horizontal stretch so that the average width matches a requested width
  int averageWidth = 0;  // the average width asked for; 0 when none was
};

// `pixelHeight`: negative em height, positive cell height, 0 default; `pixelWidth` 0: natural width.
GdiSize ResolveGdiSize(const FaceTables& tables, double pixelHeight, double pixelWidth);

// The metrics of the face at `size`, whole pixels as GDI reports them.
FontMetrics ComputeGdiMetrics(const FaceTables& tables, const GdiSize& size);

}  // namespace velto::emf::text
