#pragma once
// A decoded bitmap: premultiplied ARGB pixels, top row first, ready to be a cairo source.

#include <cairo.h>

#include <cstdint>
#include <memory>
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

// A cairo surface over the image's pixels; the image must outlive it.
struct CairoSurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;
struct CairoDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using CairoPtr = std::unique_ptr<cairo_t, CairoDeleter>;
struct CairoPatternDeleter {
  void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
};
using CairoPatternPtr = std::unique_ptr<cairo_pattern_t, CairoPatternDeleter>;

inline CairoSurfacePtr WrapImage(Image& image) {
  return CairoSurfacePtr(cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(image.pixels.data()), CAIRO_FORMAT_ARGB32, image.width, image.height,
      image.width * 4));
}

}  // namespace velto::emf::playback
