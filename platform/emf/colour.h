#pragma once
// Colours as pages hold them: 0x00RRGGBB, GDI's COLORREF with red and blue swapped back into reading
// order.

#include <cstdint>

namespace velto::emf {

using Rgb = uint32_t;
inline constexpr Rgb kWhite = 0xFFFFFF;
inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb MakeRgb(uint8_t r, uint8_t g, uint8_t b) { return (Rgb{r} << 16) | (Rgb{g} << 8) | b; }
inline constexpr uint8_t RedOf(Rgb c) { return static_cast<uint8_t>(c >> 16); }
inline constexpr uint8_t GreenOf(Rgb c) { return static_cast<uint8_t>(c >> 8); }
inline constexpr uint8_t BlueOf(Rgb c) { return static_cast<uint8_t>(c); }

// How a colour becomes black or white on a monochrome surface: white when its luminance is at least
// half, so white paper stays white and black printing black.
inline constexpr Rgb MonochromeOf(Rgb c) {
  // Integer luminance (ITU-R 601 weights scaled by 1000).
  const unsigned lum = 299u * RedOf(c) + 587u * GreenOf(c) + 114u * BlueOf(c);
  return lum >= 128000u ? kWhite : kBlack;
}

}  // namespace velto::emf
