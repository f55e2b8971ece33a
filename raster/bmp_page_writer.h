#pragma once
// BMP page files: the page read out at the depth of the `bmpcolor` setting, after a 14-byte file header.

#include <string>

#include "raster/page_rasterizer.h"

namespace velto {

// `bmpcolor` 0, 1, 2 → 1, 4, 8 bits; 3 and every other value → 24 bits.
int BmpBitCount(int bmpcolor);
// Writes the file header and the packed bitmap (header, colour table, rows). False when the file cannot
// be created or written (errno in `systemError`); a partly written file is removed.
bool WriteBmpFile(const std::string& path, const PackedPageBitmap& bitmap, int* systemError = nullptr);
// Renders one page's temporary metafile and writes it as `outputFile` at the depth of `bmpcolor`.
bool RenderBmpFile(const std::string& pageFile, const std::string& outputFile, int bmpcolor);

}  // namespace velto
