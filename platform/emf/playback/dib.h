#pragma once
// Device-independent bitmaps as metafile records carry them: a BITMAPINFO (core, info, V4 or V5 header,
// colour table or bit-field masks) and the pixel bits, each at an offset inside the record.

#include <cstdint>
#include <optional>
#include <span>

#include "byte_reader.h"
#include "playback/image.h"

namespace velto::emf::playback {

inline constexpr uint32_t kDibRgbColors = 0;
inline constexpr uint32_t kDibPalColors = 1;
// No colour table: each pixel's value is itself the index, as GDI records the monochrome masks of
// MASKBLT and PLGBLT (0 black, the highest value white).
inline constexpr uint32_t kDibPalIndices = 2;

struct DibLocation {
  uint32_t offBmi = 0;
  uint32_t cbBmi = 0;
  uint32_t offBits = 0;
  uint32_t cbBits = 0;
};

// Decodes the bitmap; no value when a header, table or the bits do not fit the record, the format is
// unknown, or the bitmap is larger than kMaxImagePixels. With keepAlpha, 32-bit pixels keep their
// alpha byte (premultiplied, as ALPHABLEND expects); otherwise every pixel is opaque.
std::optional<Image> DecodeDib(const ByteReader& record, const DibLocation& where, bool keepAlpha = false);
// With the colour-table usage of the record (DIB_RGB_COLORS, DIB_PAL_COLORS or DIB_PAL_INDICES).
std::optional<Image> DecodeDibWithUsage(const ByteReader& record, const DibLocation& where, uint32_t usage,
                                        bool keepAlpha = false);

// Same, for a BITMAPINFO followed directly by its bits (pattern brushes).
std::optional<Image> DecodePackedDib(std::span<const uint8_t> bytes, uint32_t usage = kDibRgbColors,
                                     bool keepAlpha = false);

}  // namespace velto::emf::playback
