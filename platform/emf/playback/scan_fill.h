#pragma once
// A scanline filler for polygons in device pixels. GDI samples pixel (x, y) at the point (x, y), its
// top-left corner, not at its centre: a slanted edge through a row takes the pixels from the first
// whole x at or right of the edge. Left and top edges are in, right and bottom edges out. Spans come
// out row by row, cut to a limit rectangle and to a clip region.

#include <functional>
#include <vector>

#include "geometry.h"
#include "playback/region.h"
#include "playback/transform.h"

namespace velto::emf::playback {

// Calls span(y, x0, x1) for every run [x0, x1) of covered pixels inside `limit` (and `clip`, when given).
void ScanPolygons(const std::vector<std::vector<PointD>>& polygons, bool winding, const RectL& limit,
                  const Region* clip, const std::function<void(int y, int x0, int x1)>& span);

// The pixels of `limit` that the polygons cover, as a region (clip paths, shapes cut by their frame).
Region RegionOfPolygons(const std::vector<std::vector<PointD>>& polygons, bool winding, const RectL& limit);

}  // namespace velto::emf::playback
