// The PDF document: page sizes by screen width, the page image read from memory, and the document as
// the poppler tools see it.
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
  test::ScopedEnv screen("VELTO_SCREEN_WIDTH", "1024");
  EXPECT_FLOAT_EQ(PdfPageSize().width, 960);
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
  void SetUp() override {
    for (const char* tool : {"pdfinfo", "pdfimages", "pdftoppm"})
      if (!test::ToolAvailable(tool)) GTEST_SKIP() << "poppler-utils missing";
  }
  // "W x H" of every page, as pdfinfo reports them ("Page    1 size: 61 x 37 pts").
  std::vector<std::string> PageSizes(const std::string& path) {
    test::ToolResult r = RunTool("pdfinfo -f 1 -l 9999 " + Quote(path));
    std::vector<std::string> sizes;
    std::istringstream lines(r.output);
    for (std::string line; std::getline(lines, line);) {
      int page = 0;
      double w = 0, h = 0;
      if (std::sscanf(line.c_str(), "Page %d size: %lf x %lf pts", &page, &w, &h) == 3) {
        char text[64];
        std::snprintf(text, sizeof text, "%g x %g", w, h);
        sizes.push_back(text);
      }
    }
    return sizes;
  }
  TempDir dir;
};

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
  test::ToolResult list = RunTool("pdfimages -list " + Quote(path));
  ASSERT_EQ(list.exitCode, 0) << list.output;
  // Columns: page num type width height color comp bpc enc ...
  std::vector<std::string> images;
  std::istringstream lines(list.output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string page, num, type, width, height, colour, comp, bpc, enc;
    if (!(fields >> page >> num >> type >> width >> height >> colour >> comp >> bpc >> enc) || type != "image") continue;
    if (colour == "rgb" && comp == "3" && bpc == "8" && enc == "image") images.push_back(page + ":" + width + "x" + height);
  }
  EXPECT_EQ(images, (std::vector<std::string>{"1:61x37", "2:40x90"})) << list.output;

  // The stored image is every pixel of the page image, upright.
  test::ToolResult extract = RunTool("pdfimages -f 1 -l 1 " + Quote(path) + " " + Quote(dir.File("img")));
  ASSERT_EQ(extract.exitCode, 0) << extract.output;
  int w = 0, h = 0;
  std::vector<uint32_t> pixels = ReadPpm(dir.File("img-000.ppm"), w, h);
  ASSERT_EQ(w, 61);
  ASSERT_EQ(h, 37);
  ASSERT_EQ(pixels.size(), size_t(61 * 37));
  int wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) wrong += pixels[y * w + x] != ExpectedPixel(x, y);
  EXPECT_EQ(wrong, 0);

  // Rendered back at one pixel per point, the page shows the image edge to edge. The renderer resamples
  // images slightly, so the blocks are compared away from their edges.
  test::ToolResult render = RunTool("pdftoppm -r 72 -f 2 -l 2 -singlefile " + Quote(path) + " " + Quote(dir.File("page")));
  ASSERT_EQ(render.exitCode, 0) << render.output;
  pixels = ReadPpm(dir.File("page.ppm"), w, h);
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
  EXPECT_EQ(test::FilesIn(dir.Path().string()), (std::vector<std::string>{"empty.pdf", "taken.pdf"}));
}

class PdfJobTest : public PdfDocumentTest {
 protected:
  void SetUp() override {
    PdfDocumentTest::SetUp();
    if (IsSkipped()) return;
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
    const char* screen;
    const char* size;
  } cases[] = {{"640", "580 x 820"}, {"800", "743 x 1052"}, {"1024", "960 x 1358"}, {"1152", "1090 x 1542"}, {"1280", "1220 x 1726"}};
  for (const Case& c : cases) {
    test::ScopedEnv screen("VELTO_SCREEN_WIDTH", c.screen);
    const std::string path = dir.File(std::string("screen") + c.screen + ".pdf");
    ASSERT_TRUE(WritePdfDocument(dir.File("job.spl"), path, job, context)) << c.screen;
    EXPECT_EQ(PageSizes(path), std::vector<std::string>(3, c.size)) << c.screen;
  }
  EXPECT_TRUE(test::FilesIn(temp).empty());  // every page file deleted

  // The A4 page is stretched over the whole 1220 × 1726 image: its black box (200, 200)–(1200, 600) of
  // 2480 × 3508 lands at about (98, 98)–(590, 295), the paper around it white, with no border.
  const std::string path = dir.File("screen1280.pdf");
  test::ToolResult render = RunTool("pdftoppm -r 72 -f 1 -l 1 -singlefile " + Quote(path) + " " + Quote(dir.File("p1")));
  ASSERT_EQ(render.exitCode, 0) << render.output;
  int w = 0, h = 0;
  std::vector<uint32_t> pixels = ReadPpm(dir.File("p1.ppm"), w, h);
  ASSERT_EQ(w, 1220);
  ASSERT_EQ(h, 1726);
  ASSERT_EQ(pixels.size(), size_t(w) * h);
  auto at = [&](int x, int y) { return pixels[size_t(y) * w + x]; };
  EXPECT_EQ(at(344, 196), 0x000000u);
  EXPECT_EQ(at(105, 105), 0x000000u);
  EXPECT_EQ(at(583, 288), 0x000000u);
  for (auto [x, y] : {std::pair{0, 0}, std::pair{1219, 1725}, std::pair{85, 196}, std::pair{344, 85},
                      std::pair{605, 196}, std::pair{344, 310}})
    EXPECT_EQ(at(x, y), 0xFFFFFFu) << x << "," << y;
}

TEST_F(PdfJobTest, LowColourDisplayStillGivesEveryPage) {
  test::ScopedEnv bits("VELTO_SCREEN_BITS", "4");
  const std::string path = dir.File("sixteen.pdf");
  ASSERT_TRUE(WritePdfDocument(dir.File("job.spl"), path, job, context));
  EXPECT_EQ(PageSizes(path), std::vector<std::string>(3, "1220 x 1726"));
}

TEST_F(PdfJobTest, UnreadablePagesAreLeftOut) {
  const std::string path = dir.File("doc.pdf");
  test::WriteFileBytes(path, std::vector<uint8_t>(5000, 'x'));  // an existing file is replaced
  job.pageOffset[2] = 0;  // the spool file's header: no metafile
  ASSERT_TRUE(WritePdfDocument(dir.File("job.spl"), path, job, context));
  EXPECT_EQ(PageSizes(path).size(), 2u);
  EXPECT_EQ(RunTool("pdfinfo " + Quote(path)).exitCode, 0);
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
  test::ToolResult render = RunTool("pdftoppm -r 9 " + Quote(path) + " " + Quote(dir.File("d")));
  EXPECT_EQ(render.exitCode, 0) << render.output;
}

}  // namespace
}  // namespace velto
