#include "raster/gif_encoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "platform/emf/colour.h"
#include "raster/nearest_colour.h"
#include "tests/raster/image_decoding.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

// 24-bit bottom-up rows, padded to 4 bytes, from top-down 0x00RRGGBB pixels.
std::vector<uint8_t> RowsOf(int width, int height, const std::vector<uint32_t>& pixels) {
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> rows(stride * height, 0xEE);  // padding that must never be read as pixels
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      uint8_t* d = rows.data() + stride * (height - 1 - y) + 3 * x;
      d[0] = static_cast<uint8_t>(p);
      d[1] = static_cast<uint8_t>(p >> 8);
      d[2] = static_cast<uint8_t>(p >> 16);
    }
  return rows;
}

std::optional<test::GifFile> EncodeAndDecode(int width, int height, const std::vector<uint32_t>& pixels,
                                             std::vector<uint8_t>* fileBytes = nullptr) {
  test::TempDir dir;
  const std::string path = dir.File("i.gif");
  if (!WriteIndexedGif(RowsOf(width, height, pixels), path, width, height)) return std::nullopt;
  auto bytes = test::ReadFileBytes(path);
  if (fileBytes) *fileBytes = bytes;
  return test::DecodeGif(bytes);
}

TEST(GifEncoder, BlankPageHasOneColourAndThreeBitCodes) {
  std::vector<uint8_t> bytes;
  auto gif = EncodeAndDecode(10, 10, std::vector<uint32_t>(100, 0xFFFFFF), &bytes);
  ASSERT_TRUE(gif);
  const std::vector<uint8_t> header = {'G', 'I', 'F', '8', '7', 'a', 10, 0, 10, 0, 0x80, 0, 0,
                                       0xFF, 0xFF, 0xFF, 0, 0, 0,  // white, then black
                                       0x2C, 0, 0, 0, 0, 10, 0, 10, 0, 0, 2};
  ASSERT_GE(bytes.size(), header.size());
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + header.size()), header);
  EXPECT_EQ(gif->firstCodeWidths.front(), 3);
  EXPECT_TRUE(gif->startsWithClear);
  EXPECT_TRUE(gif->endsWithEnd);
  for (uint8_t i : gif->indices) ASSERT_EQ(i, 0);
}

TEST(GifEncoder, OnePixelStreamIsExact) {
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(EncodeAndDecode(1, 1, {0x123456}, &bytes));
  // Clear (4), pixel 0, end (5), three bits each, low bits first: 0x44 0x01.
  const std::vector<uint8_t> tail = {0x02, 0x44, 0x01, 0x00, 0x3B};
  ASSERT_GE(bytes.size(), tail.size());
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - tail.size(), bytes.end()), tail);
  EXPECT_EQ(bytes[13], 0x12);
  EXPECT_EQ(bytes[14], 0x34);
  EXPECT_EQ(bytes[15], 0x56);
}

TEST(GifEncoder, TableSizeFollowsTheColourCount) {
  struct Case {
    int colours;
    int packed;
    int minimumCodeSize;
  };
  for (Case c : {Case{2, 0x80, 2}, Case{3, 0x91, 2}, Case{4, 0x91, 2}, Case{5, 0xA2, 3}, Case{16, 0xB3, 4},
                 Case{17, 0xC4, 5}, Case{200, 0xF7, 8}, Case{256, 0xF7, 8}}) {
    const int width = 16, height = 16;
    std::vector<uint32_t> pixels(width * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(((i % c.colours) << 16) | 0xAB);
    auto gif = EncodeAndDecode(width, height, pixels);
    ASSERT_TRUE(gif) << c.colours;
    EXPECT_EQ(gif->packedField, c.packed) << c.colours;
    EXPECT_EQ(gif->minimumCodeSize, c.minimumCodeSize) << c.colours;
    EXPECT_EQ(gif->image.pixels, pixels) << c.colours;
    const size_t tableSize = size_t{2} << (c.packed & 7);
    ASSERT_EQ(gif->globalTable.size(), tableSize);
    for (size_t i = c.colours; i < tableSize; ++i) EXPECT_EQ(gif->globalTable[i], 0u);
  }
}

TEST(GifEncoder, PaletteIsFirstComeFromTheBottomRowAndTheImageIsUpright) {
  // Top row red, middle green, bottom row blue then white.
  const std::vector<uint32_t> pixels = {0xFF0000, 0xFF0000, 0xFF0000, 0x00FF00, 0x00FF00, 0x00FF00,
                                        0x0000FF, 0xFFFFFF, 0x0000FF};
  auto gif = EncodeAndDecode(3, 3, pixels);
  ASSERT_TRUE(gif);
  EXPECT_EQ(gif->globalTable[0], 0x0000FFu);
  EXPECT_EQ(gif->globalTable[1], 0xFFFFFFu);
  EXPECT_EQ(gif->globalTable[2], 0x00FF00u);
  EXPECT_EQ(gif->globalTable[3], 0xFF0000u);
  EXPECT_EQ(gif->indices[0], 3);  // the first pixel of the data is the top left of the page
  EXPECT_EQ(gif->image.pixels, pixels);
}

TEST(GifEncoder, RowPaddingDoesNotShearOddWidths) {
  for (int width : {1, 2, 3, 5, 6, 7, 201}) {
    const int height = 9;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = (x == y % width) ? 0 : 0xFFFFFF - y;
    auto gif = EncodeAndDecode(width, height, pixels);
    ASSERT_TRUE(gif) << width;
    EXPECT_EQ(gif->image.pixels, pixels) << width;
  }
}

TEST(GifEncoder, LongStreamsClearTheTableAndKeepPacketsShort) {
  // Noise in 256 colours fills the 4096-code table many times over.
  const int width = 301, height = 200;
  std::mt19937 random(7);
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int i = 0; i < 256; ++i) pixels[static_cast<size_t>(width) * (height - 1) + (i % width)] = i * 0x010101u;
  for (size_t i = 0; i < pixels.size() - width; ++i) pixels[i] = (random() % 256) * 0x010101u;
  // The bottom row's first 256 pixels must be the 256 grays for them all to be in the palette.
  for (int i = 256; i < width; ++i) pixels[static_cast<size_t>(width) * (height - 1) + i] = 0;
  auto gif = EncodeAndDecode(width, height, pixels);
  ASSERT_TRUE(gif);
  EXPECT_EQ(gif->image.pixels, pixels);
  EXPECT_LE(gif->longestSubBlock, 254u);
  EXPECT_EQ(gif->longestSubBlock, 254u);
  EXPECT_TRUE(gif->startsWithClear);
  EXPECT_TRUE(gif->endsWithEnd);
  EXPECT_GT(gif->clearsAfterFullTable, 1);
  EXPECT_EQ(gif->clearCodes, gif->clearsAfterFullTable + 1);
}

TEST(GifEncoder, ColoursBeyondTheFirst256TakeTheNearestPaletteColour) {
  const int width = 300, height = 2;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  // Bottom row: 256 distinct colours, then four more; top row: colours never in the palette.
  for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(width) + x] = emf::MakeRgb(uint8_t(x), uint8_t(x * 3), 100);
  for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(x)] = emf::MakeRgb(uint8_t(x / 2), 17, uint8_t(255 - x / 2));
  auto gif = EncodeAndDecode(width, height, pixels);
  ASSERT_TRUE(gif);
  ASSERT_EQ(gif->globalTable.size(), 256u);
  std::vector<uint32_t> palette(gif->globalTable.begin(), gif->globalTable.end());
  for (int i = 0; i < 256; ++i) EXPECT_EQ(palette[i], pixels[static_cast<size_t>(width) + i]);
  auto distance = [](uint32_t a, uint32_t b) {
    int d = 0;
    for (int s : {0, 8, 16}) d += (int((a >> s) & 255) - int((b >> s) & 255)) * (int((a >> s) & 255) - int((b >> s) & 255));
    return d;
  };
  for (size_t i = 0; i < pixels.size(); ++i) {
    int best = 1 << 30;
    for (uint32_t p : palette) best = std::min(best, distance(pixels[i], p));
    EXPECT_EQ(distance(gif->image.pixels[i], pixels[i]), best) << i;
  }
}

TEST(NearestColour, AgreesWithAFullSearchIncludingTies) {
  std::mt19937 random(11);
  for (int round = 0; round < 20; ++round) {
    std::vector<uint32_t> palette(1 + random() % 256);
    for (auto& p : palette) p = random() & (round % 2 ? 0xE0E0E0 : 0xFFFFFF);  // coarse palettes make ties
    NearestColour nearest(palette);
    for (int i = 0; i < 3000; ++i) {
      uint32_t c = random() & 0xFFFFFF;
      int best = 0, bestDistance = 1 << 30;
      for (size_t k = 0; k < palette.size(); ++k) {
        int d = 0;
        for (int s : {0, 8, 16}) {
          int diff = int((c >> s) & 255) - int((palette[k] >> s) & 255);
          d += diff * diff;
        }
        if (d < bestDistance) bestDistance = d, best = static_cast<int>(k);
      }
      ASSERT_EQ(nearest.Find(c), best);
    }
  }
}

TEST(GifEncoder, RefusedImagesWriteNoFile) {
  test::TempDir dir;
  const std::string path = dir.File("r.gif");
  EXPECT_FALSE(WriteIndexedGif({}, path, 65536, 1));
  EXPECT_FALSE(WriteIndexedGif({}, path, 1, 65536));
  EXPECT_FALSE(WriteIndexedGif({}, path, 0, 10));
  EXPECT_FALSE(WriteIndexedGif(std::vector<uint8_t>(10), path, 4, 4));  // rows too short
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(WriteIndexedGif(RowsOf(2, 2, {0, 0, 0, 0}), dir.File("none/r.gif"), 2, 2));
}

}  // namespace
}  // namespace velto
