#pragma once
// Playing one page into an off-screen bitmap and reading its pixels out as a device-independent bitmap
// (40-byte BITMAPINFOHEADER, colour table for 1, 4 and 8 bits, bottom-up rows padded to 4 bytes).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/emf/colour.h"
#include "platform/emf/metafile.h"
#include "platform/page_canvas.h"
#include "spool/page_size.h"

namespace velto {

// The drawing surface of one page: the bitmap (drawing happens on it directly) and the white fill brush.
struct PageSurface {
  std::unique_ptr<platform::PageCanvas> bitmap;
  emf::Rgb fillBrush = emf::kWhite;
  bool Valid() const { return bitmap != nullptr; }
};

// Packed form: header, colour table and rows in one zero-initialised block.
struct PackedPageBitmap {
  std::vector<uint8_t> block;
  size_t rowsOffset = 0;  // offset of the first (bottom) pixel row in the block
  uint8_t* FirstRow() { return block.data() + rowsOffset; }
  const uint8_t* FirstRow() const { return block.data() + rowsOffset; }
};

// Split form: the caller's header record (header and the largest colour table) and a row buffer.
inline constexpr size_t kBitmapHeaderRecordSize = 40 + 1024;
using BitmapHeaderRecord = std::array<uint8_t, kBitmapHeaderRecordSize>;

// Display colour depth mapped to a read-out bit count: 1, 4, 8 or 24.
int ScreenBitDepth();
bool CreatePageSurface(int width, int height, bool colour, PageSurface& surface);
void ReleasePageSurface(PageSurface& surface);
// As CreatePageSurface, but takes the surface the thread gave back last when it has the same size and
// kind (its pixels are left as they were: fill it before drawing). A fresh surface costs page faults
// and zeroing, which on a page of a long job is a good part of the page's time.
bool AcquirePageSurface(int width, int height, bool colour, PageSurface& surface);
// Keeps the surface for the thread's next AcquirePageSurface (when it is not too large to keep).
void RecyclePageSurface(PageSurface& surface);
// Byte size of the pixel rows: stride × height, stride = ((width × bitCount + 31) / 32) × 4.
uint64_t DibImageSize(int width, int height, int bitCount);
// Packed read-out at `bitCount` (0: ScreenBitDepth). Returns the pixel-data size, 0 on failure.
uint32_t ReadPageBitmap(const PageSurface& surface, int bitCount, PackedPageBitmap& out);
// Split read-out at ScreenBitDepth. With `slack` the buffer has one extra row and 10 bytes beyond the
// rows. Returns the pixel-data size, 0 on failure (rows then empty).
uint32_t ReadPageRows(const PageSurface& surface, BitmapHeaderRecord& header, bool slack, std::vector<uint8_t>& rows);
// The split read-out at a bit count of the caller's (1, 4, 8 or 24), for encoders that need 24 bits
// whatever the display holds.
uint32_t ReadPageRowsAt(const PageSurface& surface, int bitCount, BitmapHeaderRecord& header, bool slack,
                        std::vector<uint8_t>& rows);
// The read-out in bands, for writers that stream it: the header (info header with the image size, then
// the colour table) and the size of the rows, 0 when `bitCount` is not 1, 4, 8 or 24 or the size is
// beyond 4 GiB; then `count` rows from bottom-up row `first` at a time (count × stride bytes).
uint32_t PageBitmapHeader(const PageSurface& surface, int bitCount, std::vector<uint8_t>& header);
void ReadPageRowBand(const PageSurface& surface, int bitCount, int first, int count, uint8_t* out);

// A page played with the standard page geometry (0.96 scale, 5 % margin, white fill).
struct RenderedPage {
  PageSurface surface;
  int width = 0;
  int height = 0;
  std::optional<emf::Metafile> metafile;
  // Set when the page was drawn from a damaged metafile, as far as it goes: what is wrong with it.
  std::optional<std::string> damage;
  // When the page could not be drawn at all: why, and whether the page itself is at fault (a damaged
  // metafile) rather than the machine (memory).
  std::string failure;
  bool failedOnDamage = false;
};
// With `dpi`, the page is drawn at that many dots per inch from its frame instead: a surface of the
// frame's size at that resolution, the page played over all of it, no margin.
bool RenderRasterPage(const std::string& pageFile, bool colour, RenderedPage& page,
                      std::optional<int> dpi = std::nullopt);
// The same for a metafile already read (no value: it could not be, for the reason `loadError`).
bool RenderRasterMetafile(std::optional<emf::Metafile> metafile, const std::string& loadError, bool colour,
                          RenderedPage& page, std::optional<int> dpi = std::nullopt);

// The standard page geometry for a metafile page size (W0, H0) in reference-device pixels: the fallback
// size for pages of 5000 × 6000 and more, the 0.96 scale (w, h), the surface with its 5 % border
// (width, height) and the playback rectangle inset by the margin m on every side.
struct RasterPageGeometry {
  int scaledWidth = 0;   // w
  int scaledHeight = 0;  // h
  int width = 0;
  int height = 0;
  int margin = 0;
  emf::RectL playback;
};
// No value when the surface would be empty or larger than a surface can be.
std::optional<RasterPageGeometry> StandardPageGeometry(int metafileWidth, int metafileHeight);
// The geometry of a page drawn at `dpi` dots per inch from its frame (hundredths of a millimetre): the
// frame's width and height at that resolution, truncated, the playback rectangle all of it. No value when
// the surface would be empty or larger than a surface can be.
std::optional<RasterPageGeometry> FramePageGeometry(const emf::RectL& frame, int dpi);

}  // namespace velto
