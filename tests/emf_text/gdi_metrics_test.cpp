// GDI's size rules: the sign of lfHeight, whole pixels, clamping of absurd requests.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/emf/text/font.h"
#include "platform/emf/text/gdi_metrics.h"

namespace velto::emf::text {
namespace {

// Arial's (and Liberation Sans') tables.
FaceTables ArialTables() {
  FaceTables t;
  t.unitsPerEm = 2048;
  t.winAscent = 1854;
  t.winDescent = 434;
  t.hheaAscender = 1854;
  t.hheaDescender = -434;
  t.hheaLineGap = 67;
  t.averageCharWidth = 904;
  t.maxAdvanceWidth = 4096;
  t.underlinePosition = -217;
  t.underlineThickness = 150;
  t.strikeoutPosition = 530;
  t.strikeoutSize = 102;
  return t;
}

LogFont Face(std::u16string name) {
  LogFont font;
  font.faceName = std::move(name);
  return font;
}

TEST(GdiMetrics, NegativeHeightIsTheEmPositiveHeightIsTheCell) {
  const FaceTables t = ArialTables();
  const GdiSize em = ResolveGdiSize(t, -20, 0);
  EXPECT_EQ(em.emPixels, 20);
  const FontMetrics emMetrics = ComputeGdiMetrics(t, em);
  EXPECT_EQ(emMetrics.ascent, 18);  // 1854 × 20 / 2048 = 18.1
  EXPECT_EQ(emMetrics.descent, 4);  // 434 × 20 / 2048 = 4.2
  EXPECT_EQ(emMetrics.Height() - emMetrics.internalLeading, 20);

  const GdiSize cell = ResolveGdiSize(t, 20, 0);
  EXPECT_EQ(cell.cellPixels, 20);
  EXPECT_EQ(cell.emPixels, 18);  // 20 × 2048 / 2288 = 17.9
  const FontMetrics cellMetrics = ComputeGdiMetrics(t, cell);
  EXPECT_EQ(cellMetrics.Height(), 20);
  EXPECT_EQ(cellMetrics.internalLeading, 2);
}

TEST(GdiMetrics, AscentAndDescentAreRoundedFromTheEmEachOnItsOwn) {
  FaceTables calibri = ArialTables();  // Calibri's (and Carlito's) vertical metrics
  calibri.winAscent = 1950;
  calibri.winDescent = 550;
  const GdiSize cell = ResolveGdiSize(calibri, 20, 0);
  EXPECT_EQ(cell.emPixels, 16);  // 20 × 2048 / 2500 = 16.4
  const FontMetrics m = ComputeGdiMetrics(calibri, cell);
  EXPECT_EQ(m.ascent, 15);  // 15.2
  EXPECT_EQ(m.descent, 4);  // 4.3: the cell comes out at 19, not the 20 asked for
  // Internal leading is the face's leading scaled, not the cell less the em.
  EXPECT_EQ(m.internalLeading, 4);  // (2500 − 2048) × 16 / 2048 = 3.5
  FaceTables times = ArialTables();
  times.winAscent = 1825;
  times.winDescent = 443;
  const FontMetrics t = ComputeGdiMetrics(times, ResolveGdiSize(times, 0, 0));
  EXPECT_EQ(t.Height(), 15);
  EXPECT_EQ(t.internalLeading, 2);  // (2268 − 2048) × 14 / 2048 = 1.5
}

TEST(GdiMetrics, HeightsAreCutToWholePixelsAndZeroMeansTheDefault) {
  const FaceTables t = ArialTables();
  EXPECT_EQ(ResolveGdiSize(t, -24.93, 0).emPixels, 24);
  EXPECT_EQ(ResolveGdiSize(t, -23.99999, 0).emPixels, 24);  // a scaled 24 that lost a little
  EXPECT_EQ(ResolveGdiSize(t, 0, 0).cellPixels, kDefaultCellHeight);
  EXPECT_EQ(ResolveGdiSize(t, std::numeric_limits<double>::quiet_NaN(), 0).cellPixels, kDefaultCellHeight);
}

TEST(GdiMetrics, AbsurdSizesAreClamped) {
  const FaceTables t = ArialTables();
  EXPECT_EQ(ResolveGdiSize(t, -1e6, 0).emPixels, kMaxEmPixels);
  EXPECT_NEAR(ResolveGdiSize(t, 1e9, 0).emPixels, kMaxEmPixels, 1);
  EXPECT_EQ(ResolveGdiSize(t, -std::numeric_limits<double>::infinity(), 0).cellPixels, kDefaultCellHeight);
  EXPECT_EQ(ResolveGdiSize(t, -0.6, 0).emPixels, 0);  // under a pixel: nothing to draw
  const GdiSize wide = ResolveGdiSize(t, -20, 1e12);
  EXPECT_LE(wide.emPixels * wide.xScale, kMaxEmPixels + 1e-6);
  FaceTables broken = t;
  broken.winAscent = broken.winDescent = 0;  // a face without vertical metrics
  EXPECT_GE(ResolveGdiSize(broken, 20, 0).emPixels, 0);
}

TEST(GdiMetrics, WidthStretchesToTheRequestedAverageWidth) {
  const FaceTables t = ArialTables();
  const GdiSize natural = ResolveGdiSize(t, -20, 0);
  EXPECT_DOUBLE_EQ(natural.xScale, 1);
  const GdiSize stretched = ResolveGdiSize(t, -20, 18);
  EXPECT_EQ(ComputeGdiMetrics(t, stretched).averageCharWidth, 18);
  EXPECT_EQ(ComputeGdiMetrics(t, ResolveGdiSize(t, -20, -18)).averageCharWidth, 18);  // sign ignored
}

TEST(GdiMetrics, LinesAndLeadingComeFromTheFaceTables) {
  const FontMetrics m = ComputeGdiMetrics(ArialTables(), ResolveGdiSize(ArialTables(), -40, 0));
  EXPECT_EQ(m.underlinePosition, 4);  // 217 × 40 / 2048 = 4.2 below the baseline
  EXPECT_EQ(m.underlineThickness, 3);
  EXPECT_EQ(m.strikeoutPosition, 10);
  EXPECT_EQ(m.strikeoutThickness, 2);
  EXPECT_EQ(m.externalLeading, 1);  // hhea line gap 67 × 40 / 2048
  EXPECT_EQ(m.averageCharWidth, 18);
  // Even the smallest font has lines a pixel thick.
  const FontMetrics tiny = ComputeGdiMetrics(ArialTables(), ResolveGdiSize(ArialTables(), -3, 0));
  EXPECT_EQ(tiny.underlineThickness, 1);
  EXPECT_EQ(tiny.strikeoutThickness, 1);
}

TEST(GdiMetrics, RealisedFontsReportTheSameRules) {
  const auto em = RealiseFont(Face(u"Arial"), -20, 0);
  EXPECT_EQ(em->Metrics().Height() - em->Metrics().internalLeading, 20);
  const auto cell = RealiseFont(Face(u"Arial"), 20, 0);
  EXPECT_EQ(cell->Metrics().Height(), 20);
  const auto fallback = RealiseFont(Face(u"Arial"), 0, 0);
  EXPECT_EQ(fallback->Metrics().Height(), kDefaultCellHeight);
  const auto courier = RealiseFont(Face(u"Courier New"), -21, 0);
  EXPECT_EQ(courier->Metrics().ascent, 17);  // Liberation Mono: 1705 × 21 / 2048 = 17.48
  // The underline comes from the post table as it stands (Liberation Sans: −67 units).
  EXPECT_EQ(em->Metrics().underlinePosition, 1);
  // Advances are whole pixels near the design width (m is 1706 units, 16.7 pixels, wide).
  const double m = em->MapText(u"m")[0].advance;
  EXPECT_EQ(m, std::floor(m));
  EXPECT_NEAR(m, 16.7, 1.5);
  const auto huge = RealiseFont(Face(u"Arial"), -1e6, 0);
  EXPECT_NEAR(huge->Metrics().ascent, 1854.0 * kMaxEmPixels / 2048, 1);
}

}  // namespace
}  // namespace velto::emf::text
