// Binary raster operations for pens and brushes, ternary ones for blits, and hatch brushes.
#include "platform/emf/playback/raster_ops.h"
#include "tests/emf/playback_fixture.h"

namespace velto::test {
namespace {

using emf::kBlack;
using emf::kWhite;
using emf::MakeRgb;

// A BITBLT without a source bitmap (pattern and destination operations only).
void AddPatBlt(emf::MetafileRecorder& rec, emf::RectL r, uint32_t rop) {
  emf::RecordBytes b;
  b.Rect(r).I32(r.left).I32(r.top).I32(r.right - r.left).I32(r.bottom - r.top).U32(rop);
  b.I32(0).I32(0).F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
  rec.Add(emf::EMR_BITBLT, b);
}

TEST(RasterOps, TruthTablesMatchTheNamedOperations) {
  using namespace emf::playback;
  uint32_t p = 0xF0F0F0, s = 0xCCCCCC, d = 0xAAAAAA;
  EXPECT_EQ(ApplyRop3(Rop3Table(kSrcCopy), p, s, d) & 0xFFFFFF, s);
  EXPECT_EQ(ApplyRop3(Rop3Table(kPatCopy), p, s, d) & 0xFFFFFF, p);
  EXPECT_EQ(ApplyRop3(Rop3Table(kSrcAnd), p, s, d) & 0xFFFFFF, s & d);
  EXPECT_EQ(ApplyRop3(Rop3Table(kSrcInvert), p, s, d) & 0xFFFFFF, s ^ d);
  EXPECT_EQ(ApplyRop3(Rop3Table(kDstInvert), p, s, d) & 0xFFFFFF, ~d & 0xFFFFFF);
  // MERGEPAINT (0xBB0226): ~S | D, through the general table evaluation.
  EXPECT_EQ(ApplyRop3(0xBB, p, s, d) & 0xFFFFFF, (~s | d) & 0xFFFFFF);
  // Binary operations: R2_XORPEN (7), R2_MASKNOTPEN (3), R2_NOT (6).
  EXPECT_EQ(ApplyRop3(Rop2ToTable(7), p, 0, d) & 0xFFFFFF, p ^ d);
  EXPECT_EQ(ApplyRop3(Rop2ToTable(3), p, 0, d) & 0xFFFFFF, ~p & d & 0xFFFFFF);
  EXPECT_EQ(ApplyRop3(Rop2ToTable(6), p, 0, d) & 0xFFFFFF, ~d & 0xFFFFFF);
  EXPECT_FALSE(Rop3UsesSource(Rop3Table(kPatCopy)));
  EXPECT_TRUE(Rop3UsesSource(Rop3Table(kSrcAnd)));
}

TEST(RasterOps, BinaryOperationsApplyToFillsAndLines) {
  auto rec = PixelRecorder();
  rec.SelectObject(kNullPen);
  rec.CreateBrush(1, 0, emf::ColorRef(255, 0, 0)).SelectObject(1).Rectangle({0, 0, 60, 60});
  rec.SetRop2(7);  // R2_XORPEN with white: inverts
  rec.SelectObject(emf::StockObject(0)).Rectangle({10, 10, 31, 31});
  rec.SetRop2(1);  // R2_BLACK
  rec.Rectangle({40, 40, 51, 51});
  rec.SetRop2(11);  // R2_NOP
  rec.SelectObject(kBlackBrush).Rectangle({70, 70, 91, 91});
  rec.SetRop2(6);  // R2_NOT on a line
  rec.SelectObject(kBlackPen).MoveTo({0, 5}).LineTo({60, 5});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(20, 20), MakeRgb(0, 255, 255));
  EXPECT_EQ(s->Pixel(5, 20), MakeRgb(255, 0, 0));
  EXPECT_EQ(s->Pixel(45, 45), kBlack);
  EXPECT_EQ(s->Pixel(80, 80), kWhite);
  EXPECT_EQ(s->Pixel(30, 5), MakeRgb(0, 255, 255));
}

TEST(RasterOps, AWidePenFrameTakesTheOperationOnceOverItsInnerHalf) {
  // XOR with a 10-pixel pen over a white page: the frame is pen-coloured throughout (once XORed on
  // white), the interior takes the brush once, and nothing is XORed twice.
  auto rec = PixelRecorder();
  rec.CreatePen(1, 0, 10, emf::ColorRef(255, 0, 0)).CreateBrush(2, 0, emf::ColorRef(0, 0, 255));
  rec.SelectObject(1).SelectObject(2).SetRop2(7);  // R2_XORPEN
  rec.Rectangle({20, 20, 80, 80});
  auto s = PlayRecording(rec);
  const emf::Rgb frame = MakeRgb(0, 255, 255), interior = MakeRgb(255, 255, 0);  // white XOR red, XOR blue
  EXPECT_EQ(s->Pixel(20, 50), frame);  // the frame's centre line
  EXPECT_EQ(s->Pixel(23, 50), frame);  // its inner half
  EXPECT_EQ(s->Pixel(17, 50), frame);  // its outer half
  EXPECT_EQ(s->Pixel(50, 50), interior);
  EXPECT_EQ(s->Pixel(12, 50), kWhite);
}

TEST(RasterOps, TernaryOperationsWithoutSource) {
  auto rec = PixelRecorder();
  rec.SelectObject(kBlackBrush);
  AddPatBlt(rec, {0, 0, 50, 50}, 0x00F00021);  // PATCOPY
  AddPatBlt(rec, {25, 25, 75, 75}, 0x00550009);  // DSTINVERT
  rec.CreateBrush(1, 0, emf::ColorRef(0, 0, 255)).SelectObject(1);
  AddPatBlt(rec, {80, 0, 100, 20}, 0x005A0049);  // PATINVERT over white
  AddPatBlt(rec, {80, 80, 100, 100}, 0x00FF0062);  // WHITENESS
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(10, 10), kBlack);
  EXPECT_EQ(s->Pixel(30, 30), kWhite);   // black inverted
  EXPECT_EQ(s->Pixel(60, 60), kBlack);   // white inverted
  EXPECT_EQ(s->Pixel(90, 10), MakeRgb(255, 255, 0));
  EXPECT_EQ(s->Pixel(90, 90), kWhite);
  EXPECT_EQ(s->Pixel(49, 49), kWhite);
  EXPECT_EQ(s->Pixel(50, 50), kBlack);
}

TEST(RasterOps, SourceAndDestinationCombine) {
  auto rec = PixelRecorder();
  rec.SelectObject(kNullPen);
  rec.CreateBrush(1, 0, emf::ColorRef(0, 255, 0)).SelectObject(1).Rectangle({0, 0, 101, 101});
  // A 1 × 1 red bitmap stretched over 40 × 40 with SRCAND and SRCPAINT.
  Dib red = MakeDib(1, 1, 24, {}, {{0, 0, 255}});
  AddStretchDIBits(rec, red, 0, 0, 40, 40, 1, 1, 0x008800C6);   // SRCAND: green & red = black
  AddStretchDIBits(rec, red, 50, 0, 40, 40, 1, 1, 0x00EE0086);  // SRCPAINT: yellow
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(20, 20), kBlack);
  EXPECT_EQ(s->Pixel(70, 20), MakeRgb(255, 255, 0));
  EXPECT_EQ(s->Pixel(20, 60), MakeRgb(0, 255, 0));
}

TEST(RasterOps, HatchBrushHonoursBackgroundMode) {
  auto rec = PixelRecorder();
  rec.SelectObject(kNullPen);
  rec.CreateBrush(1, 0, emf::ColorRef(255, 0, 0)).SelectObject(1).Rectangle({0, 0, 101, 101});
  rec.CreateBrush(2, 2, emf::ColorRef(0, 0, 255), 1);  // HS_VERTICAL, blue
  rec.SelectObject(2).SetBkColor(emf::ColorRef(0, 255, 0));
  rec.SetBkMode(1).Rectangle({0, 0, 41, 41});    // transparent: red shows between the lines
  rec.SetBkMode(2).Rectangle({50, 0, 91, 41});   // opaque: green between the lines
  auto s = PlayRecording(rec);
  // Hatch lines are 8 device pixels apart, anchored at the surface origin: columns 4, 12, 20, ...
  EXPECT_EQ(s->Pixel(4, 10), MakeRgb(0, 0, 255));
  EXPECT_EQ(s->Pixel(12, 30), MakeRgb(0, 0, 255));
  EXPECT_EQ(s->Pixel(6, 10), MakeRgb(255, 0, 0));
  EXPECT_EQ(s->Pixel(60, 10), MakeRgb(0, 0, 255));
  EXPECT_EQ(s->Pixel(62, 10), MakeRgb(0, 255, 0));
}

}  // namespace
}  // namespace velto::test
