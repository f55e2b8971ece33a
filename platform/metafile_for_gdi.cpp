#include "platform/metafile_for_gdi.h"

#include <algorithm>
#include <optional>

namespace velto::platform {
namespace {

uint32_t U32(std::span<const uint8_t> r, size_t at) {
  if (at + 4 > r.size()) return 0;
  return uint32_t{r[at]} | uint32_t{r[at + 1]} << 8 | uint32_t{r[at + 2]} << 16 | uint32_t{r[at + 3]} << 24;
}
int32_t I32(std::span<const uint8_t> r, size_t at) { return static_cast<int32_t>(U32(r, at)); }
uint16_t U16(std::span<const uint8_t> r, size_t at) {
  if (at + 2 > r.size()) return 0;
  return static_cast<uint16_t>(r[at] | r[at + 1] << 8);
}

// [offset, offset + count × unit) lies inside the record (64-bit arithmetic: no count wraps).
bool Inside(std::span<const uint8_t> r, uint64_t offset, uint64_t count, uint64_t unit) {
  return offset <= r.size() && count * unit <= r.size() - offset;
}

// Index of an object slot: a stock object (high bit), or a slot of the table other than slot 0.
bool ObjectIndexFits(uint32_t index, uint32_t handles) { return (index & 0x80000000u) != 0 || index < handles; }
bool NewObjectIndexFits(uint32_t index, uint32_t handles) { return index != 0 && index < handles; }

// A bitmap given by (offset, size) of its BITMAPINFO and of its bits: both inside the record, its colour
// table too, and the rows it is drawn from (all, or `scanLines` of them) no more than the bits given.
bool BitmapFits(std::span<const uint8_t> r, size_t fields, uint64_t scanLines = UINT64_MAX) {
  const uint32_t offBmi = U32(r, fields), cbBmi = U32(r, fields + 4);
  const uint32_t offBits = U32(r, fields + 8), cbBits = U32(r, fields + 12);
  if (cbBmi == 0) return true;  // no bitmap: a pattern operation
  if (!Inside(r, offBmi, cbBmi, 1) || !Inside(r, offBits, cbBits, 1) || cbBmi < 12) return false;
  const uint32_t headerSize = U32(r, offBmi);
  if (headerSize < 40 || headerSize > cbBmi) return headerSize == 12;  // an OS/2 core header
  const int64_t width = I32(r, offBmi + 4), height = I32(r, offBmi + 8);
  const uint32_t bitCount = U16(r, offBmi + 14), compression = U32(r, offBmi + 16);
  const uint32_t used = U32(r, offBmi + 32);
  if (width < 0 || bitCount > 32) return false;
  if (bitCount <= 8) {
    // The colour table, where there is one (masks and monochrome brushes come without), is read after
    // the header: two bytes a colour at least (palette indices).
    const uint64_t colours = used != 0 ? std::min<uint64_t>(used, 256) : (uint64_t{1} << bitCount);
    if (!Inside(r, uint64_t{offBmi} + headerSize, colours, 2)) return false;
  }
  if (compression == 0 || compression == 3) {  // BI_RGB, BI_BITFIELDS: the rows are all there
    const uint64_t stride = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
    const uint64_t rows = std::min(static_cast<uint64_t>(height < 0 ? -height : height), scanLines);
    if (stride * rows > cbBits) return false;
  }
  return true;
}

// RGNDATA at `at`, `size` bytes: its rectangles inside what it was given.
bool RegionFits(std::span<const uint8_t> r, uint64_t at, uint64_t size) {
  if (!Inside(r, at, size, 1)) return false;
  if (size == 0) return true;
  if (size < 32) return false;
  const uint32_t headerSize = U32(r, at), count = U32(r, at + 8);
  return headerSize >= 32 && headerSize <= size && uint64_t{count} * 16 <= size - headerSize;
}

// The smallest size of records with fixed fields that GDI reads.
size_t MinimumSize(uint32_t type) {
  switch (type) {
    case 9: case 10: case 11: case 12: case 13: case 26: case 27: case 54:
      return 16;  // window and viewport extents and origins, brush origin, OFFSETCLIPRGN, MOVETOEX, LINETO
    case 17: case 18: case 19: case 20: case 21: case 22: case 24: case 25:
      return 12;  // the modes, text alignment, text and background colours
    case 23: return 32;                                  // SETCOLORADJUSTMENT
    case 29: case 30: case 31: case 32: return 24;       // clip rectangles, viewport and window scaling
    case 42: case 43: return 24;                         // ELLIPSE, RECTANGLE
    case 44: return 32;                                  // ROUNDRECT
    case 45: case 46: case 47: case 55: return 40;       // ARC, CHORD, PIE, ARCTO
    case 41: return 28;                                  // ANGLEARC
    case 35: return 32;                                  // SETWORLDTRANSFORM
    case 36: return 36;                                  // MODIFYWORLDTRANSFORM
    case 38: return 28;                                  // CREATEPEN
    case 39: return 24;                                  // CREATEBRUSHINDIRECT
    case 82: return 12 + 92;                             // EXTCREATEFONTINDIRECTW: a LOGFONTW at least
    case 83: case 84: return 76;                         // EXTTEXTOUTA/W
    case 76: return 100;                                 // BITBLT
    case 77: case 114: case 116: return 108;             // STRETCHBLT, ALPHABLEND, TRANSPARENTBLT
    case 78: return 128;                                 // MASKBLT
    case 79: return 140;                                 // PLGBLT
    case 80: return 76;                                  // SETDIBITSTODEVICE
    case 81: return 80;                                  // STRETCHDIBITS
    case 93: case 94: return 32;                         // CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT
    case 95: return 52;                                  // EXTCREATEPEN
    case 118: return 36;                                 // GRADIENTFILL
    default: return 8;
  }
}

}  // namespace

bool RecordFitsForGdi(uint32_t type, std::span<const uint8_t> r, uint32_t handles, size_t bytesAfter) {
  if (r.size() < MinimumSize(type)) return false;
  switch (type) {
    case 37: case 40: case 48:  // SELECTOBJECT, DELETEOBJECT, SELECTPALETTE
      return r.size() >= 12 && ObjectIndexFits(U32(r, 8), handles);
    case 38: case 39: case 82: case 49: case 99: case 122:  // pens, brushes, fonts, palettes, colour spaces
      return r.size() >= 12 && NewObjectIndexFits(U32(r, 8), handles) &&
             (type != 49 || (r.size() >= 16 && Inside(r, 16, U16(r, 14), 4)));
    case 50:  // SETPALETTEENTRIES
      return r.size() >= 20 && NewObjectIndexFits(U32(r, 8), handles) && Inside(r, 20, U32(r, 16), 4);
    case 51:  // RESIZEPALETTE
      return r.size() >= 16 && NewObjectIndexFits(U32(r, 8), handles);
    case 93: case 94:  // CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT
      return NewObjectIndexFits(U32(r, 8), handles) && BitmapFits(r, 16);
    case 95:  // EXTCREATEPEN: the bitmap, and the style entries after the EXTLOGPEN
      return NewObjectIndexFits(U32(r, 8), handles) && BitmapFits(r, 12) && Inside(r, 52, U32(r, 48), 4);
    case 2: case 3: case 4: case 5: case 6:  // POLYBEZIER … POLYLINETO
      return r.size() >= 28 && Inside(r, 28, U32(r, 24), 8);
    case 85: case 86: case 87: case 88: case 89:  // the same with 16-bit points
      return r.size() >= 28 && Inside(r, 28, U32(r, 24), 4);
    case 56: case 92: {  // POLYDRAW, POLYDRAW16: points, then a type byte each
      if (r.size() < 28) return false;
      const uint64_t count = U32(r, 24);
      return Inside(r, 28, count, (type == 56 ? 8 : 4) + 1);
    }
    case 7: case 8: case 90: case 91: {  // POLYPOLYLINE, POLYPOLYGON (and 16-bit)
      if (r.size() < 32) return false;
      const uint64_t polygons = U32(r, 24), points = U32(r, 28);
      const uint64_t unit = (type == 7 || type == 8) ? 8 : 4;
      if (!Inside(r, 32, polygons, 4) || !Inside(r, 32 + polygons * 4, points, unit)) return false;
      uint64_t total = 0;
      for (uint64_t i = 0; i < polygons; ++i) total += U32(r, 32 + i * 4);
      return total <= points;
    }
    case 83: case 84: {  // EXTTEXTOUTA/W: the string and the spacing inside the record
      const uint64_t chars = U32(r, 44), offString = U32(r, 48), options = U32(r, 52), offDx = U32(r, 72);
      if (!Inside(r, offString, chars, type == 84 ? 2 : 1)) return chars == 0;
      if (chars == 0 || offDx == 0) return true;
      if (!Inside(r, offDx, chars, 4)) return false;
      // ETO_PDY: two values a character. Some recorders (Wine's) give one: GDI then reads on into the
      // records that follow, which is harmless as long as they are there.
      return !(options & 0x2000) || offDx + chars * 8 <= r.size() + bytesAfter;
    }
    case 76: case 77: case 114: case 116:  // BITBLT, STRETCHBLT, ALPHABLEND, TRANSPARENTBLT
      return BitmapFits(r, 84);
    case 78:  // MASKBLT: the source, then the mask
      return BitmapFits(r, 84) && BitmapFits(r, 112);
    case 79:  // PLGBLT
      return BitmapFits(r, 96) && BitmapFits(r, 124);
    case 80:  // SETDIBITSTODEVICE: the bits hold its scan lines only
      return BitmapFits(r, 48, U32(r, 72));
    case 81:  // STRETCHDIBITS
      return BitmapFits(r, 48);
    case 75:  // EXTSELECTCLIPRGN
      return r.size() >= 16 && RegionFits(r, 16, U32(r, 8));
    case 71:  // FILLRGN
      return r.size() >= 32 && ObjectIndexFits(U32(r, 28), handles) && RegionFits(r, 32, U32(r, 24));
    case 72:  // FRAMERGN
      return r.size() >= 40 && ObjectIndexFits(U32(r, 28), handles) && RegionFits(r, 40, U32(r, 24));
    case 73: case 74:  // INVERTRGN, PAINTRGN
      return r.size() >= 28 && RegionFits(r, 28, U32(r, 24));
    case 70:  // GDICOMMENT
      return r.size() >= 12 && Inside(r, 12, U32(r, 8), 1);
    case 118: {  // GRADIENTFILL: vertices, then triangles (three indices) or rectangles (two)
      const uint64_t vertices = U32(r, 24), shapes = U32(r, 28), mode = U32(r, 32);
      return Inside(r, 36, vertices, 16) && Inside(r, 36 + vertices * 16, shapes, mode == 2 ? 12 : 8);
    }
    default:
      return true;
  }
}

// The object slot a record names, if it names one of the table's (not a stock object).
std::optional<uint32_t> ObjectSlot(uint32_t type, std::span<const uint8_t> r) {
  size_t at = 0;
  switch (type) {
    case 37: case 40: case 48: case 38: case 39: case 82: case 49: case 99: case 122:
    case 50: case 51: case 93: case 94: case 95:
      at = 8;
      break;
    case 71: case 72:
      at = 28;
      break;
    default:
      return std::nullopt;
  }
  if (r.size() < at + 4) return std::nullopt;
  const uint32_t index = U32(r, at);
  if (index & 0x80000000u) return std::nullopt;
  return index;
}

MetafileForGdi PrepareMetafileForGdi(const emf::Metafile& metafile) {
  constexpr uint32_t kEof = 14;
  constexpr uint32_t kEofSize = 20;
  constexpr size_t kHeaderBytesField = 48, kHeaderRecordsField = 52, kHeaderHandlesField = 56;
  const std::span<const uint8_t> all = metafile.Bytes();

  // First a look without copying: most pages are sound. Some recorders count one object slot too few
  // in the header; the table is made as large as the slots used, up to the 65535 a header can state.
  size_t end = 0;
  bool sawEof = false;
  uint32_t handles = metafile.Header().handles;
  metafile.ForEachRecord([&](const emf::Record& record) {
    end = record.offset + record.bytes.size();
    sawEof = record.type == kEof;
    if (auto slot = ObjectSlot(record.type, record.bytes); slot && *slot < 0xFFFF && *slot >= handles) {
      handles = *slot + 1;
    }
    return true;
  });
  bool allFit = true;
  metafile.ForEachRecord([&](const emf::Record& record) {
    const size_t after = all.size() - (record.offset + record.bytes.size());
    if (record.offset != 0 && !RecordFitsForGdi(record.type, record.bytes, handles, after)) allFit = false;
    return allFit;
  });
  MetafileForGdi result;
  result.complete = sawEof;
  if (sawEof && allFit && end == all.size() && handles == metafile.Header().handles) {
    result.original = all;
    return result;
  }

  uint32_t records = 0;
  bool ended = false;
  result.copy.reserve(end + kEofSize);
  metafile.ForEachRecord([&](const emf::Record& record) {
    const size_t after = all.size() - (record.offset + record.bytes.size());
    if (ended || (record.offset != 0 && !RecordFitsForGdi(record.type, record.bytes, handles, after))) {
      ended = true;
      ++result.recordsLeftOut;
      return true;
    }
    result.copy.insert(result.copy.end(), record.bytes.begin(), record.bytes.end());
    ++records;
    return true;
  });
  result.complete = sawEof && !ended;
  if (!sawEof || ended) {
    // EMR_EOF: no palette entries, their offset 16, and the size again at the end.
    for (uint32_t word : {kEof, kEofSize, 0u, 16u, kEofSize}) {
      for (int i = 0; i < 4; ++i) result.copy.push_back(static_cast<uint8_t>(word >> (8 * i)));
    }
    ++records;
  }
  auto put = [&](size_t at, uint32_t value, int size) {
    if (at + static_cast<size_t>(size) > result.copy.size()) return;
    for (int i = 0; i < size; ++i) result.copy[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
  };
  put(kHeaderBytesField, static_cast<uint32_t>(result.copy.size()), 4);
  put(kHeaderRecordsField, records, 4);
  put(kHeaderHandlesField, handles, 2);
  return result;
}

}  // namespace velto::platform
