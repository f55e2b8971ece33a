#include "spool/text_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "spool/spool_reader.h"
#include "spool/stdio_file.h"
#include "spool/text_record.h"
#include "tests/spool/spool_fixtures.h"

namespace velto {
namespace {

using emf::RecordBytes;
using test::TempDir;

std::string Utf16Le(std::u16string_view text) {
  std::string out;
  for (char16_t unit : text) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  }
  return out;
}

// EMR_SMALLTEXTOUT payload: reference point, count, options, graphics mode, scales, [bounds], text.
RecordBytes SmallTextOut(uint32_t chars, uint32_t options, const std::string& textBytes) {
  RecordBytes r;
  r.I32(10).I32(20).U32(chars).U32(options).U32(1).F32(0).F32(0);
  if (!(options & kEtoNoRect)) r.Rect(emf::RectL{1, 2, 3, 4});
  r.Raw(std::span(reinterpret_cast<const uint8_t*>(textBytes.data()), textBytes.size())).PadTo4();
  return r;
}

// EMR_EXTTEXTOUTW with its count and string offset set to the given values over `payloadBytes` of text.
std::vector<uint8_t> RawExtTextOut(uint32_t type, uint32_t chars, uint32_t offset, size_t payloadBytes) {
  RecordBytes r;
  r.U32(type).U32(static_cast<uint32_t>(76 + payloadBytes));
  r.Rect(emf::RectL{}).U32(1).F32(0).F32(0).I32(0).I32(0).U32(chars).U32(offset).U32(0).Rect(emf::RectL{}).U32(0);
  for (size_t i = 0; i < payloadBytes; ++i) r.U8('x');
  return r.Bytes();
}

class TextOutput : public ::testing::Test {
 protected:
  TempDir dir;
  TempDir temp;
  test::ScopedEnv tmpdir{"TMPDIR", temp.Text()};

  // Writes the pages as a spool job and converts it; returns the text file's bytes.
  std::string Convert(const std::vector<std::vector<uint8_t>>& pages, int textcode, bool* result = nullptr,
                      WriteReport* report = nullptr) {
    const auto spool = dir.File("job.spl");
    test::WriteFileBytes(spool, MakeSpoolFile(pages));
    SpoolJob job;
    EXPECT_TRUE(ReadSpoolJob(spool, job));
    const auto out = dir.File("job.txt");
    WriteContext context;
    const bool ok = WriteTextDocument(spool, out, job, textcode, context);
    if (result) *result = ok;
    if (report) *report = context.report;
    EXPECT_TRUE(std::filesystem::is_empty(temp.Path())) << "temporary page files left behind";
    const auto bytes = test::ReadFileBytes(out);
    return std::string(bytes.begin(), bytes.end());
  }
};

TEST_F(TextOutput, HelloWorldInBothEncodingsAndPageOrder) {
  auto rec = test::A4Recorder();
  rec.ExtTextOutW(emf::PointL{10, 10}, u"Hello");
  rec.Rectangle(emf::RectL{0, 0, 5, 5});
  rec.ExtTextOutW(emf::PointL{10, 80}, u"World");
  const std::vector<std::vector<uint8_t>> one{rec.Finish()};
  bool ok = false;
  EXPECT_EQ(Convert(one, 0, &ok), "\xFF\xFE" + Utf16Le(u"HelloWorld"));
  EXPECT_TRUE(ok);
  EXPECT_EQ(Convert(one, 1, &ok), "HelloWorld");
  EXPECT_TRUE(ok);

  const std::vector<std::vector<uint8_t>> three{test::SimplePage(u"one"), test::SimplePage(u"two"),
                                                test::SimplePage(u"three")};
  EXPECT_EQ(Convert(three, 7), "onetwothree");
}

TEST_F(TextOutput, PagesWithoutTextGiveOnlyTheByteOrderMark) {
  auto rec = test::A4Recorder();
  rec.Rectangle(emf::RectL{0, 0, 50, 50});
  const std::vector<std::vector<uint8_t>> pages{rec.Finish(), test::TinyPage()};
  bool ok = false;
  EXPECT_EQ(Convert(pages, 0, &ok), "\xFF\xFE");
  EXPECT_TRUE(ok);
  EXPECT_EQ(Convert(pages, 1, &ok), "");
  EXPECT_TRUE(ok);
}

TEST_F(TextOutput, AnsiCodePageReplacementsAndConversions) {
  if (test::AnsiCodePage() != 936) GTEST_SKIP() << "the ANSI code page is " << test::AnsiCodePage() << ", not 936";
#ifdef _WIN32
  // The system replaces each half of a surrogate pair.
  const std::string emoji = "  ";
#else
  const std::string emoji = " ";
#endif
  auto rec = test::A4Recorder();
  // Thai ko kai and an emoji (a surrogate pair) are not in code page 936; Chinese is.
  rec.ExtTextOutW(emf::PointL{0, 0}, u"A\u0E01B\U0001F600C\u4F20\u771F");
  rec.Add(emf::EMR_SMALLTEXTOUT, SmallTextOut(3, kEtoNoRect, Utf16Le(u"x\u0E01y")));
  rec.ExtTextOutA(emf::PointL{0, 0}, "\xD6\xD0|");  // GBK for U+4E2D
  const std::vector<std::vector<uint8_t>> pages{rec.Finish()};
  EXPECT_EQ(Convert(pages, 1), "A B" + emoji + "C\xB4\xAB\xD5\xE6x?y\xD6\xD0|");
  // In UTF-16 the wide text goes through unchanged and the 8-bit text is decoded from code page 936.
  EXPECT_EQ(Convert(pages, 0), "\xFF\xFE" + Utf16Le(u"A\u0E01B\U0001F600C\u4F20\u771Fx\u0E01y\u4E2D|"));
}

TEST_F(TextOutput, SmallTextOutPlacesTextByItsOptions) {
  auto rec = test::A4Recorder();
  rec.Add(emf::EMR_SMALLTEXTOUT, SmallTextOut(2, kEtoNoRect | kEtoSmallChars, "ab"));
  rec.Add(emf::EMR_SMALLTEXTOUT, SmallTextOut(2, kEtoSmallChars, "cd"));  // 16 bytes further in
  rec.Add(emf::EMR_SMALLTEXTOUT, SmallTextOut(2, 0, Utf16Le(u"ef")));
  rec.Add(emf::EMR_SMALLTEXTOUT, SmallTextOut(4, kEtoNoRect | kEtoSmallChars, std::string("g\0hi", 4)));
  const std::vector<std::vector<uint8_t>> pages{rec.Finish()};
  EXPECT_EQ(Convert(pages, 1), "abcdefg");
  EXPECT_EQ(Convert(pages, 0), "\xFF\xFE" + Utf16Le(u"abcdefg"));
}

TEST_F(TextOutput, CountsZerosAndLongTexts) {
  auto rec = test::A4Recorder();
  rec.ExtTextOutW(emf::PointL{0, 0}, u"");
  rec.ExtTextOutA(emf::PointL{0, 0}, std::string("AB\0CD", 5));
  rec.ExtTextOutW(emf::PointL{0, 0}, std::u16string(u"EF\0GH", 5));
  rec.Add(emf::EMR_SMALLTEXTOUT, SmallTextOut(0, kEtoNoRect | kEtoSmallChars, "zz"));
  const std::u16string longText(300, u'L');
  rec.ExtTextOutW(emf::PointL{0, 0}, longText);
  const std::vector<std::vector<uint8_t>> pages{rec.Finish()};
  EXPECT_EQ(Convert(pages, 1), "ABEF" + std::string(300, 'L'));
}

TEST_F(TextOutput, DamagedCountsAndOffsetsAddNothing) {
  auto rec = test::A4Recorder();
  rec.ExtTextOutW(emf::PointL{0, 0}, u"ok1");
  rec.AddRaw(RawExtTextOut(emf::EMR_EXTTEXTOUTW, 0xFFFFFFFFu, 76, 8));  // count far past the record
  rec.AddRaw(RawExtTextOut(emf::EMR_EXTTEXTOUTW, 0x80000001u, 76, 8));  // count × 2 wraps in 32 bits
  rec.AddRaw(RawExtTextOut(emf::EMR_EXTTEXTOUTW, 2, 0xFFFFFFFEu, 8));   // offset far past the record
  rec.AddRaw(RawExtTextOut(emf::EMR_EXTTEXTOUTW, 3, 80, 8));            // last unit past the end
  rec.AddRaw(RawExtTextOut(emf::EMR_EXTTEXTOUTA, 9, 76, 8));            // one byte too many
  rec.AddRaw(RawExtTextOut(emf::EMR_EXTTEXTOUTA, 8, 76, 8));            // exactly fits: written
  rec.Add(emf::EMR_SMALLTEXTOUT, SmallTextOut(9, kEtoSmallChars, "abcd"));
  rec.Add(emf::EMR_EXTTEXTOUTW, RecordBytes().U32(0).U32(0));  // too short to hold a count
  rec.Add(emf::EMR_SMALLTEXTOUT, RecordBytes().U32(0).U32(0).U32(5));
  rec.ExtTextOutW(emf::PointL{0, 0}, u"ok2");
  const std::vector<std::vector<uint8_t>> pages{rec.Finish()};
  EXPECT_EQ(Convert(pages, 1), "ok1xxxxxxxxok2");
  EXPECT_EQ(Convert(pages, 0), "\xFF\xFE" + Utf16Le(u"ok1xxxxxxxxok2"));
}

TEST_F(TextOutput, UnreadablePagesAndUnwritableOutput) {
  // Page 2 keeps the signature's low half of the header size but claims a header far past the file.
  auto broken = test::SimplePage(u"lost");
  broken[6] = 1;
  bool ok = false;
  WriteReport report;
  // The text of the other pages is written; the unreadable page is named, wherever it stands.
  const std::vector<std::vector<uint8_t>> lastBroken{test::SimplePage(u"a"), broken};
  EXPECT_EQ(Convert(lastBroken, 1, &ok, &report), "a");
  EXPECT_TRUE(ok);
  ASSERT_EQ(report.Problems().size(), 1u);
  EXPECT_EQ(report.Problems()[0].page, 2);
  EXPECT_EQ(report.Problems()[0].kind, WriteProblem::Kind::Unreadable);
  const std::vector<std::vector<uint8_t>> firstBroken{broken, test::SimplePage(u"b")};
  EXPECT_EQ(Convert(firstBroken, 1, &ok, &report), "b");
  EXPECT_TRUE(ok);
  ASSERT_EQ(report.Problems().size(), 1u);
  EXPECT_EQ(report.Problems()[0].page, 1);

  // A page cut short gives its text as far as it goes and is named as damaged.
  auto cut = test::SimplePage(u"cut");
  cut.resize(cut.size() - 20);
  EXPECT_EQ(Convert({cut}, 1, &ok, &report), "cut");
  ASSERT_EQ(report.Problems().size(), 1u);
  EXPECT_EQ(report.Problems()[0].kind, WriteProblem::Kind::Damaged);

  SpoolJob job;
  test::WriteFileBytes(dir.File("job.spl"), MakeSpoolFile(lastBroken));
  ASSERT_TRUE(ReadSpoolJob(dir.File("job.spl"), job));
  WriteContext context;
  EXPECT_FALSE(WriteTextDocument(dir.File("job.spl"), dir.File("no-such-folder/job.txt"), job, 0, context));
  EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));
  ASSERT_EQ(context.report.Problems().size(), 1u);
  EXPECT_EQ(context.report.Problems()[0].reason, "No such file or directory");

  // Without a temporary name no page can be read: the job's text would be lost, so it is no success.
  {
    test::ScopedEnv noTemp("TMPDIR", temp.File("missing"));
    WriteContext noTempContext;
    EXPECT_FALSE(WriteTextDocument(dir.File("job.spl"), dir.File("job.txt"), job, 0, noTempContext));
  }
#ifndef _WIN32  // a device that refuses every byte: Linux's /dev/full
  if (std::filesystem::exists("/dev/full")) {
    WriteContext full;
    EXPECT_FALSE(WriteTextDocument(dir.File("job.spl"), "/dev/full", job, 0, full));
    ASSERT_FALSE(full.report.Clean());
    EXPECT_EQ(full.report.Problems().back().reason, "No space left on device");
  }
#endif
}

TEST(ExtractPageText, DeletesThePageFileWhetherItOpensOrNot) {
  TempDir dir;
  const auto page = dir.File("page.emf");
  const auto out = dir.File("out.txt");
  StdioFile file = OpenStdioFile(out, "wb");
  ASSERT_TRUE(file);
  TextSink sink{file.get(), 1, false};
  test::WriteFileBytes(page, test::SimplePage(u"xyz"));
  EXPECT_TRUE(ExtractPageText(page, out, sink));
  EXPECT_FALSE(std::filesystem::exists(page));
  test::WriteFileBytes(page, {'n', 'o', 't', ' ', 'e', 'm', 'f'});
  EXPECT_FALSE(ExtractPageText(page, out, sink));
  EXPECT_FALSE(std::filesystem::exists(page));
  file.reset();
  EXPECT_EQ(test::ReadFileBytes(out), (std::vector<uint8_t>{'x', 'y', 'z'}));
}

}  // namespace
}  // namespace velto
