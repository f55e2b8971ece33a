#pragma once
// Row-level helpers for handing a bottom-up device-independent bitmap to a top-down image format.

#include <cstddef>
#include <cstdint>
#include <span>

namespace velto {

// Reverses the order of `rowCount` rows of `bytesPerRow` bytes in place (the middle row of an odd count
// stays). False, nothing changed, when there are no rows or the buffer is shorter than the rows.
bool FlipRows(std::span<uint8_t> rows, size_t bytesPerRow, size_t rowCount);

// Exchanges the first and third byte of every 3-byte pixel: blue, green, red becomes red, green, blue.
// Rows are taken as pixels × 3 bytes long, without padding; nothing past the buffer is touched.
void SwapRedBlue(std::span<uint8_t> rows, size_t pixelsPerRow, size_t rowCount);

}  // namespace velto
