#include "raster/page_rasterizer.h"

#include <cmath>
#include <bit>
#include <cstring>
#include <limits>
#include <new>

#include "platform/display.h"
#include "platform/files.h"
#include "raster/read_out_palette.h"
#include "spool/metafile_damage.h"

namespace velto {
namespace {

constexpr uint32_t kInfoHeaderSize = 40;

void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

size_t TableBytes(int bitCount) { return bitCount <= 8 ? (size_t{4} << bitCount) : 0; }

bool ValidBitCount(int bitCount) { return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24; }

// Header (image size 0) followed by the colour table for 1, 4 and 8 bits.
void WriteInfoHeader(uint8_t* out, int width, int height, int bitCount) {
  std::memset(out, 0, kInfoHeaderSize);
  PutU32(out + 0, kInfoHeaderSize);
  PutU32(out + 4, static_cast<uint32_t>(width));
  PutU32(out + 8, static_cast<uint32_t>(height));
  PutU16(out + 12, 1);
  PutU16(out + 14, static_cast<uint16_t>(bitCount));
  if (bitCount <= 8) {
    std::span<const emf::Rgb> table = ReadOutPalette(bitCount);
    uint8_t* entry = out + kInfoHeaderSize;
    for (emf::Rgb c : table) {
      entry[0] = emf::BlueOf(c);
      entry[1] = emf::GreenOf(c);
      entry[2] = emf::RedOf(c);
      entry[3] = 0;
      entry += 4;
    }
  }
}

// A monochrome surface holds black and white once drawing has finished; anything else is mapped by
// the surface's own rule (the call is made only for such stray pixels).
inline emf::Rgb MonochromePixel(uint32_t pixel) {
  const emf::Rgb c = pixel & 0xFFFFFF;
  return (c == emf::kWhite || c == emf::kBlack) ? c : emf::MonochromeOf(c);
}

// Bottom-up rows [first, first + count) at `bitCount` from the surface's top-down xRGB pixels; padding
// bytes are zeroed.
void ConvertRows(const platform::PageCanvas& surface, int bitCount, uint8_t* rows, int first, int count) {
  const int width = surface.Width();
  const int height = surface.Height();
  const size_t stride = static_cast<size_t>(DibImageSize(width, 1, bitCount));
  const bool mono = surface.IsMonochrome();
  PaletteMapper mapper(bitCount);
  for (int y = first; y < first + count; ++y) {
    const uint32_t* src = surface.Row(height - 1 - y);
    uint8_t* dst = rows + static_cast<size_t>(y - first) * stride;
    std::memset(dst + stride - 4, 0, 4);  // padding (the pixel bytes below overwrite what is not)
    if (bitCount == 24 && !mono) {
      int x = 0;
      if constexpr (std::endian::native == std::endian::little) {
        // Four pixels (0x00RRGGBB) make twelve bytes of blue, green, red: one 64-bit and one 32-bit
        // store, built in registers (a small array on the stack would stall every load of it).
        for (; x + 4 <= width; x += 4) {
          const uint64_t p0 = src[x], p1 = src[x + 1], p2 = src[x + 2];
          const uint32_t p3 = src[x + 3];
          const uint64_t low = (p0 & 0xFFFFFF) | ((p1 & 0xFFFFFF) << 24) | ((p2 & 0xFFFF) << 48);
          const uint32_t high = static_cast<uint32_t>((p2 >> 16) & 0xFF) | (p3 << 8);
          std::memcpy(dst, &low, 8);
          std::memcpy(dst + 8, &high, 4);
          dst += 12;
        }
      }
      for (; x < width; ++x) {
        uint32_t p = src[x];
        dst[0] = static_cast<uint8_t>(p);
        dst[1] = static_cast<uint8_t>(p >> 8);
        dst[2] = static_cast<uint8_t>(p >> 16);
        dst += 3;
      }
    } else if (bitCount == 24) {
      for (int x = 0; x < width; ++x) {
        uint8_t v = MonochromePixel(src[x]) ? 0xFF : 0x00;
        dst[0] = dst[1] = dst[2] = v;
        dst += 3;
      }
    } else if (bitCount == 8) {
      for (int x = 0; x < width; ++x) {
        dst[x] = mapper.Index(mono ? MonochromePixel(src[x]) : src[x] & 0xFFFFFF);
      }
    } else if (bitCount == 4) {
      for (int x = 0; x < width; ++x) {
        uint8_t index = mapper.Index(mono ? MonochromePixel(src[x]) : src[x] & 0xFFFFFF);
        if (x % 2 == 0)
          dst[x / 2] = static_cast<uint8_t>(index << 4);
        else
          dst[x / 2] |= index;
      }
    } else {  // 1 bit: white when nearer to white than to black
      for (int x = 0; x < width; ++x) {
        bool white = mono ? MonochromePixel(src[x]) != emf::kBlack : NearerToWhite(src[x] & 0xFFFFFF);
        if (x % 8 == 0) dst[x / 8] = 0;
        if (white) dst[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
  }
}

}  // namespace

int ScreenBitDepth() {
  int d = platform::DisplayColourDepth();
  if (d <= 1) return 1;
  if (d <= 4) return 4;
  if (d <= 8) return 8;
  return 24;
}

bool CreatePageSurface(int width, int height, bool colour, PageSurface& surface) {
  surface.bitmap = platform::PageCanvas::Create(width, height, colour);
  surface.fillBrush = emf::kWhite;
  return surface.bitmap != nullptr;
}

void ReleasePageSurface(PageSurface& surface) { surface.bitmap.reset(); }

namespace {
// Surfaces up to this size are kept for the thread's next page; larger ones (big --dpi pages) go.
constexpr uint64_t kMaxKeptSurfaceBytes = uint64_t{64} << 20;
// Only where canvases are reused: MinGW's thread-local objects with destructors crash at thread exit
// under Wine, so Windows never touches it.
PageSurface& KeptSurface() {
  thread_local PageSurface kept;
  return kept;
}
}  // namespace

bool AcquirePageSurface(int width, int height, bool colour, PageSurface& surface) {
  if constexpr (!platform::kCanvasReusable) return CreatePageSurface(width, height, colour, surface);
  PageSurface& keptSurface = KeptSurface();
  if (keptSurface.Valid() && keptSurface.bitmap->Width() == width && keptSurface.bitmap->Height() == height &&
      keptSurface.bitmap->IsMonochrome() == !colour) {
    surface = std::move(keptSurface);
    keptSurface = PageSurface{};
    surface.fillBrush = emf::kWhite;
    return true;
  }
  keptSurface = PageSurface{};  // a surface of another size would only be in the way
  return CreatePageSurface(width, height, colour, surface);
}

void RecyclePageSurface(PageSurface& surface) {
  if constexpr (platform::kCanvasReusable) {
    if (surface.Valid() &&
        uint64_t(surface.bitmap->Width()) * uint64_t(surface.bitmap->Height()) * 4 <= kMaxKeptSurfaceBytes) {
      KeptSurface() = std::move(surface);
    }
  }
  surface = PageSurface{};
}

uint64_t DibImageSize(int width, int height, int bitCount) {
  if (width <= 0 || height <= 0 || bitCount <= 0) return 0;
  uint64_t stride = (uint64_t(width) * uint64_t(bitCount) + 31) / 32 * 4;
  return stride * uint64_t(height);
}

uint32_t ReadPageBitmap(const PageSurface& surface, int bitCount, PackedPageBitmap& out) {
  out.block.clear();
  out.rowsOffset = 0;
  if (!surface.Valid()) return 0;
  if (bitCount == 0) bitCount = ScreenBitDepth();
  if (!ValidBitCount(bitCount)) return 0;
  const int width = surface.bitmap->Width();
  const int height = surface.bitmap->Height();
  const uint64_t imageSize = DibImageSize(width, height, bitCount);
  if (imageSize == 0 || imageSize > std::numeric_limits<uint32_t>::max()) return 0;
  const size_t headerBytes = kInfoHeaderSize + TableBytes(bitCount);
  try {
    out.block.assign(headerBytes + imageSize, 0);
  } catch (const std::bad_alloc&) {
    out.block.clear();
    return 0;
  }
  WriteInfoHeader(out.block.data(), width, height, bitCount);
  out.rowsOffset = headerBytes;
  ConvertRows(*surface.bitmap, bitCount, out.FirstRow(), 0, height);
  PutU32(out.block.data() + 20, static_cast<uint32_t>(imageSize));
  return static_cast<uint32_t>(imageSize);
}

uint32_t ReadPageRows(const PageSurface& surface, BitmapHeaderRecord& header, bool slack, std::vector<uint8_t>& rows) {
  return ReadPageRowsAt(surface, ScreenBitDepth(), header, slack, rows);
}

uint32_t ReadPageRowsAt(const PageSurface& surface, int bitCount, BitmapHeaderRecord& header, bool slack,
                        std::vector<uint8_t>& rows) {
  rows.clear();
  if (!surface.Valid() || !ValidBitCount(bitCount)) return 0;
  const int width = surface.bitmap->Width();
  const int height = surface.bitmap->Height();
  const uint64_t imageSize = DibImageSize(width, height, bitCount);
  if (imageSize == 0 || imageSize > std::numeric_limits<uint32_t>::max()) return 0;
  header.fill(0);
  WriteInfoHeader(header.data(), width, height, bitCount);
  const uint64_t extra = slack ? DibImageSize(width, 1, bitCount) + 10 : 0;
  try {
    // resize value-initialises; the read-out overwrites every row byte, so this costs one pass only.
    rows.resize(imageSize + extra);
  } catch (const std::bad_alloc&) {
    rows.clear();
    rows.shrink_to_fit();
    return 0;
  }
  ConvertRows(*surface.bitmap, bitCount, rows.data(), 0, height);
  PutU32(header.data() + 20, static_cast<uint32_t>(imageSize));
  return static_cast<uint32_t>(imageSize);
}

uint32_t PageBitmapHeader(const PageSurface& surface, int bitCount, std::vector<uint8_t>& header) {
  header.clear();
  if (!surface.Valid() || !ValidBitCount(bitCount)) return 0;
  const int width = surface.bitmap->Width();
  const int height = surface.bitmap->Height();
  const uint64_t imageSize = DibImageSize(width, height, bitCount);
  if (imageSize == 0 || imageSize > std::numeric_limits<uint32_t>::max()) return 0;
  header.assign(kInfoHeaderSize + TableBytes(bitCount), 0);
  WriteInfoHeader(header.data(), width, height, bitCount);
  PutU32(header.data() + 20, static_cast<uint32_t>(imageSize));
  return static_cast<uint32_t>(imageSize);
}

void ReadPageRowBand(const PageSurface& surface, int bitCount, int first, int count, uint8_t* out) {
  if (!surface.Valid() || !ValidBitCount(bitCount) || first < 0 || count <= 0 ||
      first + count > surface.bitmap->Height()) {
    return;
  }
  ConvertRows(*surface.bitmap, bitCount, out, first, count);
}

std::optional<RasterPageGeometry> StandardPageGeometry(int w0, int h0) {
  const ScaledPageSize scaled = ScalePageSize(w0, h0);
  const double w = scaled.width;
  const double h = scaled.height;
  const double width = std::trunc(w * 1.05);
  // The extra 5 % is taken from the width in both directions: top and bottom margins equal the sides.
  const double height = std::trunc(w * 0.05 + h);
  if (width < 1 || height < 1 || width > platform::kMaxCanvasSide || height > platform::kMaxCanvasSide) return std::nullopt;
  RasterPageGeometry g;
  g.scaledWidth = static_cast<int>(w);
  g.scaledHeight = static_cast<int>(h);
  g.width = static_cast<int>(width);
  g.height = static_cast<int>(height);
  g.margin = static_cast<int>(std::trunc(w * 0.025));
  g.playback = emf::RectL{g.margin, g.margin, g.width - g.margin, g.height - g.margin};
  return g;
}

std::optional<RasterPageGeometry> FramePageGeometry(const emf::RectL& frame, int dpi) {
  if (dpi <= 0) return std::nullopt;
  // The frame's edges are both inside it, as GDI counts a metafile's picture frame.
  const double width = std::trunc((double(frame.right) - frame.left) * dpi / 2540.0);
  const double height = std::trunc((double(frame.bottom) - frame.top) * dpi / 2540.0);
  if (width < 1 || height < 1 || width > platform::kMaxCanvasSide || height > platform::kMaxCanvasSide) return std::nullopt;
  RasterPageGeometry g;
  g.scaledWidth = g.width = static_cast<int>(width);
  g.scaledHeight = g.height = static_cast<int>(height);
  g.margin = 0;
  g.playback = emf::RectL{0, 0, g.width, g.height};
  return g;
}

bool RenderRasterPage(const std::string& pageFile, bool colour, RenderedPage& page, std::optional<int> dpi) {
  std::string loadError;
  std::optional<emf::Metafile> metafile = emf::Metafile::Load(platform::FsPath(pageFile), &loadError);
  return RenderRasterMetafile(std::move(metafile), loadError, colour, page, dpi);
}

bool RenderRasterMetafile(std::optional<emf::Metafile> metafile, const std::string& loadError, bool colour,
                          RenderedPage& page, std::optional<int> dpi) {
  RecyclePageSurface(page.surface);
  page = RenderedPage{};
  auto fail = [&page](std::string why, bool damaged) {
    page.failure = std::move(why);
    page.failedOnDamage = damaged;
    return false;
  };
  if (!metafile) return fail(UnreadablePageReason(loadError), true);

  std::optional<RasterPageGeometry> geometry;
  if (dpi) {
    geometry = FramePageGeometry(metafile->Header().frame, *dpi);
    if (!geometry) return fail("its page frame cannot be drawn at " + std::to_string(*dpi) + " dpi", true);
  } else {
    int w0 = 0;
    int h0 = 0;
    // Without a page size there is nothing sensible to draw: the page is given up.
    if (!MetafilePageSize(*metafile, w0, h0)) return fail("its metafile has no usable page frame", true);
    geometry = StandardPageGeometry(w0, h0);
    if (!geometry) {
      return fail("its page frame of " + std::to_string(w0) + " x " + std::to_string(h0) + " pixels is unusable", true);
    }
  }

  PageSurface surface;
  if (!AcquirePageSurface(geometry->width, geometry->height, colour, surface)) {
    return fail("not enough memory for a page of " + std::to_string(geometry->width) + " x " +
                    std::to_string(geometry->height) + " pixels",
                false);
  }
  surface.bitmap->FillRect(emf::RectL{0, 0, geometry->width, geometry->height}, surface.fillBrush);
  const bool playedToEnd = surface.bitmap->Play(*metafile, geometry->playback);

  page.damage = MetafileDamage(*metafile);
  if (!page.damage && !playedToEnd) page.damage = kPlaybackStoppedReason;
  page.surface = std::move(surface);
  page.width = geometry->width;
  page.height = geometry->height;
  page.metafile = std::move(metafile);
  return true;
}

}  // namespace velto
