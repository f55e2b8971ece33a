#include "raster/read_out_palette.h"

#include <array>

namespace velto {
namespace {

constexpr std::array<emf::Rgb, 2> kMonoTable = {emf::kBlack, emf::kWhite};

constexpr std::array<emf::Rgb, 16> kVgaTable = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

constexpr std::array<emf::Rgb, 256> MakeSystemTable() {
  std::array<emf::Rgb, 256> t{};
  constexpr emf::Rgb low[10] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0};
  constexpr emf::Rgb high[10] = {0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00,
                                 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (int i = 0; i < 10; ++i) {
    t[i] = low[i];
    t[246 + i] = high[i];
  }
  int k = 10;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) t[k++] = emf::MakeRgb(uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51));
  for (int i = 1; i <= 20; ++i) {
    uint8_t v = static_cast<uint8_t>(i * 255 / 21);
    t[k++] = emf::MakeRgb(v, v, v);
  }
  return t;
}
constexpr std::array<emf::Rgb, 256> kSystemTable = MakeSystemTable();

}  // namespace

std::span<const emf::Rgb> ReadOutPalette(int bitCount) {
  switch (bitCount) {
    case 1: return kMonoTable;
    case 4: return kVgaTable;
    case 8: return kSystemTable;
    default: return {};
  }
}

uint8_t NearestPaletteIndex(std::span<const emf::Rgb> table, emf::Rgb colour) {
  int r = emf::RedOf(colour), g = emf::GreenOf(colour), b = emf::BlueOf(colour);
  int best = 0;
  int bestDistance = 1 << 30;
  // In the 256-entry table the static colours (0–9, 246–255) come first, so that the cube's corners,
  // which repeat them, never take their place.
  const bool systemTable = table.size() == 256;
  for (size_t n = 0; n < table.size(); ++n) {
    size_t i = n;
    if (systemTable) i = n < 10 ? n : (n < 20 ? n + 236 : n - 10);
    int dr = r - emf::RedOf(table[i]), dg = g - emf::GreenOf(table[i]), db = b - emf::BlueOf(table[i]);
    int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<int>(i);
      if (d == 0) break;
    }
  }
  return static_cast<uint8_t>(best);
}

PaletteMapper::PaletteMapper(int bitCount) : table_(ReadOutPalette(bitCount)) {
  if (bitCount == 4 || bitCount == 8) cache_.resize(size_t{1} << kCacheBits);
}

}  // namespace velto
