#include "tests/raster/image_decoding.h"

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace velto::test {
namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t o) {
  return b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (uint32_t(b[o + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t o) { return static_cast<uint16_t>(b[o] | (b[o + 1] << 8)); }

}  // namespace

std::optional<RgbImage> DecodeBmp(const std::vector<uint8_t>& f) {
  if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return std::nullopt;
  const uint32_t offset = U32(f, 10);
  const int width = static_cast<int>(U32(f, 18));
  const int height = static_cast<int>(U32(f, 22));
  const int bits = U16(f, 28);
  const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
  if (width <= 0 || height <= 0 || offset + stride * height > f.size()) return std::nullopt;
  RgbImage img{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
  for (int r = 0; r < height; ++r) {
    const uint8_t* row = f.data() + offset + stride * r;
    for (int x = 0; x < width; ++x) {
      uint32_t rgb;
      if (bits == 24) {
        rgb = (uint32_t{row[3 * x + 2]} << 16) | (uint32_t{row[3 * x + 1]} << 8) | row[3 * x];
      } else {
        int index = bits == 8 ? row[x] : bits == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15 : (row[x / 8] >> (7 - x % 8)) & 1;
        size_t e = 54 + 4 * static_cast<size_t>(index);
        rgb = (uint32_t{f[e + 2]} << 16) | (uint32_t{f[e + 1]} << 8) | f[e];
      }
      img.pixels[static_cast<size_t>(height - 1 - r) * width + x] = rgb;
    }
  }
  return img;
}

std::optional<RgbImage> DecodePng(const std::string& path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> buffer(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  RgbImage img{static_cast<int>(image.width), static_cast<int>(image.height), {}};
  img.pixels.resize(static_cast<size_t>(img.width) * img.height);
  for (size_t i = 0; i < img.pixels.size(); ++i)
    img.pixels[i] = (uint32_t{buffer[3 * i]} << 16) | (uint32_t{buffer[3 * i + 1]} << 8) | buffer[3 * i + 2];
  return img;
}

namespace {
struct JpegErrors {
  jpeg_error_mgr standard;
  std::jmp_buf recovery;
};
[[noreturn]] void JpegFail(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->recovery, 1); }

bool DecodeJpegInto(std::FILE* file, RgbImage* out, std::vector<uint8_t>* buffer) {
  jpeg_decompress_struct cinfo;
  JpegErrors errors;
  cinfo.err = jpeg_std_error(&errors.standard);
  errors.standard.error_exit = JpegFail;
  if (setjmp(errors.recovery)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  out->width = static_cast<int>(cinfo.output_width);
  out->height = static_cast<int>(cinfo.output_height);
  buffer->resize(static_cast<size_t>(out->width) * out->height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = buffer->data() + static_cast<size_t>(cinfo.output_scanline) * out->width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}
}  // namespace

std::optional<RgbImage> DecodeJpeg(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  RgbImage img;
  std::vector<uint8_t> buffer;
  bool ok = DecodeJpegInto(file, &img, &buffer);
  std::fclose(file);
  if (!ok) return std::nullopt;
  img.pixels.resize(static_cast<size_t>(img.width) * img.height);
  for (size_t i = 0; i < img.pixels.size(); ++i)
    img.pixels[i] = (uint32_t{buffer[3 * i]} << 16) | (uint32_t{buffer[3 * i + 1]} << 8) | buffer[3 * i + 2];
  return img;
}

std::vector<std::string> PngChunks(const std::vector<uint8_t>& f) {
  std::vector<std::string> chunks;
  size_t pos = 8;
  while (pos + 12 <= f.size()) {
    uint32_t length = (uint32_t{f[pos]} << 24) | (f[pos + 1] << 16) | (f[pos + 2] << 8) | f[pos + 3];
    chunks.emplace_back(reinterpret_cast<const char*>(f.data() + pos + 4), 4);
    pos += 12 + static_cast<size_t>(length);
  }
  return chunks;
}

std::optional<GifFile> DecodeGif(const std::vector<uint8_t>& f) {
  GifFile g;
  if (f.size() < 13 || std::memcmp(f.data(), "GIF87a", 6) != 0) return std::nullopt;
  const int width = U16(f, 6), height = U16(f, 8);
  g.packedField = f[10];
  size_t pos = 13;
  if (g.packedField & 0x80) {
    const size_t entries = size_t{2} << (g.packedField & 7);
    if (pos + 3 * entries > f.size()) return std::nullopt;
    for (size_t i = 0; i < entries; ++i, pos += 3)
      g.globalTable.push_back((uint32_t{f[pos]} << 16) | (uint32_t{f[pos + 1]} << 8) | f[pos + 2]);
  }
  if (pos + 11 > f.size() || f[pos] != 0x2C) return std::nullopt;
  if (U16(f, pos + 5) != width || U16(f, pos + 7) != height) return std::nullopt;
  g.minimumCodeSize = f[pos + 10];
  pos += 11;
  std::vector<uint8_t> data;
  while (pos < f.size() && f[pos] != 0) {
    size_t len = f[pos];
    g.longestSubBlock = std::max(g.longestSubBlock, len);
    if (pos + 1 + len > f.size()) return std::nullopt;
    data.insert(data.end(), f.begin() + pos + 1, f.begin() + pos + 1 + len);
    pos += 1 + len;
  }
  if (pos + 2 != f.size() || f[pos] != 0 || f[pos + 1] != 0x3B) return std::nullopt;

  // LZW decoding.
  const int clear = 1 << g.minimumCodeSize, end = clear + 1;
  std::vector<int> prefix(4096), suffix(4096), length(4096);
  for (int i = 0; i < clear; ++i) prefix[i] = -1, suffix[i] = i, length[i] = 1;
  int width_ = g.minimumCodeSize + 1, next = clear + 2, previous = -1;
  size_t bitPos = 0;
  int codesRead = 0;
  std::vector<uint8_t> out;
  std::vector<uint8_t> scratch;
  for (;;) {
    if (bitPos + width_ > data.size() * 8) return std::nullopt;  // ran out before the end code
    int code = 0;
    for (int b = 0; b < width_; ++b, ++bitPos) code |= ((data[bitPos / 8] >> (bitPos % 8)) & 1) << b;
    if (codesRead < 8) g.firstCodeWidths.push_back(width_);
    if (codesRead++ == 0) g.startsWithClear = code == clear;
    if (code == clear) {
      ++g.clearCodes;
      if (next >= 4096) ++g.clearsAfterFullTable;
      width_ = g.minimumCodeSize + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (code == end) {
      g.endsWithEnd = true;
      break;
    }
    if (code > next || (code == next && previous < 0)) return std::nullopt;
    int entry = code == next ? previous : code;
    scratch.clear();
    for (int c = entry; c >= 0; c = prefix[c]) scratch.push_back(static_cast<uint8_t>(suffix[c]));
    std::reverse(scratch.begin(), scratch.end());
    if (code == next) scratch.push_back(scratch[0]);
    out.insert(out.end(), scratch.begin(), scratch.end());
    if (previous >= 0 && next < 4096) {
      prefix[next] = previous;
      suffix[next] = scratch[0];
      length[next] = length[previous] + 1;
      ++next;
      if (next == (1 << width_) && width_ < 12) ++width_;
    }
    previous = code;
  }
  if (out.size() != static_cast<size_t>(width) * height) return std::nullopt;
  g.indices = out;
  g.image.width = width;
  g.image.height = height;
  g.image.pixels.resize(out.size());
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i] >= g.globalTable.size()) return std::nullopt;
    g.image.pixels[i] = g.globalTable[out[i]];
  }
  return g;
}

}  // namespace velto::test
