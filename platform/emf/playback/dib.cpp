#include "playback/dib.h"

#include <algorithm>
#include <bit>

namespace velto::emf::playback {
namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

struct Format {
  int32_t width = 0;
  int32_t height = 0;  // negative: top-down
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t masks[4] = {0, 0, 0, 0};
  std::vector<uint32_t> table;  // 0xRRGGBB
};

// Pulls one mask-described channel out of a pixel, scaled to 8 bits.
uint32_t Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  uint32_t bits = std::popcount(mask >> shift) == 32 ? 0xFFFFFFFFu : (mask >> shift);
  uint32_t v = (pixel & mask) >> shift;
  int width = std::bit_width(bits);
  if (width >= 8) return v >> (width - 8);
  // Replicate the high bits into the low ones, so full scale maps to 255.
  uint32_t out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << width) | v;
    filled += width;
  }
  return out >> (filled - 8);
}

std::optional<Format> ReadFormat(const ByteReader& bmi, uint32_t usage) {
  Format f;
  auto headerSize = bmi.U32(0);
  if (!headerSize) return std::nullopt;
  size_t tableOffset;
  size_t entrySize = 4;
  uint32_t clrUsed = 0;
  if (*headerSize == 12) {
    auto w = bmi.U16(4);
    auto h = bmi.I16(6);
    auto bc = bmi.U16(10);
    if (!w || !h || !bc) return std::nullopt;
    f.width = *w;
    f.height = *h;
    f.bitCount = *bc;
    tableOffset = 12;
    entrySize = 3;
  } else if (*headerSize >= 16) {
    auto w = bmi.I32(4);
    auto h = bmi.I32(8);
    auto bc = bmi.U16(14);
    if (!w || !h || !bc) return std::nullopt;
    f.width = *w;
    f.height = *h;
    f.bitCount = *bc;
    f.compression = bmi.U32Or(16);
    clrUsed = bmi.U32Or(32);
    tableOffset = *headerSize;
    if (f.compression == kBiBitfields || f.compression == kBiAlphaBitfields) {
      for (int i = 0; i < (f.compression == kBiAlphaBitfields ? 4 : 3); ++i) f.masks[i] = bmi.U32Or(40 + 4 * i);
      if (*headerSize == 40) tableOffset = 40 + (f.compression == kBiAlphaBitfields ? 16 : 12);
    }
  } else {
    return std::nullopt;
  }
  if (f.width <= 0 || f.height == 0 || f.height == INT32_MIN) return std::nullopt;
  switch (f.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return std::nullopt;
  }
  if (f.compression == kBiRle8 && f.bitCount != 8) return std::nullopt;
  if (f.compression == kBiRle4 && f.bitCount != 4) return std::nullopt;
  if (f.compression > kBiBitfields && f.compression != kBiAlphaBitfields) return std::nullopt;
  if (f.compression == kBiRgb && (f.bitCount == 16 || f.bitCount == 32)) {
    if (f.bitCount == 16) {
      f.masks[0] = 0x7C00, f.masks[1] = 0x03E0, f.masks[2] = 0x001F;
    } else {
      f.masks[0] = 0xFF0000, f.masks[1] = 0xFF00, f.masks[2] = 0xFF;
    }
  }
  if (f.bitCount <= 8) {
    uint32_t entries = 1u << f.bitCount;
    if (clrUsed != 0 && clrUsed < entries) entries = clrUsed;
    f.table.assign(size_t{1} << f.bitCount, 0);
    if (usage == kDibPalIndices) {
      const uint32_t top = (1u << f.bitCount) - 1;
      for (uint32_t i = 0; i <= top; ++i) {
        const uint32_t g = i * 255 / top;
        f.table[i] = (g << 16) | (g << 8) | g;
      }
      return f;
    }
    for (uint32_t i = 0; i < entries; ++i) {
      if (usage == kDibPalColors) {
        // Palette indices: without a realised palette, the index picks a grey level.
        auto idx = bmi.U16(tableOffset + 2 * i);
        if (!idx) break;
        uint32_t g = *idx & 0xFF;
        f.table[i] = (g << 16) | (g << 8) | g;
        continue;
      }
      size_t at = tableOffset + entrySize * i;
      if (!bmi.Has(at, 3)) break;  // a short table leaves the rest black
      f.table[i] = (uint32_t{*bmi.U8(at + 2)} << 16) | (uint32_t{*bmi.U8(at + 1)} << 8) | *bmi.U8(at);
    }
  }
  return f;
}

void DecodeRle(std::span<const uint8_t> src, const Format& f, int width, int height, std::vector<uint8_t>& idx) {
  // Rows bottom-up in the stream; idx is stored top-down.
  bool four = f.compression == kBiRle4;
  int x = 0, y = 0;  // y counts from the bottom
  size_t i = 0;
  auto put = [&](uint8_t v) {
    if (x >= 0 && x < width && y >= 0 && y < height) idx[static_cast<size_t>(height - 1 - y) * width + x] = v;
    ++x;
  };
  while (i + 1 < src.size() && y < height) {
    uint8_t count = src[i], value = src[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(four ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta
      if (i + 1 >= src.size()) break;
      x += src[i];
      y += src[i + 1];
      i += 2;
    } else {  // absolute run of `value` pixels
      size_t bytes = four ? (value + 1) / 2 : value;
      if (i + bytes > src.size()) break;
      for (int k = 0; k < value; ++k) {
        uint8_t b = src[i + (four ? k / 2 : k)];
        put(four ? ((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
      }
      i += (bytes + 1) & ~size_t{1};
    }
  }
}

std::optional<Image> Decode(const ByteReader& bmiReader, std::span<const uint8_t> bits, uint32_t usage,
                            bool keepAlpha) {
  auto f = ReadFormat(bmiReader, usage);
  if (!f) return std::nullopt;
  int width = f->width;
  bool topDown = f->height < 0;
  int height = topDown ? -f->height : f->height;
  if (uint64_t(width) * uint64_t(height) > kMaxImagePixels) return std::nullopt;
  Image img;
  img.width = width;
  img.height = height;
  img.bottomUp = !topDown;
  size_t count = static_cast<size_t>(width) * height;

  if (f->compression == kBiRle8 || f->compression == kBiRle4) {
    // Run-length data can claim a huge bitmap in a few bytes: such claims get a tighter cap.
    if (count > kMaxRlePixels || count / 256 > bits.size() + 1) return std::nullopt;
    std::vector<uint8_t> idx(count, 0);
    DecodeRle(bits, *f, width, height, idx);
    img.pixels.resize(count);
    for (size_t i = 0; i < count; ++i) img.pixels[i] = 0xFF000000u | f->table[idx[i]];
    return img;
  }

  uint64_t stride = ((uint64_t(width) * f->bitCount + 31) / 32) * 4;
  // The last row need not carry its padding.
  uint64_t lastRow = (uint64_t(width) * f->bitCount + 7) / 8;
  if (uint64_t(bits.size()) < stride * (height - 1) + lastRow) return std::nullopt;
  img.pixels.resize(count);
  if (f->bitCount == 1) img.monoBits.resize(count);
  bool alpha = false;
  for (int row = 0; row < height; ++row) {
    const uint8_t* p = bits.data() + stride * static_cast<uint64_t>(topDown ? row : height - 1 - row);
    uint32_t* out = img.pixels.data() + static_cast<size_t>(row) * width;
    switch (f->bitCount) {
      case 1:
        for (int x = 0; x < width; ++x) {
          uint8_t bit = (p[x >> 3] >> (7 - (x & 7))) & 1;
          img.monoBits[static_cast<size_t>(row) * width + x] = bit;
          out[x] = 0xFF000000u | f->table[bit];
        }
        break;
      case 4:
        for (int x = 0; x < width; ++x) out[x] = 0xFF000000u | f->table[(p[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
        break;
      case 8:
        for (int x = 0; x < width; ++x) out[x] = 0xFF000000u | f->table[p[x]];
        break;
      case 24:
        for (int x = 0; x < width; ++x)
          out[x] = 0xFF000000u | (uint32_t{p[3 * x + 2]} << 16) | (uint32_t{p[3 * x + 1]} << 8) | p[3 * x];
        break;
      case 16:
      case 32: {
        int bytes = f->bitCount / 8;
        for (int x = 0; x < width; ++x) {
          uint32_t v = bytes == 2 ? uint32_t(p[2 * x] | (p[2 * x + 1] << 8))
                                  : uint32_t(p[4 * x] | (p[4 * x + 1] << 8) | (p[4 * x + 2] << 16) |
                                             (uint32_t(p[4 * x + 3]) << 24));
          uint32_t r = Channel(v, f->masks[0]), g = Channel(v, f->masks[1]), b = Channel(v, f->masks[2]);
          uint32_t a = 0xFF;
          if (keepAlpha && f->bitCount == 32) {
            a = f->masks[3] ? Channel(v, f->masks[3]) : (v >> 24);
            // Premultiplied already; keep colour channels within alpha for cairo.
            r = std::min(r, a), g = std::min(g, a), b = std::min(b, a);
            if (a != 0xFF) alpha = true;
          }
          out[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
        break;
      }
    }
  }
  img.hasAlpha = alpha;
  return img;
}

}  // namespace

std::optional<Image> DecodeDib(const ByteReader& record, const DibLocation& where, bool keepAlpha) {
  return DecodeDibWithUsage(record, where, kDibRgbColors, keepAlpha);
}

std::optional<Image> DecodeDibWithUsage(const ByteReader& record, const DibLocation& where, uint32_t usage,
                                        bool keepAlpha) {
  auto bmi = record.Slice(where.offBmi, where.cbBmi);
  auto bits = record.Slice(where.offBits, where.cbBits);
  if (!bmi || !bits || where.cbBmi == 0) return std::nullopt;
  return Decode(ByteReader(*bmi), *bits, usage, keepAlpha);
}

std::optional<Image> DecodePackedDib(std::span<const uint8_t> bytes, uint32_t usage, bool keepAlpha) {
  ByteReader r(bytes);
  auto f = ReadFormat(r, usage);
  if (!f) return std::nullopt;
  size_t header = r.U32Or(0);
  size_t tableBytes = f->table.size() * (usage == kDibPalColors ? 2 : (header == 12 ? 3 : 4));
  uint32_t clrUsed = header >= 40 ? r.U32Or(32) : 0;
  if (f->bitCount <= 8 && clrUsed && clrUsed < f->table.size())
    tableBytes = clrUsed * (usage == kDibPalColors ? 2 : 4);
  if (usage == kDibPalIndices) tableBytes = 0;
  size_t offset = header + tableBytes;
  if (header == 40 && (f->compression == kBiBitfields)) offset += 12;
  if (header == 40 && (f->compression == kBiAlphaBitfields)) offset += 16;
  if (offset > bytes.size()) return std::nullopt;
  return Decode(r, bytes.subspan(offset), usage, keepAlpha);
}

}  // namespace velto::emf::playback
