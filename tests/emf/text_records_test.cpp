// Text records under world transforms: a record made in GM_COMPATIBLE keeps its glyphs upright and
// sized by the vertical scale, one made in GM_ADVANCED follows the whole transform.
#include <cmath>

#include "tests/emf/playback_fixture.h"

namespace velto::test {
namespace {

constexpr uint32_t kCompatible = 1, kAdvanced = 2;

struct InkBox {
  int count = 0;
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

// Pixels darker than mid-grey within columns [x0, x1).
InkBox DarkInk(const emf::Surface& s, int x0 = 0, int x1 = 1 << 30) {
  InkBox box;
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = std::max(0, x0); x < std::min(s.Width(), x1); ++x) {
      if ((s.Pixel(x, y) & 0xFF) >= 128) continue;
      ++box.count;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

// Dark pixels in the ink's top row and in its bottom row.
std::pair<int, int> EdgeRowInk(const emf::Surface& s, const InkBox& ink) {
  int top = 0, bottom = 0;
  for (int x = 0; x < s.Width(); ++x) {
    top += (s.Pixel(x, ink.top) & 0xFF) < 128;
    bottom += (s.Pixel(x, ink.bottom) & 0xFF) < 128;
  }
  return {top, bottom};
}

std::unique_ptr<emf::Surface> DrawUnder(uint32_t mode, float m11, float m12, float m21, float m22, float dx,
                                        float dy, std::u16string_view text, emf::PointL at,
                                        std::span<const int32_t> advances = {}) {
  auto rec = PixelRecorder();
  rec.CreateFont(1, -30, 400, u"Arial").SelectObject(1);
  rec.SetWorldTransform(m11, m12, m21, m22, dx, dy);
  rec.SetTextGraphicsMode(mode).ExtTextOutW(at, text, 0, {}, advances);
  return PlayRecording(rec);
}

TEST(TextRecords, VerticalAlignmentOtherThanTopOrBottomKeepsTheBaseline) {
  auto drawn = [](uint32_t align) {
    auto rec = PixelRecorder();
    rec.CreateFont(1, -30, 400, u"Arial").SelectObject(1).SetTextAlign(align).ExtTextOutW({20, 60}, u"H");
    return DarkInk(*PlayRecording(rec));
  };
  const InkBox top = drawn(0), baseline = drawn(24), stray = drawn(0x10), bottom = drawn(8);
  ASSERT_GT(top.count, 20);
  EXPECT_EQ(baseline.bottom, 59);  // the H stands on row 60
  EXPECT_GT(top.top, 60);
  EXPECT_LT(bottom.bottom, 59);
  // 0x10 is half of TA_BASELINE's bits, neither TA_TOP nor TA_BOTTOM: the text stays on its baseline.
  EXPECT_EQ(stray.top, baseline.top);
  EXPECT_EQ(stray.bottom, baseline.bottom);
}

TEST(TextRecords, CompatibleTextIsNotTurnedByTheWorldTransform) {
  const float c = std::cos(0.5f), s = std::sin(0.5f);
  const InkBox upright = DarkInk(*DrawUnder(kCompatible, c, s, -s, c, 30, 0, u"I", {20, 30}));
  const InkBox turned = DarkInk(*DrawUnder(kAdvanced, c, s, -s, c, 30, 0, u"I", {20, 30}));
  ASSERT_GT(upright.count, 20);
  ASSERT_GT(turned.count, 20);
  EXPECT_LE(upright.Width(), 4);  // a straight stem
  EXPECT_GE(turned.Width(), 9);   // a stem leaning by half a radian
}

TEST(TextRecords, CompatibleTextTakesTheVerticalScaleForBothDirections) {
  const InkBox plain = DarkInk(*DrawUnder(kCompatible, 1, 0, 0, 1, 0, 0, u"H", {10, 10}));
  const InkBox compatible = DarkInk(*DrawUnder(kCompatible, 2, 0, 0, 0.5f, 0, 0, u"H", {10, 20}));
  const InkBox advanced = DarkInk(*DrawUnder(kAdvanced, 2, 0, 0, 0.5f, 0, 0, u"H", {10, 20}));
  ASSERT_GT(plain.count, 20);
  EXPECT_NEAR(compatible.Height(), plain.Height() / 2.0, 2);
  EXPECT_NEAR(compatible.Width(), plain.Width() / 2.0, 2);
  EXPECT_NEAR(advanced.Height(), plain.Height() / 2.0, 2);
  EXPECT_NEAR(advanced.Width(), plain.Width() * 2.0, 3);
}

TEST(TextRecords, CompatibleAdvancesRunRightwardsUnderAMirror) {
  // x mirrored about 50: the reference point moves, the text still runs to the right.
  const std::vector<int32_t> advances{20, 20};
  auto s = DrawUnder(kCompatible, -1, 0, 0, 1, 100, 0, u"II", {70, 30}, advances);
  const InkBox first = DarkInk(*s, 25, 35), second = DarkInk(*s, 45, 55);
  EXPECT_GT(first.count, 10);
  EXPECT_GT(second.count, 10);
  EXPECT_EQ(DarkInk(*s, 0, 25).count, 0);
}

TEST(TextRecords, CompatibleAdvancesFollowTheTurnedBaselineUnderAFlip) {
  // Escapement 270° under a y flip reads upwards on the page (as a y-up chart's axis label does), and
  // the recorded advances must carry the second glyph up too, not down.
  auto rec = PixelRecorder();
  rec.CreateFont(1, -20, 400, u"Arial", false, 1, 2700).SelectObject(1);
  rec.SetWorldTransform(1, 0, 0, -1, 0, 100);
  const std::vector<int32_t> advances{25, 25};
  rec.SetTextGraphicsMode(kCompatible).SetTextAlign(24).ExtTextOutW({50, 30}, u"II", 0, {}, advances);  // TA_BASELINE
  auto s = PlayRecording(rec);
  const InkBox ink = DarkInk(*s);
  ASSERT_GT(ink.count, 10);
  EXPECT_LE(ink.bottom, 72);  // nothing below the reference point at y 70
  EXPECT_LE(ink.top, 50);     // the second glyph 25 pixels higher
}

TEST(TextRecords, CompatibleTextUnderAFlipStaysUpright) {
  // y flipped: "T" keeps its bar on top.
  auto s = DrawUnder(kCompatible, 1, 0, 0, -1, 0, 100, u"T", {30, 40});
  const InkBox ink = DarkInk(*s);
  ASSERT_GT(ink.count, 20);
  const auto [barTop, barBottom] = EdgeRowInk(*s, ink);
  EXPECT_GT(barTop, barBottom * 3);  // the wide bar is the top row, the stem's foot the bottom one
  // Top-aligned at the flipped reference point (100 - 40 = 60), the cell hanging below it.
  EXPECT_GE(ink.top, 60);
  EXPECT_LE(ink.bottom, 60 + 30);
}

TEST(TextRecords, AdvancedTextUnderAFlipIsReflected) {
  // GM_ADVANCED, y flipped: "T" hangs upside down, its bar the bottom row.
  auto s = DrawUnder(kAdvanced, 1, 0, 0, -1, 0, 100, u"T", {30, 70});
  const InkBox ink = DarkInk(*s);
  ASSERT_GT(ink.count, 20);
  const auto [barTop, barBottom] = EdgeRowInk(*s, ink);
  EXPECT_GT(barBottom, barTop * 3);
}

TEST(TextRecords, AdvancedTextUnderAShearLeansWithoutGrowing) {
  // x' = x + y / 2: an upright stem leans, moving right half a pixel for every pixel down, and keeps
  // its height; the same record in compatible mode stays upright.
  const InkBox plain = DarkInk(*DrawUnder(kAdvanced, 1, 0, 0, 1, 0, 0, u"I", {30, 30}));
  const InkBox sheared = DarkInk(*DrawUnder(kAdvanced, 1, 0, 0.5f, 1, 0, 0, u"I", {30, 30}));
  const InkBox compatible = DarkInk(*DrawUnder(kCompatible, 1, 0, 0.5f, 1, 0, 0, u"I", {30, 30}));
  ASSERT_GT(plain.count, 20);
  ASSERT_GT(sheared.count, 20);
  EXPECT_LE(plain.Width(), 4);
  EXPECT_EQ(sheared.Height(), plain.Height());
  EXPECT_GE(sheared.Width(), plain.Width() + plain.Height() / 2 - 2);
  EXPECT_LE(compatible.Width(), 4);
}

TEST(TextRecords, AdvancedTextTurnsGlyphsByOrientationAndTheBaselineByEscapement) {
  // Escapement 90°, orientation 0: upright glyphs stacked upwards in advanced mode; compatible mode
  // turns the glyphs with the baseline.
  auto play = [](uint32_t mode) {
    auto rec = PixelRecorder();
    rec.CreateFont(1, -20, 400, u"Arial", false, 1, 900, 0).SelectObject(1);
    rec.SetTextGraphicsMode(mode).ExtTextOutW({40, 90}, u"II");
    return PlayRecording(rec);
  };
  const InkBox advanced = DarkInk(*play(kAdvanced)), compatible = DarkInk(*play(kCompatible));
  ASSERT_GT(advanced.count, 10);
  ASSERT_GT(compatible.count, 10);
  // Upright stems 14 pixels tall, one an advance (6 pixels) above the other.
  EXPECT_LE(advanced.Width(), 4);
  EXPECT_GE(advanced.Height(), 18);
  // Stems lying down, one above the other along the rising baseline.
  EXPECT_GE(compatible.Width(), 12);
  EXPECT_LE(compatible.Height(), 12);
}

TEST(TextRecords, TextInAPathLeavesLinesAfterItToTheCurrentPosition) {
  auto rec = PixelRecorder();
  rec.CreateFont(1, -30, 400, u"Arial").SelectObject(1);
  rec.Add(emf::EMR_BEGINPATH);
  rec.MoveTo({10, 90});
  rec.ExtTextOutW({20, 10}, u"O");
  rec.LineTo({90, 90});
  rec.Add(emf::EMR_ENDPATH);
  rec.Add(emf::EMR_STROKEPATH, emf::RecordBytes().Rect({0, 0, 100, 100}));
  auto drawn = PlayRecording(rec);
  // The line starts where MOVETOEX left the pen, not at a point of the glyph's outline.
  for (int x : {10, 30, 60, 89}) EXPECT_EQ(drawn->Pixel(x, 90), emf::kBlack) << x;
  // Nothing between the glyph and the line.
  int stray = 0;
  for (int y = 50; y < 88; ++y)
    for (int x = 0; x < 100; ++x) stray += drawn->Pixel(x, y) != emf::kWhite;
  EXPECT_EQ(stray, 0);
}

}  // namespace
}  // namespace velto::test
