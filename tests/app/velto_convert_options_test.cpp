// velto-convert's options: several inputs into one output, --pages, --dpi, --format and the other names
// of formats, -j, --set checked against the settings file's keys, standard input.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "app/settings.h"
#include "app/velto_convert.h"
#include "platform/emf/metafile_recorder.h"
#include "spool/spool_file_writer.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

using test::ReadFileBytes;

class VeltoConvertOptionsTest : public ::testing::Test {
 protected:
  VeltoConvertOptionsTest() : windirEnv_("VELTO_WINDIR", windir_.Text()), tmpEnv_("TMPDIR", tmp_.Text()) {}
  ~VeltoConvertOptionsTest() override { ClearSettingOverrides(); }

  int Run(std::vector<std::string> arguments) {
    out_.str("");
    err_.str("");
    return RunVeltoConvert(arguments, out_, err_);
  }
  // A job whose pages print the given texts.
  std::string Job(const std::string& name, std::vector<std::u16string> texts) {
    std::vector<std::vector<uint8_t>> pages;
    for (const auto& text : texts) pages.push_back(test::SimplePage(text));
    const std::string path = dir_.File(name);
    EXPECT_TRUE(WriteSpoolFile(path, pages));
    return path;
  }
  // A job of small pages (5 × 3 cm) with text, quick to draw many times over.
  std::string SmallJob(const std::string& name, int pages) {
    std::vector<std::vector<uint8_t>> metafiles;
    for (int k = 1; k <= pages; ++k) {
      emf::MetafileRecorder rec(emf::RectL{0, 0, 5000, 3000}, emf::SizeL{2480, 3508}, emf::SizeL{210, 297});
      rec.SelectObject(emf::StockObject(4));
      rec.Rectangle(emf::RectL{20 * k, 20, 300, 200});
      rec.CreateFont(1, -60, 400, u"Arial");
      rec.SelectObject(1);
      rec.ExtTextOutW(emf::PointL{40, 250}, u"Page " + std::u16string(1, char16_t(u'0' + k)));
      rec.SelectObject(emf::StockObject(13));
      rec.DeleteObject(1);
      metafiles.push_back(rec.Finish());
    }
    const std::string path = dir_.File(name);
    EXPECT_TRUE(WriteSpoolFile(path, metafiles));
    return path;
  }
  std::string Text(const std::string& path) {
    auto bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
  }

  test::TempDir dir_;
  test::TempDir windir_;
  test::TempDir tmp_;
  test::ScopedEnv windirEnv_;
  test::ScopedEnv tmpEnv_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(VeltoConvertOptionsTest, SeveralInputsGoIntoOneOutputInTheirOrder) {
  const std::string a = Job("a.spl", {u"A1", u"A2"});
  const std::string b = Job("b.spl", {u"B1"});
  const std::string c = dir_.File("c.emf");
  test::WriteFileBytes(c, test::SimplePage(u"C1"));
  ASSERT_EQ(Run({"--set", "format.textcode=1", a, b, c, dir_.File("all.txt")}), 0) << err_.str();
  EXPECT_EQ(Text(dir_.File("all.txt")), "A1A2B1C1");
  // Per-page formats number the pages across the inputs.
  ASSERT_EQ(Run({a, b, c, dir_.File("all.emf")}), 0) << err_.str();
  for (const char* name : {"all.emf", "all_002.emf", "all_003.emf", "all_004.emf"}) {
    EXPECT_TRUE(std::filesystem::exists(dir_.File(name))) << name;
  }
  EXPECT_EQ(ReadFileBytes(dir_.File("all_003.emf")), test::SimplePage(u"B1"));
  EXPECT_TRUE(std::filesystem::is_empty(tmp_.Path()));  // the job put together is gone again

  // A page of another recorder, whose header carries a description and so has another size, joins
  // the others in every kind of output.
  emf::MetafileRecorder rec(emf::RectL{0, 0, 21000, 29700}, emf::SizeL{2480, 3508}, emf::SizeL{210, 297},
                            u"Report\0Page 1\0");
  rec.CreateFont(1, -100, 400, u"Arial");
  rec.SelectObject(1);
  rec.ExtTextOutW(emf::PointL{200, 800}, u"D1");
  const std::vector<uint8_t> described = rec.Finish();
  const std::string d = dir_.File("d.emf");
  test::WriteFileBytes(d, described);
  ASSERT_EQ(Run({"--set", "format.textcode=1", d, a, b, d, dir_.File("mixed.txt")}), 0) << err_.str();
  EXPECT_EQ(Text(dir_.File("mixed.txt")), "D1A1A2B1D1");
  ASSERT_EQ(Run({a, d, dir_.File("mixed.emf")}), 0) << err_.str();
  EXPECT_EQ(ReadFileBytes(dir_.File("mixed_003.emf")), described);
  ASSERT_EQ(Run({d, a, dir_.File("mixed.tif")}), 0) << err_.str();
  ASSERT_EQ(Run({d, a, dir_.File("mixed.pdf")}), 0) << err_.str();
  EXPECT_NE(Text(dir_.File("mixed.pdf")).find("/Count 3"), std::string::npos);
}

TEST_F(VeltoConvertOptionsTest, PagesPicksPagesOverAllInputsAndRefusesOnesPastTheEnd) {
  const std::string a = Job("a.spl", {u"A1", u"A2", u"A3"});
  const std::string b = Job("b.spl", {u"B1", u"B2"});
  ASSERT_EQ(Run({"--set", "format.textcode=1", "--pages", "5,1-2", a, b, dir_.File("some.txt")}), 0) << err_.str();
  EXPECT_EQ(Text(dir_.File("some.txt")), "B2A1A2");
  ASSERT_EQ(Run({"--set", "format.textcode=1", "--pages", "4-", a, b, dir_.File("tail.txt")}), 0) << err_.str();
  EXPECT_EQ(Text(dir_.File("tail.txt")), "B1B2");
  // The page files are numbered in the order they are written.
  ASSERT_EQ(Run({"--pages", "3", a, dir_.File("third.emf")}), 0) << err_.str();
  EXPECT_EQ(ReadFileBytes(dir_.File("third.emf")), test::SimplePage(u"A3"));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("third_002.emf")));

  EXPECT_EQ(Run({"--pages", "2-6", a, b, dir_.File("x.pdf")}), 2);
  EXPECT_NE(err_.str().find("has 5 pages"), std::string::npos) << err_.str();
  EXPECT_FALSE(std::filesystem::exists(dir_.File("x.pdf")));
  for (const char* bad : {"0", "3-1", "a", "1,,2", ""}) EXPECT_EQ(Run({"--pages", bad, a, dir_.File("y.pdf")}), 2) << bad;
}

TEST_F(VeltoConvertOptionsTest, DpiDrawsRasterPagesFromTheirFrame) {
  // The test page's frame is an A4 sheet, 210 × 297 mm: 826 × 1169 pixels at 100 dpi.
  const std::string a = Job("a.spl", {u"A1"});
  ASSERT_EQ(Run({"--dpi", "100", a, dir_.File("page.bmp")}), 0) << err_.str();
  auto bytes = ReadFileBytes(dir_.File("page.bmp"));
  ASSERT_GE(bytes.size(), 26u);
  auto i32 = [&](size_t o) { return int32_t(bytes[o] | (bytes[o + 1] << 8) | (bytes[o + 2] << 16) | (uint32_t(bytes[o + 3]) << 24)); };
  EXPECT_EQ(i32(18), 826);
  EXPECT_EQ(i32(22), 1169);
  EXPECT_EQ(Run({"--dpi", "100", a, dir_.File("page.pdf")}), 2);
  EXPECT_EQ(Run({"--dpi", "0", a, dir_.File("page.png")}), 2);
}

TEST_F(VeltoConvertOptionsTest, FormatNamesAndOtherExtensions) {
  const std::string a = Job("a.spl", {u"A1", u"A2"});
  ASSERT_EQ(Run({a, dir_.File("scan.jpeg")}), 0) << err_.str();
  EXPECT_TRUE(std::filesystem::exists(dir_.File("scan_002.jpeg")));
  ASSERT_EQ(Run({a, dir_.File("fax.tiff")}), 0) << err_.str();
  EXPECT_EQ(Text(dir_.File("fax.tiff")).substr(0, 2), "II");
  ASSERT_EQ(Run({"--format", "PDF", a, dir_.File("doc.out")}), 0) << err_.str();
  EXPECT_EQ(Text(dir_.File("doc.out")).substr(0, 5), "%PDF-");
  EXPECT_EQ(Run({"--format", "docx", a, dir_.File("doc.out")}), 2);
}

TEST_F(VeltoConvertOptionsTest, ManyPagesAtOnceWriteTheSameFilesAsOneAtATime) {
  const std::string job = SmallJob("nine.spl", 9);
  for (const char* ext : {".png", ".gif", ".emf"}) {
    ASSERT_EQ(Run({"-j", "1", job, dir_.File(std::string("one") + ext)}), 0) << err_.str();
    ASSERT_EQ(Run({"-j4", job, dir_.File(std::string("four") + ext)}), 0) << err_.str();
    for (const char* suffix : {"", "_002", "_005", "_009"}) {
      EXPECT_EQ(ReadFileBytes(dir_.File(std::string("one") + suffix + ext)),
                ReadFileBytes(dir_.File(std::string("four") + suffix + ext)))
          << suffix << ext;
    }
  }
  // Documents too: pages drawn at once, written in order. The PDF differs only in its creation time.
  auto withoutDate = [&](const std::string& path) {
    std::string text = Text(path);
    for (size_t at = text.find("/CreationDate"); at != std::string::npos; at = text.find("/CreationDate", at + 1)) {
      text.erase(at, text.find('\n', at) - at);
    }
    return text;
  };
  for (const char* ext : {".tif", ".pdf"}) {
    ASSERT_EQ(Run({"-j", "1", job, dir_.File(std::string("one") + ext)}), 0) << err_.str();
    ASSERT_EQ(Run({"-j4", job, dir_.File(std::string("four") + ext)}), 0) << err_.str();
    EXPECT_EQ(withoutDate(dir_.File(std::string("one") + ext)), withoutDate(dir_.File(std::string("four") + ext))) << ext;
  }
  EXPECT_EQ(Text(dir_.File("four.tif")), Text(dir_.File("one.tif")));
  EXPECT_NE(Text(dir_.File("four.pdf")).find("/Count 9"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(tmp_.Path()));
  EXPECT_EQ(Run({"-j", "0", job, dir_.File("x.png")}), 2);
}

// A thread draws its next page on the surface of its last one: nothing of the last page may show.
TEST_F(VeltoConvertOptionsTest, APageLooksTheSameAfterAnotherPage) {
  emf::MetafileRecorder dark(emf::RectL{0, 0, 5000, 3000}, emf::SizeL{2480, 3508}, emf::SizeL{210, 297});
  dark.SelectObject(emf::StockObject(4));
  dark.Rectangle(emf::RectL{-100, -100, 6000, 4000});
  const std::string light = SmallJob("light.spl", 1);
  ASSERT_EQ(Run({"-j", "1", light, dir_.File("alone.bmp")}), 0) << err_.str();
  ASSERT_EQ(Run({"-j", "1", "--set", "format.bmpcolor=2", light, dir_.File("alone8.bmp")}), 0) << err_.str();
  ASSERT_EQ(Run({light, dir_.File("light.emf")}), 0) << err_.str();
  const std::string job = dir_.File("dark-light.spl");
  ASSERT_TRUE(WriteSpoolFile(job, std::vector<std::vector<uint8_t>>{dark.Finish(), ReadFileBytes(dir_.File("light.emf"))}));
  ASSERT_EQ(Run({"-j", "1", job, dir_.File("after.bmp")}), 0) << err_.str();
  EXPECT_EQ(ReadFileBytes(dir_.File("after_002.bmp")), ReadFileBytes(dir_.File("alone.bmp")));
  EXPECT_NE(ReadFileBytes(dir_.File("after.bmp")), ReadFileBytes(dir_.File("alone.bmp")));
  ASSERT_EQ(Run({"-j", "1", "--set", "format.bmpcolor=2", job, dir_.File("after8.bmp")}), 0) << err_.str();
  EXPECT_EQ(ReadFileBytes(dir_.File("after8_002.bmp")), ReadFileBytes(dir_.File("alone8.bmp")));
}

TEST_F(VeltoConvertOptionsTest, FaxDocumentsFollowTheSettings) {
  const std::string job = SmallJob("two.spl", 2);
  auto compression = [&](const std::string& path) {
    uint16_t value = 0;
    if (TIFF* tif = TIFFOpen(path.c_str(), "r")) {
      TIFFGetField(tif, TIFFTAG_COMPRESSION, &value);
      TIFFClose(tif);
    }
    return value;
  };
  ASSERT_EQ(Run({job, dir_.File("g3.tif")}), 0) << err_.str();
  EXPECT_EQ(compression(dir_.File("g3.tif")), COMPRESSION_CCITTFAX3);
  ASSERT_EQ(Run({"--set", "format.tiffcompress=1", "-j", "2", job, dir_.File("g4.tif")}), 0) << err_.str();
  EXPECT_EQ(compression(dir_.File("g4.tif")), COMPRESSION_CCITTFAX4);
  ASSERT_EQ(Run({"--set", "format.tiffcompress=5", job, dir_.File("packbits.tif")}), 0) << err_.str();
  EXPECT_EQ(compression(dir_.File("packbits.tif")), COMPRESSION_PACKBITS);
}

TEST_F(VeltoConvertOptionsTest, BatchJobsAtOnceKeepTheOrderOfTheList) {
  const std::string a = SmallJob("a.spl", 2);
  const std::string list = dir_.File("list.txt");
  std::string lines;
  for (int n = 1; n <= 6; ++n) lines += a + " " + dir_.File("b" + std::to_string(n) + ".png") + "\n";
  lines += dir_.File("missing.spl") + " " + dir_.File("m.png") + "\n";
  test::WriteTextFile(list, lines);
  EXPECT_EQ(Run({"-j", "3", "--batch", list}), 1);
  std::istringstream status(out_.str());
  std::string line;
  std::vector<std::string> outputs;
  while (std::getline(status, line)) outputs.push_back(line.substr(line.rfind("-> ") + 3));
  ASSERT_EQ(outputs.size(), 7u) << out_.str();
  for (int n = 1; n <= 6; ++n) EXPECT_EQ(outputs[n - 1], dir_.File("b" + std::to_string(n) + ".png"));
  EXPECT_EQ(outputs[6], dir_.File("m.png"));
  EXPECT_NE(out_.str().rfind("failed", out_.str().find(dir_.File("m.png"))), std::string::npos);
}

TEST_F(VeltoConvertOptionsTest, SetRefusesKeysTheSettingsFileDoesNotHave) {
  const std::string a = Job("a.spl", {u"A1"});
  EXPECT_EQ(Run({"--set", "format.bmpcolour=0", a, dir_.File("x.bmp")}), 2);
  EXPECT_NE(err_.str().find("bmpcolor"), std::string::npos) << err_.str();  // the known keys of [format]
  EXPECT_EQ(Run({"--set", "colours.bmpcolor=0", a, dir_.File("x.bmp")}), 2);
  EXPECT_NE(err_.str().find("save format run"), std::string::npos) << err_.str();
  EXPECT_EQ(Run({"--set", " FORMAT . BmpColor =0", a, dir_.File("x.bmp")}), 0) << err_.str();
}

TEST_F(VeltoConvertOptionsTest, StandardInputIsAnInput) {
#ifdef _WIN32
  GTEST_SKIP() << "the pipe is made with the POSIX shell";
#else
  const std::string build = test::BuildDirectory();
  const std::string a = Job("a.spl", {u"A1", u"A2"});
  const std::string command = "cat '" + a + "' | '" + build + "/velto-convert' --set format.textcode=1 - '" +
                              dir_.File("piped.txt") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(Text(dir_.File("piped.txt")), "A1A2");
#endif
}

}  // namespace
}  // namespace velto
