// Where Wine's GDI draws otherwise than the records' documentation says, the engine follows the
// documentation. Each case of tests/data/gdi/wine-*.emf keeps Wine's picture beside it; the engine must
// draw what Wine leaves out, in the places the documentation gives.
#include "tests/emf/gdi_reference.h"

namespace velto::test {
namespace {

int Ink(const emf::Surface& surface, int x0, int y0, int x1, int y1, emf::Rgb colour) {
  int count = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) count += surface.Pixel(x, y) == colour;
  return count;
}

int Ink(const Picture& picture, emf::Rgb colour) {
  int count = 0;
  for (emf::Rgb pixel : picture.pixels) count += pixel == colour;
  return count;
}

TEST(WineDifferences, SmallTextOutDrawsItsText) {
  // Wine plays nothing for EMR_SMALLTEXTOUT; the record holds 8-bit characters drawn with the font.
  auto wine = LoadPng(GdiCasePath("wine-smalltextout.png"));
  ASSERT_TRUE(wine);
  EXPECT_EQ(Ink(*wine, emf::kBlack), 0);
  auto ours = PlayGdiCase("wine-smalltextout", wine->width, wine->height);
  // Twelve capitals of a 24-pixel font from (10, 10), upright, left to right.
  EXPECT_GT(Ink(*ours, 10, 10, 40, 34, emf::kBlack), 40);
  EXPECT_GT(Ink(*ours, 120, 10, 200, 34, emf::kBlack), 100);
  EXPECT_EQ(Ink(*ours, 0, 0, wine->width, 8, emf::kBlack), 0);
}

TEST(WineDifferences, DibPatternPensPaintThePattern) {
  // Wine strokes a wide pen with a DIB pattern brush in solid black; the pen's stroke is the pattern.
  auto wine = LoadPng(GdiCasePath("wine-dib-pattern-pen.png"));
  ASSERT_TRUE(wine);
  auto ours = PlayGdiCase("wine-dib-pattern-pen", wine->width, wine->height);
  const emf::Rgb red = emf::MakeRgb(220, 30, 30);
  const emf::Rgb blue = emf::MakeRgb(30, 30, 220);
  // 16 pixels wide around y = 20: half of the stroke's pixels each colour, none black.
  EXPECT_GT(Ink(*ours, 10, 12, 190, 28, red), 1000);
  EXPECT_GT(Ink(*ours, 10, 12, 190, 28, blue), 1000);
  EXPECT_EQ(Ink(*ours, 0, 0, wine->width, wine->height, emf::kBlack), 0);
  EXPECT_EQ(Ink(*wine, red), 0);
}

TEST(WineDifferences, StretchDiBitsFollowsARotatingTransform) {
  // Turned by 30 degrees about (80, 20): the bitmap's quadrants land where the transform puts them.
  auto wine = LoadPng(GdiCasePath("wine-rotated-stretchdibits.png"));
  ASSERT_TRUE(wine);
  auto ours = PlayGdiCase("wine-rotated-stretchdibits", wine->width, wine->height);
  const double c = 0.8660254, s = 0.5;
  auto at = [&](double x, double y) {
    return ours->Pixel(static_cast<int>(80 + c * x - s * y), static_cast<int>(20 + s * x + c * y));
  };
  // The centres of the four quadrants of the 64 × 48 destination.
  EXPECT_EQ(at(16, 12), emf::MakeRgb(200, 30, 30));
  EXPECT_EQ(at(48, 12), emf::MakeRgb(30, 160, 30));
  EXPECT_EQ(at(16, 36), emf::MakeRgb(30, 30, 200));
  EXPECT_EQ(at(48, 36), emf::MakeRgb(230, 200, 20));
  // Outside the turned rectangle, though inside its upright bounds, the page stays white.
  EXPECT_EQ(ours->Pixel(105, 25), emf::kWhite);
  EXPECT_NE(wine->At(105, 25), emf::kWhite);
}

}  // namespace
}  // namespace velto::test
