#include "playback/widen.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velto::emf::playback {
namespace {

PointD Add(PointD a, PointD b) { return {a.x + b.x, a.y + b.y}; }
PointD Sub(PointD a, PointD b) { return {a.x - b.x, a.y - b.y}; }
PointD Scale(PointD a, double s) { return {a.x * s, a.y * s}; }
double Dot(PointD a, PointD b) { return a.x * b.x + a.y * b.y; }
double Length(PointD a) { return std::hypot(a.x, a.y); }

// Points on the circle of `radius` around `centre` from direction `from` to direction `to` (both of
// that length), turning the short way; neither end point is added.
void AppendArcBetween(PointD centre, PointD from, PointD to, double radius, std::vector<PointD>& out) {
  double a0 = std::atan2(from.y, from.x);
  double sweep = std::remainder(std::atan2(to.y, to.x) - a0, 2 * std::numbers::pi);
  int steps = std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) * std::sqrt(radius) * 2)), 1, 256);
  for (int i = 1; i < steps; ++i) {
    double a = a0 + sweep * i / steps;
    out.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
  }
}

// Half a turn around `centre` from `from` to −`from`, passing through the direction `through`.
void AppendHalfTurn(PointD centre, PointD from, PointD through, double radius, std::vector<PointD>& out) {
  out.push_back(Add(centre, from));
  AppendArcBetween(centre, from, through, radius, out);
  out.push_back(Add(centre, through));
  AppendArcBetween(centre, through, Scale(from, -1), radius, out);
  out.push_back(Sub(centre, from));
}

std::vector<PointD> DistinctPoints(const Figure& figure) {
  std::vector<PointD> points;
  for (const PointD& p : figure.points) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
    if (points.empty() || Length(Sub(p, points.back())) > 1e-9) points.push_back(p);
  }
  if (figure.closed && points.size() > 2 && Length(Sub(points.front(), points.back())) <= 1e-9) points.pop_back();
  return points;
}

class Widener {
 public:
  explicit Widener(const WidenPen& pen) : pen_(pen), half_(pen.width / 2) {}

  // The offset line on the left of travel (normal (−dy, dx)) along `points`, with joins at the
  // corners; `closed` adds the corners at the first point and between the last and the first.
  std::vector<PointD> Side(const std::vector<PointD>& points, bool closed) const {
    const size_t n = points.size();
    const size_t segments = closed ? n : n - 1;
    std::vector<PointD> normals(segments), directions(segments);
    std::vector<double> lengths(segments);
    for (size_t i = 0; i < segments; ++i) {
      PointD d = Sub(points[(i + 1) % n], points[i]);
      lengths[i] = Length(d);
      directions[i] = Scale(d, 1 / lengths[i]);
      normals[i] = {-directions[i].y * half_, directions[i].x * half_};
    }
    std::vector<PointD> out;
    if (!closed) out.push_back(Add(points[0], normals[0]));
    for (size_t k = closed ? 0 : 1; k < (closed ? n : n - 1); ++k) {
      const size_t before = (k + segments - 1) % segments, after = k % segments;
      Join(points[k], normals[before], normals[after], directions[after], std::min(lengths[before], lengths[after]),
           out);
    }
    if (!closed) out.push_back(Add(points[n - 1], normals[segments - 1]));
    return out;
  }

  // The cap at `end` of a line arriving in `direction`, from the left offset round to the right one.
  void Cap(PointD end, PointD direction, std::vector<PointD>& out) const {
    PointD normal{-direction.y * half_, direction.x * half_};
    PointD ahead = Scale(direction, half_);
    switch (pen_.cap) {
      case WidenCap::Flat: break;
      case WidenCap::Square:
        out.push_back(Add(Add(end, normal), ahead));
        out.push_back(Add(Sub(end, normal), ahead));
        break;
      case WidenCap::Round: {
        std::vector<PointD> turn;
        AppendHalfTurn(end, normal, ahead, half_, turn);
        // The side already ends on the first point and the other side starts on the last one.
        out.insert(out.end(), turn.begin() + 1, turn.end() - 1);
        break;
      }
    }
  }

  // A single point: the cap's shape on its own.
  std::vector<Figure> Spot(PointD p) const {
    Figure f;
    f.closed = true;
    if (pen_.cap == WidenCap::Round) {
      AppendHalfTurn(p, {0, -half_}, {half_, 0}, half_, f.points);
      f.points.pop_back();
      AppendHalfTurn(p, {0, half_}, {-half_, 0}, half_, f.points);
      f.points.pop_back();
    } else if (pen_.cap == WidenCap::Square) {
      f.points = {{p.x - half_, p.y - half_}, {p.x + half_, p.y - half_}, {p.x + half_, p.y + half_},
                  {p.x - half_, p.y + half_}};
    } else {
      return {};
    }
    return {f};
  }

 private:
  void Join(PointD corner, PointD inNormal, PointD outNormal, PointD outDirection, double shorter,
            std::vector<PointD>& out) const {
    PointD mid = Add(inNormal, outNormal);
    double midSquared = Dot(mid, mid);
    // The offset lines meet at corner + mid × (2h² / |mid|²) when they meet at all.
    double reach = midSquared > 1e-12 ? 2 * half_ * half_ / midSquared : 0;
    bool outer = Dot(outDirection, inNormal) < 0;
    if (!outer) {
      // The inner side: the offset lines cross; use the crossing while it lies on both segments.
      if (reach > 0 && std::sqrt(midSquared) * reach <= shorter) {
        out.push_back(Add(corner, Scale(mid, reach)));
      } else {
        out.push_back(Add(corner, inNormal));
        out.push_back(Add(corner, outNormal));
      }
      return;
    }
    switch (pen_.join) {
      case WidenJoin::Round:
        out.push_back(Add(corner, inNormal));
        AppendArcBetween(corner, inNormal, outNormal, half_, out);
        out.push_back(Add(corner, outNormal));
        break;
      case WidenJoin::Miter:
        // Inner to outer crossing over the pen width is 1 / cos(half the angle between the normals).
        if (midSquared > 1e-12 && 2 * half_ / std::sqrt(midSquared) <= pen_.miterLimit) {
          out.push_back(Add(corner, Scale(mid, reach)));
          break;
        }
        [[fallthrough]];
      case WidenJoin::Bevel:
        out.push_back(Add(corner, inNormal));
        out.push_back(Add(corner, outNormal));
        break;
    }
  }

  WidenPen pen_;
  double half_;
};

}  // namespace

std::vector<Figure> WidenFigures(const std::vector<Figure>& figures, const WidenPen& pen) {
  // Round joins add up to 256 points a corner: a huge path gives up rather than grow without bound.
  constexpr size_t kMaxOutlinePoints = size_t{1} << 22;
  std::vector<Figure> out;
  if (!(pen.width > 0) || !std::isfinite(pen.width)) return out;
  // Points a corner or cap can add at most (see AppendArcBetween), for a bound taken before each figure.
  const double perCorner =
      std::min(256.0, std::ceil(2 * std::numbers::pi * std::sqrt(pen.width / 2) * 2)) + 4;
  double total = 0;
  Widener widener(pen);
  for (const Figure& figure : figures) {
    std::vector<PointD> points = DistinctPoints(figure);
    if (points.empty()) continue;
    total += (static_cast<double>(points.size()) + 2) * 2 * perCorner;
    if (total > kMaxOutlinePoints) return figures;
    if (points.size() == 1) {
      auto dot = widener.Spot(points[0]);
      out.insert(out.end(), dot.begin(), dot.end());
      continue;
    }
    if (figure.closed && points.size() >= 3) {
      Figure outer{widener.Side(points, true), true};
      std::vector<PointD> reversed(points.rbegin(), points.rend());
      Figure inner{widener.Side(reversed, true), true};
      out.push_back(std::move(outer));
      out.push_back(std::move(inner));
      continue;
    }
    // Open (or a closed figure of two points, which strokes as a line there and back).
    std::vector<PointD> reversed(points.rbegin(), points.rend());
    const size_t n = points.size();
    PointD endDirection = Sub(points[n - 1], points[n - 2]);
    endDirection = Scale(endDirection, 1 / Length(endDirection));
    PointD startDirection = Sub(points[0], points[1]);
    startDirection = Scale(startDirection, 1 / Length(startDirection));
    Figure outline;
    outline.closed = true;
    outline.points = widener.Side(points, false);
    widener.Cap(points[n - 1], endDirection, outline.points);
    std::vector<PointD> back = widener.Side(reversed, false);
    outline.points.insert(outline.points.end(), back.begin(), back.end());
    widener.Cap(points[0], startDirection, outline.points);
    out.push_back(std::move(outline));
  }
  return out;
}

}  // namespace velto::emf::playback
