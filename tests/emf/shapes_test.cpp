// Shapes and lines drawn as GDI draws them into a bitmap: exact pixels, no anti-aliasing.
#include <algorithm>
#include <cmath>

#include "platform/emf/playback/path.h"
#include "tests/emf/playback_fixture.h"

namespace velto::test {
namespace {

using emf::kBlack;
using emf::kWhite;

TEST(PlaybackShapes, FrameMapsOntoTheDestinationRectangle) {
  // Frame 5 mm .. 15 mm on a 10 px/mm device: recording pixels 50..150 land on 0..100 of the destination.
  emf::MetafileRecorder rec(emf::RectL{500, 500, 1500, 1500}, emf::SizeL{1000, 1000}, emf::SizeL{100, 100});
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush).Rectangle({60, 60, 70, 70});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(10, 10), kBlack);
  EXPECT_EQ(s->Pixel(19, 19), kBlack);
  EXPECT_EQ(s->Pixel(9, 9), kWhite);
  EXPECT_EQ(s->Pixel(20, 20), kWhite);

  // Twice the destination size: everything doubles.
  auto metafile = emf::Metafile::FromBytes(rec.Finish());
  auto big = emf::Surface::Create(200, 200, emf::Surface::Kind::Colour);
  big->FillRect({0, 0, 200, 200}, kWhite);
  emf::PlayMetafile(*big, *metafile, {0, 0, 200, 200});
  EXPECT_EQ(big->Pixel(20, 20), kBlack);
  EXPECT_EQ(big->Pixel(39, 39), kBlack);
  EXPECT_EQ(big->Pixel(19, 19), kWhite);
  EXPECT_EQ(big->Pixel(41, 41), kWhite);
}

TEST(PlaybackShapes, RectangleEdgesDuringPlayback) {
  // Playback draws in the advanced graphics mode: the outline covers both edges, 10..20; without a pen
  // the fill stops one pixel short of the right and bottom edges.
  auto rec = PixelRecorder();
  rec.SelectObject(kBlackPen).SelectObject(emf::StockObject(0)).Rectangle({10, 10, 20, 20});
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush).Rectangle({40, 40, 50, 50});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(10, 10), kBlack);
  EXPECT_EQ(s->Pixel(20, 15), kBlack);
  EXPECT_EQ(s->Pixel(15, 20), kBlack);
  EXPECT_EQ(s->Pixel(21, 15), kWhite);
  EXPECT_EQ(s->Pixel(15, 21), kWhite);
  EXPECT_EQ(s->Pixel(15, 15), kWhite);
  EXPECT_EQ(s->Pixel(40, 40), kBlack);
  EXPECT_EQ(s->Pixel(49, 49), kBlack);
  EXPECT_EQ(s->Pixel(50, 45), kWhite);
  EXPECT_EQ(s->Pixel(45, 50), kWhite);
}

TEST(PlaybackShapes, LinesLeaveOutTheirLastPixel) {
  auto rec = PixelRecorder();
  rec.MoveTo({10, 10}).LineTo({20, 10});
  rec.MoveTo({30, 30}).LineTo({30, 40});
  rec.MoveTo({50, 50}).LineTo({60, 60});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(10, 10), kBlack);
  EXPECT_EQ(s->Pixel(19, 10), kBlack);
  EXPECT_EQ(s->Pixel(20, 10), kWhite);
  EXPECT_EQ(s->Pixel(30, 39), kBlack);
  EXPECT_EQ(s->Pixel(30, 40), kWhite);
  EXPECT_EQ(s->Pixel(55, 55), kBlack);
  EXPECT_EQ(s->Pixel(59, 59), kBlack);
  EXPECT_EQ(s->Pixel(60, 60), kWhite);
  // One pixel wide: nothing above or below the horizontal line.
  EXPECT_EQ(s->Pixel(15, 9), kWhite);
  EXPECT_EQ(s->Pixel(15, 11), kWhite);
}

TEST(PlaybackShapes, CosmeticPensStayOnePixelUnderScaling) {
  auto rec = PixelRecorder();
  rec.SetMapMode(8).SetWindowExt({10, 10}).SetViewportExt({40, 40});
  rec.CreatePen(1, 0, 1, emf::ColorRef(0, 0, 0)).SelectObject(1);
  rec.MoveTo({1, 5}).LineTo({20, 5});  // device y 20
  rec.CreatePen(2, 0, 2, emf::ColorRef(0, 0, 0)).SelectObject(2);
  rec.MoveTo({1, 15}).LineTo({20, 15});  // device y 60, 8 pixels wide
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(30, 20), kBlack);
  EXPECT_EQ(s->Pixel(30, 19), kWhite);
  EXPECT_EQ(s->Pixel(30, 21), kWhite);
  int wide = 0;
  for (int y = 50; y < 70; ++y) wide += s->Pixel(30, y) == kBlack;
  EXPECT_EQ(wide, 8);
}

TEST(PlaybackShapes, WidePensTakeWholePixelWidths) {
  // Logical widths at a tenth: the width is the distance between the rounded device points of (0, 0)
  // and (width, 0), cut to whole pixels. 2.9 pixels draw 3 wide, 1.4 one.
  auto thickness = [](int windowOrgX, int width) {
    auto rec = PixelRecorder();
    rec.SetMapMode(8).SetWindowExt({100, 100}).SetViewportExt({10, 10}).SetWindowOrg({windowOrgX, 0});
    rec.CreatePen(1, 0, width, emf::ColorRef(0, 0, 0)).SelectObject(1);
    rec.MoveTo({100 + windowOrgX, 300}).LineTo({800 + windowOrgX, 300});  // device y 30
    auto s = PlayRecording(rec);
    int n = 0;
    for (int y = 20; y < 40; ++y) n += s->Pixel(40, y) == kBlack;
    return n;
  };
  EXPECT_EQ(thickness(0, 29), 3);
  EXPECT_EQ(thickness(0, 14), 1);
  // 1.3 pixels: one wide from a whole-pixel origin, two wide when the origin sits at 0.4 of a pixel.
  EXPECT_EQ(thickness(0, 13), 1);
  EXPECT_EQ(thickness(-4, 13), 2);
}

TEST(PlaybackShapes, SlantedEdgesSamplePixelsAtTheirTopLeftCorner) {
  // A right triangle 10 pixels on its sides: GDI tests each pixel's top-left corner, so row y keeps
  // 10 - y pixels (sampling centres would keep one fewer).
  auto rec = PixelRecorder();
  std::vector<emf::PointL> triangle{{20, 20}, {30, 20}, {20, 30}};
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush).Polygon16(triangle);
  auto s = PlayRecording(rec);
  for (int y = 0; y < 12; ++y) {
    int run = 0;
    for (int x = 15; x < 35; ++x) run += s->Pixel(x, 20 + y) == kBlack;
    EXPECT_EQ(run, std::max(0, 10 - y)) << "row " << y;
  }
}

TEST(PlaybackShapes, OddWidePensCentreOnTheirLine) {
  // Three pixels wide: the line's own row or column and one on each side, as GDI draws it.
  auto rec = PixelRecorder();
  rec.CreatePen(1, 0, 3, emf::ColorRef(0, 0, 0)).SelectObject(1);
  rec.MoveTo({10, 20}).LineTo({40, 20});
  rec.MoveTo({60, 30}).LineTo({60, 80});
  auto s = PlayRecording(rec);
  for (int y = 16; y < 25; ++y) EXPECT_EQ(s->Pixel(25, y) == kBlack, y >= 19 && y <= 21) << "row " << y;
  for (int x = 56; x < 65; ++x) EXPECT_EQ(s->Pixel(x, 50) == kBlack, x >= 59 && x <= 61) << "column " << x;
}

TEST(PlaybackShapes, PolygonFillModesDiffer) {
  // A pentagram: its centre is outside with alternate filling, inside with winding.
  std::vector<emf::PointL> star{{50, 5}, {78, 90}, {5, 35}, {95, 35}, {22, 90}};
  auto alternate = PixelRecorder();
  alternate.SelectObject(kNullPen).SelectObject(kBlackBrush).SetPolyFillMode(1).Polygon16(star);
  auto winding = PixelRecorder();
  winding.SelectObject(kNullPen).SelectObject(kBlackBrush).SetPolyFillMode(2).Polygon16(star);
  auto a = PlayRecording(alternate);
  auto w = PlayRecording(winding);
  EXPECT_EQ(a->Pixel(50, 50), kWhite);
  EXPECT_EQ(w->Pixel(50, 50), kBlack);
  EXPECT_EQ(a->Pixel(50, 20), kBlack);
}

TEST(PlaybackShapes, EllipseStaysInsideItsBox) {
  auto rec = PixelRecorder();
  rec.SelectObject(kBlackBrush).Ellipse({20, 20, 80, 60});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(50, 40), kBlack);
  EXPECT_EQ(s->Pixel(21, 21), kWhite);  // corner of the box is outside the ellipse
  EXPECT_EQ(s->Pixel(50, 19), kWhite);
  EXPECT_EQ(s->Pixel(50, 61), kWhite);
  EXPECT_EQ(s->Pixel(50, 20), kBlack);
  EXPECT_EQ(s->Pixel(50, 60), kBlack);
}

TEST(PlaybackShapes, BeziersAndPathsFill) {
  auto rec = PixelRecorder();
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush);
  rec.Add(emf::EMR_BEGINPATH);
  rec.MoveTo({10, 10}).LineTo({40, 10}).LineTo({40, 40}).LineTo({10, 40});
  rec.Add(emf::EMR_CLOSEFIGURE);
  rec.Add(emf::EMR_ENDPATH);
  // Nothing is drawn while the path is being built; FILLPATH draws it.
  rec.Add(emf::EMR_FILLPATH, emf::RecordBytes().Rect({10, 10, 40, 40}));
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(25, 25), kBlack);
  EXPECT_EQ(s->Pixel(45, 25), kWhite);
}

TEST(PlaybackShapes, CurvesFlattenToWholePixelsWithinAPixel) {
  using emf::playback::FlattenBezier;
  using emf::playback::PointD;
  auto curve = [](PointD p0, PointD p1, PointD p2, PointD p3, double t) {
    double u = 1 - t;
    return PointD{u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
                  u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y};
  };
  // A small, tight curve (a glyph-sized bulge of 6 pixels) still bends: no single chord.
  PointD p0{10, 10}, p1{10, 4}, p2{16, 4}, p3{16, 10};
  std::vector<PointD> out{p0};
  FlattenBezier(p0, p1, p2, p3, out);
  ASSERT_GE(out.size(), 4u);
  for (const PointD& p : out) {
    EXPECT_EQ(p.x, std::round(p.x));
    EXPECT_EQ(p.y, std::round(p.y));
  }
  // Every point of the curve lies within a pixel and a half of the polyline (one pixel of flatness,
  // half a pixel of rounding).
  for (double t = 0; t <= 1.0; t += 1.0 / 64) {
    PointD c = curve(p0, p1, p2, p3, t);
    double best = 1e9;
    for (size_t i = 0; i + 1 < out.size(); ++i) {
      PointD a = out[i], b = out[i + 1];
      double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
      double k = len2 > 0 ? std::clamp(((c.x - a.x) * dx + (c.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
      best = std::min(best, std::hypot(c.x - a.x - k * dx, c.y - a.y - k * dy));
    }
    EXPECT_LE(best, 1.5) << t;
  }
  // A curve across a billion pixels stops halving after eight levels: 256 segments at most.
  std::vector<PointD> huge{{0, 0}};
  FlattenBezier({0, 0}, {0, 1e9}, {1e9, 1e9}, {1e9, 0}, huge);
  EXPECT_LE(huge.size(), 257u);
  EXPECT_EQ(huge.back().x, 1e9);
}

TEST(PlaybackShapes, MonochromeSurfaceEndsBlackAndWhite) {
  auto rec = PixelRecorder();
  rec.CreateBrush(1, 0, emf::ColorRef(200, 30, 30)).SelectObject(1).Rectangle({10, 10, 50, 50});
  rec.CreateBrush(2, 0, emf::ColorRef(250, 250, 200)).SelectObject(2).Rectangle({50, 50, 90, 90});
  auto s = PlayRecording(rec, 100, emf::Surface::Kind::Monochrome);
  for (int y = 0; y < 100; y += 3)
    for (int x = 0; x < 100; x += 3) {
      auto p = s->Pixel(x, y);
      ASSERT_TRUE(p == kBlack || p == kWhite) << x << "," << y;
    }
  EXPECT_EQ(s->Pixel(30, 30), kBlack);
  EXPECT_EQ(s->Pixel(70, 70), kWhite);
}

}  // namespace
}  // namespace velto::test
