#include "raster/jpeg_file_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/dialogs_scripted.h"
#include "raster/page_rasterizer.h"
#include "tests/raster/image_decoding.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

using emf::RectL;

TEST(JpegRows, ConverterTurnsPaddedBottomUpBgrIntoUprightPackedRgb) {
  PageSurface page;
  ASSERT_TRUE(CreatePageSurface(5, 3, true, page));
  page.bitmap->FillRect(RectL{0, 0, 5, 3}, emf::kWhite);
  page.bitmap->SetPixel(0, 0, emf::MakeRgb(1, 2, 3));
  page.bitmap->SetPixel(4, 2, emf::MakeRgb(250, 251, 252));
  page.bitmap->Changed();
  PackedPageBitmap bitmap;
  const uint32_t size = ReadPageBitmap(page, 24, bitmap);
  ASSERT_EQ(size, 48u);
  std::vector<uint8_t> image = ConvertRowsToRgb(bitmap.FirstRow(), size, 5, 3);
  ASSERT_EQ(image.size(), 45u);
  EXPECT_EQ(image[0], 1);
  EXPECT_EQ(image[1], 2);
  EXPECT_EQ(image[2], 3);
  EXPECT_EQ(image[3], 255);
  EXPECT_EQ(image[44 - 2], 250);
  EXPECT_EQ(image[44], 252);
  // Sizes that do not fit together give nothing.
  EXPECT_TRUE(ConvertRowsToRgb(bitmap.FirstRow(), size - 1, 5, 3).empty());
  EXPECT_TRUE(ConvertRowsToRgb(nullptr, size, 5, 3).empty());
  EXPECT_TRUE(ConvertRowsToRgb(bitmap.FirstRow(), size, 0, 3).empty());
}

TEST(JpegFile, WritesAnUprightBaselineImage) {
  test::TempDir dir;
  const int width = 37, height = 21;
  std::vector<uint8_t> image(width * height * 3, 255);
  for (int x = 0; x < 16; ++x)
    for (int y = 0; y < 8; ++y) {
      uint8_t* p = image.data() + (y * width + x) * 3;
      p[0] = 255, p[1] = 0, p[2] = 0;  // a red block at the top left
    }
  const std::string path = dir.File("u.jpg");
  ASSERT_EQ(WriteJpegFile(path, image.data(), width, height, 90), 1);
  auto bytes = test::ReadFileBytes(path);
  ASSERT_GT(bytes.size(), 20u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);
  EXPECT_EQ(std::string(bytes.begin() + 6, bytes.begin() + 10), "JFIF");
  bool baseline = false;
  for (size_t i = 0; i + 1 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) baseline = true;
  EXPECT_TRUE(baseline);
  auto decoded = test::DecodeJpeg(path);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width, width);
  EXPECT_EQ(decoded->height, height);
  const uint32_t topLeft = decoded->At(2, 2), bottomRight = decoded->At(30, 18);
  EXPECT_GT((topLeft >> 16) & 255, 200u);
  EXPECT_LT((topLeft >> 8) & 255, 60u);
  EXPECT_GT(bottomRight & 255, 200u);
}

TEST(JpegFile, RefusesBadArgumentsAndReportsAnUnopenableFile) {
  test::TempDir dir;
  platform::ScriptedDialogHost host;
  platform::SetDialogHost(&host);
  std::vector<uint8_t> image(3 * 4 * 4, 128);
  EXPECT_EQ(WriteJpegFile(dir.File("a.jpg"), nullptr, 4, 4, 90), 0);
  EXPECT_EQ(WriteJpegFile(dir.File("a.jpg"), image.data(), 0, 4, 90), 0);
  EXPECT_EQ(WriteJpegFile(dir.File("a.jpg"), image.data(), 4, 0, 90), 0);
  EXPECT_EQ(WriteJpegFile(dir.File("a.jpg"), image.data(), kMaxJpegSide + 1, 1, 90), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.jpg")));
  EXPECT_TRUE(host.messages.empty());
  const std::string unopenable = dir.File("none/b.jpg");
  EXPECT_EQ(WriteJpegFile(unopenable, image.data(), 4, 4, 90), 0);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "JpegFile :\nCan't open " + unopenable + "\n");
  EXPECT_EQ(host.messages[0].style, platform::MB_OK);
  platform::SetDialogHost(nullptr);
}

}  // namespace
}  // namespace velto
