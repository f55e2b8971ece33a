#include "playback/scan_fill.h"

#include <algorithm>
#include <cmath>

#include "playback/device_coordinates.h"

namespace velto::emf::playback {
namespace {

struct Edge {
  double x0, y0, x1, y1;  // y0 < y1
  int dir;
  int firstRow, endRow;   // rows whose centres the edge crosses: [firstRow, endRow)
};

struct Crossing {
  double x;
  int dir;
};

}  // namespace

void ScanPolygons(const std::vector<std::vector<PointD>>& polygons, bool winding, const RectL& limit,
                  const Region* clip, const std::function<void(int, int, int)>& span) {
  std::vector<Edge> edges;
  for (const auto& poly : polygons) {
    size_t n = poly.size();
    if (n < 2) continue;
    for (size_t i = 0; i < n; ++i) {
      PointD a = poly[i], b = poly[(i + 1) % n];
      if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) continue;
      if (a.y == b.y) continue;
      Edge e{a.x, a.y, b.x, b.y, 1, 0, 0};
      if (a.y > b.y) e = Edge{b.x, b.y, a.x, a.y, -1, 0, 0};
      // Row r is sampled at y = r: the edge crosses it when y0 <= r < y1.
      double first = std::ceil(e.y0), end = std::ceil(e.y1);
      first = std::max(first, double(limit.top));
      end = std::min(end, double(limit.bottom));
      if (first >= end) continue;
      e.firstRow = static_cast<int>(first);
      e.endRow = static_cast<int>(end);
      edges.push_back(e);
    }
  }
  if (edges.empty()) return;
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.firstRow < b.firstRow; });
  int top = edges.front().firstRow, bottom = top;
  for (const Edge& e : edges) bottom = std::max(bottom, e.endRow);

  std::vector<size_t> active;
  std::vector<Crossing> crossings;
  size_t next = 0;
  // Both arms lvalues: a temporary in either arm would copy the clip's bands on every fill.
  static const std::vector<Region::Band> kNoBands;
  const std::vector<Region::Band>& bands = clip ? clip->Bands() : kNoBands;
  size_t band = 0;
  for (int y = top; y < bottom; ++y) {
    while (next < edges.size() && edges[next].firstRow <= y) active.push_back(next++);
    std::erase_if(active, [&](size_t i) { return edges[i].endRow <= y; });
    if (active.empty()) {
      if (next < edges.size()) y = edges[next].firstRow - 1;
      continue;
    }
    const std::vector<int>* clipSpans = nullptr;
    if (clip) {
      while (band < bands.size() && bands[band].y1 <= y) ++band;
      if (band >= bands.size()) break;
      if (bands[band].y0 > y) continue;
      clipSpans = &bands[band].xs;
    }
    double yc = y;
    crossings.clear();
    for (size_t i : active) {
      const Edge& e = edges[i];
      crossings.push_back({e.x0 + (yc - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.dir});
    }
    std::sort(crossings.begin(), crossings.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
    int count = 0;
    for (size_t i = 0; i + 1 < crossings.size(); ++i) {
      count += winding ? crossings[i].dir : 1;
      bool inside = winding ? count != 0 : (count & 1) != 0;
      if (!inside) continue;
      double xa = std::ceil(crossings[i].x), xb = std::ceil(crossings[i + 1].x);
      xa = std::max(xa, double(limit.left));
      xb = std::min(xb, double(limit.right));
      if (xa >= xb) continue;
      int x0 = static_cast<int>(xa), x1 = static_cast<int>(xb);
      if (!clipSpans) {
        span(y, x0, x1);
        continue;
      }
      for (size_t k = 0; k < clipSpans->size(); k += 2) {
        int c0 = std::max(x0, (*clipSpans)[k]), c1 = std::min(x1, (*clipSpans)[k + 1]);
        if (c0 < c1) span(y, c0, c1);
        if ((*clipSpans)[k] >= x1) break;
      }
    }
  }
}

Region RegionOfPolygons(const std::vector<std::vector<PointD>>& polygons, bool winding, const RectL& limit) {
  RectL box = Intersect(BoundsOfPolygons(polygons, 1), limit);
  if (IsEmpty(box)) return {};
  std::vector<Region::Band> bands;
  ScanPolygons(polygons, winding, box, nullptr, [&](int y, int x0, int x1) {
    if (bands.empty() || bands.back().y0 != y) bands.push_back(Region::Band{y, y + 1, {}});
    auto& xs = bands.back().xs;
    if (!xs.empty() && xs.back() >= x0) {
      xs.back() = std::max(xs.back(), x1);
    } else {
      xs.push_back(x0);
      xs.push_back(x1);
    }
  });
  return Region::FromBands(std::move(bands));
}

}  // namespace velto::emf::playback
