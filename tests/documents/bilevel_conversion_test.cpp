// Gray conversion, error diffusion and packing of fax pages.
#include "documents/bilevel_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "documents/pixel_rows.h"

namespace velto {
namespace {

std::vector<uint8_t> DibHeader(int width, int height, int bitCount) {
  std::vector<uint8_t> h(40, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) h[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, static_cast<uint32_t>(width));
  put32(8, static_cast<uint32_t>(height));
  h[12] = 1;
  h[14] = static_cast<uint8_t>(bitCount);
  return h;
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

// A 24-bit image of one colour (blue, green, red bytes).
std::vector<uint8_t> Solid24(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
  const size_t stride = DibStride(width, 24);
  std::vector<uint8_t> rows(stride * height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &rows[y * stride + x * 3];
      p[0] = b, p[1] = g, p[2] = r;
    }
  return rows;
}

struct Bilevel {
  bool ok = false;
  std::vector<uint8_t> header = std::vector<uint8_t>(kBilevelHeaderRecordSize, 0xAB);
  std::vector<uint8_t> rows;
  int width = 0;
  bool Bit(int x, int y) const {
    return (rows[y * BilevelStride(width) + x / 8] >> (7 - x % 8)) & 1;
  }
  size_t Ones(int height) const {
    size_t n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += Bit(x, y);
    return n;
  }
};

Bilevel Convert(const std::vector<uint8_t>& rows, int width, int height, int bitCount) {
  Bilevel out;
  out.width = width;
  out.rows.assign(BilevelStride(width) * static_cast<size_t>(std::abs(height)), 0xAB);
  out.ok = ConvertToBilevel(DibHeader(width, height, bitCount), rows, out.header, out.rows);
  return out;
}

TEST(BilevelConversion, WhitePageIsAllOnesWithTheTwoEntryTable) {
  const int w = 100, h = 7;
  Bilevel out = Convert(Solid24(w, h, 255, 255, 255), w, h, 24);
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(out.Ones(h), size_t(w * h));
  EXPECT_EQ(U32At(out.header, 0), 40u);
  EXPECT_EQ(U32At(out.header, 4), uint32_t(w));
  EXPECT_EQ(U32At(out.header, 8), uint32_t(h));
  EXPECT_EQ(out.header[12] | out.header[13] << 8, 1);
  EXPECT_EQ(out.header[14] | out.header[15] << 8, 1);
  EXPECT_EQ(U32At(out.header, 16), 0u);
  EXPECT_EQ(U32At(out.header, 20), uint32_t(16 * h));  // B = 16 for 100 pixels
  EXPECT_EQ(U32At(out.header, 24), 0u);
  EXPECT_EQ(U32At(out.header, 28), 0u);
  EXPECT_EQ(U32At(out.header, 32), 2u);
  EXPECT_EQ(U32At(out.header, 36), 0u);
  EXPECT_EQ(U32At(out.header, 40), 0u);           // entry 0: black
  EXPECT_EQ(U32At(out.header, 44), 0xFFFFFFFFu);  // entry 1: white, reserved byte 255
  // Bits past the width and the row padding stay 0.
  for (int y = 0; y < h; ++y) {
    EXPECT_EQ(out.rows[y * 16 + 12], 0xF0);
    for (int b = 13; b < 16; ++b) EXPECT_EQ(out.rows[y * 16 + b], 0);
  }
}

TEST(BilevelConversion, BlackPageIsAllZeros) {
  Bilevel out = Convert(Solid24(64, 9, 0, 0, 0), 64, 9, 24);
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(out.Ones(9), 0u);
}

TEST(BilevelConversion, GrayIsTheTruncatedWeightedSum) {
  // One row: every pixel is in the last row, so each one is only thresholded at 128.
  struct Case {
    uint8_t b, g, r;
    bool white;
  } cases[] = {
      {128, 128, 128, false},  // 127.99… truncates to 127
      {129, 129, 129, true},   {0, 218, 0, false},  // 127.97
      {0, 219, 0, true},       // 128.55
      {0, 0, 255, false},      // red alone: 76
      {255, 0, 255, false},    // 76 + 29
      {255, 255, 0, true},     // 149 + 29
      {200, 200, 200, true},
  };
  const int w = static_cast<int>(std::size(cases));
  std::vector<uint8_t> rows(DibStride(w, 24), 0);
  for (int x = 0; x < w; ++x) {
    rows[x * 3] = cases[x].b, rows[x * 3 + 1] = cases[x].g, rows[x * 3 + 2] = cases[x].r;
  }
  Bilevel out = Convert(rows, w, 1, 24);
  ASSERT_TRUE(out.ok);
  for (int x = 0; x < w; ++x) EXPECT_EQ(out.Bit(x, 0), cases[x].white) << "pixel " << x;
}

TEST(BilevelConversion, OnePixelWideOrOneRowHighIsOnlyThresholded) {
  // Values that would push their neighbours across the threshold if any error were diffused.
  const uint8_t values[] = {127, 127, 128, 0, 128, 127, 255, 100, 130};
  const int n = static_cast<int>(std::size(values));
  std::vector<uint8_t> column(DibStride(1, 24) * n, 0);
  std::vector<uint8_t> row(DibStride(n, 24), 0);
  for (int i = 0; i < n; ++i) {
    // A gray of (v+1, v+1, v+1) gives v for v < 255.
    uint8_t c = values[i] == 255 ? 255 : static_cast<uint8_t>(values[i] + 1);
    std::fill_n(&column[i * DibStride(1, 24)], 3, c);
    std::fill_n(&row[i * 3], 3, c);
  }
  Bilevel tall = Convert(column, 1, n, 24);
  Bilevel wide = Convert(row, n, 1, 24);
  ASSERT_TRUE(tall.ok);
  ASSERT_TRUE(wide.ok);
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(tall.Bit(0, i), values[i] >= 128) << i;
    EXPECT_EQ(wide.Bit(i, 0), values[i] >= 128) << i;
  }
}

TEST(BilevelConversion, OddWidthKeepsTailsZero) {
  const int w = 1730, h = 3;
  Bilevel out = Convert(Solid24(w, h, 255, 255, 255), w, h, 24);
  ASSERT_TRUE(out.ok);
  ASSERT_EQ(BilevelStride(w), 220u);
  EXPECT_EQ(U32At(out.header, 20), 220u * h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* r = &out.rows[y * 220];
    EXPECT_TRUE(std::all_of(r, r + 216, [](uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(r[216], 0xC0);
    EXPECT_EQ(r[217] | r[218] | r[219], 0);
  }
}

TEST(BilevelConversion, MidGrayDiffusesIntoAnEvenMix) {
  const int w = 200, h = 200;
  Bilevel out = Convert(Solid24(w, h, 128, 128, 128), w, h, 24);
  ASSERT_TRUE(out.ok);
  EXPECT_FALSE(out.Bit(0, 0));  // gray 127: the first pixel is black
  EXPECT_TRUE(out.Bit(1, 0));   // and passes its error on
  double share = double(out.Ones(h)) / (w * h);
  EXPECT_GT(share, 0.45);
  EXPECT_LT(share, 0.55);
}

TEST(BilevelConversion, SixteenBitPixelsExpandWithoutLowBits) {
  // Every 5-5-5 word must convert exactly like its expansion into 24 bits (components × 8).
  const int w = 61, h = 17;
  std::mt19937 random(7);
  std::vector<uint8_t> rows16(DibStride(w, 16) * h, 0);
  std::vector<uint8_t> rows24(DibStride(w, 24) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint16_t word = static_cast<uint16_t>(random());
      rows16[y * DibStride(w, 16) + x * 2] = static_cast<uint8_t>(word);
      rows16[y * DibStride(w, 16) + x * 2 + 1] = static_cast<uint8_t>(word >> 8);
      uint8_t* p = &rows24[y * DibStride(w, 24) + x * 3];
      p[0] = static_cast<uint8_t>((word & 0x1F) << 3);
      p[1] = static_cast<uint8_t>(((word >> 5) & 0x1F) << 3);
      p[2] = static_cast<uint8_t>(((word >> 10) & 0x1F) << 3);
    }
  Bilevel from16 = Convert(rows16, w, h, 16);
  Bilevel from24 = Convert(rows24, w, h, 24);
  ASSERT_TRUE(from16.ok);
  ASSERT_TRUE(from24.ok);
  EXPECT_EQ(from16.rows, from24.rows);
  EXPECT_EQ(from16.header, from24.header);

  // 0x7FFF is gray 248 (not 255): its error reaches the neighbours. 0x8000 is black.
  auto solid16 = [](int width, int height, uint16_t word) {
    std::vector<uint8_t> r(DibStride(width, 16) * height, 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        r[y * DibStride(width, 16) + x * 2] = static_cast<uint8_t>(word);
        r[y * DibStride(width, 16) + x * 2 + 1] = static_cast<uint8_t>(word >> 8);
      }
    return r;
  };
  Bilevel nearWhite = Convert(solid16(40, 40, 0x7FFF), 40, 40, 16);
  Bilevel gray248 = Convert(Solid24(40, 40, 248, 248, 248), 40, 40, 24);
  ASSERT_TRUE(nearWhite.ok);
  EXPECT_EQ(nearWhite.rows, gray248.rows);
  EXPECT_LT(nearWhite.Ones(40), 40u * 40u);  // some pixels turn black from the accumulated error
  Bilevel black = Convert(solid16(40, 3, 0x8000), 40, 3, 16);
  ASSERT_TRUE(black.ok);
  EXPECT_EQ(black.Ones(3), 0u);
}

TEST(BilevelConversion, RefusedInputLeavesTheOutputsUntouched) {
  const int w = 16, h = 4;
  std::vector<uint8_t> rows(DibStride(w, 24) * h, 0x55);
  for (int bits : {8, 4, 1, 32}) {
    Bilevel out = Convert(rows, w, h, bits);
    EXPECT_FALSE(out.ok) << bits;
    EXPECT_TRUE(std::all_of(out.header.begin(), out.header.end(), [](uint8_t b) { return b == 0xAB; }));
    EXPECT_TRUE(std::all_of(out.rows.begin(), out.rows.end(), [](uint8_t b) { return b == 0xAB; }));
  }
  // Rows shorter than the header claims, and output areas that are too small.
  std::vector<uint8_t> header(kBilevelHeaderRecordSize), packed(BilevelStride(w) * h);
  std::span<const uint8_t> shortRows(rows.data(), rows.size() - 1);
  EXPECT_FALSE(ConvertToBilevel(DibHeader(w, h, 24), shortRows, header, packed));
  EXPECT_FALSE(ConvertToBilevel(DibHeader(w, h, 24), rows, std::span(header).first(47), packed));
  EXPECT_FALSE(ConvertToBilevel(DibHeader(w, h, 24), rows, header, std::span(packed).first(packed.size() - 1)));
  std::vector<uint8_t> fullHeader = DibHeader(w, h, 24);
  EXPECT_FALSE(ConvertToBilevel(std::span(fullHeader).first(14), rows, header, packed));
  EXPECT_FALSE(ConvertToBilevel(DibHeader(0, h, 24), rows, header, packed));
  EXPECT_FALSE(ConvertToBilevel(DibHeader(-w, h, 24), rows, header, packed));
}

TEST(BilevelConversion, TopDownHeightKeepsItsSign) {
  Bilevel out = Convert(Solid24(8, 2, 255, 255, 255), 8, -2, 24);
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(static_cast<int32_t>(U32At(out.header, 8)), -2);
  EXPECT_EQ(U32At(out.header, 20), 8u);
  EXPECT_EQ(out.rows, (std::vector<uint8_t>{0xFF, 0, 0, 0, 0xFF, 0, 0, 0}));
}

// The diffusion written as plainly as possible: a working copy, int arithmetic, every rule spelt out.
std::vector<uint8_t> PlainDiffusion(std::vector<uint8_t> plane, int w, int h) {
  const size_t g = GrayStride(w);
  std::vector<uint8_t> work = plane;
  auto add = [&](int i, int j, int share) {
    int v = work[i * g + j] + share;
    work[i * g + j] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
  };
  for (int i = 0; i < h; ++i)
    for (int j = 0; j < w; ++j) {
      int v = work[i * g + j];
      int e = v >= 128 ? v - 255 : v;
      work[i * g + j] = v >= 128 ? 255 : 0;
      if (i == h - 1 || j == w - 1) continue;
      add(i, j + 1, 7 * e / 16);
      add(i + 1, j, 5 * e / 16);
      add(i + 1, j + 1, e / 16);
      if (j > 0) add(i + 1, j - 1, 3 * e / 16);
    }
  return work;
}

TEST(DitherGrayRows, SharesTruncateTowardZero) {
  // Worked by hand: with shares rounded down instead, the pixel (1, 0) would end at 127 and turn black.
  const int w = 3, h = 3;
  const size_t g = GrayStride(w);
  const uint8_t in[3][3] = {{129, 244, 31}, {180, 113, 101}, {62, 61, 87}};
  const uint8_t expected[3][3] = {{255, 255, 0}, {255, 0, 0}, {0, 0, 0}};
  std::vector<uint8_t> plane(g * h, 0);
  for (int i = 0; i < h; ++i)
    for (int j = 0; j < w; ++j) plane[i * g + j] = in[i][j];
  ASSERT_TRUE(DitherGrayRows(plane, w, h));
  for (int i = 0; i < h; ++i)
    for (int j = 0; j < w; ++j) EXPECT_EQ(plane[i * g + j], expected[i][j]) << i << "," << j;
}

TEST(DitherGrayRows, MatchesThePlainDiffusionOnNoise) {
  std::mt19937 random(11);
  for (auto [w, h] : {std::pair{37, 23}, std::pair{1730, 4}, std::pair{2, 2}, std::pair{5, 1}}) {
    std::vector<uint8_t> plane(GrayStride(w) * h, 0);
    for (int i = 0; i < h; ++i)
      for (int j = 0; j < w; ++j) plane[i * GrayStride(w) + j] = static_cast<uint8_t>(random());
    std::vector<uint8_t> expected = PlainDiffusion(plane, w, h);
    ASSERT_TRUE(DitherGrayRows(plane, w, h));
    EXPECT_EQ(plane, expected) << w << "x" << h;
  }
  // Mostly pure black and white with scattered grays: the long runs that carry no error meet the pixels
  // that do.
  const int w = 301, h = 40;
  std::vector<uint8_t> plane(GrayStride(w) * h, 0);
  for (int i = 0; i < h; ++i)
    for (int j = 0; j < w; ++j) {
      uint32_t pick = random() % 100;
      plane[i * GrayStride(w) + j] = pick < 45 ? 0 : pick < 95 ? 255 : static_cast<uint8_t>(random());
    }
  std::vector<uint8_t> expected = PlainDiffusion(plane, w, h);
  ASSERT_TRUE(DitherGrayRows(plane, w, h));
  EXPECT_EQ(plane, expected);
  std::vector<uint8_t> tooShort(GrayStride(10) * 3 - 1);
  EXPECT_FALSE(DitherGrayRows(tooShort, 10, 3));
}

TEST(BilevelConversion, RunsOfColourConvertLikeSinglePixels) {
  // Runs of one colour between single pixels, converted against the weighted sum and the plain
  // diffusion pixel by pixel.
  const int w = 203, h = 31;
  std::mt19937 random(5);
  std::vector<uint8_t> rows(DibStride(w, 24) * h, 0);
  std::vector<uint8_t> plane(GrayStride(w) * h, 0);
  for (int y = 0; y < h; ++y) {
    int x = 0;
    while (x < w) {
      const uint8_t b = uint8_t(random()), g = uint8_t(random()), r = uint8_t(random());
      const int run = 1 + int(random() % 12);
      for (int k = 0; k < run && x < w; ++k, ++x) {
        uint8_t* p = &rows[y * DibStride(w, 24) + x * 3];
        p[0] = b, p[1] = g, p[2] = r;
        plane[y * GrayStride(w) + x] = uint8_t(int(0.587 * g + 0.299 * r + 0.114 * b));
      }
    }
  }
  std::vector<uint8_t> diffused = PlainDiffusion(plane, w, h);
  Bilevel out = Convert(rows, w, h, 24);
  ASSERT_TRUE(out.ok);
  int wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) wrong += out.Bit(x, y) != (diffused[y * GrayStride(w) + x] == 255);
  EXPECT_EQ(wrong, 0);
}

TEST(PixelRows, FlipRowsReversesInPlace) {
  std::vector<uint8_t> odd = {1, 1, 2, 2, 3, 3};
  ASSERT_TRUE(FlipRows(odd, 2, 3));
  EXPECT_EQ(odd, (std::vector<uint8_t>{3, 3, 2, 2, 1, 1}));
  std::vector<uint8_t> even = {1, 2, 3, 4};
  ASSERT_TRUE(FlipRows(even, 1, 4));
  EXPECT_EQ(even, (std::vector<uint8_t>{4, 3, 2, 1}));
  std::vector<uint8_t> one = {9, 8};
  ASSERT_TRUE(FlipRows(one, 2, 1));
  EXPECT_EQ(one, (std::vector<uint8_t>{9, 8}));

  std::vector<uint8_t> none;
  EXPECT_FALSE(FlipRows(none, 4, 2));
  std::vector<uint8_t> shortRows = {1, 2, 3};
  EXPECT_FALSE(FlipRows(shortRows, 2, 2));
  EXPECT_EQ(shortRows, (std::vector<uint8_t>{1, 2, 3}));
}

TEST(PixelRows, SwapRedBlueStaysInsideTheBuffer) {
  std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 7, 8};
  SwapRedBlue(rows, 1, 2);
  EXPECT_EQ(rows, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 7, 8}));
  std::vector<uint8_t> shortRows = {1, 2, 3, 4, 5};
  SwapRedBlue(shortRows, 4, 4);  // asks for more pixels than there are
  EXPECT_EQ(shortRows, (std::vector<uint8_t>{3, 2, 1, 4, 5}));
}

}  // namespace
}  // namespace velto
