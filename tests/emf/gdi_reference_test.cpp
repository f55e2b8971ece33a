// The small metafiles of tests/data/gdi, played one to one and compared pixel for pixel with GDI's own
// playback of them (the PNG beside each; tests/data/gdi/make_cases.py says how both were made).
#include <sstream>
#include <tuple>

#include "platform/emf/playback/ellipse.h"
#include "tests/emf/gdi_reference.h"
#include "tests/emf/playback_fixture.h"

namespace velto::test {
namespace {

using emf::kBlack;
using emf::kWhite;

TEST(GdiReference, WideSegmentsAreRoundedPolygons) {
  // Every cap at widths 2 to 8, slanted into all four quadrants: each segment's corners lie on whole
  // pixels before the fill, so the rows match GDI's exactly.
  ExpectMatchesGdi("wide-lines");
}

TEST(GdiReference, WideJoinsAndClosedFigures) {
  ExpectMatchesGdi("wide-joins");
}

TEST(GdiReference, StandardDashesFollowThePenWidth) {
  // Dash 3 widths, gaps and dots 1 width, along both axes and slanted; round and square ends take a
  // width out of every dash and give it to the gaps.
  ExpectMatchesGdi("geometric-dashes");
}

TEST(GdiReference, StandardDashesScaleWithThePenOnTheDevice) {
  // Under world transforms, uniform and not, and on round polyline corners, where the pattern runs on.
  ExpectMatchesGdi("dashes-transformed");
}

TEST(GdiReference, UserDashesAreDevicePixels) {
  // Whatever the pen's width, its ends, or a world transform that halves everything else.
  ExpectMatchesGdi("user-dashes");
}

TEST(GdiReference, MasksOfMaskBltAndPlgBlt) {
  // Foreground and background operations split by the mask, a mask offset, PLGBLT scaled with its mask.
  ExpectMatchesGdi("mask-blits");
}

TEST(GdiReference, EllipsesWalkTheMidpointCurve) {
  // Rows of CreateEllipticRgn(0, 0, n + 1, n + 1) as GDI builds them, for sizes where a rasterised
  // circle is easy to get slightly wrong.
  auto rows = [](int n) {
    std::ostringstream out;
    emf::playback::EllipseSpans(0, 0, n - 1, n - 1, [&](int y, int x0, int x1) { out << y << ':' << x0 << '-' << x1 << ' '; });
    return out.str();
  };
  EXPECT_EQ(rows(3), "0:1-2 1:0-3 2:1-2 ");
  EXPECT_EQ(rows(9), "0:3-6 1:1-8 2:1-8 3:0-9 4:0-9 5:0-9 6:1-8 7:1-8 8:3-6 ");
  EXPECT_EQ(rows(10), "0:3-7 1:2-8 2:1-9 3:0-10 4:0-10 5:0-10 6:0-10 7:1-9 8:2-8 9:3-7 ");
  EXPECT_EQ(rows(16), "0:5-11 1:4-12 2:2-14 3:2-14 4:1-15 5:0-16 6:0-16 7:0-16 8:0-16 9:0-16 10:0-16 "
                      "11:1-15 12:2-14 13:2-14 14:4-12 15:5-11 ");
  // A box of one pixel is that pixel; a flat box is its row.
  EXPECT_EQ(rows(1), "0:0-1 ");
  std::ostringstream flat;
  emf::playback::EllipseSpans(2, 5, 9, 5, [&](int y, int x0, int x1) { flat << y << ':' << x0 << '-' << x1; });
  EXPECT_EQ(flat.str(), "5:2-10");
}

// A pen with round or square ends draws its dots as circles and squares a width wide, a width apart, all
// along the line. (GDI's own playback draws the first dot only; a dotted pen is documented as dotted.)
TEST(GdiReference, DotsWithRoundAndSquareEndsRunAlongTheLine) {
  auto rec = PixelRecorder();
  for (auto [handle, cap, y] : {std::tuple{1u, 0x000u, 20}, std::tuple{2u, 0x100u, 40}}) {
    emf::RecordBytes pen;
    pen.U32(handle).U32(0).U32(0).U32(0).U32(0).U32(0x10000 | cap | 2).U32(4).U32(0).U32(0).U32(0).U32(0);
    rec.CreateBrush(handle, 0, 0);  // reserves the handle in the header's table
    rec.Add(emf::EMR_EXTCREATEPEN, pen).SelectObject(handle).MoveTo({10, y}).LineTo({90, y});
  }
  auto s = PlayRecording(rec);
  for (int y : {20, 40}) {
    for (int dot = 0; dot < 10; ++dot) {
      const int x = 10 + 8 * dot;
      SCOPED_TRACE(testing::Message() << "dot at " << x << ", " << y);
      EXPECT_EQ(s->Pixel(x - 2, y), kBlack);
      EXPECT_EQ(s->Pixel(x + 1, y), kBlack);
      EXPECT_EQ(s->Pixel(x + 2, y), kWhite);
      EXPECT_EQ(s->Pixel(x + 5, y), kWhite);
    }
    EXPECT_EQ(s->Pixel(10, y - 2), kBlack);
    EXPECT_EQ(s->Pixel(10, y - 3), kWhite);
  }
  // Round dots have their corners cut; square ones fill theirs.
  EXPECT_EQ(s->Pixel(8, 18), kWhite);
  EXPECT_EQ(s->Pixel(8, 38), kBlack);
}

// The segments, ends and joins of a wide line overlap; united first, every pixel inverts exactly once.
TEST(GdiReference, WideLinesTakeTheRasterOperationOncePerPixel) {
  auto rec = PixelRecorder();
  emf::RecordBytes pen;
  pen.U32(1).U32(0).U32(0).U32(0).U32(0).U32(0x10000).U32(9).U32(0).U32(0).U32(0).U32(0);  // round ends and joins
  rec.CreateBrush(1, 0, 0);  // reserves the handle in the header's table
  rec.Add(emf::EMR_EXTCREATEPEN, pen).SelectObject(1).SetRop2(6);  // R2_NOT
  const emf::PointL zigzag[] = {{15, 20}, {50, 70}, {60, 25}, {85, 80}};
  rec.Polyline16(zigzag);
  auto s = PlayRecording(rec);
  // The corners, where segments, joins and caps pile up, are inverted like the rest.
  for (auto [x, y] : {std::pair{15, 20}, {50, 70}, {60, 25}, {85, 80}, {33, 45}, {55, 48}})
    EXPECT_EQ(s->Pixel(x, y), kBlack) << x << ", " << y;
}

}  // namespace
}  // namespace velto::test
