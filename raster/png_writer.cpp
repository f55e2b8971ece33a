#include "raster/png_writer.h"

#include <cerrno>

#include <png.h>

#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <new>
#include <vector>

#include "platform/files.h"
#include "raster/extracted_page.h"

namespace velto {
namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr int32_t kMaxDimension = 1000000;

uint32_t U32At(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t U16At(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Raised inside libpng: keep the library's text and go back to the recovery point of the run.
[[noreturn]] void PngError(png_structp png, png_const_charp text) {
  auto* message = static_cast<char*>(png_get_error_ptr(png));
  std::snprintf(message, 100, "[libpng] %s", text);
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

}  // namespace

struct PngWriter::Layout {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  size_t stride = 0;
  size_t tableEntries = 0;
  int32_t xPelsPerMetre = 0;
  int32_t yPelsPerMetre = 0;
};

PngWriter::PngWriter() = default;

void PngWriter::SetBitmap(std::span<const uint8_t> headerAndTable, std::span<const uint8_t> rows) {
  header_ = headerAndTable;
  rows_ = rows;
  bitmapSet_ = true;
}

const char* PngWriter::ResultMessage(int code) {
  switch (code) {
    case kSuccess: return "";
    case kIncompatibleLibrary: return "Incompatible library version";
    case kOutOfMemory: return "Unable to allocate memory";
    case kUnsupportedImage: return "Invalid or unsupported image";
    case kLibpngError: return "libpng reported an error";
    case kInvalidBmp: return "Invalid BMP image";
    case kInvalidPng: return "Invalid PNG image";
    case kReadFailed: return "Unable to read file";
    case kWriteFailed: return "Unable to write file";
    default: return "Unknown error";
  }
}

void PngWriter::SetMessage(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(message_.data(), message_.size(), format, args);
  va_end(args);
}

int PngWriter::Check(Layout& layout) {
  if (header_.size() < kInfoHeaderSize) {
    SetMessage("Unexpected BMP header size (%d)", static_cast<int>(header_.size() >= 4 ? U32At(header_.data()) : 0));
    return kInvalidBmp;
  }
  const uint8_t* h = header_.data();
  const uint32_t headerSize = U32At(h);
  if (headerSize < kInfoHeaderSize || headerSize > header_.size()) {
    SetMessage("Unexpected BMP header size (%d)", static_cast<int>(headerSize));
    return kInvalidBmp;
  }
  const int32_t width = static_cast<int32_t>(U32At(h + 4));
  const int32_t height = static_cast<int32_t>(U32At(h + 8));
  // Only bottom-up bitmaps come from the page rasterizer; a negative height is refused with the rest.
  if (width < 1 || width > kMaxDimension || height < 1 || height > kMaxDimension) {
    SetMessage("Unreasonable image dimensions (%dx%d)", width, height);
    return kInvalidBmp;
  }
  const int bitCount = U16At(h + 14);
  const uint32_t compression = U32At(h + 16);
  if (compression != 0) {
    SetMessage("Unsupported compression scheme");
    return kUnsupportedImage;
  }
  // 16- and 32-bit bitmaps never come from the rasterizer and would need their own pixel conversion.
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) {
    SetMessage("Unsupported bit depth (%d)", bitCount);
    return kUnsupportedImage;
  }
  layout.width = width;
  layout.height = height;
  layout.bitCount = bitCount;
  layout.stride = (static_cast<size_t>(bitCount) * static_cast<size_t>(width) + 31) / 32 * 4;
  layout.xPelsPerMetre = static_cast<int32_t>(U32At(h + 24));
  layout.yPelsPerMetre = static_cast<int32_t>(U32At(h + 28));
  if (bitCount <= 8) {
    const size_t fullTable = size_t{1} << bitCount;
    const uint32_t used = U32At(h + 32);
    // A colours-used count beyond the bit count's table would read past the table.
    layout.tableEntries = (used == 0 || used > fullTable) ? fullTable : used;
    if (headerSize + layout.tableEntries * 4 > header_.size()) return kInvalidBmp;
  }
  if (layout.stride * static_cast<size_t>(height) > rows_.size()) return kInvalidBmp;
  return kSuccess;
}

// Plain C data only in this frame: libpng's error routine longjmps into it.
int PngWriter::Write(const Layout& layout, unsigned char** rowPointers) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, message_.data(), PngError, PngWarning);
  if (!png) return kOutOfMemory;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return kOutOfMemory;
  }
  std::FILE* volatile file = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    systemError_ = errno;
    png_destroy_write_struct(&png, &info);
    if (file) std::fclose(file);
    RemoveFileQuietly(outputPath_);  // a half-written PNG is no page
    return kLibpngError;
  }
  file = platform::OpenStdioFileForWriting(outputPath_).release();
  if (!file) {
    systemError_ = errno;
    png_destroy_write_struct(&png, &info);
    return kWriteFailed;
  }
  png_init_io(png, file);
  const bool paletted = layout.bitCount <= 8;
  png_set_IHDR(png, info, static_cast<png_uint_32>(layout.width), static_cast<png_uint_32>(layout.height),
               paletted ? layout.bitCount : 8, paletted ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (gammaEnabled_) {
    if (fileGamma_ > 0.454539 && fileGamma_ < 0.454551) png_set_sRGB(png, info, PNG_sRGB_INTENT_RELATIVE);
    png_set_gAMA(png, info, fileGamma_);
  }
  if (layout.xPelsPerMetre != 0 && layout.yPelsPerMetre != 0)
    png_set_pHYs(png, info, static_cast<png_uint_32>(layout.xPelsPerMetre),
                 static_cast<png_uint_32>(layout.yPelsPerMetre), PNG_RESOLUTION_METER);
  png_color palette[256];
  if (layout.tableEntries > 0) {
    const uint8_t* table = header_.data() + U32At(header_.data());
    for (size_t i = 0; i < layout.tableEntries; ++i) {
      palette[i].red = table[4 * i + 2];
      palette[i].green = table[4 * i + 1];
      palette[i].blue = table[4 * i];
    }
    png_set_PLTE(png, info, palette, static_cast<int>(layout.tableEntries));
  }
  if (!paletted) png_set_bgr(png);
  png_write_info(png, info);
  png_write_image(png, rowPointers);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::FILE* done = file;
  file = nullptr;
  const bool flushed = std::fflush(done) == 0 && std::ferror(done) == 0;
  if (!flushed) systemError_ = errno;
  if (std::fclose(done) != 0 || !flushed) {
    if (flushed) systemError_ = errno;
    RemoveFileQuietly(outputPath_);
    return kWriteFailed;
  }
  return kSuccess;
}

int PngWriter::Run() {
  message_.fill('\0');
  systemError_ = 0;
  int result = kSuccess;
  Layout layout;
  std::vector<unsigned char*> rowPointers;
  if (outputPath_.empty()) {
    SetMessage("Output filename not set");
    result = kUnknownError;
  } else if (!bitmapSet_) {
    SetMessage("Input DIB not set");
    result = kUnknownError;
  } else {
    result = Check(layout);
  }
  if (result == kSuccess) {
    try {
      rowPointers.resize(static_cast<size_t>(layout.height));
    } catch (const std::bad_alloc&) {
      result = kOutOfMemory;
    }
  }
  if (result == kSuccess) {
    // The PNG starts with the top of the page, the bitmap's last row.
    unsigned char* rows = const_cast<unsigned char*>(rows_.data());
    for (int i = 0; i < layout.height; ++i)
      rowPointers[static_cast<size_t>(i)] = rows + static_cast<size_t>(layout.height - 1 - i) * layout.stride;
    result = Write(layout, rowPointers.data());
  }
  if (message_[0] == '\0' && result != kSuccess) SetMessage("%s", ResultMessage(result));
  return result;
}

}  // namespace velto
