#pragma once
// The indexed image of one GIF page: palette indices kept column by column, and a palette of the
// page's own colours numbered first come, first served from the bottom row up.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace velto {

struct GifImage {
  int width = 0;
  int height = 0;
  int colourCount = 0;  // palette entries in use, 1 to 256
  std::array<uint8_t, 256> red{};
  std::array<uint8_t, 256> green{};
  std::array<uint8_t, 256> blue{};
  // Column x holds `height` bytes starting at x × height; byte y is the pixel at row y from the top.
  std::vector<uint8_t> columns;

  uint8_t* Column(int x) { return columns.data() + static_cast<size_t>(x) * static_cast<size_t>(height); }
  const uint8_t* Column(int x) const { return columns.data() + static_cast<size_t>(x) * static_cast<size_t>(height); }
  // Index at (x, y); positions outside the image read as 0.
  uint8_t At(int x, int y) const {
    return (x < 0 || y < 0 || x >= width || y >= height) ? 0 : Column(x)[y];
  }
};

// Makes the column buffers for a width × height image. False when a side is not positive or memory
// runs out.
bool AllocateGifImage(int width, int height, GifImage& image);

// Fills the columns and the palette from 24-bit bottom-up rows (blue, green, red; each row padded to 4
// bytes). The first 256 colours met become the palette; a pixel of any further colour gets the index of
// the nearest palette colour. False when `rows` is shorter than the image needs.
bool BuildGifPalette(GifImage& image, std::span<const uint8_t> rows);

// Bits per pixel B for a colour count: 1 for up to 2 colours, then the smallest B with 2^B ≥ count.
int GifBitsPerPixel(int colourCount);

}  // namespace velto
