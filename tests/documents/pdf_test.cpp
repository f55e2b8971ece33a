// The PDF document: page sizes by screen width, the page image read from memory, and the document read
// back: its pages and images in-process, its pages rendered by the poppler tools where they exist.
#include "documents/pdf_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <algorithm>
#include <cstdio>
#include <sstream>

#include "documents/dib_image.h"
#include "documents/document_writers.h"
#include "documents/pdf_page_size.h"
#include "platform/display.h"
#include "tests/documents/document_test_tools.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

using test::Quote;
using test::RunTool;
using test::TempDir;

size_t Stride24(int width) { return ((size_t(width) * 24 + 31) / 32) * 4; }

// A bottom-up 24-bit page image whose every pixel has its own colour: red from x, green from y, blue
// from both.
std::vector<uint8_t> TestImage(int width, int height) {
  std::vector<uint8_t> rows(Stride24(width) * height, 0xEE);  // padding bytes carry no meaning
  for (int r = 0; r < height; ++r) {
    const int y = height - 1 - r;  // first row in memory is the bottom of the page
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &rows[r * Stride24(width) + x * 3];
      p[0] = uint8_t(x * 7 + y * 3), p[1] = uint8_t(y * 5), p[2] = uint8_t(x * 4);
    }
  }
  return rows;
}
uint32_t ExpectedPixel(int x, int y) { return (uint32_t(uint8_t(x * 4)) << 16) | (uint32_t(uint8_t(y * 5)) << 8) | uint8_t(x * 7 + y * 3); }

uint32_t PixelAt(cairo_surface_t* image, int x, int y) {
  auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image));
  return row[x] & 0xFFFFFF;
}

TEST(PdfPageSize, FiveRowsWithTheirExactBounds) {
  struct Row {
    int screen;
    float width, height;
    int w, h;
  } rows[] = {
      {320, 580, 820.7731f, 580, 820},        {640, 580, 820.7731f, 580, 820},
      {641, 743.75f, 1052.5f, 743, 1052},     {800, 743.75f, 1052.5f, 743, 1052},
      {801, 960, 1358.521f, 960, 1358},       {1024, 960, 1358.521f, 960, 1358},
      {1025, 1090, 1542.4874f, 1090, 1542},   {1152, 1090, 1542.4874f, 1090, 1542},
      {1153, 1220, 1726.4537f, 1220, 1726},   {3840, 1220, 1726.4537f, 1220, 1726},
  };
  for (const Row& r : rows) {
    PdfPageDimensions d = PdfPageSizeForScreen(r.screen);
    EXPECT_FLOAT_EQ(d.width, r.width) << r.screen;
    EXPECT_FLOAT_EQ(d.height, r.height) << r.screen;
    EXPECT_EQ(int(std::trunc(d.width)), r.w) << r.screen;
    EXPECT_EQ(int(std::trunc(d.height)), r.h) << r.screen;
  }
  // The document's size is the row of the display's full-screen width.
  EXPECT_FLOAT_EQ(PdfPageSize().width, PdfPageSizeForScreen(platform::FullScreenClientWidth()).width);
#ifndef _WIN32  // the display's width is set here through its stand-in
  test::ScopedEnv screen("VELTO_SCREEN_WIDTH", "1024");
  EXPECT_FLOAT_EQ(PdfPageSize().width, 960);
#endif
}

TEST(OpenDibImage, RowsBecomeUprightRgbWithoutPadding) {
  const int w = 5, h = 3;  // 15 pixel bytes, 1 byte of padding per row
  std::vector<uint8_t> rows = TestImage(w, h);
  CairoSurfacePtr image = OpenDibImage(rows, w, h);
  ASSERT_TRUE(image);
  EXPECT_EQ(cairo_image_surface_get_width(image.get()), w);
  EXPECT_EQ(cairo_image_surface_get_height(image.get()), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) EXPECT_EQ(PixelAt(image.get(), x, y), ExpectedPixel(x, y)) << x << "," << y;
}

TEST(OpenDibImage, ShortBufferIsCompletedWithZeros) {
  const int w = 5, h = 3;
  std::vector<uint8_t> rows = TestImage(w, h);
  // One full row (the bottom) and two bytes of the next: pixel (0, 1) keeps blue and green, red 0.
  std::vector<uint8_t> part(rows.begin(), rows.begin() + Stride24(w) + 2);
  CairoSurfacePtr image = OpenDibImage(part, w, h);
  ASSERT_TRUE(image);
  for (int x = 0; x < w; ++x) EXPECT_EQ(PixelAt(image.get(), x, 2), ExpectedPixel(x, 2));
  EXPECT_EQ(PixelAt(image.get(), 0, 1), ExpectedPixel(0, 1) & 0x00FFFF);
  for (int x = 1; x < w; ++x) EXPECT_EQ(PixelAt(image.get(), x, 1), 0u);
  for (int x = 0; x < w; ++x) EXPECT_EQ(PixelAt(image.get(), x, 0), 0u);

  EXPECT_TRUE(OpenDibImage({}, w, h));  // all black
  EXPECT_FALSE(OpenDibImage(rows, 0, h));
  EXPECT_FALSE(OpenDibImage(rows, w, -1));
}

class PdfDocumentTest : public ::testing::Test {
 protected:
  // The document read back; a failed test when it cannot be read.
  test::PdfDocument Read(const std::string& path) {
    std::string error;
    std::optional<test::PdfDocument> document = test::ReadPdf(path, error);
    EXPECT_TRUE(document) << path << ": " << error;
    return document.value_or(test::PdfDocument{});
  }
  // "W x H" of every page in points.
  std::vector<std::string> PageSizes(const std::string& path) {
    std::vector<std::string> sizes;
    for (const test::PdfPage& page : Read(path).pages) {
      char text[64];
      std::snprintf(text, sizeof text, "%g x %g", page.width, page.height);
      sizes.push_back(text);
    }
    return sizes;
  }
  // Renders one page at one pixel per point into `ppm` with pdftoppm; false (the test skipped) where
  // the tool is missing, as on Windows.
  bool Render(const std::string& path, int page, const std::string& ppm) {
    if (!test::ToolAvailable("pdftoppm")) return false;
    const std::string base = ppm.substr(0, ppm.size() - 4);
    const std::string pageText = std::to_string(page);
    test::ToolResult r = RunTool("pdftoppm -r 72 -f " + pageText + " -l " + pageText + " -singlefile " + Quote(path) +
                                 " " + Quote(base));
    EXPECT_EQ(r.exitCode, 0) << r.output;
    return r.exitCode == 0;
  }
  TempDir dir;
};

// Bytes of one pixel of an 8-bit image: 1 gray, 3 RGB.
size_t Components(const test::PdfImage& image) { return image.colourSpace == "DeviceGray" ? 1 : 3; }
// 0xRRGGBB of pixel (x, y) of an 8-bit gray or RGB image stored top row first.
uint32_t ImagePixel(const test::PdfImage& image, int x, int y) {
  const size_t n = Components(image);
  const size_t at = (size_t(y) * image.width + x) * n;
  if (n == 1) return uint32_t(image.data[at]) * 0x010101u;
  return (uint32_t(image.data[at]) << 16) | (uint32_t(image.data[at + 1]) << 8) | image.data[at + 2];
}

// Reads a binary PPM (P6, maxval 255, as pdftoppm and pdfimages write it) as 0xRRGGBB pixels.
std::vector<uint32_t> ReadPpm(const std::string& path, int& width, int& height) {
  std::vector<uint8_t> bytes = test::ReadFileBytes(path);
  std::istringstream header(std::string(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64)));
  std::string magic;
  int maxValue = 0;
  if (!(header >> magic >> width >> height >> maxValue) || magic != "P6" || maxValue != 255) return {};
  const size_t at = static_cast<size_t>(header.tellg()) + 1;  // one blank after the header
  std::vector<uint32_t> pixels;
  for (size_t i = at; i + 2 < bytes.size() && pixels.size() < size_t(width) * height; i += 3)
    pixels.push_back((uint32_t(bytes[i]) << 16) | (uint32_t(bytes[i + 1]) << 8) | bytes[i + 2]);
  return pixels;
}

// A bottom-up 24-bit image of 10 × 10 blocks, each of its own colour.
std::vector<uint8_t> BlockImage(int width, int height) {
  std::vector<uint8_t> rows(Stride24(width) * height, 0);
  for (int r = 0; r < height; ++r) {
    const int y = height - 1 - r;
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &rows[r * Stride24(width) + x * 3];
      p[0] = uint8_t(40 * (x / 10)), p[1] = uint8_t(25 * (y / 10)), p[2] = uint8_t(255 - 20 * (x / 10 + y / 10));
    }
  }
  return rows;
}
uint32_t BlockPixel(int x, int y) {
  return (uint32_t(uint8_t(255 - 20 * (x / 10 + y / 10))) << 16) | (uint32_t(uint8_t(25 * (y / 10))) << 8) | uint8_t(40 * (x / 10));
}

TEST_F(PdfDocumentTest, PagesAreTheirImagesExactly) {
  const std::string path = dir.File("doc.pdf");
  PdfDocumentWriter writer;
  ASSERT_TRUE(writer.Open(path));
  std::vector<uint8_t> first = TestImage(61, 37);
  std::vector<uint8_t> second = BlockImage(40, 90);
  ASSERT_TRUE(writer.PlacePage(first, 61, 37));
  ASSERT_TRUE(writer.PlacePage(second, 40, 90));
  ASSERT_TRUE(writer.Finish());

  EXPECT_EQ(PageSizes(path), (std::vector<std::string>{"61 x 37", "40 x 90"}));
  // One losslessly compressed RGB image per page, at the image's own size.
  const test::PdfDocument document = Read(path);
  ASSERT_EQ(document.pages.size(), 2u);
  std::vector<std::string> images;
  for (size_t p = 0; p < document.pages.size(); ++p) {
    for (const test::PdfImage& image : document.pages[p].images) {
      images.push_back(std::to_string(p + 1) + ":" + std::to_string(image.width) + "x" + std::to_string(image.height) +
                       " " + image.colourSpace + " " + std::to_string(image.bitsPerComponent) + " " + image.filter);
    }
  }
  EXPECT_EQ(images, (std::vector<std::string>{"1:61x37 DeviceRGB 8 FlateDecode", "2:40x90 DeviceRGB 8 FlateDecode"}));

  // The stored image is every pixel of the page image, upright.
  const test::PdfImage& stored = document.pages[0].images.at(0);
  ASSERT_EQ(stored.data.size(), size_t(61 * 37 * 3));
  int wrong = 0;
  for (int y = 0; y < 37; ++y)
    for (int x = 0; x < 61; ++x) wrong += ImagePixel(stored, x, y) != ExpectedPixel(x, y);
  EXPECT_EQ(wrong, 0);

  // Rendered back at one pixel per point, the page shows the image edge to edge. The renderer resamples
  // images slightly, so the blocks are compared away from their edges.
  if (!Render(path, 2, dir.File("page.ppm"))) GTEST_SKIP() << "no PDF renderer (pdftoppm) here";
  int w = 0, h = 0;
  std::vector<uint32_t> pixels = ReadPpm(dir.File("page.ppm"), w, h);
  ASSERT_EQ(w, 40);
  ASSERT_EQ(h, 90);
  ASSERT_EQ(pixels.size(), size_t(40 * 90));
  wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (x % 10 >= 2 && x % 10 <= 7 && y % 10 >= 2 && y % 10 <= 7) wrong += pixels[y * w + x] != BlockPixel(x, y);
  EXPECT_EQ(wrong, 0);
}

TEST_F(PdfDocumentTest, NoPageMeansNoFileAndBadPathsLeaveNothing) {
  const std::string path = dir.File("empty.pdf");
  test::WriteFileBytes(path, {'o', 'l', 'd'});
  PdfDocumentWriter writer;
  ASSERT_TRUE(writer.Open(path));
  EXPECT_FALSE(writer.Finish());
  EXPECT_EQ(test::ReadFileBytes(path), (std::vector<uint8_t>{'o', 'l', 'd'}));  // left as it was

  EXPECT_EQ(writer.Error(), "no page of the job could be drawn");

  EXPECT_FALSE(writer.Open(dir.File("missing/folder/doc.pdf")));
  EXPECT_EQ(writer.Error(), "No such file or directory");
  // A folder of the name is refused before any page is drawn, and left as it is.
  std::filesystem::create_directory(dir.File("taken.pdf"));
  EXPECT_FALSE(writer.Open(dir.File("taken.pdf")));
  EXPECT_EQ(writer.Error(), "Is a directory");
  EXPECT_EQ(test::FilesIn(dir.Text()), (std::vector<std::string>{"empty.pdf", "taken.pdf"}));
}

class PdfJobTest : public PdfDocumentTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(temp);
    if (!test::MakeSpoolJob(dir.File("job.spl"), 3, job)) GTEST_SKIP() << "spool reader not available";
  }
  std::string temp = dir.File("temp");
  test::ScopedEnv tmpdir{"TMPDIR", temp};
  SpoolJob job;
  WriteContext context;
};

// The problems of a report as "kind page reason" lines, for comparing.
std::vector<std::string> Problems(const WriteReport& report) {
  std::vector<std::string> lines;
  for (const WriteProblem& p : report.Problems()) {
    const char* kind = p.kind == WriteProblem::Kind::Damaged ? "damaged" : p.kind == WriteProblem::Kind::Unreadable ? "unreadable" : "not written";
    lines.push_back(std::string(kind) + " " + std::to_string(p.page));
  }
  return lines;
}

TEST_F(PdfJobTest, PageSizeFollowsTheScreenWidth) {
  struct Case {
    int screen;
    const char* size;
  };
#ifdef _WIN32  // the display is the system's
  const int screen = platform::FullScreenClientWidth();
  const PdfPageDimensions expected = PdfPageSizeForScreen(screen);
  const std::string size = std::to_string(int(expected.width)) + " x " + std::to_string(int(expected.height));
  const std::vector<Case> cases{{screen, size.c_str()}};
#else
  const std::vector<Case> cases{{640, "580 x 820"}, {800, "743 x 1052"}, {1024, "960 x 1358"}, {1152, "1090 x 1542"},
                                {1280, "1220 x 1726"}};
#endif
  std::string last;
  for (const Case& c : cases) {
#ifndef _WIN32
    test::ScopedEnv screen("VELTO_SCREEN_WIDTH", std::to_string(c.screen));
#endif
    last = dir.File("screen" + std::to_string(c.screen) + ".pdf");
    ASSERT_TRUE(WritePdfDocument(dir.File("job.spl"), last, job, context)) << c.screen;
    EXPECT_EQ(PageSizes(last), std::vector<std::string>(3, c.size)) << c.screen;
  }
  EXPECT_TRUE(test::FilesIn(temp).empty());  // every page file deleted

  // The A4 page is stretched over the whole image of the last size: at 1220 × 1726 its black box
  // (200, 200)–(1200, 600) of 2480 × 3508 lands at about (98, 98)–(590, 295), the paper around it white,
  // with no border. Points are given for 1220 × 1726 and scaled.
  const test::PdfDocument document = Read(last);
  ASSERT_EQ(document.pages.size(), 3u);
  ASSERT_EQ(document.pages[0].images.size(), 1u);
  const test::PdfImage& image = document.pages[0].images[0];
  EXPECT_EQ(image.width, int(document.pages[0].width));
  EXPECT_EQ(image.height, int(document.pages[0].height));
  // A page of black and white only may be stored as a gray image.
  ASSERT_EQ(image.data.size(), size_t(image.width) * image.height * Components(image)) << image.colourSpace;
  const std::vector<std::pair<int, int>> black{{344, 196}, {105, 105}, {583, 288}};
  const std::vector<std::pair<int, int>> white{{0, 0}, {1219, 1725}, {85, 196}, {344, 85}, {605, 196}, {344, 310}};
  auto scaled = [&](std::pair<int, int> p) {
    return std::pair{p.first * image.width / 1220, p.second * image.height / 1726};
  };
  for (auto p : black) {
    auto [x, y] = scaled(p);
    EXPECT_EQ(ImagePixel(image, x, y), 0x000000u) << x << "," << y;
  }
  for (auto p : white) {
    auto [x, y] = scaled(p);
    EXPECT_EQ(ImagePixel(image, x, y), 0xFFFFFFu) << x << "," << y;
  }

  // Rendered, the page shows the same.
  if (!Render(last, 1, dir.File("p1.ppm"))) GTEST_SKIP() << "no PDF renderer (pdftoppm) here";
  int w = 0, h = 0;
  std::vector<uint32_t> pixels = ReadPpm(dir.File("p1.ppm"), w, h);
  ASSERT_EQ(w, image.width);
  ASSERT_EQ(h, image.height);
  ASSERT_EQ(pixels.size(), size_t(w) * h);
  for (auto p : black) {
    auto [x, y] = scaled(p);
    EXPECT_EQ(pixels[size_t(y) * w + x], 0x000000u) << x << "," << y;
  }
  for (auto p : white) {
    auto [x, y] = scaled(p);
    EXPECT_EQ(pixels[size_t(y) * w + x], 0xFFFFFFu) << x << "," << y;
  }
}

TEST_F(PdfJobTest, LowColourDisplayStillGivesEveryPage) {
#ifdef _WIN32
  GTEST_SKIP() << "the display's depth is set only through the stand-in of other platforms";
#else
  test::ScopedEnv bits("VELTO_SCREEN_BITS", "4");
  const std::string path = dir.File("sixteen.pdf");
  ASSERT_TRUE(WritePdfDocument(dir.File("job.spl"), path, job, context));
  EXPECT_EQ(PageSizes(path), std::vector<std::string>(3, "1220 x 1726"));
#endif
}

TEST_F(PdfJobTest, UnreadablePagesAreLeftOut) {
  const std::string path = dir.File("doc.pdf");
  test::WriteFileBytes(path, std::vector<uint8_t>(5000, 'x'));  // an existing file is replaced
  job.pageOffset[2] = 0;  // the spool file's header: no metafile
  ASSERT_TRUE(WritePdfDocument(dir.File("job.spl"), path, job, context));
  EXPECT_EQ(PageSizes(path).size(), 2u);
  // The page left out is named: the document is not taken for the whole job.
  EXPECT_EQ(Problems(context.report), std::vector<std::string>{"unreadable 2"});

  SpoolJob broken = job;
  for (int k = 1; k <= 3; ++k) broken.pageOffset[k] = 0;
  WriteContext none;
  EXPECT_FALSE(WritePdfDocument(dir.File("job.spl"), dir.File("none.pdf"), broken, none));
  EXPECT_EQ(Problems(none.report), (std::vector<std::string>{"unreadable 1", "unreadable 2", "unreadable 3", "not written 0"}));
  EXPECT_EQ(none.report.Problems().back().reason, "no page of the job could be drawn");
  WriteContext noFolder;
  EXPECT_FALSE(WritePdfDocument(dir.File("job.spl"), dir.File("no/folder/x.pdf"), job, noFolder));
  ASSERT_EQ(Problems(noFolder.report), std::vector<std::string>{"not written 0"});
  EXPECT_EQ(noFolder.report.Problems()[0].reason, "No such file or directory");
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.pdf")));
  EXPECT_TRUE(test::FilesIn(temp).empty());
}

TEST_F(PdfJobTest, DamagedPageStillGivesAValidDocument) {
  SpoolJob damaged;
  ASSERT_TRUE(test::MakeSpoolJob(dir.File("damaged.spl"), test::PagesWithDamagedSecond(), damaged));
  const std::string path = dir.File("damaged.pdf");
  ASSERT_TRUE(WritePdfDocument(dir.File("damaged.spl"), path, damaged, context));
  EXPECT_EQ(PageSizes(path).size(), 3u);
  EXPECT_EQ(Problems(context.report), std::vector<std::string>{"damaged 2"});
  for (const test::PdfPage& page : Read(path).pages) EXPECT_EQ(page.images.size(), 1u);
}

}  // namespace
}  // namespace velto
