#include "playback/wide_stroke.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "playback/ellipse.h"
#include "playback/scan_fill.h"

namespace velto::emf::playback {
namespace {

int64_t RoundHalfUp(double v) { return static_cast<int64_t>(std::floor(v + 0.5)); }
// Away from zero to the next whole number.
int64_t CeilAway(double v) { return static_cast<int64_t>(v < 0 ? -std::ceil(-v) : std::ceil(v)); }

struct P {
  int64_t x = 0, y = 0;
  friend bool operator==(const P&, const P&) = default;
};

PointD ToD(P p) { return {static_cast<double>(p.x), static_cast<double>(p.y)}; }

// The corners of the segment from a to b running in direction `dir` (b - a, or the direction of the
// line a dash was cut from): a's two, then b's two. The sides lie `narrow` and `wide` whole pixels
// away, the rounded halves of the pen's extent across the line along each axis; horizontal and
// vertical segments are rectangles of the pen's width from a to b, the upper or left half the smaller.
// Each end's corner on the right of the direction of travel (on the page, y down) comes first.
std::array<P, 4> SegmentCorners(P a, P b, P dir, int width) {
  const int64_t dx = dir.x, dy = dir.y;
  const int64_t half = width / 2;
  if (dy == 0) {
    const int64_t top = a.y - half, bottom = top + width;
    const int64_t right = dx >= 0 ? bottom : top, left = dx >= 0 ? top : bottom;
    return {P{a.x, right}, P{a.x, left}, P{b.x, left}, P{b.x, right}};
  }
  if (dx == 0) {
    const int64_t west = a.x - half, east = west + width;
    const int64_t right = dy > 0 ? west : east, left = dy > 0 ? east : west;
    return {P{right, a.y}, P{left, a.y}, P{left, b.y}, P{right, b.y}};
  }
  const double length = std::hypot(double(dx), double(dy));
  const double acrossX = width * std::fabs(double(dy)) / length, acrossY = width * std::fabs(double(dx)) / length;
  P narrow{RoundHalfUp(acrossX / 2), RoundHalfUp(acrossY / 2)};
  P wide{RoundHalfUp((acrossX + 1) / 2), RoundHalfUp((acrossY + 1) / 2)};
  if (dx < 0) {
    narrow.y = -narrow.y;
    wide.y = -wide.y;
  }
  if (dy < 0) {
    std::swap(narrow, wide);
    narrow.x = -narrow.x;
    wide.x = -wide.x;
  }
  return {P{a.x - narrow.x, a.y + narrow.y}, P{a.x + wide.x, a.y - wide.y}, P{b.x + wide.x, b.y - wide.y},
          P{b.x - narrow.x, b.y + narrow.y}};
}

// Where a square end moves the end point `end` of a line leaving it in direction `out`: half the pen
// width further on. Horizontal and vertical ends move half the width rounded down; slanted ones round
// the offset apart, the upper end to the nearest pixel and the lower end away from the line.
P SquareEnd(P end, P out, int width) {
  if (out.x == 0 || out.y == 0) {
    const int64_t half = width / 2;
    return {end.x + (out.x > 0 ? half : out.x < 0 ? -half : 0), end.y + (out.y > 0 ? half : out.y < 0 ? -half : 0)};
  }
  const double length = std::hypot(double(out.x), double(out.y));
  const double ox = out.x * (width / 2.0) / length, oy = out.y * (width / 2.0) / length;
  if (out.y > 0) return {end.x + CeilAway(ox), end.y + CeilAway(oy)};
  return {end.x + RoundHalfUp(ox), end.y + RoundHalfUp(oy)};
}

P Neg(P p) { return {-p.x, -p.y}; }

void AddCircle(P p, int width, SpanSet& spans) {
  const int64_t left = p.x - width / 2, top = p.y - width / 2;
  spans.AddEllipse(static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width - 1),
                   static_cast<int>(top + width - 1));
}

// The convex hull of a few points, as a polygon.
std::vector<PointD> Hull(std::vector<P> points) {
  std::sort(points.begin(), points.end(), [](P a, P b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
  points.erase(std::unique(points.begin(), points.end()), points.end());
  if (points.size() < 3) return {};
  auto turn = [](P o, P a, P b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); };
  std::vector<P> hull(points.size() * 2);
  size_t k = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    while (k >= 2 && turn(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
    hull[k++] = points[i];
  }
  for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
    while (k >= lower && turn(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
    hull[k++] = points[i];
  }
  std::vector<PointD> out;
  for (size_t i = 0; i + 1 < k; ++i) out.push_back(ToD(hull[i]));
  return out;
}

// The join at `v` between the segment from `before` and the one to `after`, whose corners are given.
void AddJoin(P before, P v, P after, const std::array<P, 4>& in, const std::array<P, 4>& out,
             const WideStrokeStyle& style, SpanSet& spans) {
  if (style.join == WidenJoin::Round) {
    AddCircle(v, style.width, spans);
    return;
  }
  // The notch between the end of one segment and the start of the next.
  std::vector<P> shape{in[2], in[3], out[0], out[1]};
  const int64_t ax = v.x - before.x, ay = v.y - before.y, bx = after.x - v.x, by = after.y - v.y;
  const double turn = double(ax) * double(by) - double(ay) * double(bx);
  if (style.join == WidenJoin::Miter && turn != 0) {
    // The outer sides of the two segments meet at the miter's tip, unless the corner is too sharp.
    const double cosine = (double(ax) * bx + double(ay) * by) / (std::hypot(double(ax), double(ay)) *
                                                                   std::hypot(double(bx), double(by)));
    const double halfAngleSine = std::sqrt(std::max(0.0, (1 + cosine) / 2));
    if (halfAngleSine > 0 && 1 / halfAngleSine <= style.miterLimit) {
      P a0 = turn < 0 ? in[0] : in[1], a1 = turn < 0 ? in[3] : in[2];
      P b0 = turn < 0 ? out[0] : out[1], b1 = turn < 0 ? out[3] : out[2];
      const double d1x = double(a1.x - a0.x), d1y = double(a1.y - a0.y);
      const double d2x = double(b1.x - b0.x), d2y = double(b1.y - b0.y);
      const double den = d1x * d2y - d1y * d2x;
      if (den != 0) {
        const double t = (double(b0.x - a0.x) * d2y - double(b0.y - a0.y) * d2x) / den;
        const double tipX = a0.x + t * d1x, tipY = a0.y + t * d1y;
        // Nearly straight on, the rounded sides can meet far away: such a tip is no miter.
        if (std::hypot(tipX - v.x, tipY - v.y) <= style.miterLimit * style.width / 2 + 1)
          shape.push_back({RoundHalfUp(tipX), RoundHalfUp(tipY)});
      }
    }
  }
  auto polygon = Hull(std::move(shape));
  if (!polygon.empty()) spans.AddPolygon(polygon);
}

// A piece of line to draw with ends: a whole figure, or a dash cut from one. dirs[i] is the direction of
// the line that segment i lies on (a dash's sub-segments keep their line's direction, whatever their
// rounded ends say); a piece of a single point has one direction, for its square end.
struct Piece {
  std::vector<P> points;
  std::vector<P> dirs;
};

void AddPiece(Piece piece, bool closed, const WideStrokeStyle& style, SpanSet& spans) {
  // Repeated points add nothing.
  std::vector<P> points, dirs;
  for (size_t i = 0; i < piece.points.size(); ++i) {
    if (!points.empty() && piece.points[i] == points.back()) continue;
    if (!points.empty()) dirs.push_back(piece.dirs[i - 1]);
    points.push_back(piece.points[i]);
  }
  if (points.empty()) return;
  if (closed && points.size() > 1 && points.front() == points.back()) {
    points.pop_back();
    dirs.pop_back();
  }
  const int width = style.width;
  if (points.size() == 1) {
    if (style.cap == WidenCap::Round) AddCircle(points[0], width, spans);
    if (style.cap == WidenCap::Square && !piece.dirs.empty()) {
      P dir = piece.dirs[0];
      P ahead = SquareEnd(points[0], dir, width), behind = SquareEnd(points[0], Neg(dir), width);
      if (!(ahead == behind)) {
        auto c = SegmentCorners(behind, ahead, dir, width);
        spans.AddPolygon({ToD(c[0]), ToD(c[1]), ToD(c[2]), ToD(c[3])});
      }
    }
    return;
  }
  if (closed && points.size() < 3) closed = false;
  const size_t n = points.size();
  const size_t segments = closed ? n : n - 1;
  if (closed) dirs.push_back({points[0].x - points[n - 1].x, points[0].y - points[n - 1].y});
  std::vector<std::array<P, 4>> corners(segments);
  for (size_t i = 0; i < segments; ++i) {
    P a = points[i], b = points[(i + 1) % n];
    if (!closed && style.cap == WidenCap::Square) {
      if (i == 0) a = SquareEnd(a, Neg(dirs[0]), width);
      if (i == segments - 1) b = SquareEnd(b, dirs[i], width);
    }
    corners[i] = SegmentCorners(a, b, dirs[i], width);
    spans.AddPolygon({ToD(corners[i][0]), ToD(corners[i][1]), ToD(corners[i][2]), ToD(corners[i][3])});
  }
  for (size_t k = closed ? 0 : 1; k < (closed ? n : n - 1); ++k) {
    size_t in = (k + segments - 1) % segments, out = k % segments;
    AddJoin(points[(k + n - 1) % n], points[k], points[(k + 1) % n], corners[in], corners[out], style, spans);
  }
  if (!closed && style.cap == WidenCap::Round) {
    AddCircle(points.front(), width, spans);
    AddCircle(points.back(), width, spans);
  }
}

int64_t TowardZero(double v) { return static_cast<int64_t>(std::trunc(v + (v < 0 ? -1e-9 : 1e-9))); }

// Cuts the figure into dashes along its length and adds each as a piece of its own.
void AddDashed(const std::vector<P>& points, bool closed, const WideStrokeStyle& style, SpanSet& spans) {
  std::vector<double> pattern;
  double total = 0;
  for (double d : style.dashes) {
    pattern.push_back(std::max(0.0, d));
    total += pattern.back();
  }
  // An odd count repeats with on and off swapped.
  if (pattern.size() % 2) pattern.insert(pattern.end(), pattern.begin(), pattern.end());
  std::vector<P> path = points;
  if (closed && !path.empty()) path.push_back(path.front());
  if (!(total > 0) || path.size() < 2) {
    Piece whole{points, {}};
    for (size_t i = 0; i + 1 < points.size(); ++i)
      whole.dirs.push_back({points[i + 1].x - points[i].x, points[i + 1].y - points[i].y});
    if (whole.dirs.empty()) whole.dirs.push_back({1, 0});
    AddPiece(std::move(whole), closed, style, spans);
    return;
  }
  size_t index = 0;          // the pattern entry being walked
  double left = pattern[0];  // what remains of it
  bool on = true;
  Piece piece;
  // A runaway pattern (tiny dashes along a huge path) stops after this many dashes.
  constexpr size_t kMaxDashes = size_t{1} << 20;
  size_t dashes = 0;
  for (size_t i = 0; i + 1 < path.size(); ++i) {
    const P a = path[i], b = path[i + 1];
    const P dir{b.x - a.x, b.y - a.y};
    const double length = std::hypot(double(dir.x), double(dir.y));
    if (length == 0) continue;
    const PointD unit{dir.x / length, dir.y / length};
    // Dash ends fall on whole pixels, their offset from the segment's start cut towards it.
    auto at = [&](double t) { return P{a.x + TowardZero(unit.x * t), a.y + TowardZero(unit.y * t)}; };
    double walked = 0;
    if (on) {
      if (piece.points.empty()) piece.points.push_back(a);
      else piece.dirs.push_back(dir);  // the piece goes on round the corner
    }
    while (walked + left <= length) {
      walked += left;
      P p = at(walked);
      if (on) {
        piece.points.push_back(p);
        if (piece.dirs.size() < piece.points.size() - 1) piece.dirs.push_back(dir);
        AddPiece(std::move(piece), false, style, spans);
        piece = Piece{};
        if (++dashes > kMaxDashes) return;
      } else {
        piece.points.push_back(p);
      }
      on = !on;
      index = (index + 1) % pattern.size();
      left = pattern[index];
    }
    left -= length - walked;
    if (on) {
      piece.points.push_back(b);
      if (piece.dirs.size() < piece.points.size() - 1) piece.dirs.push_back(dir);
    }
  }
  if (on && !piece.points.empty()) {
    if (piece.dirs.empty()) piece.dirs.push_back({1, 0});
    AddPiece(std::move(piece), false, style, spans);
  }
}

}  // namespace

SpanSet::SpanSet(const RectL& limit) : limit_(limit) {
  if (!IsEmpty(limit_)) rows_.resize(static_cast<size_t>(limit_.Height()));
}

void SpanSet::Add(int y, int x0, int x1) {
  if (y < limit_.top || y >= limit_.bottom) return;
  x0 = std::max(x0, limit_.left);
  x1 = std::min(x1, limit_.right);
  if (x0 < x1) rows_[static_cast<size_t>(y - limit_.top)].push_back({x0, x1});
}

void SpanSet::AddPolygon(const std::vector<PointD>& polygon) {
  if (IsEmpty(limit_)) return;
  ScanPolygons({polygon}, true, limit_, nullptr, [&](int y, int x0, int x1) { Add(y, x0, x1); });
}

void SpanSet::AddEllipse(int left, int top, int right, int bottom) {
  if (IsEmpty(limit_) || bottom < limit_.top || top >= limit_.bottom) return;
  EllipseSpans(left, top, right, bottom, [&](int y, int x0, int x1) { Add(y, x0, x1); });
}

void SpanSet::ForEach(const std::function<void(int, int, int)>& span) const {
  for (size_t r = 0; r < rows_.size(); ++r) {
    auto& row = rows_[r];
    if (row.empty()) continue;
    std::sort(row.begin(), row.end());
    const int y = limit_.top + static_cast<int>(r);
    int x0 = row[0].first, x1 = row[0].second;
    for (size_t i = 1; i < row.size(); ++i) {
      if (row[i].first <= x1) {
        x1 = std::max(x1, row[i].second);
        continue;
      }
      span(y, x0, x1);
      x0 = row[i].first, x1 = row[i].second;
    }
    span(y, x0, x1);
  }
}

void AddWideStroke(const std::vector<PointL>& points, bool closed, const WideStrokeStyle& style, SpanSet& spans) {
  if (points.empty() || style.width < 1) return;
  std::vector<P> whole;
  whole.reserve(points.size());
  for (const PointL& p : points) whole.push_back({p.x, p.y});
  AddDashed(whole, closed, style, spans);
}

}  // namespace velto::emf::playback
