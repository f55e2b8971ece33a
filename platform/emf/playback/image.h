#pragma once
// A decoded bitmap: premultiplied ARGB pixels, top row first.

#include <cstdint>
#include <vector>

namespace velto::emf::playback {

// Largest bitmap we decode: 64 Mpixel (256 MiB of pixels).
inline constexpr uint64_t kMaxImagePixels = uint64_t{64} << 20;
// Run-length bitmaps: 16 Mpixel, and at most 256 pixels for every byte of data (RLE8's best ratio is 255).
inline constexpr uint64_t kMaxRlePixels = uint64_t{16} << 20;

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB premultiplied, width × height
  bool hasAlpha = false;         // some pixel is not fully opaque
  bool bottomUp = true;          // rows were stored bottom-up (source y of StretchDIBits counts from the bottom)
  // For 1-bit sources: the bit of each pixel (0 or 1), so that text and background colours can be
  // put in at drawing time for monochrome brushes.
  std::vector<uint8_t> monoBits;

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

}  // namespace velto::emf::playback
