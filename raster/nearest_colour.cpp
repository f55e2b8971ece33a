#include "raster/nearest_colour.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velto {
namespace {

int Channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

int Distance(uint32_t a, uint32_t b) {
  int dr = Channel(a, 16) - Channel(b, 16), dg = Channel(a, 8) - Channel(b, 8), db = Channel(a, 0) - Channel(b, 0);
  return dr * dr + dg * dg + db * db;
}

// Squared distance from value v to the interval [lo, hi] along one axis, and to its far end.
int NearAxis(int v, int lo, int hi) {
  int d = v < lo ? lo - v : (v > hi ? v - hi : 0);
  return d * d;
}
int FarAxis(int v, int lo, int hi) {
  int d = std::max(v - lo, hi - v);
  return d * d;
}

}  // namespace

NearestColour::NearestColour(std::span<const uint32_t> colours) : colours_(colours.begin(), colours.end()) {
  if (colours_.size() > 256) colours_.resize(256);
  constexpr int kCells = 1 << (3 * kCellBits);
  constexpr int kCellSize = 256 >> kCellBits;
  cellStart_.assign(kCells + 1, 0);
  for (int cell = 0; cell < kCells; ++cell) {
    cellStart_[cell] = static_cast<uint32_t>(candidates_.size());
    const int lo[3] = {((cell >> (2 * kCellBits)) & ((1 << kCellBits) - 1)) * kCellSize,
                       ((cell >> kCellBits) & ((1 << kCellBits) - 1)) * kCellSize,
                       (cell & ((1 << kCellBits) - 1)) * kCellSize};
    // Every point of the cell is within `bound` of some entry; entries farther than that from the
    // whole cell can never be nearest inside it.
    int bound = 1 << 30;
    for (uint32_t c : colours_) {
      int far = FarAxis(Channel(c, 16), lo[0], lo[0] + kCellSize - 1) + FarAxis(Channel(c, 8), lo[1], lo[1] + kCellSize - 1) +
                FarAxis(Channel(c, 0), lo[2], lo[2] + kCellSize - 1);
      bound = std::min(bound, far);
    }
    const size_t first = candidates_.size();
    for (size_t i = 0; i < colours_.size(); ++i) {
      uint32_t c = colours_[i];
      int near = NearAxis(Channel(c, 16), lo[0], lo[0] + kCellSize - 1) + NearAxis(Channel(c, 8), lo[1], lo[1] + kCellSize - 1) +
                 NearAxis(Channel(c, 0), lo[2], lo[2] + kCellSize - 1);
      if (near <= bound) candidates_.push_back(Candidate{near, static_cast<uint32_t>(i)});
    }
    std::stable_sort(candidates_.begin() + static_cast<std::ptrdiff_t>(first), candidates_.end(),
                     [](const Candidate& a, const Candidate& b) { return a.nearDistance < b.nearDistance; });
  }
  cellStart_[kCells] = static_cast<uint32_t>(candidates_.size());
  channels_ = std::make_unique<Channels>();
  for (size_t i = 0; i < 256; ++i) {
    const bool used = i < colours_.size();
    // Far away on every axis: never nearest. Squared distances of colours are exact in a float.
    channels_->red[i] = used ? static_cast<float>(Channel(colours_[i], 16)) : 4096.0f;
    channels_->green[i] = used ? static_cast<float>(Channel(colours_[i], 8)) : 4096.0f;
    channels_->blue[i] = used ? static_cast<float>(Channel(colours_[i], 0)) : 4096.0f;
  }
  corners_.assign(static_cast<size_t>(kCornersPerAxis) * kCornersPerAxis * kCornersPerAxis, -1);
  boxes_.assign(static_cast<size_t>(kBoxesPerAxis) * kBoxesPerAxis * kBoxesPerAxis, -1);
  cacheKey_.assign(size_t{1} << kCacheBits, 0);
  cacheIndex_.assign(size_t{1} << kCacheBits, 0);
}

// Every entry searched; r, g, b may reach 256 (box corners). Squared distances are exact in a float.
uint8_t NearestColour::SearchAll(int red, int green, int blue) const {
  const float r = static_cast<float>(red), g = static_cast<float>(green), b = static_cast<float>(blue);
#if defined(__SSE2__)
  // Four entries at a time; each lane keeps its smallest distance and the first index that had it.
  const __m128 vr = _mm_set1_ps(r), vg = _mm_set1_ps(g), vb = _mm_set1_ps(b);
  __m128 best = _mm_set1_ps(1e30f);
  __m128i bestIndex = _mm_setzero_si128();
  __m128i index = _mm_set_epi32(3, 2, 1, 0);
  const __m128i four = _mm_set1_epi32(4);
  for (int i = 0; i < 256; i += 4) {
    const __m128 dr = _mm_sub_ps(vr, _mm_load_ps(channels_->red + i));
    const __m128 dg = _mm_sub_ps(vg, _mm_load_ps(channels_->green + i));
    const __m128 db = _mm_sub_ps(vb, _mm_load_ps(channels_->blue + i));
    const __m128 d = _mm_add_ps(_mm_add_ps(_mm_mul_ps(dr, dr), _mm_mul_ps(dg, dg)), _mm_mul_ps(db, db));
    const __m128i nearer = _mm_castps_si128(_mm_cmplt_ps(d, best));
    best = _mm_min_ps(d, best);
    bestIndex = _mm_or_si128(_mm_and_si128(nearer, index), _mm_andnot_si128(nearer, bestIndex));
    index = _mm_add_epi32(index, four);
  }
  alignas(16) float laneDistance[4];
  alignas(16) int32_t laneIndex[4];
  _mm_store_ps(laneDistance, best);
  _mm_store_si128(reinterpret_cast<__m128i*>(laneIndex), bestIndex);
  int winner = 0;
  for (int lane = 1; lane < 4; ++lane)
    if (laneDistance[lane] < laneDistance[winner] ||
        (laneDistance[lane] == laneDistance[winner] && laneIndex[lane] < laneIndex[winner]))
      winner = lane;
  return static_cast<uint8_t>(laneIndex[winner]);
#else
  int best = 0;
  float bestDistance = 1e30f;
  for (int i = 0; i < 256; ++i) {
    const float dr = r - channels_->red[i], dg = g - channels_->green[i], db = b - channels_->blue[i];
    const float d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) bestDistance = d, best = i;
  }
  return static_cast<uint8_t>(best);
#endif
}

uint8_t NearestColour::Search(uint32_t rgb) const {
  if (colours_.empty()) return 0;
  constexpr int kShift = 8 - kCellBits;
  const uint32_t cell = ((Channel(rgb, 16) >> kShift) << (2 * kCellBits)) | ((Channel(rgb, 8) >> kShift) << kCellBits) |
                        (Channel(rgb, 0) >> kShift);
  // Far from a clustered palette nearly every entry is a candidate: then all are searched at once.
  if (cellStart_[cell + 1] - cellStart_[cell] > 32) return SearchAll(Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0));
  uint32_t best = 0;
  int bestDistance = 1 << 30;
  for (uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
    const Candidate& candidate = candidates_[k];
    if (candidate.nearDistance > bestDistance) break;  // this one and all after it are farther
    int d = Distance(rgb, colours_[candidate.index]);
    if (d < bestDistance || (d == bestDistance && candidate.index < best)) {
      bestDistance = d;
      best = candidate.index;
    }
  }
  return static_cast<uint8_t>(best);
}

int16_t NearestColour::Corner(int r, int g, int b) {
  int16_t& corner = corners_[(static_cast<size_t>(r) * kCornersPerAxis + g) * kCornersPerAxis + b];
  if (corner < 0) corner = SearchAll(r << kBoxBits, g << kBoxBits, b << kBoxBits);
  return corner;
}

int16_t NearestColour::BoxAnswer(uint32_t rgb) {
  const int r = Channel(rgb, 16) >> kBoxBits, g = Channel(rgb, 8) >> kBoxBits, b = Channel(rgb, 0) >> kBoxBits;
  int16_t& box = boxes_[(static_cast<size_t>(r) * kBoxesPerAxis + g) * kBoxesPerAxis + b];
  if (box == -1) {
    const int16_t first = Corner(r, g, b);
    box = first;
    for (int corner = 1; corner < 8 && box == first; ++corner)
      if (Corner(r + (corner >> 2), g + ((corner >> 1) & 1), b + (corner & 1)) != first) box = -2;
  }
  return box;
}

uint8_t NearestColour::Find(uint32_t rgb) {
  rgb &= 0xFFFFFF;
  if (colours_.empty()) return 0;
  const int16_t box = BoxAnswer(rgb);
  if (box >= 0) return static_cast<uint8_t>(box);
  const uint32_t slot = ((rgb * 2654435761u) >> (32 - kCacheBits));
  if (cacheKey_[slot] != rgb + 1) {
    cacheKey_[slot] = rgb + 1;
    cacheIndex_[slot] = Search(rgb);
  }
  return cacheIndex_[slot];
}

}  // namespace velto
