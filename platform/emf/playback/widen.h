#pragma once
// WIDENPATH: a path's figures replaced by the outlines of their strokes with a geometric pen, so that a
// later fill paints what the stroke would have painted and a stroke draws its edges.

#include <vector>

#include "playback/path.h"

namespace velto::emf::playback {

enum class WidenCap { Round, Square, Flat };
enum class WidenJoin { Round, Bevel, Miter };

struct WidenPen {
  double width = 1;  // device pixels
  WidenCap cap = WidenCap::Round;
  WidenJoin join = WidenJoin::Round;
  double miterLimit = 10;  // longest miter, in pen widths, before the join is bevelled
};

// An open figure becomes one closed outline (one side, the end cap, the other side back, the start
// cap); a closed figure becomes the outlines on either side of it, wound in opposite directions. A figure
// of a single point becomes the cap's shape alone (nothing for flat caps). A path whose outline would
// pass four million points is returned unchanged.
std::vector<Figure> WidenFigures(const std::vector<Figure>& figures, const WidenPen& pen);

}  // namespace velto::emf::playback
