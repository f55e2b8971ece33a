#pragma once
// One fax page at a time: the 1728 × 2200 page surface, drawn and captured as the strip of the page
// mode (24-bit colour rows, dithered bilevel rows, or the monochrome surface's own bits). A document
// drawn on several threads has one renderer on each.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "documents/tiff_settings.h"
#include "platform/emf/metafile.h"
#include "raster/page_rasterizer.h"

namespace velto {

// A captured page, ready to be coded: `Bytes()` is the strip, top row first.
struct FaxStrip {
  std::vector<uint8_t> storage;
  size_t offset = 0;
  size_t size = 0;
  std::span<const uint8_t> Bytes() const { return std::span<const uint8_t>(storage).subspan(offset, size); }
};

class FaxPageRenderer {
 public:
  // Makes the page surface (colour unless a bilevel mode draws directly in black and white). False when
  // there is not enough memory.
  bool Open(const TiffSettings& settings);
  void Release();
  bool Valid() const { return surface_.Valid(); }

  // Clears the surface to white for the next page.
  void BeginPage();
  platform::PageCanvas& Surface() { return *surface_.bitmap; }
  // Plays a page's metafile stretched over the whole fax page; false when the playback stopped before
  // the end of the metafile.
  bool PlayPage(const emf::Metafile& metafile);
  // Captures the drawn page as the page mode's strip, which owns its bytes. False when the page got no
  // image (not enough memory).
  bool Capture(FaxStrip& strip);

 private:
  bool CaptureColour(FaxStrip& strip);
  bool CaptureDithered(FaxStrip& strip);
  bool CaptureDirect(FaxStrip& strip);
  static bool Keep(std::span<const uint8_t> rows, FaxStrip& strip);

  TiffSettings settings_;
  PageSurface surface_;
  PackedPageBitmap capture_;          // the current page's read-out, released after the page
  std::vector<uint8_t> bilevelRows_;  // job-long, made at the first dithered page
  std::vector<uint8_t> directRows_;   // job-long, direct method only
};

}  // namespace velto
