#pragma once
// Nearest colour of a fixed palette (squared RGB distance, lowest index on a tie), fast enough for
// photographs. The colour cube is cut into boxes of 4 × 4 × 4; where the eight corners of a box share
// their nearest entry, so does every colour inside it (the set of points nearest to one entry is
// convex), and the box answers at once. Other colours are searched among the entries that can be
// nearest in their grid cell, with a direct-mapped cache of recent answers.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace velto {

class NearestColour {
 public:
  // `colours` as 0x00RRGGBB, at most 256 of them; the index returned is a position in this list.
  explicit NearestColour(std::span<const uint32_t> colours);
  uint8_t Find(uint32_t rgb);

 private:
  static constexpr int kCellBits = 4;  // 16 × 16 × 16 cells of 16 × 16 × 16 colours
  static constexpr int kCacheBits = 16;
  uint8_t Search(uint32_t rgb) const;
  uint8_t SearchAll(int r, int g, int b) const;
  int16_t BoxAnswer(uint32_t rgb);
  int16_t Corner(int r, int g, int b);

  std::vector<uint32_t> colours_;
  // The palette by channel, padded to 256 entries that are never nearest; laid out for a search of
  // all entries at once where a cell has many candidates.
  struct Channels {
    alignas(32) float red[256];
    alignas(32) float green[256];
    alignas(32) float blue[256];
  };
  std::unique_ptr<Channels> channels_;
  std::vector<uint32_t> cellStart_;  // candidates of cell c: candidates_[cellStart_[c] .. cellStart_[c + 1])
  struct Candidate {
    int nearDistance;  // squared distance from the cell to the entry
    uint32_t index;
  };
  std::vector<Candidate> candidates_;
  static constexpr int kBoxBits = 2;  // boxes of 4 × 4 × 4 colours, 64 × 64 × 64 of them
  static constexpr int kBoxesPerAxis = 256 >> kBoxBits;
  static constexpr int kCornersPerAxis = kBoxesPerAxis + 1;
  std::vector<int16_t> corners_;  // nearest entry of each box corner; -1 until computed
  std::vector<int16_t> boxes_;    // the box's shared entry, -1 until known, -2 when the corners differ
  std::vector<uint32_t> cacheKey_;  // rgb + 1; 0 marks an empty slot
  std::vector<uint8_t> cacheIndex_;
};

}  // namespace velto
