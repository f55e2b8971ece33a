#include "documents/bilevel_conversion.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <vector>

#include "platform/emf/byte_reader.h"

namespace velto {
namespace {

constexpr size_t kDibHeaderSize = 40;

std::optional<size_t> CheckedProduct(size_t a, size_t b) {
  if (a != 0 && b > std::numeric_limits<size_t>::max() / a) return std::nullopt;
  return a * b;
}

void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The weighted sum in double precision, green, red and blue in that order, truncated toward zero.
inline uint8_t GrayOf(unsigned blue, unsigned green, unsigned red) {
  double sum = 0.587 * static_cast<double>(green) + 0.299 * static_cast<double>(red) + 0.114 * static_cast<double>(blue);
  return static_cast<uint8_t>(static_cast<int>(sum));
}

// Neighbouring pixels are mostly the same colour (paper, text, fills): the sum of the last colour is kept
// and reused, so each distinct run costs one weighted sum and the result stays bit for bit the same.
void GrayFrom24(const uint8_t* src, uint8_t* gray, int width) {
  uint32_t lastColour = 0xFFFFFFFF;  // no 24-bit colour has this key
  uint8_t lastGray = 0;
  for (int x = 0; x < width; ++x, src += 3) {
    // Four pixels that repeat the one before them, compared at once.
    while (x > 0 && x + 4 <= width && std::memcmp(src, src - 3, 12) == 0) {
      std::memset(gray + x, lastGray, 4);
      x += 4;
      src += 12;
    }
    if (x == width) break;
    const uint32_t colour = uint32_t{src[0]} | (uint32_t{src[1]} << 8) | (uint32_t{src[2]} << 16);
    if (colour != lastColour) {
      lastColour = colour;
      lastGray = GrayOf(src[0], src[1], src[2]);
    }
    gray[x] = lastGray;
  }
}

// 5-5-5 words: each component becomes a multiple of 8 (the low three bits stay 0).
void GrayFrom16(const uint8_t* src, uint8_t* gray, int width) {
  uint32_t lastWord = 0xFFFFFFFF;
  uint8_t lastGray = 0;
  for (int x = 0; x < width; ++x, src += 2) {
    const uint32_t w = static_cast<uint32_t>(src[0]) | (static_cast<uint32_t>(src[1]) << 8);
    if (w != lastWord) {
      lastWord = w;
      const unsigned blue = (w * 8) & 0xFF;
      const unsigned green = (w >> 2) & 0xF8;
      const unsigned red = (w >> 7) & 0xF8;
      lastGray = GrayOf(blue, green, red);
    }
    gray[x] = lastGray;
  }
}

inline uint8_t AddClamped(uint8_t value, int share) {
  return static_cast<uint8_t>(std::clamp(static_cast<int>(value) + share, 0, 255));
}

}  // namespace

bool DitherGrayRows(std::span<uint8_t> plane, int width, int height) {
  if (width <= 0 || height <= 0) return true;
  const size_t stride = GrayStride(width);
  auto needed = CheckedProduct(stride, static_cast<size_t>(height));
  if (!needed || plane.size() < *needed) return false;
  const int lastColumn = width - 1;
  for (int i = 0; i < height; ++i) {
    uint8_t* row = plane.data() + static_cast<size_t>(i) * stride;
    if (i == height - 1) {
      // The last row passes no error on: a plain threshold.
      for (int j = 0; j < width; ++j) row[j] = row[j] >= 128 ? 255 : 0;
      break;
    }
    uint8_t* below = row + stride;
    for (int j = 0; j < width; ++j) {
      // Pure black and pure white (most of a page) stay as they are and carry no error: skip them eight
      // at a time.
      while (j + 8 <= width) {
        uint64_t eight;
        std::memcpy(&eight, row + j, 8);
        if (eight != ((eight & 0x8080808080808080u) >> 7) * 0xFF) break;
        j += 8;
      }
      if (j == width) break;
      const int v = row[j];
      int e;
      if (v >= 128) {
        row[j] = 255;
        e = v - 255;
      } else {
        row[j] = 0;
        e = v;
      }
      if (e == 0 || j == lastColumn) continue;
      // Each share on its own, truncated toward zero: together they may carry less than e.
      row[j + 1] = AddClamped(row[j + 1], (7 * e) / 16);
      below[j] = AddClamped(below[j], (5 * e) / 16);
      below[j + 1] = AddClamped(below[j + 1], (1 * e) / 16);
      if (j > 0) below[j - 1] = AddClamped(below[j - 1], (3 * e) / 16);
    }
  }
  return true;
}

bool PackBilevelRows(std::span<const uint8_t> plane, int width, int height, std::span<uint8_t> headerRecord,
                     std::span<uint8_t> rowBuffer) {
  if (width < 0) return false;
  const size_t rowCount = static_cast<size_t>(height < 0 ? -static_cast<int64_t>(height) : height);
  const size_t grayStride = GrayStride(width);
  const size_t stride = BilevelStride(width);
  auto planeBytes = CheckedProduct(grayStride, rowCount);
  auto packedBytes = CheckedProduct(stride, rowCount);
  if (!planeBytes || !packedBytes || *packedBytes > std::numeric_limits<uint32_t>::max()) return false;
  if (plane.size() < *planeBytes || rowBuffer.size() < *packedBytes ||
      headerRecord.size() < kBilevelHeaderRecordSize)
    return false;

  uint8_t* h = headerRecord.data();
  std::memset(h, 0, kBilevelHeaderRecordSize);
  PutU32(h + 0, 40);
  PutU32(h + 4, static_cast<uint32_t>(width));
  PutU32(h + 8, static_cast<uint32_t>(height));  // sign and row order as the input has them
  PutU16(h + 12, 1);
  PutU16(h + 14, 1);
  PutU32(h + 20, static_cast<uint32_t>(*packedBytes));
  PutU32(h + 32, 2);
  // Entry 0 black (all zero); entry 1 white with its reserved byte 255 as well.
  std::memset(h + 44, 255, 4);

  const int fullBytes = width / 8;
  const int tailBits = width % 8;
  for (size_t y = 0; y < rowCount; ++y) {
    const uint8_t* gray = plane.data() + y * grayStride;
    uint8_t* out = rowBuffer.data() + y * stride;
    for (int b = 0; b < fullBytes; ++b, gray += 8) {
      unsigned bits = 0;
      for (int k = 0; k < 8; ++k) bits = (bits << 1) | (gray[k] >> 7);
      out[b] = static_cast<uint8_t>(bits);
    }
    size_t written = static_cast<size_t>(fullBytes);
    if (tailBits != 0) {
      unsigned bits = 0;
      for (int k = 0; k < tailBits; ++k) bits |= static_cast<unsigned>(gray[k] >> 7) << (7 - k);
      out[fullBytes] = static_cast<uint8_t>(bits);
      ++written;
    }
    std::memset(out + written, 0, stride - written);
  }
  return true;
}

bool ConvertToBilevel(std::span<const uint8_t> inputHeader, std::span<const uint8_t> inputRows,
                      std::span<uint8_t> headerRecord, std::span<uint8_t> rowBuffer) {
  ByteReader header(inputHeader);
  auto width = header.I32(4);
  auto height = header.I32(8);
  auto bitCount = header.U16(14);
  if (!width || !height || !bitCount) return false;
  if (*bitCount != 24 && *bitCount != 16) return false;
  if (*width <= 0 || *height == 0 || *height == std::numeric_limits<int32_t>::min()) return false;

  const size_t rowCount = static_cast<size_t>(*height < 0 ? -*height : *height);
  const size_t inputStride = DibStride(*width, *bitCount);
  const size_t grayStride = GrayStride(*width);
  auto inputBytes = CheckedProduct(inputStride, rowCount);
  auto planeBytes = CheckedProduct(grayStride, rowCount);
  auto packedBytes = CheckedProduct(BilevelStride(*width), rowCount);
  if (!inputBytes || !planeBytes || !packedBytes) return false;
  if (inputRows.size() < *inputBytes || headerRecord.size() < kBilevelHeaderRecordSize ||
      rowBuffer.size() < *packedBytes)
    return false;

  std::vector<uint8_t> plane;
  try {
    plane.assign(*planeBytes, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (size_t y = 0; y < rowCount; ++y) {
    const uint8_t* src = inputRows.data() + y * inputStride;
    uint8_t* gray = plane.data() + y * grayStride;
    if (*bitCount == 24)
      GrayFrom24(src, gray, *width);
    else
      GrayFrom16(src, gray, *width);
  }
  // The diffusion runs on the row count; a negative height only says the rows are stored top-down.
  DitherGrayRows(plane, *width, static_cast<int>(rowCount));
  return PackBilevelRows(plane, *width, *height, headerRecord, rowBuffer);
}

}  // namespace velto
