#pragma once
// JPEG page files: the row converter (bottom-up, padded blue-green-red rows to top-down, packed
// red-green-blue rows) and the file writer that drives libjpeg's compression calls.

#include <cstdint>
#include <string>
#include <vector>

namespace velto {

// libjpeg refuses larger images.
inline constexpr int kMaxJpegSide = 65500;

// The quality handed to libjpeg: the setting's low byte read as a signed number (300 → 44, 200 → -56);
// libjpeg then clamps it to 1–100.
int JpegQualityFromSetting(int jpgcompresspos);

// Converts the 24-bit rows starting at `firstRow` (`imageSize` bytes, stride × height). Empty when the
// sizes do not fit together or memory runs out.
std::vector<uint8_t> ConvertRowsToRgb(const uint8_t* firstRow, uint32_t imageSize, int width, int height);

// Writes `image` (width × 3 bytes a row, top row first) as a baseline JFIF file. 1 on success, 0 on
// failure; "JpegFile :\nCan't open %s\n" is shown when the file cannot be opened. A file left half
// written by a library error is removed.
int WriteJpegFile(const std::string& path, const uint8_t* image, int width, int height, int quality);

}  // namespace velto
