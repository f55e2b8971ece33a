#include "raster/png_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "raster/page_rasterizer.h"
#include "raster/read_out_palette.h"
#include "tests/raster/image_decoding.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

using emf::RectL;

// A 7 × 5 colour page: white, a red pixel at the top left, a blue column at the right, a green bottom row.
PageSurface TestPage() {
  PageSurface s;
  EXPECT_TRUE(CreatePageSurface(7, 5, true, s));
  s.bitmap->FillRect(RectL{0, 0, 7, 5}, emf::kWhite);
  s.bitmap->FillRect(RectL{6, 0, 7, 5}, emf::MakeRgb(0, 0, 255));
  s.bitmap->FillRect(RectL{0, 4, 6, 5}, emf::MakeRgb(0, 128, 0));
  s.bitmap->SetPixel(0, 0, emf::MakeRgb(255, 0, 0));
  s.bitmap->Changed();
  return s;
}

int RunWriter(const BitmapHeaderRecord& header, const std::vector<uint8_t>& rows, const std::string& path,
              std::string* message = nullptr) {
  PngWriter writer;
  writer.SetBitmap(header, rows);
  writer.SetOutputPath(path);
  writer.SetGamma(true, PngWriter::kDefaultGamma);
  int result = writer.Run();
  if (message) *message = writer.Message();
  return result;
}

TEST(PngWriter, TwentyFourBitPageIsUprightRgbWithSrgbAndGammaOnly) {
  test::TempDir dir;
  PageSurface page = TestPage();
  BitmapHeaderRecord header{};
  std::vector<uint8_t> rows;
  ASSERT_GT(ReadPageRowsAt(page, 24, header, false, rows), 0u);
  // Scribble over the padding: it must not reach the file.
  for (int r = 0; r < 5; ++r) rows[r * 24 + 21] = rows[r * 24 + 22] = rows[r * 24 + 23] = 0x5A;
  const std::string path = dir.File("page.png");
  std::string message = "x";
  ASSERT_EQ(RunWriter(header, rows, path, &message), PngWriter::kSuccess);
  EXPECT_EQ(message, "");
  auto bytes = test::ReadFileBytes(path);
  EXPECT_EQ(test::PngChunks(bytes), (std::vector<std::string>{"IHDR", "gAMA", "sRGB", "IDAT", "IEND"}));
  EXPECT_EQ(bytes[24], 8);   // bit depth
  EXPECT_EQ(bytes[25], 2);   // RGB
  EXPECT_EQ(bytes[28], 0);   // not interlaced
  EXPECT_EQ((bytes[41] << 24) | (bytes[42] << 16) | (bytes[43] << 8) | bytes[44], 45455);  // gAMA
  EXPECT_EQ(bytes[57], 1);  // sRGB rendering intent
  auto image = test::DecodePng(path);
  ASSERT_TRUE(image);
  ASSERT_EQ(image->width, 7);
  ASSERT_EQ(image->height, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(image->At(x, y), page.bitmap->Pixel(x, y)) << x << "," << y;
  EXPECT_EQ(image->At(0, 0), 0xFF0000u);
}

TEST(PngWriter, PalettedReadOutsGivePaletteImages) {
  test::TempDir dir;
  PageSurface page = TestPage();
  for (int bits : {1, 4, 8}) {
    BitmapHeaderRecord header{};
    std::vector<uint8_t> rows;
    ASSERT_GT(ReadPageRowsAt(page, bits, header, false, rows), 0u);
    const std::string path = dir.File("p" + std::to_string(bits) + ".png");
    ASSERT_EQ(RunWriter(header, rows, path), PngWriter::kSuccess);
    auto bytes = test::ReadFileBytes(path);
    EXPECT_EQ(test::PngChunks(bytes), (std::vector<std::string>{"IHDR", "gAMA", "sRGB", "PLTE", "IDAT", "IEND"}));
    EXPECT_EQ(bytes[24], bits);
    EXPECT_EQ(bytes[25], 3);
    const size_t plte = 8 + 25 + 13 + 16;  // IHDR, gAMA and sRGB chunks come first
    const uint32_t plteLength = (bytes[plte] << 24) | (bytes[plte + 1] << 16) | (bytes[plte + 2] << 8) | bytes[plte + 3];
    EXPECT_EQ(plteLength, 3u << bits);
    auto image = test::DecodePng(path);
    ASSERT_TRUE(image);
    auto table = ReadOutPalette(bits);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x)
        EXPECT_EQ(image->At(x, y), table[NearestPaletteIndex(table, page.bitmap->Pixel(x, y))]) << bits;
  }
}

TEST(PngWriter, ResultCodesAndMessages) {
  test::TempDir dir;
  PageSurface page = TestPage();
  BitmapHeaderRecord header{};
  std::vector<uint8_t> rows;
  ASSERT_GT(ReadPageRowsAt(page, 24, header, false, rows), 0u);
  const std::string path = dir.File("r.png");

  PngWriter noPath;
  noPath.SetBitmap(header, rows);
  EXPECT_EQ(noPath.Run(), PngWriter::kUnknownError);
  EXPECT_STREQ(noPath.Message(), "Output filename not set");
  PngWriter noBitmap;
  noBitmap.SetOutputPath(path);
  EXPECT_EQ(noBitmap.Run(), PngWriter::kUnknownError);
  EXPECT_STREQ(noBitmap.Message(), "Input DIB not set");

  struct Case {
    size_t offset;
    std::vector<uint8_t> bytes;
    int code;
    const char* message;
  };
  const std::vector<Case> cases = {
      {0, {12, 0, 0, 0}, PngWriter::kInvalidBmp, "Unexpected BMP header size (12)"},
      {4, {0, 0, 0, 0}, PngWriter::kInvalidBmp, "Unreasonable image dimensions (0x5)"},
      {8, {0xFB, 0xFF, 0xFF, 0xFF}, PngWriter::kInvalidBmp, "Unreasonable image dimensions (7x-5)"},
      {4, {0x41, 0x42, 0x0F, 0}, PngWriter::kInvalidBmp, "Unreasonable image dimensions (1000001x5)"},
      {14, {16, 0}, PngWriter::kUnsupportedImage, "Unsupported bit depth (16)"},
      {14, {2, 0}, PngWriter::kUnsupportedImage, "Unsupported bit depth (2)"},
      {16, {1, 0, 0, 0}, PngWriter::kUnsupportedImage, "Unsupported compression scheme"},
  };
  for (const Case& c : cases) {
    BitmapHeaderRecord bad = header;
    std::memcpy(bad.data() + c.offset, c.bytes.data(), c.bytes.size());
    std::string message;
    EXPECT_EQ(RunWriter(bad, rows, path, &message), c.code) << c.message;
    EXPECT_EQ(message, c.message);
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  // Rows shorter than the header says: refused, nothing read past the buffer.
  std::vector<uint8_t> shortRows(rows.begin(), rows.end() - 1);
  std::string message;
  EXPECT_EQ(RunWriter(header, shortRows, path, &message), PngWriter::kInvalidBmp);
  EXPECT_EQ(message, "Invalid BMP image");
  // A folder that does not exist.
  EXPECT_EQ(RunWriter(header, rows, dir.File("none/r.png"), &message), PngWriter::kWriteFailed);
  EXPECT_EQ(message, "Unable to write file");
  EXPECT_STREQ(PngWriter::ResultMessage(PngWriter::kIncompatibleLibrary), "Incompatible library version");
  EXPECT_STREQ(PngWriter::ResultMessage(PngWriter::kLibpngError), "libpng reported an error");
}

TEST(PngWriter, GammaOutsideTheSrgbWindowAndResolutions) {
  test::TempDir dir;
  PageSurface page = TestPage();
  BitmapHeaderRecord header{};
  std::vector<uint8_t> rows;
  ASSERT_GT(ReadPageRowsAt(page, 24, header, false, rows), 0u);
  PngWriter writer;
  writer.SetBitmap(header, rows);
  writer.SetOutputPath(dir.File("g.png"));
  writer.SetGamma(true, 0.5);
  ASSERT_EQ(writer.Run(), PngWriter::kSuccess);
  EXPECT_EQ(test::PngChunks(test::ReadFileBytes(dir.File("g.png"))), (std::vector<std::string>{"IHDR", "gAMA", "IDAT", "IEND"}));
  writer.SetGamma(false, 0.5);
  BitmapHeaderRecord withResolution = header;
  withResolution[24] = 0x13;  // 2835 pixels a metre
  withResolution[25] = 0x0B;
  withResolution[28] = 0x13;
  withResolution[29] = 0x0B;
  writer.SetBitmap(withResolution, rows);
  ASSERT_EQ(writer.Run(), PngWriter::kSuccess);
  EXPECT_EQ(test::PngChunks(test::ReadFileBytes(dir.File("g.png"))), (std::vector<std::string>{"IHDR", "pHYs", "IDAT", "IEND"}));
}

}  // namespace
}  // namespace velto
