#pragma once
// Colour page to black and white for the fax: 8-bit gray by weighted sum, error diffusion of the gray
// values to pure black and white, and packing into 1-bit rows with a two-entry colour table. Pure
// functions on memory buffers; every working buffer is released before they return.

#include <cstddef>
#include <cstdint>
#include <span>

namespace velto {

// The caller's header record: the 40-byte bitmap-information header and two colour entries.
inline constexpr size_t kBilevelHeaderRecordSize = 48;

// Row strides of the three pixel layouts, rows padded to 4 bytes.
inline constexpr size_t BilevelStride(int width) { return ((static_cast<size_t>(width) + 31) / 32) * 4; }
inline constexpr size_t GrayStride(int width) { return ((static_cast<size_t>(width) * 8 + 31) / 32) * 4; }
inline constexpr size_t DibStride(int width, int bitCount) {
  return ((static_cast<size_t>(width) * static_cast<size_t>(bitCount) + 31) / 32) * 4;
}

// Converts a 24-bit (blue, green, red) or 16-bit (5-5-5) device-independent bitmap into a 1-bit one:
// `headerRecord` receives the 40-byte header and the colour table (entry 0 black, entry 1 white),
// `rowBuffer` the packed rows (stride BilevelStride(width), 1 = white), in the input's row order.
// False, with neither output touched, when the bit count is neither 24 nor 16, the width is not positive,
// the height is 0, the input rows are shorter than the header says, an output area is too small, or the
// working memory cannot be had.
bool ConvertToBilevel(std::span<const uint8_t> inputHeader, std::span<const uint8_t> inputRows,
                      std::span<uint8_t> headerRecord, std::span<uint8_t> rowBuffer);

// Floyd–Steinberg diffusion of a gray plane (stride GrayStride(width)) in place: rows top to bottom, each
// left to right, shares 7/16, 5/16, 1/16, 3/16 truncated toward zero, nothing diffused from the last row
// or column. Afterwards every pixel is 0 or 255. False when the plane is shorter than its rows.
bool DitherGrayRows(std::span<uint8_t> plane, int width, int height);

// Packs a diffused gray plane into 1-bit rows (bit set where the value is 128 or more, most significant
// bit first, zero tails) and writes the header record. False, nothing written, when a buffer is too small.
bool PackBilevelRows(std::span<const uint8_t> plane, int width, int height, std::span<uint8_t> headerRecord,
                     std::span<uint8_t> rowBuffer);

}  // namespace velto
