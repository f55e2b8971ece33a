// Map modes, window and viewport, world transforms and the SaveDC stack.
#include "tests/emf/playback_fixture.h"

namespace velto::test {
namespace {

using emf::kBlack;
using emf::kWhite;

emf::RecordBytes XformBytes(float m11, float m12, float m21, float m22, float dx, float dy) {
  return emf::RecordBytes().F32(m11).F32(m12).F32(m21).F32(m22).F32(dx).F32(dy);
}

TEST(PlaybackMapping, AnisotropicWindowAndViewport) {
  auto rec = PixelRecorder();
  rec.SetMapMode(8).SetWindowExt({10, 10}).SetViewportExt({100, 50}).SetWindowOrg({2, 2}).SetViewportOrg({5, 5});
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush).Rectangle({3, 3, 5, 5});
  auto s = PlayRecording(rec);
  // x: (3 - 2) * 10 + 5 = 15 .. (5 - 2) * 10 + 5 = 35; y: 5 + 5 = 10 .. 20.
  EXPECT_EQ(s->Pixel(15, 10), kBlack);
  EXPECT_EQ(s->Pixel(33, 18), kBlack);
  EXPECT_EQ(s->Pixel(14, 12), kWhite);
  EXPECT_EQ(s->Pixel(36, 12), kWhite);
  EXPECT_EQ(s->Pixel(20, 9), kWhite);
  EXPECT_EQ(s->Pixel(20, 21), kWhite);
}

TEST(PlaybackMapping, WidePensTakeTheHorizontalScaleInEveryDirection) {
  // x squeezed to a quarter, y kept: a 20-unit pen is 5 pixels wide, across and along.
  auto rec = PixelRecorder();
  rec.SetMapMode(8).SetWindowExt({400, 100}).SetViewportExt({100, 100});
  rec.CreatePen(1, 0, 20, emf::ColorRef(0, 0, 0)).SelectObject(1);
  rec.MoveTo({40, 30}).LineTo({360, 30});   // horizontal at y 30
  rec.MoveTo({200, 50}).LineTo({200, 90});  // vertical at x 50
  auto s = PlayRecording(rec);
  int across = 0, along = 0;
  for (int y = 0; y < 100; ++y) across += s->Pixel(30, y) == kBlack;
  for (int x = 0; x < 100; ++x) along += s->Pixel(x, 70) == kBlack;
  EXPECT_NEAR(across, 5, 1);
  EXPECT_NEAR(along, 5, 1);
}

TEST(PlaybackMapping, IsotropicKeepsUnitsSquare) {
  auto rec = PixelRecorder();
  rec.SetMapMode(7).SetWindowExt({10, 10}).SetViewportExt({100, 50});
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush).Rectangle({0, 0, 10, 10});
  auto s = PlayRecording(rec);
  // The smaller scale (5 per unit) wins on both axes.
  EXPECT_EQ(s->Pixel(48, 48), kBlack);
  EXPECT_EQ(s->Pixel(60, 20), kWhite);
}

TEST(PlaybackMapping, ScaleViewportExtent) {
  auto rec = PixelRecorder();
  rec.SetMapMode(8).SetWindowExt({10, 10}).SetViewportExt({10, 10});
  rec.Add(emf::EMR_SCALEVIEWPORTEXTEX, emf::RecordBytes().I32(3).I32(1).I32(2).I32(1));
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush).Rectangle({10, 10, 20, 20});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(31, 21), kBlack);
  EXPECT_EQ(s->Pixel(58, 38), kBlack);
  EXPECT_EQ(s->Pixel(29, 25), kWhite);
  EXPECT_EQ(s->Pixel(45, 41), kWhite);
}

TEST(PlaybackMapping, WorldTransformSetAndModified) {
  auto rec = PixelRecorder();
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush);
  rec.Add(emf::EMR_SETWORLDTRANSFORM, XformBytes(2, 0, 0, 2, 10, 0));
  rec.Rectangle({0, 0, 10, 10});  // 10..30 × 0..20
  // Right-multiplying a translation moves in device units after the scale.
  rec.Add(emf::EMR_MODIFYWORLDTRANSFORM, XformBytes(1, 0, 0, 1, 0, 50).U32(3));
  rec.Rectangle({0, 0, 5, 5});  // 10..20 × 50..60
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(11, 1), kBlack);
  EXPECT_EQ(s->Pixel(28, 18), kBlack);
  EXPECT_EQ(s->Pixel(9, 5), kWhite);
  EXPECT_EQ(s->Pixel(11, 51), kBlack);
  EXPECT_EQ(s->Pixel(18, 58), kBlack);
  EXPECT_EQ(s->Pixel(22, 55), kWhite);
}

TEST(PlaybackMapping, FixedMapModeTurnsYUp) {
  auto rec = PixelRecorder();
  // MM_LOMETRIC: y grows upwards; shift the origin down to keep the drawing on the page.
  rec.SetMapMode(2).SetViewportOrg({0, 100});
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush).Rectangle({0, 0, 100, 100});
  auto s = PlayRecording(rec);
  // 100 units of 0.1 mm = 10 mm = 37.8 pixels at 96 per inch, above the origin at y 100.
  EXPECT_EQ(s->Pixel(5, 95), kBlack);
  EXPECT_EQ(s->Pixel(5, 40), kWhite);
  EXPECT_EQ(s->Pixel(50, 95), kWhite);
}

TEST(PlaybackMapping, SaveAndRestoreDC) {
  auto rec = PixelRecorder();
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush);
  rec.SaveDC();
  rec.SelectObject(emf::StockObject(0));
  rec.Add(emf::EMR_SETWORLDTRANSFORM, XformBytes(1, 0, 0, 1, 50, 50));
  rec.SaveDC();
  rec.SetMapMode(8).SetWindowExt({1, 1}).SetViewportExt({3, 3});
  rec.RestoreDC(-2);  // back to the first state: black brush, no transform
  rec.Rectangle({0, 0, 10, 10});
  rec.RestoreDC(-5);  // no such state: ignored
  rec.Rectangle({20, 0, 30, 10});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(5, 5), kBlack);
  EXPECT_EQ(s->Pixel(25, 5), kBlack);
  EXPECT_EQ(s->Pixel(55, 55), kWhite);
}

}  // namespace
}  // namespace velto::test
