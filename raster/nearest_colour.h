#pragma once
// Nearest colour of a fixed palette (squared RGB distance, lowest index on a tie), fast enough for
// photographs: a coarse grid lists for each cell only the entries that can be nearest to some point
// in it, and a direct-mapped cache remembers recent answers.

#include <cstdint>
#include <span>
#include <vector>

namespace velto {

class NearestColour {
 public:
  // `colours` as 0x00RRGGBB, at most 256 of them; the index returned is a position in this list.
  explicit NearestColour(std::span<const uint32_t> colours);
  uint8_t Find(uint32_t rgb);

 private:
  static constexpr int kCellBits = 3;  // 8 × 8 × 8 cells of 32 × 32 × 32 colours
  static constexpr int kCacheBits = 16;
  uint8_t Search(uint32_t rgb) const;

  std::vector<uint32_t> colours_;
  std::vector<uint32_t> cellStart_;  // candidates of cell c: candidates_[cellStart_[c] .. cellStart_[c + 1])
  std::vector<uint8_t> candidates_;
  std::vector<uint32_t> cacheKey_;  // rgb + 1; 0 marks an empty slot
  std::vector<uint8_t> cacheIndex_;
};

}  // namespace velto
