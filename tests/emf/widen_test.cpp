// WIDENPATH: the outline of a stroke, as figures and as played.
#include "platform/emf/playback/widen.h"

#include <algorithm>

#include "tests/emf/playback_fixture.h"

namespace velto::test {
namespace {

using emf::playback::Figure;
using emf::playback::PointD;
using emf::playback::WidenCap;
using emf::playback::WidenFigures;
using emf::playback::WidenJoin;
using emf::playback::WidenPen;

struct Box {
  double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
};

Box BoundsOf(const Figure& f) {
  Box b;
  for (const PointD& p : f.points) {
    b.left = std::min(b.left, p.x);
    b.right = std::max(b.right, p.x);
    b.top = std::min(b.top, p.y);
    b.bottom = std::max(b.bottom, p.y);
  }
  return b;
}

WidenPen Pen(double width, WidenCap cap, WidenJoin join = WidenJoin::Round, double miterLimit = 10) {
  WidenPen pen;
  pen.width = width;
  pen.cap = cap;
  pen.join = join;
  pen.miterLimit = miterLimit;
  return pen;
}

TEST(WidenPath, CapsDecideHowFarTheOutlineReachesPastTheEnds) {
  const std::vector<Figure> line{{{{0, 0}, {100, 0}}, false}};
  for (auto [cap, reach] : {std::pair{WidenCap::Flat, 0.0}, {WidenCap::Square, 5.0}, {WidenCap::Round, 5.0}}) {
    auto outline = WidenFigures(line, Pen(10, cap));
    ASSERT_EQ(outline.size(), 1u);
    EXPECT_TRUE(outline[0].closed);
    Box b = BoundsOf(outline[0]);
    EXPECT_NEAR(b.left, -reach, 0.01);
    EXPECT_NEAR(b.right, 100 + reach, 0.01);
    EXPECT_NEAR(b.top, -5, 0.01);
    EXPECT_NEAR(b.bottom, 5, 0.01);
  }
}

TEST(WidenPath, ClosedFiguresGiveAnOuterAndAnInnerOutline) {
  const std::vector<Figure> square{{{{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true}};
  auto outline = WidenFigures(square, Pen(10, WidenCap::Flat, WidenJoin::Miter));
  ASSERT_EQ(outline.size(), 2u);
  Box outer = BoundsOf(outline[0]), inner = BoundsOf(outline[1]);
  if (outer.left > inner.left) std::swap(outer, inner);
  EXPECT_NEAR(outer.left, -5, 0.01);
  EXPECT_NEAR(outer.bottom, 105, 0.01);
  EXPECT_NEAR(inner.left, 5, 0.01);
  EXPECT_NEAR(inner.bottom, 95, 0.01);
  EXPECT_EQ(outline[0].points.size(), 4u);  // mitred corners: one point each
  EXPECT_EQ(outline[1].points.size(), 4u);

  // A miter limit of 1 bevels every outer right angle: two points per corner, none at the sharp tip.
  auto bevelled = WidenFigures(square, Pen(10, WidenCap::Flat, WidenJoin::Miter, 1));
  ASSERT_EQ(bevelled.size(), 2u);
  EXPECT_EQ(bevelled[0].points.size() + bevelled[1].points.size(), 12u);
  for (const Figure& f : bevelled)
    for (const PointD& p : f.points) EXPECT_FALSE(p.x < -4 && p.y < -4);
}

TEST(WidenPath, DegenerateFiguresAndPensDoNotBreakIt) {
  auto spot = WidenFigures({{{{50, 50}, {50, 50}}, false}}, Pen(10, WidenCap::Round));
  ASSERT_EQ(spot.size(), 1u);
  Box b = BoundsOf(spot[0]);
  EXPECT_NEAR(b.right - b.left, 10, 0.01);
  EXPECT_TRUE(WidenFigures({{{{50, 50}}, false}}, Pen(10, WidenCap::Flat)).empty());
  EXPECT_TRUE(WidenFigures({{{{0, 0}, {10, 10}}, false}}, Pen(0, WidenCap::Round)).empty());
  // A line that turns straight back on itself keeps finite points.
  auto back = WidenFigures({{{{0, 0}, {50, 0}, {0, 0}}, false}}, Pen(6, WidenCap::Round, WidenJoin::Miter));
  for (const Figure& f : back)
    for (const PointD& p : f.points) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
}

TEST(WidenPath, FillingTheWidenedPathPaintsTheStroke) {
  auto rec = PixelRecorder();
  rec.CreatePen(1, 0, 10, emf::ColorRef(0, 0, 0));  // PS_SOLID, 10 units: round caps and joins
  rec.SelectObject(1).SelectObject(kBlackBrush);
  rec.Add(emf::EMR_BEGINPATH);
  rec.MoveTo({20, 50}).LineTo({80, 50});
  rec.Add(emf::EMR_ENDPATH);
  rec.Add(emf::EMR_WIDENPATH);
  rec.Add(emf::EMR_FILLPATH, emf::RecordBytes().Rect({0, 0, 100, 100}));
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(50, 50), emf::kBlack);
  EXPECT_EQ(s->Pixel(50, 47), emf::kBlack);
  EXPECT_EQ(s->Pixel(50, 53), emf::kBlack);
  EXPECT_EQ(s->Pixel(17, 50), emf::kBlack);  // the round cap
  EXPECT_EQ(s->Pixel(50, 57), emf::kWhite);
  EXPECT_EQ(s->Pixel(12, 50), emf::kWhite);
}

TEST(WidenPath, ACosmeticPenLeavesThePathAsItIs) {
  auto rec = PixelRecorder();
  rec.SelectObject(kBlackPen).SelectObject(kBlackBrush);
  rec.Add(emf::EMR_BEGINPATH);
  rec.MoveTo({20, 20}).LineTo({80, 20}).LineTo({80, 80});
  rec.Add(emf::EMR_CLOSEFIGURE);
  rec.Add(emf::EMR_ENDPATH);
  rec.Add(emf::EMR_WIDENPATH);
  rec.Add(emf::EMR_FILLPATH, emf::RecordBytes().Rect({0, 0, 100, 100}));
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(70, 30), emf::kBlack);  // inside the triangle
  EXPECT_EQ(s->Pixel(30, 70), emf::kWhite);
}

}  // namespace
}  // namespace velto::test
