// The Windows build's resources are made from res/: the committed script, icon and banner must be what
// res/ makes of its templates and pictures today, and the pictures must be what the templates name.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "res/resources.h"
#include "res/windows_resources.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

std::string Committed(const std::string& name) {
  std::ifstream in(test::SourceDirectory() + "/res/windows/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

uint32_t Le(const std::string& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int k = size - 1; k >= 0; --k) value = (value << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(k)]);
  return value;
}

TEST(WindowsResources, CommittedFilesAreWhatResMakes) {
  const auto icon = res::IconFile();
  const auto banner = res::BannerBitmapFile();
  EXPECT_EQ(Committed(res::kResourceScriptName), res::WindowsResourceScript())
      << "run build/tools/velto-make-windows-resources res/windows";
  EXPECT_EQ(Committed(res::kIconFileName), std::string(icon.begin(), icon.end()));
  EXPECT_EQ(Committed(res::kBannerFileName), std::string(banner.begin(), banner.end()));
}

TEST(WindowsResources, IconAndBannerHaveTheirSizesAndTransparency) {
  const auto iconBytes = res::IconFile();
  const std::string icon(iconBytes.begin(), iconBytes.end());
  ASSERT_GE(icon.size(), 6u + 2 * 16);
  EXPECT_EQ(Le(icon, 2, 2), 1u);  // an icon, not a cursor
  ASSERT_EQ(Le(icon, 4, 2), 2u);
  for (size_t k = 0; k < 2; ++k) {
    const size_t entry = 6 + 16 * k;
    const uint32_t size = k == 0 ? 32 : 16;
    EXPECT_EQ(static_cast<uint8_t>(icon[entry]), size);
    const uint32_t offset = Le(icon, entry + 12, 4), bytes = Le(icon, entry + 8, 4);
    ASSERT_LE(offset + bytes, icon.size());
    EXPECT_EQ(Le(icon, offset + 8, 4), size * 2);  // colour rows and mask rows
    EXPECT_EQ(bytes, 40 + size * size * 4 + size * 4);
  }
  const res::Pixels big = res::DrawIcon(32);
  EXPECT_EQ(big.At(0, 0) >> 24, 0u);                 // around the sheet it is transparent
  EXPECT_EQ(big.At(31, 0) >> 24, 0u);                // the folded corner is cut away
  EXPECT_EQ(big.At(15, 20), 0xFFFFFFFFu);            // paper
  const res::Pixels banner = res::DrawBanner();
  EXPECT_EQ(banner.width, 290);
  EXPECT_EQ(banner.height, 64);
  const auto bmp = res::BannerBitmapFile();
  EXPECT_EQ(bmp.size(), 54u + 64u * ((290u * 3 + 3) / 4 * 4));
}

}  // namespace
}  // namespace velto
