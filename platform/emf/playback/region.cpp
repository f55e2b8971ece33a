#include "playback/region.h"

#include <algorithm>

namespace velto::emf::playback {
namespace {

// Boolean combination of two sorted span lists.
std::vector<int> CombineSpans(const std::vector<int>& a, const std::vector<int>& b, RegionOp op) {
  std::vector<int> xs;
  xs.reserve(a.size() + b.size());
  for (size_t i = 0; i < a.size(); ++i) xs.push_back(a[i]);
  for (size_t i = 0; i < b.size(); ++i) xs.push_back(b[i]);
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  auto inside = [](const std::vector<int>& s, int x, size_t& cursor) {
    while (cursor < s.size() && s[cursor + 1] <= x) cursor += 2;
    return cursor < s.size() && s[cursor] <= x && x < s[cursor + 1];
  };
  std::vector<int> out;
  size_t ca = 0, cb = 0;
  bool open = false;
  for (size_t i = 0; i + 1 < xs.size(); ++i) {
    int x = xs[i];
    bool ia = inside(a, x, ca);
    bool ib = inside(b, x, cb);
    bool in = false;
    switch (op) {
      case RegionOp::And: in = ia && ib; break;
      case RegionOp::Or: in = ia || ib; break;
      case RegionOp::Xor: in = ia != ib; break;
      case RegionOp::Diff: in = ia && !ib; break;
      case RegionOp::Copy: in = ia; break;
    }
    if (in && !open) {
      out.push_back(x);
      open = true;
    } else if (!in && open) {
      out.push_back(x);
      open = false;
    }
  }
  if (open) out.push_back(xs.back());
  return out;
}

}  // namespace

Region Region::FromRect(int left, int top, int right, int bottom) {
  Region r;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (left == right || top == bottom) return r;
  r.bands_.push_back(Band{top, bottom, {left, right}});
  return r;
}

Region Region::FromBands(std::vector<Band> bands) {
  Region r;
  r.bands_ = std::move(bands);
  std::erase_if(r.bands_, [](const Band& b) { return b.xs.empty() || b.y1 <= b.y0; });
  r.Coalesce();
  return r;
}

RectL Region::Bounds() const {
  if (bands_.empty()) return {};
  RectL r{bands_.front().xs.front(), bands_.front().y0, bands_.front().xs.back(), bands_.back().y1};
  for (const Band& b : bands_) {
    r.left = std::min(r.left, b.xs.front());
    r.right = std::max(r.right, b.xs.back());
  }
  return r;
}

bool Region::Contains(int x, int y) const {
  auto it = std::upper_bound(bands_.begin(), bands_.end(), y, [](int v, const Band& b) { return v < b.y1; });
  if (it == bands_.end() || y < it->y0) return false;
  const auto& xs = it->xs;
  for (size_t i = 0; i < xs.size(); i += 2) {
    if (x < xs[i]) return false;
    if (x < xs[i + 1]) return true;
  }
  return false;
}

size_t Region::RectCount() const {
  size_t n = 0;
  for (const Band& b : bands_) n += b.xs.size() / 2;
  return n;
}

void Region::Offset(int dx, int dy) {
  // Coordinates stay within ±2^30 however often a region moves.
  static constexpr int64_t kLimit = int64_t{1} << 30;
  auto move = [](int v, int d) { return static_cast<int>(std::clamp<int64_t>(int64_t{v} + d, -kLimit, kLimit)); };
  for (Band& b : bands_) {
    b.y0 = move(b.y0, dy);
    b.y1 = move(b.y1, dy);
    std::vector<int> xs;
    for (size_t i = 0; i + 1 < b.xs.size(); i += 2) {
      int x0 = move(b.xs[i], dx), x1 = move(b.xs[i + 1], dx);
      if (x0 < x1) xs.insert(xs.end(), {x0, x1});
    }
    b.xs = std::move(xs);
  }
  Coalesce();
}

void Region::Coalesce() {
  std::vector<Band> out;
  out.reserve(bands_.size());
  for (Band& b : bands_) {
    if (b.xs.empty() || b.y1 <= b.y0) continue;
    if (!out.empty() && out.back().y1 == b.y0 && out.back().xs == b.xs) {
      out.back().y1 = b.y1;
    } else {
      out.push_back(std::move(b));
    }
  }
  bands_ = std::move(out);
}

Region Region::Combine(const Region& a, const Region& b, RegionOp op) {
  if (op == RegionOp::Copy) return a;
  if (op == RegionOp::And && (a.Empty() || b.Empty())) return {};
  if (b.Empty() && op != RegionOp::And) return a;
  if (a.Empty()) return (op == RegionOp::Or || op == RegionOp::Xor) ? b : Region{};
  // Every y where either region changes starts a new band.
  std::vector<int> ys;
  for (const Band& x : a.bands_) ys.insert(ys.end(), {x.y0, x.y1});
  for (const Band& x : b.bands_) ys.insert(ys.end(), {x.y0, x.y1});
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  static const std::vector<int> kNone;
  auto spansAt = [](const std::vector<Band>& bands, int y, size_t& cursor) -> const std::vector<int>& {
    while (cursor < bands.size() && bands[cursor].y1 <= y) ++cursor;
    if (cursor < bands.size() && bands[cursor].y0 <= y) return bands[cursor].xs;
    return kNone;
  };
  Region r;
  size_t ca = 0, cb = 0;
  for (size_t i = 0; i + 1 < ys.size(); ++i) {
    const auto& sa = spansAt(a.bands_, ys[i], ca);
    const auto& sb = spansAt(b.bands_, ys[i], cb);
    if (sa.empty() && sb.empty()) continue;
    auto xs = CombineSpans(sa, sb, op);
    if (!xs.empty()) r.bands_.push_back(Band{ys[i], ys[i + 1], std::move(xs)});
  }
  r.Coalesce();
  return r;
}

}  // namespace velto::emf::playback
