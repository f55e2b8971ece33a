// Records beyond the basic shapes: pen styles, arcs, region drawing, pixels, gradients, blending,
// transparent blits, pattern brushes and the text background.
#include "tests/emf/playback_fixture.h"

namespace velto::test {
namespace {

using emf::kBlack;
using emf::kWhite;
using emf::MakeRgb;

constexpr emf::Rgb kRed = MakeRgb(255, 0, 0), kBlue = MakeRgb(0, 0, 255);

TEST(PlaybackRecords, CosmeticDashesAreDevicePixels) {
  auto rec = PixelRecorder();
  rec.SetMapMode(8).SetWindowExt({1, 1}).SetViewportExt({2, 2});  // scaling does not stretch the dashes
  rec.CreatePen(1, 1, 0, 0).SelectObject(1);                        // PS_DASH: 18 on, 6 off
  rec.MoveTo({0, 5}).LineTo({50, 5});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(0, 10), kBlack);
  EXPECT_EQ(s->Pixel(17, 10), kBlack);
  EXPECT_EQ(s->Pixel(18, 10), kWhite);
  EXPECT_EQ(s->Pixel(23, 10), kWhite);
  EXPECT_EQ(s->Pixel(24, 10), kBlack);
}

TEST(PlaybackRecords, OpaqueBackgroundFillsDashGaps) {
  auto rec = PixelRecorder();
  rec.CreatePen(1, 2, 0, 0).SelectObject(1);  // PS_DOT: 3 on, 3 off
  rec.SetBkMode(2).SetBkColor(emf::ColorRef(255, 0, 0));
  rec.MoveTo({0, 5}).LineTo({30, 5});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(1, 5), kBlack);
  EXPECT_EQ(s->Pixel(4, 5), kRed);
  EXPECT_EQ(s->Pixel(7, 5), kBlack);
}

TEST(PlaybackRecords, ArcDirectionPicksTheOtherHalf) {
  // An arc on the circle in 20..80 from the rightmost point to the leftmost: counter-clockwise runs
  // over the top, clockwise under the bottom.
  for (uint32_t direction : {1u, 2u}) {
    auto rec = PixelRecorder();
    rec.Add(emf::EMR_SETARCDIRECTION, emf::RecordBytes().U32(direction));
    rec.Add(emf::EMR_ARC, emf::RecordBytes().Rect({20, 20, 81, 81}).Point({90, 50}).Point({10, 50}));
    auto s = PlayRecording(rec);
    bool top = false, bottom = false;
    for (int y = 18; y < 23; ++y) top = top || s->Pixel(50, y) == kBlack;
    for (int y = 78; y < 83; ++y) bottom = bottom || s->Pixel(50, y) == kBlack;
    EXPECT_EQ(top, direction == 1);
    EXPECT_EQ(bottom, direction == 2);
  }
}

TEST(PlaybackRecords, PieAndChordAreFilled) {
  auto rec = PixelRecorder();
  rec.SelectObject(kBlackBrush);
  // Quarter pie: from the top point round to the left point (counter-clockwise).
  rec.Add(emf::EMR_PIE, emf::RecordBytes().Rect({0, 0, 61, 61}).Point({30, 0}).Point({0, 30}));
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(20, 20), kBlack);
  EXPECT_EQ(s->Pixel(40, 40), kWhite);
  EXPECT_EQ(s->Pixel(40, 20), kWhite);
}

TEST(PlaybackRecords, RegionRecordsFillFrameAndInvert) {
  auto rec = PixelRecorder();
  rec.CreateBrush(1, 0, emf::ColorRef(0, 0, 255));
  emf::RecordBytes fill;
  emf::RecordBytes data = RegionData({{0, 0, 30, 30}});
  fill.Rect({0, 0, 30, 30}).U32(static_cast<uint32_t>(data.Size())).U32(1).Raw(data.Bytes());
  rec.Add(emf::EMR_FILLRGN, fill);
  emf::RecordBytes frame;
  emf::RecordBytes data2 = RegionData({{40, 0, 80, 40}});
  frame.Rect({40, 0, 80, 40}).U32(static_cast<uint32_t>(data2.Size())).U32(emf::StockObject(4)).I32(2).I32(2).Raw(data2.Bytes());
  rec.Add(emf::EMR_FRAMERGN, frame);
  emf::RecordBytes invert;
  emf::RecordBytes data3 = RegionData({{20, 20, 50, 50}});
  invert.Rect({20, 20, 50, 50}).U32(static_cast<uint32_t>(data3.Size())).Raw(data3.Bytes());
  rec.Add(emf::EMR_INVERTRGN, invert);
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(10, 10), kBlue);
  EXPECT_EQ(s->Pixel(25, 25), MakeRgb(255, 255, 0));  // blue inverted
  EXPECT_EQ(s->Pixel(41, 10), kBlack);                 // inside the 2-pixel frame
  EXPECT_EQ(s->Pixel(41, 30), kWhite);                 // frame, then inverted
  EXPECT_EQ(s->Pixel(60, 10), kWhite);                 // inside the framed region, not the frame
  EXPECT_EQ(s->Pixel(45, 45), kBlack);                 // white inverted
}

TEST(PlaybackRecords, SetPixelAndGradient) {
  auto rec = PixelRecorder();
  rec.Add(emf::EMR_SETPIXELV, emf::RecordBytes().Point({5, 6}).U32(emf::ColorRef(255, 0, 0)));
  // Horizontal gradient from black at x 10 to white at x 90, rows 20..40.
  emf::RecordBytes g;
  g.Rect({10, 20, 90, 40}).U32(2).U32(1).U32(0);
  g.I32(10).I32(20).U16(0).U16(0).U16(0).U16(0);
  g.I32(90).I32(40).U16(0xFF00).U16(0xFF00).U16(0xFF00).U16(0);
  g.U32(0).U32(1);
  rec.Add(emf::EMR_GRADIENTFILL, g);
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(5, 6), kRed);
  EXPECT_EQ(s->Pixel(4, 6), kWhite);
  int left = emf::RedOf(s->Pixel(15, 30)), middle = emf::RedOf(s->Pixel(50, 30)), right = emf::RedOf(s->Pixel(85, 30));
  EXPECT_LT(left, middle);
  EXPECT_LT(middle, right);
  EXPECT_NEAR(middle, 128, 12);
}

TEST(PlaybackRecords, TriangleGradientBlendsItsCornersAndStaysInside) {
  auto rec = PixelRecorder();
  emf::RecordBytes g;
  g.Rect({10, 10, 90, 90}).U32(3).U32(1).U32(2);  // GRADIENT_FILL_TRIANGLE
  g.I32(10).I32(10).U16(0xFF00).U16(0).U16(0).U16(0);  // red
  g.I32(90).I32(10).U16(0).U16(0xFF00).U16(0).U16(0);  // green
  g.I32(10).I32(90).U16(0).U16(0).U16(0xFF00).U16(0);  // blue
  g.U32(0).U32(1).U32(2);
  rec.Add(emf::EMR_GRADIENTFILL, g);
  auto s = PlayRecording(rec);
  const emf::Rgb nearRed = s->Pixel(12, 12), centre = s->Pixel(36, 36);
  EXPECT_GT(emf::RedOf(nearRed), 230);
  EXPECT_LT(emf::GreenOf(nearRed), 25);
  for (int channel : {emf::RedOf(centre), emf::GreenOf(centre), emf::BlueOf(centre)}) EXPECT_NEAR(channel, 85, 12);
  EXPECT_EQ(s->Pixel(80, 80), kWhite);  // beyond the long edge
}

// EMR_TRANSPARENTBLT and EMR_ALPHABLEND share STRETCHBLT's layout with their own word at offset 40.
void AddBlt(emf::MetafileRecorder& rec, uint32_t type, const Dib& dib, emf::RectL dest, uint32_t word, int srcW, int srcH) {
  emf::RecordBytes b;
  uint32_t offBmi = 108, offBits = offBmi + static_cast<uint32_t>(dib.info.size());
  b.Rect(dest).I32(dest.left).I32(dest.top).I32(dest.right - dest.left).I32(dest.bottom - dest.top).U32(word);
  b.I32(0).I32(0).F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0);
  b.U32(offBmi).U32(static_cast<uint32_t>(dib.info.size())).U32(offBits).U32(static_cast<uint32_t>(dib.bits.size()));
  b.I32(srcW).I32(srcH).Raw(dib.info).Raw(dib.bits);
  rec.Add(type, b);
}

TEST(PlaybackRecords, TransparentBltLeavesTheKeyColourOut) {
  auto rec = PixelRecorder();
  Dib dib = MakeDib(2, 1, 24, {}, {{0, 0, 255, 255, 0, 255}});  // red, magenta
  AddBlt(rec, emf::EMR_TRANSPARENTBLT, dib, {0, 0, 40, 20}, emf::ColorRef(255, 0, 255), 2, 1);
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(10, 10), kRed);
  EXPECT_EQ(s->Pixel(30, 10), kWhite);
}

TEST(PlaybackRecords, AlphaBlendWithConstantAlpha) {
  auto rec = PixelRecorder();
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush).Rectangle({0, 0, 101, 101});
  Dib white = MakeDib(1, 1, 24, {}, {{255, 255, 255}});
  AddBlt(rec, emf::EMR_ALPHABLEND, white, {0, 0, 40, 40}, 0x00800000u, 1, 1);  // SourceConstantAlpha 128
  auto s = PlayRecording(rec);
  EXPECT_NEAR(emf::GreenOf(s->Pixel(20, 20)), 128, 3);
  EXPECT_EQ(s->Pixel(60, 60), kBlack);
}

TEST(PlaybackRecords, PatternBrushTilesInDevicePixels) {
  auto rec = PixelRecorder();
  // A 2 × 2 checkerboard of red and blue, scaled mapping: the tile stays 2 × 2 device pixels.
  Dib dib = MakeDib(2, 2, 24, {}, {{0, 0, 255, 255, 0, 0}, {255, 0, 0, 0, 0, 255}});
  emf::RecordBytes b;
  uint32_t offBmi = 32, offBits = offBmi + static_cast<uint32_t>(dib.info.size());
  b.U32(1).U32(0).U32(offBmi).U32(static_cast<uint32_t>(dib.info.size())).U32(offBits)
      .U32(static_cast<uint32_t>(dib.bits.size())).Raw(dib.info).Raw(dib.bits);
  rec.CreateBrush(1, 0, 0);  // reserves handle 1 in the header's table
  rec.Add(emf::EMR_CREATEDIBPATTERNBRUSHPT, b);
  rec.SetMapMode(8).SetWindowExt({1, 1}).SetViewportExt({5, 5});
  rec.SelectObject(1).SelectObject(kNullPen).Rectangle({0, 0, 10, 10});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(0, 0), kRed);
  EXPECT_EQ(s->Pixel(1, 0), kBlue);
  EXPECT_EQ(s->Pixel(0, 1), kBlue);
  EXPECT_EQ(s->Pixel(2, 2), kRed);
  EXPECT_EQ(s->Pixel(3, 2), kBlue);
}

// EMR_EXTCREATEPEN: a geometric pen `width` wide with the given brush style, colour and hatch, and
// an optional pattern DIB after the fixed part.
void AddExtCreatePen(emf::MetafileRecorder& rec, uint32_t handle, uint32_t style, int width, uint32_t brushStyle,
                     uint32_t colour, uint32_t hatch, const Dib* pattern = nullptr) {
  emf::RecordBytes b;
  uint32_t offBmi = pattern ? 52 : 0, cbBmi = pattern ? static_cast<uint32_t>(pattern->info.size()) : 0;
  uint32_t offBits = pattern ? offBmi + cbBmi : 0, cbBits = pattern ? static_cast<uint32_t>(pattern->bits.size()) : 0;
  b.U32(handle).U32(offBmi).U32(cbBmi).U32(offBits).U32(cbBits);
  b.U32(style).I32(width).U32(brushStyle).U32(colour).U32(hatch).U32(0);
  if (pattern) b.Raw(pattern->info).Raw(pattern->bits);
  rec.CreateBrush(handle, 0, 0);  // reserves the handle in the header's table
  rec.Add(emf::EMR_EXTCREATEPEN, b);
}

TEST(PlaybackRecords, GeometricPensTakeTheirBrush) {
  constexpr uint32_t kGeometricFlat = 0x10000 | 0x200;
  auto rec = PixelRecorder();
  // A hatch style past HS_DIAGCROSS strokes solid, as the same brush fills solid.
  AddExtCreatePen(rec, 1, kGeometricFlat, 8, 2, emf::ColorRef(0, 0, 255), 6);
  rec.SelectObject(1).MoveTo({10, 10}).LineTo({90, 10});
  // A BS_PATTERN pen carries a black-and-white bitmap: it strokes in the text and background colours.
  Dib stripes = MakeDib(8, 8, 1, {0x000000, 0xFFFFFF}, {{0x00}, {0xFF}, {0x00}, {0xFF}, {0x00}, {0xFF}, {0x00}, {0xFF}});
  AddExtCreatePen(rec, 2, kGeometricFlat, 8, 3, 0, 0, &stripes);
  rec.SetTextColor(emf::ColorRef(255, 0, 0)).SetBkColor(emf::ColorRef(0, 0, 255));
  rec.SelectObject(2).MoveTo({10, 50}).LineTo({90, 50});
  auto s = PlayRecording(rec);
  for (int x : {12, 40, 87})
    for (int y : {7, 8, 10, 13}) EXPECT_EQ(s->Pixel(x, y), kBlue) << x << "," << y;
  int red = 0, blue = 0;
  for (int y = 46; y < 54; ++y) {
    auto p = s->Pixel(50, y);
    red += p == kRed;
    blue += p == kBlue;
  }
  EXPECT_EQ(red, 4);
  EXPECT_EQ(blue, 4);
}

TEST(PlaybackRecords, HatchStylesPastDiagCrossPaintSolid) {
  auto rec = PixelRecorder();
  rec.CreateBrush(1, 2, emf::ColorRef(0, 0, 255), 6);  // HS_SOLIDCLR
  rec.CreateBrush(2, 2, emf::ColorRef(0, 0, 255), 11);  // HS_DITHEREDBKCLR
  rec.SelectObject(kNullPen).SelectObject(1).Rectangle({0, 0, 20, 20});
  rec.SelectObject(2).Rectangle({40, 0, 60, 20});
  auto s = PlayRecording(rec);
  for (int x : {0, 3, 7, 10, 40, 43, 50})
    for (int y : {0, 1, 4, 9}) EXPECT_EQ(s->Pixel(x, y), kBlue) << x << "," << y;
}

// A monochrome brush over a 1-bit 8 × 8 DIB of vertical stripes (bit 1 in even columns).
emf::Surface* MonoBrushStripes(std::unique_ptr<emf::Surface>& keep, const std::vector<uint32_t>& table) {
  auto rec = PixelRecorder();
  std::vector<std::vector<uint8_t>> rows(8, std::vector<uint8_t>{0xAA});
  Dib dib = MakeDib(8, 8, 1, table, rows);
  emf::RecordBytes b;
  uint32_t offBmi = 32, offBits = offBmi + static_cast<uint32_t>(dib.info.size());
  b.U32(1).U32(0).U32(offBmi).U32(static_cast<uint32_t>(dib.info.size())).U32(offBits)
      .U32(static_cast<uint32_t>(dib.bits.size())).Raw(dib.info).Raw(dib.bits);
  rec.CreateBrush(1, 0, 0);
  rec.Add(emf::EMR_CREATEMONOBRUSH, b);
  rec.SetTextColor(emf::ColorRef(255, 0, 0)).SetBkColor(emf::ColorRef(0, 0, 255));
  rec.SelectObject(1).SelectObject(kNullPen).Rectangle({0, 0, 16, 16});
  keep = PlayRecording(rec);
  return keep.get();
}

TEST(PlaybackRecords, MonoBrushTakesContextColoursOnlyForABlackAndWhiteTable) {
  std::unique_ptr<emf::Surface> keep;
  // Black and white: text colour for 0 bits, background colour for 1 bits.
  const emf::Surface* s = MonoBrushStripes(keep, {0x000000, 0xFFFFFF});
  EXPECT_EQ(s->Pixel(0, 0), kBlue);
  EXPECT_EQ(s->Pixel(1, 0), kRed);
  // Any other table keeps its own colours.
  s = MonoBrushStripes(keep, {0x808080, 0x00FF00});
  EXPECT_EQ(s->Pixel(0, 0), MakeRgb(0, 255, 0));
  EXPECT_EQ(s->Pixel(1, 0), MakeRgb(128, 128, 128));
}

// EMR_EXTFLOODFILL from (x, y) with `colour` and mode 0 (border) or 1 (surface).
void AddFloodFill(emf::MetafileRecorder& rec, int x, int y, uint32_t colour, uint32_t mode) {
  rec.Add(emf::EMR_EXTFLOODFILL, emf::RecordBytes().I32(x).I32(y).U32(colour).U32(mode));
}

TEST(PlaybackRecords, FloodFillStopsAtTheBorderOrKeepsToTheSurface) {
  auto rec = PixelRecorder();
  // A blue frame 20..60 with a gap-free border, and a red block outside it.
  rec.CreateBrush(1, 0, emf::ColorRef(0, 0, 255)).CreateBrush(2, 0, emf::ColorRef(255, 0, 0));
  rec.SelectObject(kNullPen).SelectObject(1);
  rec.Rectangle({20, 20, 61, 22}).Rectangle({20, 59, 61, 61}).Rectangle({20, 20, 22, 61}).Rectangle({59, 20, 61, 61});
  rec.SelectObject(2).Rectangle({70, 70, 90, 90});
  rec.CreateBrush(3, 0, emf::ColorRef(0, 255, 0)).SelectObject(3);
  AddFloodFill(rec, 40, 40, emf::ColorRef(0, 0, 255), 0);  // inside the frame, up to the blue border
  AddFloodFill(rec, 80, 80, emf::ColorRef(255, 0, 0), 1);  // the red surface
  AddFloodFill(rec, 5, 5, emf::ColorRef(0, 0, 0), 1);      // not black there: nothing happens
  auto s = PlayRecording(rec);
  const emf::Rgb green = MakeRgb(0, 255, 0);
  EXPECT_EQ(s->Pixel(40, 40), green);
  EXPECT_EQ(s->Pixel(22, 22), green);
  EXPECT_EQ(s->Pixel(21, 40), kBlue);  // the border itself stays
  EXPECT_EQ(s->Pixel(10, 10), kWhite);  // outside the frame
  EXPECT_EQ(s->Pixel(80, 80), green);
  EXPECT_EQ(s->Pixel(89, 89), green);
  EXPECT_EQ(s->Pixel(95, 95), kWhite);
}

TEST(PlaybackRecords, OpaqueTextRectangleUsesTheBackgroundColour) {
  auto rec = PixelRecorder();
  rec.SetBkColor(emf::ColorRef(0, 0, 255));
  rec.CreateFont(1, -12, 400, u"Arial").SelectObject(1);
  rec.ExtTextOutW({10, 10}, u"", 0x2, {5, 5, 40, 30});  // ETO_OPAQUE with no text
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(5, 5), kBlue);
  EXPECT_EQ(s->Pixel(39, 29), kBlue);
  EXPECT_EQ(s->Pixel(40, 30), kWhite);
  EXPECT_EQ(s->Pixel(50, 50), kWhite);
}

// Topmost inked row within columns [x0, x1), or -1.
int TopInk(const emf::Surface& s, int x0, int x1) {
  for (int y = 0; y < s.Height(); ++y)
    for (int x = x0; x < x1; ++x)
      if (s.Pixel(x, y) != kWhite) return y;
  return -1;
}

TEST(PlaybackRecords, PdyAdvancesMoveGlyphsUp) {
  auto rec = PixelRecorder();
  rec.CreateFont(1, -20, 400, u"Arial").SelectObject(1);
  // Pairs of (dx, dy): the second glyph sits 15 units higher; dy counts upwards.
  std::vector<int32_t> dx{40, 15, 40, 0};
  rec.ExtTextOutW({10, 60}, u"II", 0x2000, {}, dx);
  auto s = PlayRecording(rec);
  int first = TopInk(*s, 0, 40), second = TopInk(*s, 40, 100);
  ASSERT_GE(first, 0);
  ASSERT_GE(second, 0);
  EXPECT_NEAR(first - second, 15, 2);
}

TEST(PlaybackRecords, PolyPolygonFillsEveryPart) {
  auto rec = PixelRecorder();
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush);
  emf::RecordBytes b;
  b.Rect({0, 0, 100, 100}).U32(2).U32(8).U32(4).U32(4);
  for (auto p : {emf::PointL{0, 0}, {20, 0}, {20, 20}, {0, 20}, {50, 50}, {70, 50}, {70, 70}, {50, 70}})
    b.I16(static_cast<int16_t>(p.x)).I16(static_cast<int16_t>(p.y));
  rec.Add(emf::EMR_POLYPOLYGON16, b);
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(10, 10), kBlack);
  EXPECT_EQ(s->Pixel(60, 60), kBlack);
  EXPECT_EQ(s->Pixel(35, 35), kWhite);
}

}  // namespace
}  // namespace velto::test

namespace velto::test {
namespace {

// EMR_MASKBLT with a 1-bit mask (none when `mask` is null); by default the background operation keeps
// the page (MAKEROP4(SRCCOPY, dest)).
void AddMaskBlt(emf::MetafileRecorder& rec, const Dib& src, const Dib* mask, emf::RectL dest,
                uint32_t rop = 0xAACC0020u, uint32_t maskUsage = 0) {
  emf::RecordBytes b;
  uint32_t offBmi = 128, offBits = offBmi + static_cast<uint32_t>(src.info.size());
  uint32_t offMask = mask ? offBits + static_cast<uint32_t>(src.bits.size()) : 0;
  uint32_t offMaskBits = mask ? offMask + static_cast<uint32_t>(mask->info.size()) : 0;
  b.Rect(dest).I32(dest.left).I32(dest.top).I32(dest.right - dest.left).I32(dest.bottom - dest.top).U32(rop);
  b.I32(0).I32(0).F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0);
  b.U32(offBmi).U32(static_cast<uint32_t>(src.info.size())).U32(offBits).U32(static_cast<uint32_t>(src.bits.size()));
  b.I32(0).I32(0).U32(maskUsage);
  if (mask) {
    b.U32(offMask).U32(static_cast<uint32_t>(mask->info.size())).U32(offMaskBits);
    b.U32(static_cast<uint32_t>(mask->bits.size()));
  } else {
    b.U32(0).U32(0).U32(0).U32(0);
  }
  b.Raw(src.info).Raw(src.bits);
  if (mask) b.Raw(mask->info).Raw(mask->bits);
  rec.Add(emf::EMR_MASKBLT, b);
}

std::vector<std::vector<uint8_t>> RedRows() {
  return std::vector<std::vector<uint8_t>>(8, std::vector<uint8_t>{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255,
                                                                    0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255});
}

// GDI records a MASKBLT's mask without a colour table (DIB_PAL_INDICES): its bits are the mask itself.
// (Wine's playback reads such a mask as all zeros and draws the background operation everywhere;
// MaskBlt's documentation and the recorded bits say where the foreground goes.)
TEST(PlaybackRecords, MaskWithoutColourTableIsItsBits) {
  Dib src = MakeDib(8, 8, 24, {}, RedRows());
  std::vector<std::vector<uint8_t>> maskRows(8, std::vector<uint8_t>{0x0F});  // right half 1
  Dib mask = MakeDib(8, 8, 1, {}, maskRows);
  auto rec = PixelRecorder();
  AddMaskBlt(rec, src, &mask, {20, 20, 28, 28}, 0x55CC0020u, 2);  // MAKEROP4(SRCCOPY, DSTINVERT)
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(21, 22), kBlack);                      // 0: the page inverted
  EXPECT_EQ(s->Pixel(26, 22), emf::MakeRgb(255, 0, 0));     // 1: the source
}

// Without a mask MASKBLT is BITBLT with the foreground operation, applied once.
TEST(PlaybackRecords, MaskBltWithoutMaskAppliesTheForegroundOnce) {
  Dib src = MakeDib(8, 8, 24, {}, RedRows());
  auto rec = PixelRecorder();
  AddMaskBlt(rec, src, nullptr, {20, 20, 28, 28}, 0x00660046u);  // SRCINVERT
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(22, 22), emf::MakeRgb(0, 255, 255));  // white XOR red
}

TEST(PlaybackRecords, ShrunkMaskBltLeavesMaskedOutPixelsAlone) {
  // A red 8 × 8 source whose mask lets only the top half through, played at half size.
  Dib src = MakeDib(8, 8, 24, {}, RedRows());
  std::vector<std::vector<uint8_t>> maskRows(8, std::vector<uint8_t>{0x00});
  for (int i = 0; i < 4; ++i) maskRows[i][0] = 0xFF;
  Dib mask = MakeDib(8, 8, 1, {0x000000, 0xFFFFFF}, maskRows);
  auto rec = PixelRecorder();
  AddMaskBlt(rec, src, &mask, {20, 20, 28, 28});
  auto s = PlayRecording(rec, 50);
  EXPECT_EQ(s->Pixel(11, 10), emf::MakeRgb(255, 0, 0));
  EXPECT_EQ(s->Pixel(11, 12), kWhite);  // masked out: neither source nor black
  EXPECT_EQ(s->Pixel(11, 13), kWhite);
}

}  // namespace
}  // namespace velto::test
