// The page canvas on the platform's own GDI: a DIB section selected into a memory drawing context, the
// page played by PlayEnhMetaFile. A colour canvas is 32 bits a pixel, as a screen-compatible bitmap is on
// every true-colour display; a monochrome one is a 1-bit bitmap with a black-and-white colour table, so
// GDI maps colours to black and white as it does for a monochrome bitmap. Its pixels are shown to the
// rest of the program as 32-bit rows, expanded when they are asked for.
#include <windows.h>

#include <algorithm>
#include <new>
#include <span>
#include <vector>

#include "platform/metafile_for_gdi.h"
#include "platform/page_canvas.h"

namespace velto::platform {

struct PageCanvas::Backend {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previousBitmap = nullptr;
  uint8_t* bits = nullptr;  // the DIB section's rows, top row first
  size_t stride = 0;        // bytes a row of the DIB section
  // Monochrome only: the 32-bit form of the 1-bit rows, and which side holds the newer pixels.
  std::vector<uint32_t> expanded;
  bool expandedCurrent = false;  // expanded holds what the bitmap holds
  bool expandedNewer = false;    // expanded was written and the bitmap must take it back

  ~Backend() {
    if (dc && previousBitmap) ::SelectObject(dc, previousBitmap);
    if (bitmap) ::DeleteObject(bitmap);
    if (dc) ::DeleteDC(dc);
  }
};

namespace {

// A GDI brush that is deleted on every way out.
class SolidBrush {
 public:
  explicit SolidBrush(emf::Rgb colour)
      : brush_(::CreateSolidBrush(RGB(emf::RedOf(colour), emf::GreenOf(colour), emf::BlueOf(colour)))) {}
  ~SolidBrush() {
    if (brush_) ::DeleteObject(brush_);
  }
  SolidBrush(const SolidBrush&) = delete;
  SolidBrush& operator=(const SolidBrush&) = delete;
  HBRUSH Get() const { return brush_; }

 private:
  HBRUSH brush_;
};

// A metafile handle made from bytes in memory, deleted on every way out.
class EnhancedMetafile {
 public:
  explicit EnhancedMetafile(std::span<const uint8_t> bytes)
      : handle_(::SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data())) {}
  ~EnhancedMetafile() {
    if (handle_) ::DeleteEnhMetaFile(handle_);
  }
  EnhancedMetafile(const EnhancedMetafile&) = delete;
  EnhancedMetafile& operator=(const EnhancedMetafile&) = delete;
  HENHMETAFILE Get() const { return handle_; }

 private:
  HENHMETAFILE handle_;
};

RECT ToRect(const emf::RectL& r) { return RECT{r.left, r.top, r.right, r.bottom}; }


}  // namespace

std::unique_ptr<PageCanvas> PageCanvas::Create(int width, int height, bool colour) {
  if (width <= 0 || height <= 0 || width > kMaxCanvasSide || height > kMaxCanvasSide) return nullptr;
  if (uint64_t(width) * uint64_t(height) * 4 > kMaxCanvasBytes) return nullptr;
  auto backend = std::make_unique<Backend>();
  backend->dc = ::CreateCompatibleDC(nullptr);
  if (!backend->dc) return nullptr;

  // BITMAPINFO with room for the two-entry table of a monochrome bitmap.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = -height;  // top-down rows
  info.header.biPlanes = 1;
  info.header.biBitCount = colour ? 32 : 1;
  info.header.biCompression = BI_RGB;
  info.colours[0] = RGBQUAD{0, 0, 0, 0};
  info.colours[1] = RGBQUAD{255, 255, 255, 0};
  void* bits = nullptr;
  backend->bitmap = ::CreateDIBSection(backend->dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                       nullptr, 0);
  if (!backend->bitmap || !bits) return nullptr;
  backend->bits = static_cast<uint8_t*>(bits);
  backend->stride = colour ? size_t(width) * 4 : (size_t(width) + 31) / 32 * 4;
  backend->previousBitmap = ::SelectObject(backend->dc, backend->bitmap);
  // The drawing context starts with black text and a transparent background, nothing else set.
  ::SetTextColor(backend->dc, RGB(0, 0, 0));
  ::SetBkMode(backend->dc, TRANSPARENT);
  if (!colour) {
    try {
      backend->expanded.assign(size_t(width) * size_t(height), 0);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  return std::unique_ptr<PageCanvas>(new PageCanvas(std::move(backend), width, height, colour));
}

PageCanvas::PageCanvas(std::unique_ptr<Backend> backend, int width, int height, bool colour)
    : backend_(std::move(backend)), width_(width), height_(height), colour_(colour) {}

PageCanvas::~PageCanvas() = default;

namespace {

// Puts pixels written into the 32-bit rows of a monochrome canvas back into its bitmap: white stays
// white, every other colour by its brightness.
void WriteBack(PageCanvas::Backend& b, int width, int height) {
  for (int y = 0; y < height; ++y) {
    const uint32_t* src = b.expanded.data() + size_t(y) * size_t(width);
    uint8_t* dst = b.bits + size_t(y) * b.stride;
    std::fill(dst, dst + b.stride, 0);
    for (int x = 0; x < width; ++x) {
      if (emf::MonochromeOf(src[x] & 0xFFFFFF) == emf::kWhite) dst[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
}

void Expand(PageCanvas::Backend& b, int width, int height) {
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = b.bits + size_t(y) * b.stride;
    uint32_t* dst = b.expanded.data() + size_t(y) * size_t(width);
    for (int x = 0; x < width; ++x) dst[x] = (src[x / 8] & (0x80 >> (x % 8))) ? emf::kWhite : emf::kBlack;
  }
}

// Before GDI draws: everything written directly reaches the bitmap.
void BeforeDrawing(PageCanvas::Backend& b, int width, int height, bool colour) {
  if (!colour && b.expandedNewer) WriteBack(b, width, height);
  b.expandedNewer = false;
  b.expandedCurrent = false;
}

}  // namespace

void PageCanvas::FillRect(const emf::RectL& rect, emf::Rgb colour) {
  BeforeDrawing(*backend_, width_, height_, colour_);
  const RECT r = ToRect(rect);
  SolidBrush brush(colour);
  ::FillRect(backend_->dc, &r, brush.Get());
  ::GdiFlush();
}

void PageCanvas::InvertRect(const emf::RectL& rect) {
  BeforeDrawing(*backend_, width_, height_, colour_);
  const RECT r = ToRect(rect);
  ::InvertRect(backend_->dc, &r);
  ::GdiFlush();
}

bool PageCanvas::Play(const emf::Metafile& metafile, const emf::RectL& destination) {
  BeforeDrawing(*backend_, width_, height_, colour_);
  // GDI is handed only records whose contents fit them: it follows their counts and offsets blindly.
  const MetafileForGdi records = PrepareMetafileForGdi(metafile);
  EnhancedMetafile handle(records.Bytes());
  if (!handle.Get()) return false;
  const RECT r = ToRect(destination);
  const bool played = ::PlayEnhMetaFile(backend_->dc, handle.Get(), &r) != FALSE;
  ::GdiFlush();
  return played && records.complete;
}

uint32_t* PageCanvas::Row(int y) {
  Backend& b = *backend_;
  if (colour_) return reinterpret_cast<uint32_t*>(b.bits + size_t(y) * b.stride);
  if (!b.expandedCurrent) {
    Expand(b, width_, height_);
    b.expandedCurrent = true;
  }
  // The caller may write: the expanded rows are taken back before the next drawing.
  b.expandedNewer = true;
  return b.expanded.data() + size_t(y) * size_t(width_);
}

const uint32_t* PageCanvas::Row(int y) const {
  Backend& b = *backend_;
  if (colour_) return reinterpret_cast<const uint32_t*>(b.bits + size_t(y) * b.stride);
  if (!b.expandedCurrent && !b.expandedNewer) {
    Expand(b, width_, height_);
    b.expandedCurrent = true;
  }
  return b.expanded.data() + size_t(y) * size_t(width_);
}

void PageCanvas::Changed() {}

}  // namespace velto::platform
