#include "text/gdi_metrics.h"

#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

namespace velto::emf::text {
namespace {

int RoundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }
// GDI cuts a transformed font height to whole pixels toward zero (a height of 24.9 pixels gives an
// em of 24); the small allowance keeps 23.99999 from a scaled 24 at 24.
int WholePixels(double v) { return static_cast<int>(std::floor(v + 1e-4)); }

}  // namespace

FaceTables ReadFaceTables(FT_Face face) {
  FaceTables t;
  t.unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 2048;
  t.hheaAscender = face->ascender;
  t.hheaDescender = face->descender;
  t.hheaLineGap = std::max(0, face->height - (face->ascender - face->descender));
  t.maxAdvanceWidth = face->max_advance_width;
  t.underlinePosition = face->underline_position;
  t.underlineThickness = face->underline_thickness;
  // GDI takes the post table's values as they stand; FreeType's own underline position is moved
  // down by half the thickness.
  if (auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST))) {
    t.underlinePosition = static_cast<int>(post->underlinePosition);
    t.underlineThickness = static_cast<int>(post->underlineThickness);
  }
  if (auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA))) {
    t.hheaAscender = hhea->Ascender;
    t.hheaDescender = hhea->Descender;
    t.hheaLineGap = hhea->Line_Gap;
    t.maxAdvanceWidth = hhea->advance_Width_Max;
  }
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF && (os2->usWinAscent + os2->usWinDescent) > 0) {
    t.winAscent = os2->usWinAscent;
    t.winDescent = os2->usWinDescent;
    t.averageCharWidth = os2->xAvgCharWidth;
    t.strikeoutPosition = os2->yStrikeoutPosition;
    t.strikeoutSize = os2->yStrikeoutSize;
  } else {
    t.winAscent = std::max(1, static_cast<int>(t.hheaAscender));
    t.winDescent = std::max(0, -static_cast<int>(t.hheaDescender));
  }
  if (t.averageCharWidth <= 0) t.averageCharWidth = std::max(1, t.maxAdvanceWidth / 2);
  if (t.strikeoutPosition == 0) t.strikeoutPosition = t.unitsPerEm * 26 / 100;  // about the x-height's middle
  if (t.strikeoutSize <= 0) t.strikeoutSize = std::max(1, t.underlineThickness);
  return t;
}

GdiSize ResolveGdiSize(const FaceTables& t, double pixelHeight, double pixelWidth) {
  GdiSize size;
  const double cellUnits = std::max(1, t.winAscent + t.winDescent);
  if (!std::isfinite(pixelHeight)) pixelHeight = 0;
  if (!std::isfinite(pixelWidth)) pixelWidth = 0;
  const double maxCell = kMaxEmPixels * cellUnits / t.unitsPerEm;
  if (pixelHeight < 0) {
    size.emPixels = WholePixels(std::min(-pixelHeight, kMaxEmPixels));
    size.cellPixels = RoundHalfUp(size.emPixels * static_cast<double>(t.winAscent) / t.unitsPerEm) +
                      RoundHalfUp(size.emPixels * static_cast<double>(t.winDescent) / t.unitsPerEm);
  } else {
    double cell = pixelHeight > 0 ? std::min(pixelHeight, maxCell) : kDefaultCellHeight;
    size.cellPixels = WholePixels(cell);
    size.emPixels = RoundHalfUp(size.cellPixels * t.unitsPerEm / cellUnits);
  }
  size.emPixels = std::clamp(size.emPixels, 0, static_cast<int>(kMaxEmPixels));
  // The stretch that turns the average width GDI reports (whole pixels) into the one asked for.
  const int naturalAverage = RoundHalfUp(static_cast<double>(t.averageCharWidth) * size.emPixels / t.unitsPerEm);
  const int wanted = WholePixels(std::min(std::fabs(pixelWidth), kMaxEmPixels));
  if (wanted >= 1 && naturalAverage > 0) {
    size.averageWidth = wanted;
    size.xScale = std::clamp(static_cast<double>(wanted) / naturalAverage, 1.0 / 64, 64.0);
    if (size.xScale * size.emPixels > kMaxEmPixels) size.xScale = kMaxEmPixels / size.emPixels;
  }
  return size;
}

FontMetrics ComputeGdiMetrics(const FaceTables& t, const GdiSize& size) {
  FontMetrics m;
  const double scale = static_cast<double>(size.emPixels) / t.unitsPerEm;
  const double xScale = scale * size.xScale;
  const int cellUnits = t.winAscent + t.winDescent;
  // Ascent and descent are rounded each on its own from the em, so a cell height asked for may come
  // out a pixel off (Carlito asked for a 20-pixel cell gets 16 pixels per em, 15 + 4 = 19).
  const int ascent = RoundHalfUp(t.winAscent * scale);
  const int descent = RoundHalfUp(t.winDescent * scale);
  m.ascent = ascent;
  m.descent = descent;
  m.internalLeading = std::max(0, RoundHalfUp((cellUnits - t.unitsPerEm) * scale));
  // GDI's external leading: the line gap beyond what the Windows ascent and descent already hold.
  const int hheaHeight = t.hheaAscender - t.hheaDescender;
  m.externalLeading = std::max(0, RoundHalfUp((t.hheaLineGap - (cellUnits - hheaHeight)) * scale));
  m.averageCharWidth = size.averageWidth > 0 ? size.averageWidth : RoundHalfUp(t.averageCharWidth * xScale);
  m.maxCharWidth = std::max(m.averageCharWidth, static_cast<double>(RoundHalfUp(t.maxAdvanceWidth * xScale)));
  m.underlineThickness = std::max(1, RoundHalfUp(t.underlineThickness * scale));
  m.underlinePosition = std::max(0, RoundHalfUp(-t.underlinePosition * scale));
  if (size.emPixels > 0 && m.underlinePosition >= descent) m.underlinePosition = std::max(0, descent - 1);
  m.strikeoutThickness = std::max(1, RoundHalfUp(t.strikeoutSize * scale));
  m.strikeoutPosition = RoundHalfUp(t.strikeoutPosition * scale);
  return m;
}

}  // namespace velto::emf::text
