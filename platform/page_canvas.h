#pragma once
// The off-screen bitmap of one page and the playing of a metafile into it: the platform's own GDI on
// Windows (PlayEnhMetaFile into a DIB section), our playback engine elsewhere. The rasterizer and the fax
// and PDF writers see only this. Pixels are 32-bit 0x00RRGGBB, rows from the top; a monochrome canvas
// holds only black and white once a page has been played into it.

#include <cstdint>
#include <memory>

#include "platform/emf/colour.h"
#include "platform/emf/geometry.h"
#include "platform/emf/metafile.h"

namespace velto::platform {

// Largest canvas we agree to make: 32768 pixels a side and 1 GiB of pixels.
inline constexpr int kMaxCanvasSide = 32768;
inline constexpr uint64_t kMaxCanvasBytes = uint64_t{1} << 30;

// Whether a canvas may be cleared and played into again for the next page. Our engine starts every
// playback from a fresh device context; on Windows the memory DC would carry its state from page to page,
// so there every page gets a canvas of its own.
#ifdef _WIN32
inline constexpr bool kCanvasReusable = false;
#else
inline constexpr bool kCanvasReusable = true;
#endif

class PageCanvas {
 public:
  // No canvas when a side is not positive, the size is beyond what a canvas can be (32768 pixels a
  // side, 1 GiB of pixels), or memory runs out.
  static std::unique_ptr<PageCanvas> Create(int width, int height, bool colour);
  ~PageCanvas();
  PageCanvas(const PageCanvas&) = delete;
  PageCanvas& operator=(const PageCanvas&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool IsMonochrome() const { return !colour_; }

  // Fills the rectangle, right and bottom edges excluded, cut to the canvas (GDI's FillRect).
  void FillRect(const emf::RectL& rect, emf::Rgb colour);
  // Inverts every pixel of the rectangle (a blit of the canvas onto itself with NOTSRCCOPY).
  void InvertRect(const emf::RectL& rect);
  // Plays the metafile with its picture frame mapped onto `destination`; true when it played to its end.
  bool Play(const emf::Metafile& metafile, const emf::RectL& destination);

  // Row y from the top, once every drawing before has landed. After writing pixels directly, call
  // Changed before the next drawing call.
  uint32_t* Row(int y);
  const uint32_t* Row(int y) const;
  emf::Rgb Pixel(int x, int y) const { return Row(y)[x] & 0xFFFFFF; }
  void SetPixel(int x, int y, emf::Rgb colour) { Row(y)[x] = colour & 0xFFFFFF; }
  void Changed();

  struct Backend;  // the platform's bitmap and drawing context

 private:
  PageCanvas(std::unique_ptr<Backend> backend, int width, int height, bool colour);
  std::unique_ptr<Backend> backend_;
  int width_;
  int height_;
  bool colour_;
};

}  // namespace velto::platform
