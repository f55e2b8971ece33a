#pragma once
// Owning handles for the cairo objects of the raster device, and images lent to cairo as sources.

#include <cairo.h>

#include <memory>

#include "playback/image.h"

namespace velto::emf::playback {

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

// A cairo surface over the image's pixels; the image must outlive it.
inline CairoSurfacePtr WrapImage(Image& image) {
  return CairoSurfacePtr(cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(image.pixels.data()), CAIRO_FORMAT_ARGB32, image.width, image.height,
      image.width * 4));
}

}  // namespace velto::emf::playback
