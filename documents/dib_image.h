#pragma once
// A 24-bit device-independent bitmap held in memory (bottom-up rows padded to 4 bytes, pixels blue,
// green, red) turned into an image the PDF surface can place: a cairo RGB24 image, upright.

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <span>

namespace velto {

struct CairoSurfaceDestroyer {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceDestroyer>;

// Reads `height` rows of ((width × 24 + 31) / 32) × 4 bytes from `rows`, the first row being the bottom
// of the page; the padding is dropped, nothing past rows.size() is read, and rows the buffer cannot fill
// are completed with zero bytes (black). Null when the size is not positive or the image cannot be made.
CairoSurfacePtr OpenDibImage(std::span<const uint8_t> rows, int width, int height);

}  // namespace velto
