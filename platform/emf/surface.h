#pragma once
// The off-screen bitmap that metafiles are played into: a colour bitmap as the screen holds it, or a
// monochrome one. Both keep 32-bit xRGB pixels, rows packed one after the other, so that one drawing
// path serves both; on a monochrome surface every pixel is pure black or pure white once drawing has
// finished. A new surface is black.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>

#include "colour.h"
#include "geometry.h"

namespace velto::emf {

// Largest surface we agree to make: 32768 pixels a side and 1 GiB of pixels.
inline constexpr int kMaxSurfaceSide = 32768;
inline constexpr uint64_t kMaxSurfaceBytes = uint64_t{1} << 30;

class Surface {
 public:
  enum class Kind { Colour, Monochrome };

  // No surface when a side is not positive, the size passes the limits, or memory runs out.
  static std::unique_ptr<Surface> Create(int width, int height, Kind kind);
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  Kind GetKind() const { return kind_; }
  bool IsMonochrome() const { return kind_ == Kind::Monochrome; }

  // Row y from the top; 32-bit pixels 0x00RRGGBB (the top byte carries no meaning). Rows follow one
  // another without gaps: Stride() bytes apart.
  uint32_t* Row(int y) { return pixels_.get() + static_cast<size_t>(y) * static_cast<size_t>(width_); }
  const uint32_t* Row(int y) const { return pixels_.get() + static_cast<size_t>(y) * static_cast<size_t>(width_); }
  int Stride() const { return width_ * 4; }
  Rgb Pixel(int x, int y) const { return Row(y)[x] & 0xFFFFFF; }
  void SetPixel(int x, int y, Rgb colour) { Row(y)[x] = colour & 0xFFFFFF; }

  // Fills the rectangle, right and bottom edges excluded, cut to the surface (GDI's FillRect).
  void FillRect(const RectL& rect, Rgb colour);
  // Inverts every pixel of the rectangle (BitBlt of the surface onto itself with NOTSRCCOPY).
  void InvertRect(const RectL& rect);
  // Maps every pixel to black or white; used after drawing into a monochrome surface.
  void SnapToMonochrome();

  // Drawing finishes every operation before it returns: the pixels can be read at any time. Kept for
  // readers that flush before reading.
  void Flush() const {}

 private:
  struct FreeDeleter {
    void operator()(uint32_t* p) const { std::free(p); }
  };
  Surface(std::unique_ptr<uint32_t, FreeDeleter> pixels, int width, int height, Kind kind)
      : pixels_(std::move(pixels)), width_(width), height_(height), kind_(kind) {}
  std::unique_ptr<uint32_t, FreeDeleter> pixels_;
  int width_;
  int height_;
  Kind kind_;
};

}  // namespace velto::emf
