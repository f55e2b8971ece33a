// Realised fonts: character and glyph-index mapping, fallback faces, drawing in exact colours,
// rotation, outlines, caching and hostile sizes.
#include <gtest/gtest.h>

#include <cairo.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <set>
#include <thread>

#include "platform/emf/text/font.h"
#include "platform/emf/text/glyph_path.h"
#include "platform/emf/text/glyph_raster.h"

namespace velto::emf::text {
namespace {

// 1-bit text unless a test asks for a quality that smooths.
LogFont Face(std::u16string name, int weight = 400, bool italic = false, uint8_t charSet = 0,
             uint8_t quality = kNonAntialiasedQuality) {
  LogFont font;
  font.faceName = std::move(name);
  font.weight = weight;
  font.italic = italic ? 1 : 0;
  font.charSet = charSet;
  font.quality = quality;
  return font;
}

// A white RGB canvas with a cairo context on it.
class Canvas {
 public:
  Canvas(int width, int height)
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)), cr_(cairo_create(surface_)) {
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
  }
  ~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* Cr() const { return cr_; }
  uint32_t Pixel(int x, int y) const {
    cairo_surface_flush(surface_);
    auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface_) +
                                                  y * cairo_image_surface_get_stride(surface_));
    return row[x] & 0xFFFFFF;
  }
  int Width() const { return cairo_image_surface_get_width(surface_); }
  int Height() const { return cairo_image_surface_get_height(surface_); }

  struct Ink {
    int count = 0;
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool onlyExactColours = true;
  };
  // Pixels that are not white; every one of them must be `colour`.
  Ink InkOf(uint32_t colour) const {
    Ink ink;
    for (int y = 0; y < Height(); ++y) {
      for (int x = 0; x < Width(); ++x) {
        const uint32_t p = Pixel(x, y);
        if (p == 0xFFFFFF) continue;
        if (p != colour) ink.onlyExactColours = false;
        ++ink.count;
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
      }
    }
    return ink;
  }

 private:
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

// Origins along a baseline from (x, y) in the direction of `angle`, spaced by the glyphs' advances.
std::vector<GlyphOrigin> Layout(const std::vector<Glyph>& glyphs, double x, double y, double angle = 0) {
  std::vector<GlyphOrigin> origins;
  double pen = 0;
  for (const Glyph& g : glyphs) {
    origins.push_back({x + pen * std::cos(angle), y - pen * std::sin(angle)});
    pen += g.advance;
  }
  return origins;
}

TEST(RealisedFont, LatinTextMapsToThePrimaryFaceWithWholePixelAdvances) {
  const auto font = RealiseFont(Face(u"Arial"), -20, 0);
  EXPECT_EQ(font->FamilyName(), "Liberation Sans");
  const auto glyphs = font->MapText(u"Wim 1");
  ASSERT_EQ(glyphs.size(), 5u);
  for (const Glyph& g : glyphs) {
    EXPECT_EQ(g.faceSlot, 0);
    EXPECT_NE(g.index, 0u);
    EXPECT_GT(g.advance, 0);
    EXPECT_EQ(g.advance, std::floor(g.advance));
  }
  EXPECT_GT(glyphs[0].advance, glyphs[2].advance);  // W is wider than i
}

TEST(RealisedFont, CharactersTheFaceLacksComeFromAFallbackFace) {
  const auto font = RealiseFont(Face(u"Arial"), -24, 0);
  const auto glyphs = font->MapText(u"A\u865A\u62DF\u6253\u5370B");
  ASSERT_EQ(glyphs.size(), 6u);
  EXPECT_EQ(glyphs[0].faceSlot, 0);
  EXPECT_EQ(glyphs[5].faceSlot, 0);
  for (size_t i = 1; i <= 4; ++i) {
    EXPECT_GT(glyphs[i].faceSlot, 0) << i;
    EXPECT_NE(glyphs[i].index, 0u) << i;
    EXPECT_NEAR(glyphs[i].advance, 24, 2) << i;  // ideographs are about an em wide
  }
  // The fallback glyphs are drawn, not left as empty boxes.
  Canvas canvas(200, 60);
  cairo_set_source_rgb(canvas.Cr(), 0, 0, 0);
  const std::vector<Glyph> chinese(glyphs.begin() + 1, glyphs.begin() + 2);
  DrawGlyphs(canvas.Cr(), *font, chinese, Layout(chinese, 10, 40), 0);
  EXPECT_GT(canvas.InkOf(0x000000).count, 40);
}

TEST(RealisedFont, ChineseFacesMapChineseAndLatinTextDirectly) {
  const auto font = RealiseFont(Face(u"\u5B8B\u4F53", 400, false, 134), -26, 0);
  EXPECT_EQ(font->FamilyName(), "WenQuanYi Zen Hei Mono");
  for (const Glyph& g : font->MapText(u"\u63A7\u5236\u53F0 Fax")) {
    EXPECT_EQ(g.faceSlot, 0);
    EXPECT_NE(g.index, 0u);
  }
}

TEST(RealisedFont, SurrogatePairsAndUnmappableCharactersStayOneGlyphEach) {
  const auto font = RealiseFont(Face(u"Arial"), -20, 0);
  // A supplementary-plane character is one glyph, a lone surrogate another; neither crashes.
  const auto glyphs = font->MapText(std::u16string(u"\U0001F600x") + char16_t{0xDC00});
  EXPECT_EQ(glyphs.size(), 3u);
  EXPECT_TRUE(font->MapText(u"").empty());
}

TEST(RealisedFont, GlyphIndicesAreTakenInThePrimaryFace) {
  const auto font = RealiseFont(Face(u"Times New Roman"), -20, 0);
  const auto byChar = font->MapText(u"Q");
  ASSERT_EQ(byChar.size(), 1u);
  const uint16_t indices[] = {static_cast<uint16_t>(byChar[0].index), 0xFFFF};
  const auto byIndex = font->MapGlyphIndices(indices);
  ASSERT_EQ(byIndex.size(), 2u);
  EXPECT_EQ(byIndex[0].index, byChar[0].index);
  EXPECT_EQ(byIndex[0].faceSlot, 0);
  EXPECT_EQ(byIndex[0].advance, byChar[0].advance);
  EXPECT_EQ(byIndex[1].index, 0u);  // beyond the face's glyphs: the missing-glyph box
}

TEST(RealisedFont, GlyphsAreDrawnInExactColoursOnly) {
  for (std::u16string face : {u"Arial", u"Times New Roman", u"SimSun"}) {
    for (bool bold : {false, true}) {
      const auto font = RealiseFont(Face(face, bold ? 700 : 400, bold, 134), -17, 0);
      Canvas canvas(300, 50);
      cairo_set_source_rgb(canvas.Cr(), 1, 0, 0);
      const auto glyphs = font->MapText(u"Agile fox \u6253\u5370");
      DrawGlyphs(canvas.Cr(), *font, glyphs, Layout(glyphs, 5.4, 30.6), 0);
      const Canvas::Ink ink = canvas.InkOf(0xFF0000);
      EXPECT_GT(ink.count, 100) << font->FamilyName();
      EXPECT_TRUE(ink.onlyExactColours) << font->FamilyName();
    }
  }
}

// Black text on white, drawn with the font: the set of grey levels that came out.
std::set<uint32_t> GreysOf(const RealisedFont& font, std::u16string_view text) {
  Canvas canvas(400, 80);
  cairo_set_source_rgb(canvas.Cr(), 0, 0, 0);
  const auto glyphs = font.MapText(text);
  DrawGlyphs(canvas.Cr(), font, glyphs, Layout(glyphs, 5, 60), 0);
  std::set<uint32_t> greys;
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x)
      if (uint32_t p = canvas.Pixel(x, y); p != 0 && p != 0xFFFFFF) greys.insert(p);
  return greys;
}

TEST(RealisedFont, SmoothingFollowsTheQualityAndTheFacesGaspTable) {
  constexpr uint8_t kDefault = 0, kClearType = 5;
  // Liberation Sans (for Arial) allows grey below 9 and from 18 pixels; Carlito (for Calibri) at every size.
  EXPECT_TRUE(GreysOf(*RealiseFont(Face(u"Arial", 400, false, 0, kDefault), -13, 0), u"Hamburg").empty());
  EXPECT_TRUE(GreysOf(*RealiseFont(Face(u"Arial", 400, false, 0, kClearType), -13, 0), u"Hamburg").empty());
  EXPECT_FALSE(GreysOf(*RealiseFont(Face(u"Arial", 400, false, 0, kDefault), -30, 0), u"Hamburg").empty());
  EXPECT_TRUE(GreysOf(*RealiseFont(Face(u"Arial"), -30, 0), u"Hamburg").empty());
  const auto greys = GreysOf(*RealiseFont(Face(u"Calibri", 400, false, 0, kDefault), -13, 0), u"Hamburg 650");
  ASSERT_FALSE(greys.empty());
  // Every grey is one of GDI's 17 gamma steps of coverage.
  const std::set<uint32_t> ramp{0x4d, 0x68, 0x7c, 0x8c, 0x9a, 0xa7, 0xb2, 0xbd,
                                0xc7, 0xd0, 0xd9, 0xe1, 0xe9, 0xf0, 0xf8};
  for (uint32_t p : greys) {
    EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
    EXPECT_TRUE(ramp.count(p & 0xFF)) << std::hex << p;
  }
}

TEST(RealisedFont, InkSitsOnTheBaselineWithinTheCell) {
  const auto font = RealiseFont(Face(u"Arial"), -30, 0);
  Canvas canvas(200, 100);
  cairo_set_source_rgb(canvas.Cr(), 0, 0, 0);
  const auto glyphs = font->MapText(u"Hxg");
  DrawGlyphs(canvas.Cr(), *font, glyphs, Layout(glyphs, 20, 60), 0);
  const Canvas::Ink ink = canvas.InkOf(0);
  EXPECT_GE(ink.top, 60 - font->Metrics().ascent);
  EXPECT_LE(ink.bottom, 60 + font->Metrics().descent);
  EXPECT_LT(ink.top, 45);      // H reaches well above the baseline
  EXPECT_GT(ink.bottom, 60);   // g descends below it
  EXPECT_GE(ink.left, 20);
}

TEST(RealisedFont, EscapementTurnsTheTextAboutTheOrigin) {
  const auto font = RealiseFont(Face(u"Arial"), -20, 0);
  const auto glyphs = font->MapText(u"Rotated");
  double length = 0;
  for (const Glyph& g : glyphs) length += g.advance;
  const double quarter = std::numbers::pi / 2;

  Canvas up(200, 200);  // 90°: the text runs upwards, its tops to the left
  cairo_set_source_rgb(up.Cr(), 0, 0, 1);
  DrawGlyphs(up.Cr(), *font, glyphs, Layout(glyphs, 100, 150, quarter), quarter);
  Canvas::Ink ink = up.InkOf(0x0000FF);
  ASSERT_GT(ink.count, 50);
  EXPECT_TRUE(ink.onlyExactColours);
  EXPECT_LE(ink.bottom, 151);
  EXPECT_GE(ink.top, 150 - length - 2);
  EXPECT_LT(ink.top, 150 - length * 0.7);
  EXPECT_LE(ink.right, 100 + font->Metrics().descent + 1);
  EXPECT_GE(ink.left, 100 - font->Metrics().ascent - 1);

  Canvas down(200, 200);  // 270°: downwards, tops to the right
  cairo_set_source_rgb(down.Cr(), 0, 0, 1);
  DrawGlyphs(down.Cr(), *font, glyphs, Layout(glyphs, 100, 30, -quarter), -quarter);
  ink = down.InkOf(0x0000FF);
  EXPECT_GE(ink.top, 29);
  EXPECT_GT(ink.bottom, 30 + length * 0.7);
  EXPECT_GE(ink.left, 100 - font->Metrics().descent - 1);
  EXPECT_LE(ink.right, 100 + font->Metrics().ascent + 1);
}

TEST(RealisedFont, OutlinesFollowTheGlyphsAndLeaveDrawingToTheCaller) {
  const auto font = RealiseFont(Face(u"Arial", 700), -40, 0);
  const auto glyphs = font->MapText(u"OK");
  Canvas canvas(200, 100);
  cairo_t* cr = canvas.Cr();
  cairo_new_path(cr);
  AppendGlyphOutlines(cr, *font, glyphs, Layout(glyphs, 10, 70), 0);
  double x1, y1, x2, y2;
  cairo_path_extents(cr, &x1, &y1, &x2, &y2);
  EXPECT_GE(x1, 10);
  EXPECT_LT(x1, 16);
  EXPECT_NEAR(y1, 70 - 40 * 0.73, 3);  // cap height of Arial
  EXPECT_NEAR(y2, 70, 2);
  EXPECT_EQ(canvas.InkOf(0).count, 0);  // nothing drawn yet
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_fill(cr);
  EXPECT_GT(canvas.InkOf(0).count, 200);
}

// Counts what a flattened outline is made of and where its points lie.
struct FlatCount final : OutlineSink {
  int moves = 0, lines = 0, curves = 0, closes = 0;
  bool open = false, lineOutsideContour = false;
  double minY = 1e9, maxY = -1e9;
  void Point(double y) { minY = std::min(minY, y), maxY = std::max(maxY, y); }
  void MoveTo(double, double y) override { ++moves, open = true, Point(y); }
  void LineTo(double, double y) override {
    ++lines, Point(y);
    if (!open) lineOutsideContour = true;
  }
  void CurveTo(double, double, double, double, double, double) override { ++curves; }
  void Close() override { ++closes, open = false; }
};

TEST(RealisedFont, FlattenedOutlinesAreClosedContoursOfLinesOnly) {
  const auto font = RealiseFont(Face(u"Arial"), -40, 0);
  const auto glyphs = font->MapText(u"OS");
  FlatCount flat;
  FlattenGlyphOutlines(*font, glyphs, Layout(glyphs, 10, 70), GlyphMatrix{}, flat);
  EXPECT_EQ(flat.curves, 0);
  EXPECT_EQ(flat.closes, 3);  // the O's two contours and the S
  EXPECT_GE(flat.moves, flat.closes);
  EXPECT_FALSE(flat.lineOutsideContour);
  EXPECT_GT(flat.lines, 40);  // curves came as many short lines
  EXPECT_NEAR(flat.minY, 70 - 40 * 0.74, 3);
  EXPECT_NEAR(flat.maxY, 70, 2);
}

TEST(RealisedFont, LargeTextIsFilledAsPathsInExactColoursAndKeepsTheCallersPath) {
  const auto font = RealiseFont(Face(u"Times New Roman"), -600, 0);
  const auto glyphs = font->MapText(u"T");
  Canvas canvas(500, 700);
  cairo_t* cr = canvas.Cr();
  cairo_move_to(cr, 1, 1);
  cairo_line_to(cr, 2, 2);
  cairo_set_source_rgb(cr, 0, 0.5, 0);
  DrawGlyphs(cr, *font, glyphs, Layout(glyphs, 10, 600), 0);
  const Canvas::Ink ink = canvas.InkOf(0x008000);
  EXPECT_GT(ink.count, 10000);
  EXPECT_TRUE(ink.onlyExactColours);
  double x1, y1, x2, y2;
  cairo_path_extents(cr, &x1, &y1, &x2, &y2);
  EXPECT_EQ(x2, 2);  // the caller's own path is still there
}

TEST(RealisedFont, HostileSizesNeitherCrashNorDrawNonsense) {
  Canvas canvas(100, 100);
  cairo_set_source_rgb(canvas.Cr(), 0, 0, 0);
  for (double height : {-0.4, 0.3, -1e6, 1e7, std::numeric_limits<double>::quiet_NaN(),
                        -std::numeric_limits<double>::infinity(), 5e-324}) {
    const auto font = RealiseFont(Face(u"Arial"), height, std::numeric_limits<double>::infinity());
    ASSERT_NE(font, nullptr);
    const auto glyphs = font->MapText(u"Hi");
    DrawGlyphs(canvas.Cr(), *font, glyphs, Layout(glyphs, 10, 50), 1e300);
    EXPECT_TRUE(std::isfinite(font->Metrics().ascent));
  }
  // Fonts under a pixel draw nothing at all.
  Canvas tiny(100, 100);
  const auto font = RealiseFont(Face(u"Arial"), -0.6, 0);
  const auto glyphs = font->MapText(u"Hi");
  DrawGlyphs(tiny.Cr(), *font, glyphs, Layout(glyphs, 10, 50), 0);
  EXPECT_EQ(tiny.InkOf(0).count, 0);
  // Mismatched spans and non-finite origins are ignored, not read past.
  const GlyphOrigin bad[] = {{std::nan(""), 5}};
  DrawGlyphs(tiny.Cr(), *font, glyphs, bad, 0);
  DrawGlyphs(tiny.Cr(), *RealiseFont(Face(u"Arial"), -12, 0), glyphs, bad, 0);
}

TEST(RealisedFont, BoldWithoutABoldCutIsEmboldened) {
  const auto regular = RealiseFont(Face(u"SimHei", 400, false, 134), -24, 0);
  const auto bold = RealiseFont(Face(u"SimHei", 700, false, 134), -24, 0);
  const auto r = regular->MapText(u"\u6253");
  const auto b = bold->MapText(u"\u6253");
  EXPECT_EQ(b[0].advance, r[0].advance + 1);  // GDI widens emboldened glyphs by one pixel
  Canvas a(60, 40), c(60, 40);
  cairo_set_source_rgb(a.Cr(), 0, 0, 0);
  cairo_set_source_rgb(c.Cr(), 0, 0, 0);
  DrawGlyphs(a.Cr(), *regular, r, Layout(r, 5, 30), 0);
  DrawGlyphs(c.Cr(), *bold, b, Layout(b, 5, 30), 0);
  EXPECT_GT(c.InkOf(0).count, a.InkOf(0).count);
  // A face with a bold cut uses it.
  EXPECT_EQ(RealiseFont(Face(u"Arial", 700), -24, 0)->FamilyName(), "Liberation Sans");
}

TEST(RealisedFont, ItalicWithoutAnItalicCutIsSlanted) {
  const auto upright = RealiseFont(Face(u"SimHei", 400, false, 134), -30, 0);
  const auto slanted = RealiseFont(Face(u"SimHei", 400, true, 134), -30, 0);
  const auto glyphs = upright->MapText(u"I");
  Canvas a(60, 50), b(60, 50);
  cairo_set_source_rgb(a.Cr(), 0, 0, 0);
  cairo_set_source_rgb(b.Cr(), 0, 0, 0);
  DrawGlyphs(a.Cr(), *upright, glyphs, Layout(glyphs, 20, 40), 0);
  DrawGlyphs(b.Cr(), *slanted, glyphs, Layout(glyphs, 20, 40), 0);
  const Canvas::Ink straight = a.InkOf(0), leaning = b.InkOf(0);
  ASSERT_GT(straight.count, 20);
  // The stem of I leans right: the slanted ink spans more columns, and not fewer rows.
  EXPECT_GT(leaning.right - leaning.left, straight.right - straight.left + 2);
  EXPECT_GE(leaning.bottom - leaning.top, straight.bottom - straight.top);
}

TEST(RealisedFont, RequestedWidthStretchesTheGlyphs) {
  const auto natural = RealiseFont(Face(u"Arial"), -20, 0);
  const auto wide = RealiseFont(Face(u"Arial"), -20, natural->Metrics().averageCharWidth * 2);
  EXPECT_EQ(wide->Metrics().averageCharWidth, natural->Metrics().averageCharWidth * 2);
  const double n = natural->MapText(u"m")[0].advance;
  const double w = wide->MapText(u"m")[0].advance;
  EXPECT_NEAR(w, 2 * n, 4);  // hinting moves advances by a pixel or two
  // The average width is the face's own (OS/2 xAvgCharWidth, 1187 units in Liberation Sans).
  const auto arial = RealiseFont(Face(u"Arial"), -2048, 0);
  EXPECT_NEAR(arial->Metrics().averageCharWidth, 1187, 30);
}

TEST(RealisedFont, TheSameRequestReusesTheRealisedFont) {
  const auto a = RealiseFont(Face(u"Courier New"), -18, 0);
  const auto b = RealiseFont(Face(u"Courier New"), -18, 0);
  EXPECT_EQ(a.get(), b.get());
  EXPECT_NE(a.get(), RealiseFont(Face(u"Courier New"), -19, 0).get());
  EXPECT_NE(a.get(), RealiseFont(Face(u"Courier New", 700), -18, 0).get());
  EXPECT_NE(a.get(), RealiseFont(Face(u"Courier New", 400, true), -18, 0).get());
  // Heights that come out at the same whole-pixel size share the font.
  EXPECT_EQ(a.get(), RealiseFont(Face(u"Courier New"), -18.4, 0).get());
  // Mapping again gives the same answer from the caches.
  EXPECT_EQ(a->MapText(u"abc")[1].index, b->MapText(u"abc")[1].index);
}

TEST(RealisedFont, SeveralThreadsCanShareFontsAndCaches) {
  std::vector<std::thread> threads;
  std::atomic<int> inked{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &inked] {
      Canvas canvas(120, 40);
      cairo_set_source_rgb(canvas.Cr(), 0, 0, 0);
      for (int i = 0; i < 40; ++i) {
        const auto font = RealiseFont(Face(i % 2 ? u"Arial" : u"SimSun", 400, false, 134), -12 - (i + t) % 5, 0);
        const auto glyphs = font->MapText(u"Ab\u6253\u5370");
        DrawGlyphs(canvas.Cr(), *font, glyphs, Layout(glyphs, 5, 30), (i % 3) * 0.5);
      }
      if (canvas.InkOf(0).count > 0) ++inked;
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(inked, 4);
}

}  // namespace
}  // namespace velto::emf::text
