#include "raster/bmp_page_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "raster/extracted_page.h"
#include "raster/page_writers.h"
#include "raster/raster_page_output.h"
#include "spool/stdio_file.h"

namespace velto {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
// The printer's port name; a file of that name may be left in the current directory by the port.
constexpr const char* kPortFileName = "Velto Port";

uint32_t ReadU32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

int BmpBitCount(int bmpcolor) {
  switch (bmpcolor) {
    case 0: return 1;
    case 1: return 4;
    case 2: return 8;
    default: return 24;
  }
}

bool WriteBmpFile(const std::string& path, const PackedPageBitmap& bitmap, int* systemError) {
  if (bitmap.block.size() < kInfoHeaderSize || bitmap.rowsOffset < kInfoHeaderSize) return false;
  const uint8_t* info = bitmap.block.data();
  const int width = static_cast<int>(ReadU32(info + 4));
  const int height = static_cast<int>(ReadU32(info + 8));
  const int bitCount = info[14] | (info[15] << 8);
  const uint64_t pixelBytes = DibImageSize(width, height, bitCount);
  const size_t tableBytes = bitmap.rowsOffset - kInfoHeaderSize;
  if (pixelBytes == 0 || bitmap.rowsOffset + pixelBytes > bitmap.block.size()) return false;
  const uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + tableBytes + pixelBytes;
  if (fileSize > UINT32_MAX) return false;

  uint8_t header[kFileHeaderSize] = {};
  PutU16(header + 0, 0x4D42);  // "BM"
  PutU32(header + 2, static_cast<uint32_t>(fileSize));
  PutU32(header + 10, static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize + tableBytes));

  StdioFile file = platform::OpenStdioFileForWriting(path);
  if (!file) {
    if (systemError) *systemError = errno;
    return false;
  }
  const size_t bodyBytes = static_cast<size_t>(fileSize - kFileHeaderSize);
  bool written = std::fwrite(header, 1, sizeof header, file.get()) == sizeof header &&
                 std::fwrite(bitmap.block.data(), 1, bodyBytes, file.get()) == bodyBytes &&
                 std::fflush(file.get()) == 0;
  if (!written && systemError) *systemError = errno;
  const bool closed = std::fclose(file.release()) == 0;
  if (written && !closed && systemError) *systemError = errno;
  written = written && closed;
  if (!written) RemoveFileQuietly(path);  // a truncated bitmap is no page
  return written;
}

bool RenderBmpFile(const std::string& pageFile, const std::string& outputFile, int bmpcolor) {
  const int bitCount = BmpBitCount(bmpcolor);
  RenderedPage page;
  if (!RenderRasterPage(pageFile, bitCount != 1, page)) return false;
  PackedPageBitmap bitmap;
  if (ReadPageBitmap(page.surface, bitCount, bitmap) == 0) return false;
  if (!WriteBmpFile(outputFile, bitmap)) return false;
  std::remove(kPortFileName);
  return true;
}

namespace {

// The same file as WriteBmpFile of the page's read-out, made straight from the surface in bands of rows:
// no read-out of the whole page is held, and each band is still in the cache when it is written.
bool WriteBmpFileFromSurface(const std::string& path, const PageSurface& surface, int bitCount,
                             const std::vector<uint8_t>& info, uint32_t imageSize, int* systemError) {
  const int height = surface.bitmap->Height();
  const size_t stride = imageSize / static_cast<uint32_t>(height);
  const uint64_t fileSize = kFileHeaderSize + info.size() + uint64_t{imageSize};
  if (fileSize > UINT32_MAX) return false;
  uint8_t header[kFileHeaderSize] = {};
  PutU16(header + 0, 0x4D42);  // "BM"
  PutU32(header + 2, static_cast<uint32_t>(fileSize));
  PutU32(header + 10, static_cast<uint32_t>(kFileHeaderSize + info.size()));

  constexpr size_t kBandBytes = 128 * 1024;
  const int bandRows = static_cast<int>(std::clamp<size_t>(kBandBytes / stride, 1, static_cast<size_t>(height)));
  std::vector<uint8_t> band(static_cast<size_t>(bandRows) * stride);

  StdioFile file = platform::OpenStdioFileForWriting(path);
  if (!file) {
    if (systemError) *systemError = errno;
    return false;
  }
  bool written = std::fwrite(header, 1, sizeof header, file.get()) == sizeof header &&
                 std::fwrite(info.data(), 1, info.size(), file.get()) == info.size();
  for (int first = 0; written && first < height; first += bandRows) {
    const int rows = std::min(bandRows, height - first);
    const size_t bytes = static_cast<size_t>(rows) * stride;
    ReadPageRowBand(surface, bitCount, first, rows, band.data());
    written = std::fwrite(band.data(), 1, bytes, file.get()) == bytes;
  }
  written = written && std::fflush(file.get()) == 0;
  if (!written && systemError) *systemError = errno;
  const bool closed = std::fclose(file.release()) == 0;
  if (written && !closed && systemError) *systemError = errno;
  written = written && closed;
  if (!written) RemoveFileQuietly(path);  // a truncated bitmap is no page
  return written;
}

}  // namespace

bool WriteBmpPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job,
                  WriteContext& context) {
  const int bitCount = BmpBitCount(context.Setting("format", "bmpcolor", 3));
  RasterPageOutput output;
  if (!output.Prepare(spoolPath, outputPath, page, job, bitCount != 1, context)) return false;
  std::vector<uint8_t> info;
  const PageSurface& surface = output.Rendered().surface;
  const uint32_t imageSize = PageBitmapHeader(surface, bitCount, info);
  if (imageSize == 0) return output.Fail(context, "the page is too large for a bitmap file");
  const bool written = output.Write(context, [&](const std::string& path, int& systemError, std::string&) {
    return WriteBmpFileFromSurface(path, surface, bitCount, info, imageSize, &systemError);
  });
  if (written) std::remove(kPortFileName);
  return written;
}

}  // namespace velto
