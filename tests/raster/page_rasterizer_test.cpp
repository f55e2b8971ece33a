#include "raster/page_rasterizer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/display.h"
#include "raster/read_out_palette.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

using emf::RectL;
using emf::SizeL;

uint32_t U32At(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t U16At(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

std::vector<uint8_t> PageOfSize(RectL frame, SizeL pixels, SizeL millimetres) {
  emf::MetafileRecorder rec(frame, pixels, millimetres);
  return rec.Finish();
}

std::optional<emf::Metafile> MetafileOfSize(RectL frame, SizeL pixels, SizeL millimetres) {
  return emf::Metafile::FromBytes(PageOfSize(frame, pixels, millimetres));
}

TEST(PageSize, FromTheHeaderWithMultiplicationFirstAndTruncation) {
  auto a4 = emf::Metafile::FromBytes(test::SimplePage());
  ASSERT_TRUE(a4);
  int w = 0, h = 0;
  ASSERT_TRUE(MetafilePageSize(*a4, w, h));
  EXPECT_EQ(w, 2480);
  EXPECT_EQ(h, 3508);  // 29700 × 3508 / (297 × 100), exact

  auto odd = MetafileOfSize(RectL{-50, 0, 1000, 999}, SizeL{300, 301}, SizeL{7, 11});
  ASSERT_TRUE(odd);
  ASSERT_TRUE(MetafilePageSize(*odd, w, h));
  EXPECT_EQ(w, 1050 * 300 / 700);
  EXPECT_EQ(h, 999 * 301 / 1100);

  auto negative = MetafileOfSize(RectL{1000, 1000, 0, 0}, SizeL{100, 100}, SizeL{10, 10});
  ASSERT_TRUE(negative);
  ASSERT_TRUE(MetafilePageSize(*negative, w, h));
  EXPECT_EQ(w, -100);  // truncation toward zero of a negative extent
}

TEST(PageSize, ArithmeticWrapsAsThePlatformsAndZeroDivisorFails) {
  int w = 7, h = 9;
  auto zeroMm = MetafileOfSize(RectL{0, 0, 100, 100}, SizeL{100, 100}, SizeL{0, 10});
  ASSERT_TRUE(zeroMm);
  EXPECT_FALSE(MetafilePageSize(*zeroMm, w, h));
  EXPECT_EQ(w, 7);
  EXPECT_EQ(h, 9);
  // 2,000,000 × 5000 leaves 32 bits: the product wraps to 1,410,065,408 before the division.
  auto bigProduct = MetafileOfSize(RectL{0, 0, 2000000, 100}, SizeL{5000, 100}, SizeL{10, 10});
  ASSERT_TRUE(bigProduct);
  ASSERT_TRUE(MetafilePageSize(*bigProduct, w, h));
  EXPECT_EQ(w, 1410065);
  EXPECT_EQ(h, 10);
  // An extent of 2^32 − 1 wraps to −1.
  auto bigExtent = MetafileOfSize(RectL{INT32_MIN, 0, INT32_MAX, 100}, SizeL{1, 1}, SizeL{1, 1});
  ASSERT_TRUE(bigExtent);
  ASSERT_TRUE(MetafilePageSize(*bigExtent, w, h));
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 1);
  // Device millimetres × 100 beyond 32 bits wraps to a negative divisor: the header is patched, the
  // recorder keeps sizes sane.
  std::vector<uint8_t> bytes = PageOfSize(RectL{0, 0, 100, 100}, SizeL{1, 1}, SizeL{10, 10});
  const uint32_t huge = 30000000;
  for (int i = 0; i < 4; ++i) bytes[80 + i] = static_cast<uint8_t>(huge >> (8 * i));  // szlMillimeters.cx
  auto bigDivisor = emf::Metafile::FromBytes(bytes);
  ASSERT_TRUE(bigDivisor);
  ASSERT_EQ(bigDivisor->Header().millimeters.cx, 30000000);
  ASSERT_TRUE(MetafilePageSize(*bigDivisor, w, h));
  EXPECT_EQ(w, 0);  // 100 / −1,294,967,296
}

TEST(PageGeometry, WorkedExamplesFallbackAndSmallPages) {
  auto g = StandardPageGeometry(2000, 2800);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->scaledWidth, 1920);
  EXPECT_EQ(g->scaledHeight, 2688);
  EXPECT_EQ(g->width, 2016);
  EXPECT_EQ(g->height, 2784);
  EXPECT_EQ(g->margin, 48);
  EXPECT_EQ(g->playback, (RectL{48, 48, 1968, 2736}));

  int fw = 0, fh = 0;
  FallbackPageSize(fw, fh);
  EXPECT_EQ(fw, 743);
  EXPECT_EQ(fh, 1052);
  for (auto [w0, h0] : {std::pair{5000, 100}, std::pair{100, 6000}, std::pair{743, 1052}}) {
    auto f = StandardPageGeometry(w0, h0);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->scaledWidth, 713);
    EXPECT_EQ(f->scaledHeight, 1009);
    EXPECT_EQ(f->width, 748);
    EXPECT_EQ(f->height, 1044);
    EXPECT_EQ(f->playback, (RectL{17, 17, 731, 1027}));
  }

  auto edge = StandardPageGeometry(4999, 5999);
  ASSERT_TRUE(edge);
  EXPECT_EQ(edge->scaledWidth, 4799);
  EXPECT_EQ(edge->scaledHeight, 5759);

  auto narrow = StandardPageGeometry(41, 100);  // w = 39
  ASSERT_TRUE(narrow);
  EXPECT_EQ(narrow->scaledWidth, 39);
  EXPECT_EQ(narrow->margin, 0);
  EXPECT_EQ(narrow->playback, (RectL{0, 0, narrow->width, narrow->height}));
  auto forty = StandardPageGeometry(42, 100);  // w = 40
  ASSERT_TRUE(forty);
  EXPECT_EQ(forty->margin, 1);

  EXPECT_FALSE(StandardPageGeometry(0, 100));
  EXPECT_FALSE(StandardPageGeometry(-10, 100));
  EXPECT_FALSE(StandardPageGeometry(100, -1000));
}

TEST(RenderRasterPage, RendersAPageFileAndRefusesBadOnes) {
  test::TempDir dir;
  std::string good = dir.File("page.emf");
  test::WriteFileBytes(good, PageOfSize(RectL{0, 0, 20000, 28000}, SizeL{2000, 2800}, SizeL{200, 280}));
  RenderedPage page;
  ASSERT_TRUE(RenderRasterPage(good, true, page));
  EXPECT_EQ(page.width, 2016);
  EXPECT_EQ(page.height, 2784);
  ASSERT_TRUE(page.surface.Valid());
  EXPECT_FALSE(page.surface.bitmap->IsMonochrome());
  EXPECT_EQ(page.surface.bitmap->Pixel(0, 0), emf::kWhite);
  EXPECT_EQ(page.surface.bitmap->Pixel(2015, 2783), emf::kWhite);
  EXPECT_TRUE(page.metafile.has_value());
  ReleasePageSurface(page.surface);
  EXPECT_FALSE(page.surface.Valid());

  RenderedPage mono;
  ASSERT_TRUE(RenderRasterPage(good, false, mono));
  EXPECT_TRUE(mono.surface.bitmap->IsMonochrome());

  std::string garbage = dir.File("garbage.emf");
  test::WriteTextFile(garbage, "not a metafile at all, just words");
  RenderedPage none;
  EXPECT_FALSE(RenderRasterPage(garbage, true, none));
  EXPECT_FALSE(RenderRasterPage(dir.File("missing.emf"), true, none));
  std::string noSize = dir.File("nosize.emf");
  test::WriteFileBytes(noSize, PageOfSize(RectL{0, 0, 100, 100}, SizeL{100, 100}, SizeL{0, 0}));
  EXPECT_FALSE(RenderRasterPage(noSize, true, none));
  EXPECT_FALSE(none.surface.Valid());
}

// A 5 × 3 surface: width × 3 = 15 needs one padding byte per row at 24 bits.
PageSurface SmallColourSurface() {
  PageSurface s;
  EXPECT_TRUE(CreatePageSurface(5, 3, true, s));
  s.bitmap->FillRect(RectL{0, 0, 5, 3}, emf::kWhite);
  s.bitmap->SetPixel(0, 0, emf::MakeRgb(0x10, 0x20, 0x30));  // top left
  s.bitmap->SetPixel(4, 2, emf::MakeRgb(0xFF, 0x00, 0x00));  // bottom right
  s.bitmap->SetPixel(1, 2, emf::MakeRgb(0x00, 0x00, 0x90));  // bottom row
  s.bitmap->Changed();
  return s;
}

TEST(ReadOut, PackedTwentyFourBitsIsBottomUpPaddedBgr) {
  PageSurface s = SmallColourSurface();
  PackedPageBitmap bmp;
  ASSERT_EQ(ReadPageBitmap(s, 24, bmp), 16u * 3);
  ASSERT_EQ(bmp.block.size(), 40u + 48);
  const uint8_t* h = bmp.block.data();
  EXPECT_EQ(U32At(h), 40u);
  EXPECT_EQ(U32At(h + 4), 5u);
  EXPECT_EQ(U32At(h + 8), 3u);
  EXPECT_EQ(U16At(h + 12), 1);
  EXPECT_EQ(U16At(h + 14), 24);
  EXPECT_EQ(U32At(h + 16), 0u);
  EXPECT_EQ(U32At(h + 20), 48u);
  for (int off = 24; off < 40; off += 4) EXPECT_EQ(U32At(h + off), 0u);
  EXPECT_EQ(bmp.rowsOffset, 40u);
  const uint8_t* bottom = bmp.FirstRow();
  EXPECT_EQ(bottom[3 * 4 + 0], 0x00);  // blue
  EXPECT_EQ(bottom[3 * 4 + 2], 0xFF);  // red
  EXPECT_EQ(bottom[3 * 1 + 0], 0x90);
  EXPECT_EQ(bottom[15], 0);  // padding
  const uint8_t* top = bmp.FirstRow() + 2 * 16;
  EXPECT_EQ(top[0], 0x30);
  EXPECT_EQ(top[1], 0x20);
  EXPECT_EQ(top[2], 0x10);
  EXPECT_EQ(top[3], 0xFF);
  EXPECT_EQ(top[15], 0);
}

TEST(ReadOut, PalettedDepthsUseFixedTablesAndNearestColours) {
  PageSurface s = SmallColourSurface();
  PackedPageBitmap one, four, eight;
  ASSERT_EQ(ReadPageBitmap(s, 1, one), 4u * 3);
  ASSERT_EQ(one.rowsOffset, 48u);
  EXPECT_EQ(U16At(one.block.data() + 14), 1);
  EXPECT_EQ(U32At(one.block.data() + 40), 0x000000u);
  EXPECT_EQ(U32At(one.block.data() + 44), 0xFFFFFFu);
  // Bottom row: white, dark blue (black), white, white, red (nearer black: 255² < 2 × 255²) → 1 0 1 1 0.
  EXPECT_EQ(one.FirstRow()[0], 0b10110000);
  // Top row: dark grey (black), then white.
  EXPECT_EQ(one.FirstRow()[8], 0b01111000);

  ASSERT_EQ(ReadPageBitmap(s, 4, four), 4u * 3);
  ASSERT_EQ(four.rowsOffset, 40u + 64);
  EXPECT_EQ(U32At(four.block.data() + 40 + 4 * 9), 0x00FF0000u);  // bright red stored as B G R 0
  EXPECT_EQ(four.FirstRow()[0], 0xF4);  // white, navy
  EXPECT_EQ(four.FirstRow()[2], 0x90);  // red, then padding nibble 0

  ASSERT_EQ(ReadPageBitmap(s, 8, eight), 8u * 3);
  ASSERT_EQ(eight.rowsOffset, 40u + 1024);
  auto table = ReadOutPalette(8);
  ASSERT_EQ(table.size(), 256u);
  EXPECT_EQ(table[eight.FirstRow()[4]], emf::MakeRgb(0xFF, 0, 0));
  EXPECT_EQ(table[eight.FirstRow()[0]], emf::kWhite);
  EXPECT_EQ(eight.FirstRow()[0], 255);
  EXPECT_EQ(table[0], emf::kBlack);
  EXPECT_EQ(table[7], emf::MakeRgb(0xC0, 0xC0, 0xC0));

  PackedPageBitmap bad;
  EXPECT_EQ(ReadPageBitmap(s, 16, bad), 0u);
  EXPECT_TRUE(bad.block.empty());
  PageSurface empty;
  EXPECT_EQ(ReadPageBitmap(empty, 24, bad), 0u);
}

TEST(ReadOut, MonochromeSurfaceIsBlackAndWhiteAtEveryDepth) {
  PageSurface s;
  ASSERT_TRUE(CreatePageSurface(9, 2, false, s));
  s.bitmap->FillRect(RectL{0, 0, 9, 2}, emf::kWhite);
  s.bitmap->FillRect(RectL{0, 0, 3, 1}, emf::MakeRgb(200, 30, 30));  // dark: becomes black
  PackedPageBitmap one;
  ASSERT_EQ(ReadPageBitmap(s, 1, one), 8u);
  EXPECT_EQ(one.FirstRow()[0], 0xFF);  // bottom row all white
  EXPECT_EQ(one.FirstRow()[1], 0x80);
  EXPECT_EQ(one.FirstRow()[4], 0b00011111);
  EXPECT_EQ(one.FirstRow()[5], 0x80);
  PackedPageBitmap full;
  ASSERT_GT(ReadPageBitmap(s, 24, full), 0u);
  const uint8_t* top = full.FirstRow() + 28;
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(top[i] == 0 || top[i] == 255);
}

TEST(ReadOut, SplitFormFollowsTheDisplayDepthWithSlack) {
  PageSurface s = SmallColourSurface();
  struct Case {
    const char* bits;
    int bitCount;
  };
  const std::vector<Case> cases{Case{"1", 1}, Case{"2", 4},   Case{"4", 4},  Case{"5", 8},
                                Case{"8", 8}, Case{"16", 24}, Case{"24", 24}, Case{"32", 24}};
  int checked = 0;
  for (Case c : cases) {
#ifdef _WIN32  // the display is the system's: its own depth alone
    if (std::to_string(platform::DisplayColourDepth()) != c.bits) continue;
#else
    test::ScopedEnv env("VELTO_SCREEN_BITS", std::string(c.bits));
#endif
    ++checked;
    EXPECT_EQ(ScreenBitDepth(), c.bitCount) << c.bits;
    BitmapHeaderRecord header{};
    std::vector<uint8_t> rows;
    uint32_t size = ReadPageRows(s, header, false, rows);
    uint32_t stride = static_cast<uint32_t>(DibImageSize(5, 1, c.bitCount));
    EXPECT_EQ(size, stride * 3) << c.bits;
    EXPECT_EQ(rows.size(), size);
    EXPECT_EQ(U16At(header.data() + 14), c.bitCount);
    EXPECT_EQ(U32At(header.data() + 20), size);
    std::vector<uint8_t> slackRows;
    EXPECT_EQ(ReadPageRows(s, header, true, slackRows), size);
    EXPECT_EQ(slackRows.size(), size + stride + 10);
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), slackRows.begin()));
  }
  EXPECT_GT(checked, 0) << "a display of " << platform::DisplayColourDepth() << " bits";
#ifndef _WIN32  // without a stand-in, a display of true colour
  test::ScopedEnv env("VELTO_SCREEN_BITS", std::nullopt);
  EXPECT_EQ(ScreenBitDepth(), 24);
#endif
}

TEST(ReadOut, ImageSizeArithmetic) {
  EXPECT_EQ(DibImageSize(2016, 2784, 24), 6048u * 2784);
  EXPECT_EQ(DibImageSize(5, 10, 24), 160u);
  EXPECT_EQ(DibImageSize(33, 1, 1), 8u);
  EXPECT_EQ(DibImageSize(9, 1, 4), 8u);
  EXPECT_EQ(DibImageSize(0, 10, 24), 0u);
}

}  // namespace
}  // namespace velto
