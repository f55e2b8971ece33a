#pragma once
// Decoders for the files the raster writers make, so that tests compare pixels rather than bytes:
// BMP by hand, PNG and JPEG through libpng and libjpeg, GIF with a small LZW decoder of the tests' own
// that also reports how the data stream was built.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velto::test {

// Top-down, 0x00RRGGBB per pixel.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

std::optional<RgbImage> DecodeBmp(const std::vector<uint8_t>& file);
std::optional<RgbImage> DecodePng(const std::string& path);
std::optional<RgbImage> DecodeJpeg(const std::string& path);

// Chunk types of a PNG file in order ("IHDR", "sRGB", ...).
std::vector<std::string> PngChunks(const std::vector<uint8_t>& file);

struct GifFile {
  RgbImage image;
  int packedField = 0;
  int minimumCodeSize = 0;
  std::vector<uint32_t> globalTable;  // 0x00RRGGBB
  std::vector<uint8_t> indices;       // top-down
  size_t longestSubBlock = 0;
  bool startsWithClear = false;
  bool endsWithEnd = false;
  int clearCodes = 0;          // clear codes in the stream, the first included
  int clearsAfterFullTable = 0;  // clear codes met when the decoder's table had reached 4096 codes
  std::vector<int> firstCodeWidths;  // widths of the first few codes read
};
std::optional<GifFile> DecodeGif(const std::vector<uint8_t>& file);

}  // namespace velto::test
