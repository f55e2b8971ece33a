#include "text/glyph_mask.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace velto::emf::text {
namespace {

bool BitmapPixel(const FT_Bitmap& bitmap, unsigned x, unsigned y) {
  const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
  switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_MONO: return (row[x >> 3] & (0x80 >> (x & 7))) != 0;
    case FT_PIXEL_MODE_GRAY: return row[x] >= 128;
    case FT_PIXEL_MODE_BGRA: return row[x * 4 + 3] >= 128;
    default: return false;
  }
}

// A mask of `format` the bitmap's size, placed at (left, top); no surface for an empty or absurd bitmap.
GlyphMask EmptyMaskFor(const FT_Bitmap& bitmap, int left, int top, cairo_format_t format) {
  GlyphMask glyph;
  glyph.left = left;
  glyph.top = top;
  if (bitmap.width == 0 || bitmap.rows == 0 || bitmap.buffer == nullptr) return glyph;
  if (bitmap.width > 32767 || bitmap.rows > 32767) return glyph;
  cairo_surface_t* surface =
      cairo_image_surface_create(format, static_cast<int>(bitmap.width), static_cast<int>(bitmap.rows));
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return glyph;
  }
  glyph.mask.reset(surface);
  return glyph;
}

}  // namespace

GlyphMask MaskFromBitmap(const FT_Bitmap& bitmap, int left, int top) {
  GlyphMask glyph = EmptyMaskFor(bitmap, left, top, CAIRO_FORMAT_A1);
  if (!glyph.mask) return glyph;
  cairo_surface_t* surface = glyph.mask.get();
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  // cairo packs A1 pixels into 32-bit words in the machine's bit order.
  for (unsigned y = 0; y < bitmap.rows; ++y) {
    auto* row = data + static_cast<std::ptrdiff_t>(y) * stride;
    std::memset(row, 0, static_cast<size_t>(stride));
    for (unsigned x = 0; x < bitmap.width; ++x) {
      if (!BitmapPixel(bitmap, x, y)) continue;
      uint32_t word = 0;
      std::memcpy(&word, row + (x / 32) * 4, 4);
      word |= std::endian::native == std::endian::little ? (1u << (x % 32)) : (0x80000000u >> (x % 32));
      std::memcpy(row + (x / 32) * 4, &word, 4);
    }
  }
  cairo_surface_mark_dirty(surface);
  return glyph;
}

GlyphMask GreyMaskFromBitmap(const FT_Bitmap& bitmap, int left, int top) {
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return MaskFromBitmap(bitmap, left, top);
  GlyphMask glyph = EmptyMaskFor(bitmap, left, top, CAIRO_FORMAT_A8);
  if (!glyph.mask) return glyph;
  cairo_surface_t* surface = glyph.mask.get();
  // Coverage step s (0..16) leaves ramp[16 - s] of a white ground showing under black text.
  static constexpr uint8_t kRamp[17] = {0x00, 0x4d, 0x68, 0x7c, 0x8c, 0x9a, 0xa7, 0xb2, 0xbd,
                                        0xc7, 0xd0, 0xd9, 0xe1, 0xe9, 0xf0, 0xf8, 0xff};
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (unsigned y = 0; y < bitmap.rows; ++y) {
    const unsigned char* in = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
    unsigned char* out = data + static_cast<std::ptrdiff_t>(y) * stride;
    for (unsigned x = 0; x < bitmap.width; ++x) {
      const unsigned step = (in[x] * 16u + 127u) / 255u;
      out[x] = static_cast<unsigned char>(255 - kRamp[16 - step]);
    }
  }
  cairo_surface_mark_dirty(surface);
  return glyph;
}

size_t GlyphMask::Bytes() const {
  if (!mask) return 0;
  return static_cast<size_t>(cairo_image_surface_get_stride(mask.get())) *
         static_cast<size_t>(cairo_image_surface_get_height(mask.get()));
}

}  // namespace velto::emf::text
