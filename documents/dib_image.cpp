#include "documents/dib_image.h"

#include <algorithm>
#include <cstring>

#include "documents/bilevel_conversion.h"

namespace velto {

CairoSurfacePtr OpenDibImage(std::span<const uint8_t> rows, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  CairoSurfacePtr image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(image.get());
  uint8_t* data = cairo_image_surface_get_data(image.get());
  const size_t imageStride = static_cast<size_t>(cairo_image_surface_get_stride(image.get()));
  const size_t dibStride = DibStride(width, 24);
  for (int r = 0; r < height; ++r) {
    // The buffer's first row is the page's bottom row.
    auto* out = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(height - 1 - r) * imageStride);
    const size_t start = static_cast<size_t>(r) * dibStride;
    const size_t available = start < rows.size() ? std::min(rows.size() - start, size_t(width) * 3) : 0;
    if (available == 0) {
      std::fill(out, out + width, 0u);
      continue;
    }
    const uint8_t* in = rows.data() + start;
    const size_t whole = available / 3;
    for (size_t x = 0; x < whole; ++x, in += 3)
      out[x] = (uint32_t{in[2]} << 16) | (uint32_t{in[1]} << 8) | in[0];
    // A pixel cut short by the end of the buffer keeps the bytes there are, the rest zero.
    if (whole < static_cast<size_t>(width)) {
      uint8_t partial[3] = {0, 0, 0};
      std::memcpy(partial, in, available - whole * 3);
      out[whole] = (uint32_t{partial[2]} << 16) | (uint32_t{partial[1]} << 8) | partial[0];
      std::fill(out + whole + 1, out + width, 0u);
    }
  }
  cairo_surface_mark_dirty(image.get());
  return image;
}

}  // namespace velto
