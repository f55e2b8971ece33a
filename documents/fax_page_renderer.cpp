#include "documents/fax_page_renderer.h"

#include <array>
#include <new>

#include "documents/bilevel_conversion.h"
#include "documents/pixel_rows.h"
#include "documents/tiff_page_tags.h"

namespace velto {
namespace {

constexpr emf::RectL kFaxPageRect{0, 0, kFaxPageWidth, kFaxPageHeight};
constexpr size_t kColourRowBytes = size_t{kFaxPageWidth} * 3;   // 5184
constexpr size_t kBilevelRowBytes = size_t{kFaxPageWidth} / 8;  // 216

bool DrawsDirectly(const TiffSettings& settings) {
  return IsBilevel(settings.mode) && settings.method == BilevelMethod::Direct;
}

}  // namespace

bool FaxPageRenderer::Open(const TiffSettings& settings) {
  Release();
  settings_ = settings;
  const bool direct = DrawsDirectly(settings_);
  if (!CreatePageSurface(kFaxPageWidth, kFaxPageHeight, !direct, surface_)) return false;
  if (direct) {
    try {
      directRows_.assign(static_cast<size_t>(DibImageSize(kFaxPageWidth, kFaxPageHeight, 1)), 0);
    } catch (const std::bad_alloc&) {
      Release();
      return false;
    }
  }
  return true;
}

void FaxPageRenderer::Release() {
  ReleasePageSurface(surface_);
  capture_ = PackedPageBitmap{};
  bilevelRows_ = {};
  directRows_ = {};
}

void FaxPageRenderer::BeginPage() {
  if (surface_.Valid()) surface_.bitmap->FillRect(kFaxPageRect, surface_.fillBrush);
}

bool FaxPageRenderer::PlayPage(const emf::Metafile& metafile) {
  if (!surface_.Valid()) return false;
  // Stretched over the whole page, without margin and without keeping the proportions.
  return surface_.bitmap->Play(metafile, kFaxPageRect);
}

bool FaxPageRenderer::Keep(std::span<const uint8_t> rows, FaxStrip& strip) {
  try {
    strip.storage.assign(rows.begin(), rows.end());
  } catch (const std::bad_alloc&) {
    return false;
  }
  strip.offset = 0;
  strip.size = rows.size();
  return true;
}

// Colour pages: 24-bit rows, red, green, blue, top row first.
bool FaxPageRenderer::CaptureColour(FaxStrip& strip) {
  // Always at 24 bits: a read-out at the depth of a 256- or 16-colour display is no RGB data.
  const uint32_t size = ReadPageBitmap(surface_, 24, capture_);
  if (size == 0 || size != kColourRowBytes * kFaxPageHeight) return false;
  std::span<uint8_t> rows(capture_.FirstRow(), size);
  SwapRedBlue(rows, kFaxPageWidth, kFaxPageHeight);
  if (!FlipRows(rows, kColourRowBytes, kFaxPageHeight)) return false;
  // The read-out becomes the strip: no copy of 11 MB.
  strip.offset = capture_.rowsOffset;
  strip.size = size;
  strip.storage = std::move(capture_.block);
  return true;
}

// Dithered pages: the inverted colour page through the gray conversion and error diffusion.
bool FaxPageRenderer::CaptureDithered(FaxStrip& strip) {
  const uint32_t size = ReadPageBitmap(surface_, 24, capture_);
  if (size == 0) return false;
  std::span<const uint8_t> header(capture_.block.data(), capture_.rowsOffset);
  std::span<const uint8_t> rows(capture_.FirstRow(), size);
  const size_t stride = BilevelStride(kFaxPageWidth);
  const size_t bytes = stride * kFaxPageHeight;
  if (bilevelRows_.empty()) {
    try {
      bilevelRows_.assign(bytes + 10, 0);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  std::array<uint8_t, kBilevelHeaderRecordSize> bilevelHeader{};
  // A page that could not be converted gets no image rather than the previous page's bits.
  if (!ConvertToBilevel(header, rows, bilevelHeader, bilevelRows_)) return false;
  if (!FlipRows(bilevelRows_, stride, kFaxPageHeight)) return false;
  return Keep(std::span<const uint8_t>(bilevelRows_.data(), bytes), strip);
}

// Direct pages: the monochrome bitmap's own bits, top row first, most significant bit first, 1 where the
// inverted pixel is white, that is where the page is printed.
bool FaxPageRenderer::CaptureDirect(FaxStrip& strip) {
  if (directRows_.size() < kBilevelRowBytes * kFaxPageHeight) return false;
  const platform::PageCanvas& surface = *surface_.bitmap;
  for (int y = 0; y < kFaxPageHeight; ++y) {
    const uint32_t* pixel = surface.Row(y);
    uint8_t* out = directRows_.data() + static_cast<size_t>(y) * kBilevelRowBytes;
    for (size_t b = 0; b < kBilevelRowBytes; ++b, pixel += 8) {
      unsigned bits = 0;
      for (int k = 0; k < 8; ++k) bits = (bits << 1) | ((pixel[k] & 0xFFFFFF) == emf::kWhite ? 1u : 0u);
      out[b] = static_cast<uint8_t>(bits);
    }
  }
  return Keep(std::span<const uint8_t>(directRows_.data(), kBilevelRowBytes * kFaxPageHeight), strip);
}

bool FaxPageRenderer::Capture(FaxStrip& strip) {
  if (!surface_.Valid()) return false;
  bool captured;
  if (!IsBilevel(settings_.mode)) {
    captured = CaptureColour(strip);
  } else {
    // White paper becomes 0 and printing 1, matching the min-is-white photometric of bilevel pages.
    surface_.bitmap->InvertRect(kFaxPageRect);
    captured = settings_.method == BilevelMethod::Direct ? CaptureDirect(strip) : CaptureDithered(strip);
  }
  capture_ = PackedPageBitmap{};
  return captured;
}

}  // namespace velto
