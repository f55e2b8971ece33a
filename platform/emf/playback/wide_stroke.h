#pragma once
// Wide geometric lines drawn as GDI draws them. Each segment between two whole device points becomes a
// four-cornered polygon whose corners are whole pixels: the sides lie half the pen width either way,
// the two halves rounded apart so that together they make the width measured across the line's
// pixels. Ends and corners are shapes of their own: round ends and joins are the pen's circle, square
// ends lengthen the end segments, bevel and miter joins fill the notch between two segment ends.
// Everything is united before it is painted, so every pixel takes the raster operation once.

#include <functional>
#include <vector>

#include "geometry.h"
#include "playback/transform.h"
#include "playback/widen.h"

namespace velto::emf::playback {

// Runs of covered pixels, united row by row, within a limit rectangle.
class SpanSet {
 public:
  explicit SpanSet(const RectL& limit);
  const RectL& Limit() const { return limit_; }
  void Add(int y, int x0, int x1);
  // A polygon filled by GDI's rule (pixels sampled at their top-left corners), nonzero winding.
  void AddPolygon(const std::vector<PointD>& polygon);
  // The ellipse inscribed in the inclusive pixel box [left, right] × [top, bottom].
  void AddEllipse(int left, int top, int right, int bottom);
  // Calls span(y, x0, x1) for every united run, top to bottom, left to right.
  void ForEach(const std::function<void(int y, int x0, int x1)>& span) const;

 private:
  RectL limit_;
  mutable std::vector<std::vector<std::pair<int, int>>> rows_;
};

struct WideStrokeStyle {
  int width = 2;  // device pixels
  WidenCap cap = WidenCap::Round;
  WidenJoin join = WidenJoin::Round;
  double miterLimit = 10;  // longest miter, in pen widths
  // On, off, on, off ... lengths in device pixels along the line; empty: solid. Every dash gets the
  // pen's ends, so a dash of length 0 is a dot with round or square ends and nothing with flat ones.
  std::vector<double> dashes;
};

// Adds the pixels that the pen covers along the whole points of one figure.
void AddWideStroke(const std::vector<PointL>& points, bool closed, const WideStrokeStyle& style, SpanSet& spans);

}  // namespace velto::emf::playback
