#include "raster/nearest_colour.h"

#include <algorithm>

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
    for (size_t i = 0; i < colours_.size(); ++i) {
      uint32_t c = colours_[i];
      int near = NearAxis(Channel(c, 16), lo[0], lo[0] + kCellSize - 1) + NearAxis(Channel(c, 8), lo[1], lo[1] + kCellSize - 1) +
                 NearAxis(Channel(c, 0), lo[2], lo[2] + kCellSize - 1);
      if (near <= bound) candidates_.push_back(static_cast<uint8_t>(i));
    }
  }
  cellStart_[kCells] = static_cast<uint32_t>(candidates_.size());
  cacheKey_.assign(size_t{1} << kCacheBits, 0);
  cacheIndex_.assign(size_t{1} << kCacheBits, 0);
}

uint8_t NearestColour::Search(uint32_t rgb) const {
  if (colours_.empty()) return 0;
  constexpr int kShift = 8 - kCellBits;
  const uint32_t cell = ((Channel(rgb, 16) >> kShift) << (2 * kCellBits)) | ((Channel(rgb, 8) >> kShift) << kCellBits) |
                        (Channel(rgb, 0) >> kShift);
  int best = 0;
  int bestDistance = 1 << 30;
  for (uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
    int d = Distance(rgb, colours_[candidates_[k]]);
    if (d < bestDistance) {  // candidates are in index order: the lowest index wins a tie
      bestDistance = d;
      best = candidates_[k];
    }
  }
  return static_cast<uint8_t>(best);
}

uint8_t NearestColour::Find(uint32_t rgb) {
  rgb &= 0xFFFFFF;
  const uint32_t slot = ((rgb * 2654435761u) >> (32 - kCacheBits));
  if (cacheKey_[slot] != rgb + 1) {
    cacheKey_[slot] = rgb + 1;
    cacheIndex_[slot] = Search(rgb);
  }
  return cacheIndex_[slot];
}

}  // namespace velto
