#pragma once
// The fixed colour tables of read-outs at 1, 4 and 8 bits and the nearest-colour mapping into them.
// 1 bit: black and white. 4 bits: the 16 VGA colours. 8 bits: the 20 static system colours at
// 0–9 and 246–255, a 6 × 6 × 6 colour cube and 20 grays between them.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/emf/colour.h"

namespace velto {

// The table of a read-out at `bitCount` (1, 4 or 8); empty for any other count.
std::span<const emf::Rgb> ReadOutPalette(int bitCount);

// Index of the table entry nearest to `colour` (squared RGB distance, lowest index on a tie).
uint8_t NearestPaletteIndex(std::span<const emf::Rgb> table, emf::Rgb colour);

// Nearest of black and white, as the 1-bit table maps it.
inline bool NearerToWhite(emf::Rgb c) {
  int r = emf::RedOf(c), g = emf::GreenOf(c), b = emf::BlueOf(c);
  int toBlack = r * r + g * g + b * b;
  int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
  return toWhite < toBlack;
}

// Nearest-colour mapping with a direct-mapped cache, so that pages of few colours cost one probe a pixel.
class PaletteMapper {
 public:
  explicit PaletteMapper(int bitCount);
  uint8_t Index(emf::Rgb colour) {
    uint32_t slot = (colour * 2654435761u) >> (32 - kCacheBits);
    Entry& e = cache_[slot];
    if (e.key != colour + 1) {
      e.key = colour + 1;
      e.index = NearestPaletteIndex(table_, colour);
    }
    return e.index;
  }

 private:
  static constexpr int kCacheBits = 12;
  struct Entry {
    uint32_t key = 0;  // colour + 1; 0 marks an empty slot
    uint8_t index = 0;
  };
  std::span<const emf::Rgb> table_;
  std::vector<Entry> cache_;
};

}  // namespace velto
