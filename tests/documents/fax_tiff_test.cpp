// The multi-page fax TIFF: tags per page, the coded pixels read back, the settings' choices and the
// file as a whole.
#include "documents/fax_tiff_writer.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <filesystem>
#include <map>
#include <cstdio>
#include <set>
#include <sstream>

#include "app/settings.h"
#include "documents/document_writers.h"
#include "documents/tiff_page_tags.h"
#include "tests/documents/document_test_tools.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

using test::TempDir;

constexpr int W = kFaxPageWidth;
constexpr int H = kFaxPageHeight;
constexpr size_t kRowBytes = W / 8;

// Black printing on white paper at pixel-exact places: edges, a thin line and a fine checkerboard.
void DrawPattern(platform::PageCanvas& s) {
  s.FillRect({0, 0, 40, 1}, emf::kBlack);         // top row, from the left edge
  s.FillRect({W - 9, 100, W, 160}, emf::kBlack);  // right edge
  s.FillRect({300, H - 1, 700, H}, emf::kBlack);  // bottom row
  s.FillRect({5, 500, 6, 1500}, emf::kBlack);     // one pixel wide
  for (int y = 800; y < 840; ++y)
    for (int x = 900; x < 940; ++x)
      if ((x + y) % 2) s.SetPixel(x, y, emf::kBlack);
  s.Changed();
}

// The rows the pattern must decode to: 1 = black, top row first.
std::vector<uint8_t> ExpectedBits(const platform::PageCanvas& s) {
  std::vector<uint8_t> bits(kRowBytes * H, 0);

  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (s.Pixel(x, y) == emf::kBlack) bits[y * kRowBytes + x / 8] |= uint8_t(0x80 >> (x % 8));
  return bits;
}

// Writes `pages` pages, each drawn by `draw`, and gives back what the first page should decode to.
struct Written {
  bool ok = false;
  std::vector<uint8_t> expected;
};
template <class Draw>
Written WriteDocument(const std::string& path, const FaxTiffOptions& options, int pages, Draw draw) {
  Written result;
  FaxTiffWriter writer;
  if (!writer.Open(path, options, pages)) return result;
  for (int i = 0; i < pages; ++i) {
    writer.BeginPage();
    draw(writer.Surface(), i);
    if (i == 0) result.expected = ExpectedBits(writer.Surface());
    writer.FinishPage(i);
  }
  result.ok = writer.Finish();
  return result;
}

FaxTiffOptions Options(TiffPageMode mode, BilevelMethod method = BilevelMethod::Dithered, int fillOrder = 2) {
  FaxTiffOptions o;
  o.settings.mode = mode;
  o.settings.method = method;
  o.fillOrder = fillOrder;
  return o;
}

// Every strip of a directory decoded and joined: the page's rows, top row first.
std::vector<uint8_t> DecodeStrip(const std::string& path, int directory) {
  test::TiffPtr tif = test::OpenTiff(path, "rc");  // no strip chopping: strips as they are in the file
  if (!tif || !TIFFSetDirectory(tif.get(), static_cast<tdir_t>(directory))) return {};
  std::vector<uint8_t> data;
  std::vector<uint8_t> strip(static_cast<size_t>(TIFFStripSize(tif.get())));
  for (uint32_t i = 0; i < TIFFNumberOfStrips(tif.get()); ++i) {
    tmsize_t n = TIFFReadEncodedStrip(tif.get(), i, strip.data(), static_cast<tmsize_t>(strip.size()));
    if (n < 0) return {};
    data.insert(data.end(), strip.begin(), strip.begin() + n);
  }
  return data;
}

int DirectoryCount(const std::string& path) {
  test::TiffPtr tif = test::OpenTiff(path, "r");
  return tif ? TIFFNumberOfDirectories(tif.get()) : -1;
}

// Tag numbers and their value text per directory, as the file holds them ("1728", "0 1", "204").
std::vector<std::map<int, std::string>> DumpTags(const std::string& path) {
  return test::ReadTiffTags(path).value_or(std::vector<test::TiffTags>{});
}

std::set<int> Keys(const std::map<int, std::string>& tags) {
  std::set<int> keys;
  for (auto& [k, v] : tags) keys.insert(k);
  return keys;
}

class FaxTiffTest : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(FaxTiffTest, OnePageCarriesTheFaxTagsAndNothingElse) {
  const std::string path = dir.File("one.tif");
  Written w = WriteDocument(path, Options(TiffPageMode::Group3), 1, [](platform::PageCanvas& s, int) { DrawPattern(s); });
  ASSERT_TRUE(w.ok);
  auto dirs = DumpTags(path);
  ASSERT_EQ(dirs.size(), 1u);
  const std::set<int> expected = {256, 257, 258, 259, 262, 266, 273, 274, 277, 278, 279, 282,
                                  283, 284, 292, 296, 297, 305, 326, 327, 328};
  EXPECT_EQ(Keys(dirs[0]), expected);  // no SubfileType for a single page
  auto& t = dirs[0];
  EXPECT_EQ(t[256], "1728");
  EXPECT_EQ(t[257], "2200");
  EXPECT_EQ(t[258], "1");
  EXPECT_EQ(t[259], "3");
  EXPECT_EQ(t[262], "0");
  EXPECT_EQ(t[266], "2");
  EXPECT_EQ(t[274], "1");
  EXPECT_EQ(t[277], "1");
  EXPECT_EQ(t[278], "2200");
  EXPECT_EQ(t[282], "204");
  EXPECT_EQ(t[283], "196");
  EXPECT_EQ(t[284], "1");
  EXPECT_EQ(t[292], "4");
  EXPECT_EQ(t[296], "2");
  EXPECT_EQ(t[297], "0 1");
  EXPECT_EQ(t[305], "Velto Printer...\\0");  // with its terminator
  EXPECT_EQ(t[326], "0");
  EXPECT_EQ(t[327], "0");
  EXPECT_EQ(t[328], "0");
  EXPECT_EQ(DecodeStrip(path, 0), w.expected);
}

TEST_F(FaxTiffTest, ThreePagesAreNumberedPagesOfOneDocument) {
  const std::string path = dir.File("three.tif");
  Written w = WriteDocument(path, Options(TiffPageMode::Group3), 3, [](platform::PageCanvas& s, int page) {
    s.FillRect({104 * page, 0, 104 * page + 48, 50}, emf::kBlack);
  });
  ASSERT_TRUE(w.ok);
  auto dirs = DumpTags(path);
  ASSERT_EQ(dirs.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(dirs[i][254], "2") << i;
    EXPECT_EQ(dirs[i][297], std::to_string(i) + " 3") << i;
    // Each page holds its own drawing.
    std::vector<uint8_t> strip = DecodeStrip(path, i);
    ASSERT_EQ(strip.size(), kRowBytes * H);
    for (int p = 0; p < 3; ++p) EXPECT_EQ(strip[13 * p], p == i ? 0xFF : 0x00) << i << "/" << p;
  }
  EXPECT_EQ(test::TiffReadErrors(path), "");
}

TEST_F(FaxTiffTest, EveryBilevelCoderGivesBackTheBits) {
  struct Case {
    TiffPageMode mode;
    int compression;
  } cases[] = {{TiffPageMode::Group3, 3}, {TiffPageMode::Group4, 4}, {TiffPageMode::ModifiedHuffman, 2},
               {TiffPageMode::PackBits, 32773}};
  for (const Case& c : cases) {
    for (int fillOrder : {1, 2}) {
      SCOPED_TRACE(testing::Message() << "compression " << c.compression << " fill order " << fillOrder);
      const std::string path = dir.File("coder.tif");
      Written w = WriteDocument(path, Options(c.mode, BilevelMethod::Dithered, fillOrder), 1,
                                [](platform::PageCanvas& s, int) { DrawPattern(s); });
      ASSERT_TRUE(w.ok);
      auto dirs = DumpTags(path);
      ASSERT_EQ(dirs.size(), 1u);
      EXPECT_EQ(dirs[0][259], std::to_string(c.compression));
      EXPECT_EQ(dirs[0][266], std::to_string(fillOrder));
      const bool ccitt = c.mode != TiffPageMode::PackBits;
      EXPECT_EQ(dirs[0].count(326), ccitt ? 1u : 0u);
      EXPECT_EQ(dirs[0].count(327), ccitt ? 1u : 0u);
      EXPECT_EQ(dirs[0].count(328), ccitt ? 1u : 0u);
      EXPECT_EQ(dirs[0].count(292), c.mode == TiffPageMode::Group3 ? 1u : 0u);
      EXPECT_EQ(DecodeStrip(path, 0), w.expected);
    }
  }
}

TEST_F(FaxTiffTest, DirectAndDitheredAgreeOnBlackAndWhite) {
  for (auto method : {BilevelMethod::Dithered, BilevelMethod::Direct}) {
    SCOPED_TRACE(method == BilevelMethod::Direct ? "direct" : "dithered");
    const std::string path = dir.File("bw.tif");
    Written pattern = WriteDocument(path, Options(TiffPageMode::Group4, method), 2, [](platform::PageCanvas& s, int page) {
      if (page == 0) DrawPattern(s);
      else s.FillRect({0, 0, W, H}, emf::kBlack);
    });
    ASSERT_TRUE(pattern.ok);
    EXPECT_EQ(DecodeStrip(path, 0), pattern.expected);
    // Solid black prints as all 1 bits.
    std::vector<uint8_t> black = DecodeStrip(path, 1);
    ASSERT_EQ(black.size(), kRowBytes * H);
    EXPECT_TRUE(std::all_of(black.begin(), black.end(), [](uint8_t b) { return b == 0xFF; }));
  }
  // White paper is all 0 bits.
  const std::string path = dir.File("white.tif");
  ASSERT_TRUE(WriteDocument(path, Options(TiffPageMode::Group3, BilevelMethod::Direct), 1, [](platform::PageCanvas&, int) {}).ok);
  std::vector<uint8_t> white = DecodeStrip(path, 0);
  ASSERT_EQ(white.size(), kRowBytes * H);
  EXPECT_TRUE(std::all_of(white.begin(), white.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(FaxTiffTest, ColourPagesAreUprightRgbWithoutFaxTags) {
  auto draw = [](platform::PageCanvas& s, int) {
    s.FillRect({0, 0, 2, 1}, emf::MakeRgb(255, 0, 0));
    s.FillRect({W - 1, H - 1, W, H}, emf::MakeRgb(0, 0, 255));
    s.FillRect({10, 10, 11, 11}, emf::MakeRgb(1, 2, 3));
  };
  const std::string dithered = dir.File("colour1.tif");
  const std::string direct = dir.File("colour2.tif");
  ASSERT_TRUE(WriteDocument(dithered, Options(TiffPageMode::Colour, BilevelMethod::Dithered), 1, draw).ok);
  ASSERT_TRUE(WriteDocument(direct, Options(TiffPageMode::Colour, BilevelMethod::Direct), 1, draw).ok);
  // The way black and white is made plays no part in colour pages.
  EXPECT_EQ(test::ReadFileBytes(dithered), test::ReadFileBytes(direct));
#ifndef _WIN32  // the display's depth is set here through its stand-in
  {
    // Nor does a display of 256 colours: the page is still read out at 24 bits.
    test::ScopedEnv screen("VELTO_SCREEN_BITS", "8");
    const std::string palette = dir.File("colour3.tif");
    ASSERT_TRUE(WriteDocument(palette, Options(TiffPageMode::Colour), 1, draw).ok);
    EXPECT_EQ(test::ReadFileBytes(palette), test::ReadFileBytes(dithered));
    const std::string bilevel = dir.File("bilevel.tif");
    Written w = WriteDocument(bilevel, Options(TiffPageMode::Group3), 1, [](platform::PageCanvas& s, int) { DrawPattern(s); });
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(DecodeStrip(bilevel, 0), w.expected);
  }
#endif

  auto dirs = DumpTags(dithered);
  ASSERT_EQ(dirs.size(), 1u);
  const std::set<int> expected = {256, 257, 258, 259, 262, 273, 274, 277, 278, 279, 282, 283, 284, 296, 297, 305};
  EXPECT_EQ(Keys(dirs[0]), expected);
  EXPECT_EQ(dirs[0][258], "8 8 8");
  EXPECT_EQ(dirs[0][259], "1");
  EXPECT_EQ(dirs[0][262], "2");
  EXPECT_EQ(dirs[0][277], "3");
  EXPECT_EQ(dirs[0][279], "11404800");  // 5184 × 2200

  std::vector<uint8_t> strip = DecodeStrip(dithered, 0);
  ASSERT_EQ(strip.size(), size_t{5184} * H);
  EXPECT_EQ(std::vector<uint8_t>(strip.begin(), strip.begin() + 9), (std::vector<uint8_t>{255, 0, 0, 255, 0, 0, 255, 255, 255}));
  const size_t at = 10 * 5184 + 30;
  EXPECT_EQ(std::vector<uint8_t>(strip.begin() + at, strip.begin() + at + 3), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(std::vector<uint8_t>(strip.end() - 3, strip.end()), (std::vector<uint8_t>{0, 0, 255}));
}

TEST_F(FaxTiffTest, PagesWithoutImageGetNoDirectory) {
  const std::string path = dir.File("gaps.tif");
  FaxTiffWriter writer;
  ASSERT_TRUE(writer.Open(path, Options(TiffPageMode::Group3), 3));
  writer.BeginPage();
  EXPECT_TRUE(writer.FinishPage(0));
  writer.BeginPage();  // page 2 never finished: its extraction failed
  writer.BeginPage();
  EXPECT_TRUE(writer.FinishPage(2));
  ASSERT_TRUE(writer.Finish());
  auto dirs = DumpTags(path);
  ASSERT_EQ(dirs.size(), 2u);
  EXPECT_EQ(dirs[0][297], "0 3");
  EXPECT_EQ(dirs[1][297], "2 3");
  EXPECT_EQ(test::TiffReadErrors(path), "");

  // No page at all: no file, and the writer says so.
  const std::string empty = dir.File("empty.tif");
  FaxTiffWriter none;
  ASSERT_TRUE(none.Open(empty, Options(TiffPageMode::Group3), 2));
  EXPECT_FALSE(none.Finish());
  EXPECT_EQ(none.Error(), "no page of the job could be drawn");
  EXPECT_FALSE(std::filesystem::exists(empty));
  EXPECT_EQ(test::FilesIn(dir.Text()), (std::vector<std::string>{"gaps.tif"}));
}

TEST_F(FaxTiffTest, ExistingFileIsReplacedAndBadPathsLeaveNothing) {
  const std::string path = dir.File("old.tif");
  test::WriteFileBytes(path, std::vector<uint8_t>(100000, 0x41));
  ASSERT_TRUE(WriteDocument(path, Options(TiffPageMode::Group3), 1, [](platform::PageCanvas&, int) {}).ok);
  EXPECT_EQ(DirectoryCount(path), 1);
  EXPECT_LT(std::filesystem::file_size(path), 100000u);

  FaxTiffWriter writer;
  EXPECT_FALSE(writer.Open(dir.File("no/such/folder/x.tif"), Options(TiffPageMode::Group3), 1));
  EXPECT_FALSE(writer.Open(dir.Text() + "/", Options(TiffPageMode::Group3), 1));
  // A folder in the way of the output file: the document fails, the folder and the old file stay.
  std::filesystem::create_directory(dir.File("taken.tif"));
  EXPECT_FALSE(WriteDocument(dir.File("taken.tif"), Options(TiffPageMode::Group3), 1, [](platform::PageCanvas&, int) {}).ok);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.tif")));
  EXPECT_EQ(test::FilesIn(dir.Text()), (std::vector<std::string>{"old.tif", "taken.tif"}));
}

TEST(TiffSettings, CompressionSettingPicksThePageMode) {
  EXPECT_EQ(TiffPageModeFromSetting(0), TiffPageMode::Group3);
  EXPECT_EQ(TiffPageModeFromSetting(1), TiffPageMode::Group4);
  EXPECT_EQ(TiffPageModeFromSetting(2), TiffPageMode::ModifiedHuffman);
  EXPECT_EQ(TiffPageModeFromSetting(3), TiffPageMode::Group3);
  EXPECT_EQ(TiffPageModeFromSetting(4), TiffPageMode::Group3);
  EXPECT_EQ(TiffPageModeFromSetting(5), TiffPageMode::PackBits);
  EXPECT_EQ(TiffPageModeFromSetting(6), TiffPageMode::Colour);
  EXPECT_EQ(TiffPageModeFromSetting(-1), TiffPageMode::Colour);
  // Values without a format of their own are written as the default.
  for (int v : {7, 100, -2, -100}) EXPECT_EQ(TiffPageModeFromSetting(v), TiffPageMode::Group3) << v;
  EXPECT_EQ(BilevelMethodFromSetting(0), BilevelMethod::Direct);
  EXPECT_EQ(BilevelMethodFromSetting(2), BilevelMethod::Dithered);
  EXPECT_EQ(FillOrderFromSetting(0), 1);
  EXPECT_EQ(FillOrderFromSetting(-3), 2);
}

// The whole flow: spool file, settings file, pages extracted and played.
class FaxTiffJobTest : public FaxTiffTest {
 protected:
  void SetUp() override {
    context.readSetting = ReadSettingInt;
    std::filesystem::create_directory(windows);
    std::filesystem::create_directory(temp);
    if (!test::MakeSpoolJob(dir.File("job.spl"), 3, job)) GTEST_SKIP() << "spool reader not available";
  }
  void Settings(const std::string& format) {
    test::WriteTextFile(windows + "/VeltoFaxPrint.ini", "[format]\n" + format);
  }
  std::string windows = dir.File("windows");
  std::string temp = dir.File("temp");
  test::ScopedEnv windir{"VELTO_WINDIR", windows};
  test::ScopedEnv tmpdir{"TMPDIR", temp};
  SpoolJob job;
  WriteContext context;
};

TEST_F(FaxTiffJobTest, DefaultsGiveDitheredGroup3WithFillOrder2) {
  const std::string path = dir.File("job.tif");
  ASSERT_TRUE(WriteTiffDocument(dir.File("job.spl"), path, job, context));
  auto dirs = DumpTags(path);
  ASSERT_EQ(dirs.size(), 3u);
  for (auto& d : dirs) {
    EXPECT_EQ(d[259], "3");
    EXPECT_EQ(d[266], "2");
    EXPECT_EQ(d[292], "4");
  }
  EXPECT_TRUE(test::FilesIn(temp).empty());  // every page file deleted

  // The A4 page is stretched over the whole fax page: its black box (200, 200)–(1200, 600) of 2480 × 3508
  // lands at about (139, 125)–(836, 376), and the paper around it stays white.
  std::vector<uint8_t> strip = DecodeStrip(path, 0);
  ASSERT_EQ(strip.size(), kRowBytes * H);
  auto black = [&](int x, int y) { return (strip[y * kRowBytes + x / 8] >> (7 - x % 8)) & 1; };
  EXPECT_TRUE(black(487, 250));
  EXPECT_TRUE(black(150, 140));
  EXPECT_TRUE(black(825, 365));
  EXPECT_FALSE(black(120, 250));
  EXPECT_FALSE(black(487, 110));
  EXPECT_FALSE(black(860, 250));
  EXPECT_FALSE(black(487, 395));
}

TEST_F(FaxTiffJobTest, SettingsChooseTheFormat) {
  auto write = [&](const std::string& settings, const std::string& name) {
    Settings(settings);
    const std::string path = dir.File(name);
    EXPECT_TRUE(WriteTiffDocument(dir.File("job.spl"), path, job, context)) << settings;
    return path;
  };
  const std::string g3a = write("tiffcompress=0\n", "a.tif");
  const std::string g3b = write("tiffcompress=3\n", "b.tif");
  const std::string g3c = write("tiffcompress=4\n", "c.tif");
  EXPECT_EQ(test::ReadFileBytes(g3a), test::ReadFileBytes(g3b));
  EXPECT_EQ(test::ReadFileBytes(g3a), test::ReadFileBytes(g3c));

  const std::string order1 = write("fillorder=0\ntiffcompress=1\n", "d.tif");
  for (auto& d : DumpTags(order1)) {
    EXPECT_EQ(d[259], "4");
    EXPECT_EQ(d[266], "1");
  }
  for (const char* colour : {"tiffcompress=6\n", "tiffcompress=-1\n"}) {
    const std::string path = write(colour, "e.tif");
    auto dirs = DumpTags(path);
    ASSERT_EQ(dirs.size(), 3u);
    for (auto& d : dirs) {
      EXPECT_EQ(d[258], "8 8 8");
      EXPECT_EQ(d.count(266), 0u);
      EXPECT_EQ(d.count(326), 0u);
    }
  }
  // An unknown value is written as Group 3.
  const std::string unknown = write("tiffcompress=9\n", "f.tif");
  EXPECT_EQ(test::ReadFileBytes(unknown), test::ReadFileBytes(g3a));
  EXPECT_TRUE(test::FilesIn(temp).empty());
}

TEST_F(FaxTiffJobTest, PagesThatCannotBeReadAreLeftOut) {
  // Page 2 points at the spool file's header, which is no metafile.
  job.pageOffset[2] = 0;
  const std::string path = dir.File("gap.tif");
  ASSERT_TRUE(WriteTiffDocument(dir.File("job.spl"), path, job, context));
  auto dirs = DumpTags(path);
  ASSERT_EQ(dirs.size(), 2u);
  EXPECT_EQ(dirs[0][297], "0 3");
  EXPECT_EQ(dirs[1][297], "2 3");
  // The page left out is named, so the job is not taken for written whole.
  ASSERT_EQ(context.report.Problems().size(), 1u);
  EXPECT_EQ(context.report.Problems()[0].page, 2);
  EXPECT_EQ(context.report.Problems()[0].kind, WriteProblem::Kind::Unreadable);

  // A job none of whose pages can be read gives no file.
  SpoolJob broken = job;
  for (int k = 1; k <= 3; ++k) broken.pageOffset[k] = 0;
  EXPECT_FALSE(WriteTiffDocument(dir.File("job.spl"), dir.File("none.tif"), broken, context));
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.tif")));
  EXPECT_FALSE(WriteTiffDocument(dir.File("missing.spl"), dir.File("none.tif"), job, context));
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.tif")));
  EXPECT_TRUE(test::FilesIn(temp).empty());
}

TEST_F(FaxTiffJobTest, DamagedPageStillGivesAValidDocument) {
  SpoolJob damaged;
  ASSERT_TRUE(test::MakeSpoolJob(dir.File("damaged.spl"), test::PagesWithDamagedSecond(), damaged));
  for (const char* settings : {"", "tiffshpare=0\n", "tiffcompress=6\n"}) {
    Settings(settings);
    const std::string path = dir.File("damaged.tif");
    WriteContext context;
    context.readSetting = ReadSettingInt;
    ASSERT_TRUE(WriteTiffDocument(dir.File("damaged.spl"), path, damaged, context)) << settings;
    ASSERT_EQ(context.report.Problems().size(), 1u) << settings;
    EXPECT_EQ(context.report.Problems()[0].page, 2);
    EXPECT_EQ(context.report.Problems()[0].kind, WriteProblem::Kind::Damaged);
    EXPECT_EQ(test::TiffReadErrors(path), "") << settings;
    EXPECT_EQ(DirectoryCount(path), 3) << settings;
  }
}

}  // namespace
}  // namespace velto
