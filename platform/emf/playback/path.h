#pragma once
// A path in device coordinates as GDI builds it between BeginPath and EndPath: figures of points,
// curves already flattened to lines.

#include <vector>

#include "playback/transform.h"

namespace velto::emf::playback {

struct Figure {
  std::vector<PointD> points;
  bool closed = false;
};

struct Path {
  std::vector<Figure> figures;
  bool Empty() const { return figures.empty(); }
  // Starts a new figure at p (a moveto).
  void MoveTo(PointD p) { figures.push_back(Figure{{p}, false}); }
  // Adds a line to p, starting a figure at `from` when none is open.
  void LineTo(PointD from, PointD p) {
    if (figures.empty() || figures.back().closed) MoveTo(from);
    figures.back().points.push_back(p);
  }
  void Close() {
    if (!figures.empty() && !figures.back().closed && !figures.back().points.empty()) figures.back().closed = true;
  }
  size_t PointCount() const {
    size_t n = 0;
    for (const auto& f : figures) n += f.points.size();
    return n;
  }
};

// Flattens a cubic bezier from p0 through control points p1, p2 to p3, appending points after p0.
// The subdivision depth is bounded, so huge or degenerate curves end quickly.
void FlattenBezier(PointD p0, PointD p1, PointD p2, PointD p3, std::vector<PointD>& out);

// Points of an elliptical arc around the ellipse inscribed in [l, r] × [t, b], from angle a0 sweeping
// `sweep` radians (positive: counter-clockwise on the page, where y grows downwards).
void AppendArc(double l, double t, double r, double b, double a0, double sweep, std::vector<PointD>& out);

}  // namespace velto::emf::playback
