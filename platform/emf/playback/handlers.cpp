#include "playback/handlers.h"

#include <algorithm>
#include <cmath>

namespace velto::emf::playback {

const HandlerTable& Handlers() {
  static const HandlerTable table = [] {
    HandlerTable t;
    RegisterStateHandlers(t);
    RegisterObjectHandlers(t);
    RegisterShapeHandlers(t);
    RegisterPathHandlers(t);
    RegisterClipHandlers(t);
    RegisterTextHandlers(t);
    RegisterBitmapHandlers(t);
    return t;
  }();
  return table;
}

bool ReadPoints(const Record& rec, size_t offset, uint32_t count, bool small, std::vector<PointD>& out) {
  ByteReader r = rec.Reader();
  size_t each = small ? 4 : 8;
  auto bytes = r.Array(offset, count, each);
  if (!bytes) return false;
  out.reserve(out.size() + count);
  for (uint32_t i = 0; i < count; ++i) {
    size_t at = offset + i * each;
    if (small) {
      out.push_back({double(*r.I16(at)), double(*r.I16(at + 2))});
    } else {
      out.push_back({double(*r.I32(at)), double(*r.I32(at + 4))});
    }
  }
  return true;
}

bool WithinGdiRange(const std::vector<PointD>& logical) {
  constexpr double kLimit = 134217728.0;
  for (const auto& p : logical)
    if (!(std::fabs(p.x) < kLimit) || !(std::fabs(p.y) < kLimit)) return false;
  return true;
}

std::optional<Region> ReadRegion(const Context& ctx, const Record& rec, size_t offset, size_t size) {
  ByteReader r = rec.Reader();
  auto data = r.Slice(offset, size);
  if (!data || size < 32) return std::nullopt;
  ByteReader d(*data);
  uint32_t headerSize = d.U32Or(0);
  uint32_t count = d.U32Or(8);
  if (headerSize < 32 || !d.Array(headerSize, count, 16)) return std::nullopt;
  struct Box {
    int l, t, r, b;
  };
  std::vector<Box> boxes;
  boxes.reserve(count);
  auto round = [](double v) { return static_cast<int>(std::floor(ClampCoordinate(v) + 0.5)); };
  for (uint32_t i = 0; i < count; ++i) {
    size_t at = headerSize + size_t{i} * 16;
    PointD a = ctx.playback.Apply(*d.I32(at), *d.I32(at + 4));
    PointD b = ctx.playback.Apply(*d.I32(at + 8), *d.I32(at + 12));
    Box box{round(std::min(a.x, b.x)), round(std::min(a.y, b.y)), round(std::max(a.x, b.x)), round(std::max(a.y, b.y))};
    if (box.l < box.r && box.t < box.b) boxes.push_back(box);
  }
  std::sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
    return a.t != b.t ? a.t < b.t : (a.b != b.b ? a.b < b.b : a.l < b.l);
  });
  // Rectangles of one band become one band; bands that overlap are united.
  Region result;
  std::vector<Region::Band> run;
  auto flush = [&] {
    if (run.empty()) return;
    result = Region::Combine(result, Region::FromBands(std::move(run)), RegionOp::Or);
    run.clear();
  };
  for (size_t i = 0; i < boxes.size();) {
    size_t j = i;
    Region::Band band{boxes[i].t, boxes[i].b, {}};
    std::vector<std::pair<int, int>> spans;
    while (j < boxes.size() && boxes[j].t == band.y0 && boxes[j].b == band.y1) {
      spans.push_back({boxes[j].l, boxes[j].r});
      ++j;
    }
    for (auto [l, rr] : spans) {
      if (!band.xs.empty() && l <= band.xs.back()) {
        band.xs.back() = std::max(band.xs.back(), rr);
      } else {
        band.xs.push_back(l);
        band.xs.push_back(rr);
      }
    }
    if (!run.empty() && run.back().y1 > band.y0) flush();
    run.push_back(std::move(band));
    i = j;
  }
  flush();
  return result;
}

}  // namespace velto::emf::playback
