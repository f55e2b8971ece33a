#pragma once
// Ellipses as GDI rasterises them for elliptic regions and for the round ends and joins of wide pens:
// the pixels of the curve inscribed in an inclusive box, walked by the midpoint method for rasterised
// curves (A. Zingl, "A Rasterizing Algorithm for Drawing Curves", 2012), each row spanning from its
// leftmost to its rightmost pixel of the curve.

#include <functional>

namespace velto::emf::playback {

// Calls span(y, x0, x1) for each row of the ellipse inscribed in the pixels [left, right] × [top, bottom],
// the row covering [x0, x1). The box is normalised; a box of one pixel gives that pixel. Boxes wider or
// taller than kMaxEllipseBox pixels give nothing (the walk's error terms would leave 64 bits).
inline constexpr int kMaxEllipseBox = 1 << 15;
void EllipseSpans(int left, int top, int right, int bottom, const std::function<void(int y, int x0, int x1)>& span);

}  // namespace velto::emf::playback
