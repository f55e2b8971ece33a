#pragma once
// The tags of one fax TIFF page: 1728 × 2200 at 204 × 196 dpi, the page's format tags, its place in the
// job and the producing software.

#include <tiffio.h>

#include "documents/tiff_settings.h"

namespace velto {

inline constexpr int kFaxPageWidth = 1728;
inline constexpr int kFaxPageHeight = 2200;
inline constexpr const char* kTiffSoftware = "Velto Printer...";

// Sets the tags of the page `pageIndex` (zero-based) of a job of `pageCount` pages. `fillOrder` is the
// FillOrder tag value (1 or 2) for bilevel pages; colour pages carry none. False when libtiff refused a
// tag.
bool SetTiffPageTags(TIFF* tif, int pageIndex, int pageCount, TiffPageMode mode, int fillOrder);

}  // namespace velto
