#include "spool/emf_page_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "spool/emf_page_rerecording.h"
#include "spool/page_extraction.h"
#include "spool/spool_reader.h"
#include "tests/spool/spool_fixtures.h"

namespace velto {
namespace {

using test::ReadFileBytes;
using test::TempDir;

std::vector<uint8_t> PageOfPixels(int32_t width, int32_t height) {
  // A one-millimetre frame on a device of `width` × `height` pixels per millimetre keeps the size
  // computation within 32 bits.
  return emf::MetafileRecorder(emf::RectL{0, 0, 100, 100}, emf::SizeL{width, height}, emf::SizeL{1, 1})
      .Finish();
}

class EmfOutput : public ::testing::Test {
 protected:
  TempDir dir;
  TempDir temp;
  test::ScopedEnv tmpdir{"TMPDIR", temp.Text()};
};

TEST_F(EmfOutput, EveryPageIsItsOwnMetafileUnderThePageName) {
  const std::vector<std::vector<uint8_t>> pages{test::SimplePage(u"one"), test::SimplePage(u"two"),
                                                test::SimplePage(u"three")};
  const auto spool = dir.File("job.spl");
  test::WriteFileBytes(spool, MakeSpoolFile(pages));
  SpoolJob job;
  ASSERT_TRUE(ReadSpoolJob(spool, job));
  ASSERT_EQ(job.pageCount, 3);
  const char* expectedNames[] = {"scan.emf", "scan_002.emf", "scan_003.emf"};
  for (int k = 1; k <= 3; ++k) {
    std::string name;
    ASSERT_TRUE(MakeTempPageName(name));
    ASSERT_TRUE(ExtractPage(spool, name, k, job));
    // The page file carries the spool records behind the page; the output is the metafile alone.
    ASSERT_GT(ReadFileBytes(job.pageFile).size(), pages[k - 1].size());
    std::string output = dir.File("scan.emf");
    WriteContext context;
    EXPECT_TRUE(WriteEmfPage(job.pageFile, output, k, job, context));
    EXPECT_TRUE(context.report.Clean());
    EXPECT_EQ(output, dir.File(expectedNames[k - 1]));
    EXPECT_EQ(ReadFileBytes(output), pages[k - 1]);
    EXPECT_FALSE(std::filesystem::exists(job.pageFile)) << "the page file is deleted";
  }
  EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));
}

TEST_F(EmfOutput, FailuresWriteNothing) {
  // A page file that is no metafile stays where it is, and the name is not touched.
  const auto notEmf = temp.File("tmpBAD.tmp");
  test::WriteFileBytes(notEmf, {'P', 'K', 3, 4});
  std::string output = dir.File("out.emf");
  SpoolJob job;
  WriteContext context;
  EXPECT_FALSE(WriteEmfPage(notEmf, output, 2, job, context));
  EXPECT_EQ(output, dir.File("out.emf"));
  EXPECT_TRUE(std::filesystem::exists(notEmf));
  EXPECT_FALSE(std::filesystem::exists(dir.File("out_002.emf")));

  // An output folder that does not exist: nothing written, the page file is deleted.
  const auto pageFile = temp.File("tmpPAGE.tmp");
  test::WriteFileBytes(pageFile, test::SimplePage());
  output = dir.File("missing/out.emf");
  EXPECT_FALSE(WriteEmfPage(pageFile, output, 1, job, context));
  EXPECT_FALSE(std::filesystem::exists(output));
  EXPECT_FALSE(std::filesystem::exists(pageFile));

  // In job mode a page name must fit the program's 260-character buffer: 259 characters do, 260 do not.
  const std::string base = dir.File(std::string(250 - dir.Text().size(), 'p'));
  std::string fits = base + ".emf";  // page 2 adds "_002": 259 characters
  ASSERT_EQ(fits.size(), 255u);
  test::WriteFileBytes(pageFile, test::SimplePage());
  EXPECT_TRUE(WriteEmfPage(pageFile, fits, 2, job, context));
  EXPECT_EQ(fits.size(), 259u);
  std::string tooLong = base + "q.emf";
  test::WriteFileBytes(pageFile, test::SimplePage());
  EXPECT_FALSE(WriteEmfPage(pageFile, tooLong, 2, job, context));
  EXPECT_EQ(tooLong, base + "q.emf");
  // velto-convert is held to the file system's limits alone.
  WriteContext anyLength;
  anyLength.jobMode = false;
  test::WriteFileBytes(pageFile, test::SimplePage());
  EXPECT_TRUE(WriteEmfPage(pageFile, tooLong, 2, job, anyLength));
  EXPECT_EQ(tooLong, base + "q_002.emf");

  // Each failure was named with its page and reason.
  std::vector<std::string> reasons;
  for (const auto& p : context.report.Problems()) reasons.push_back(std::to_string(p.page) + " " + p.reason);
  EXPECT_EQ(reasons, (std::vector<std::string>{"2 its metafile cannot be read (too short for a metafile header)",
                                               "1 No such file or directory",
                                               "2 the page's file name is longer than 259 characters"}));
  EXPECT_EQ(context.report.Problems()[0].kind, WriteProblem::Kind::Unreadable);
}

TEST_F(EmfOutput, AFailedWriteLeavesTheOldFileAndACutPageIsNamedAsDamaged) {
  const auto pageFile = temp.File("tmpPAGE.tmp");
  SpoolJob job;
  // A page cut short is written as far as it goes and reported as damaged.
  std::vector<uint8_t> page = test::SimplePage(u"cut");
  page.resize(page.size() - 20);
  test::WriteFileBytes(pageFile, page);
  std::string output = dir.File("cut.emf");
  WriteContext context;
  EXPECT_TRUE(WriteEmfPage(pageFile, output, 1, job, context));
  EXPECT_EQ(ReadFileBytes(output), page);
  ASSERT_EQ(context.report.Problems().size(), 1u);
  EXPECT_EQ(context.report.Problems()[0].kind, WriteProblem::Kind::Damaged);

  // A device that refuses the bytes: no success, the system's reason, and no file made beside it.
#ifndef _WIN32  // Linux's /dev/full
  if (std::filesystem::exists("/dev/full")) {
    test::WriteFileBytes(pageFile, test::SimplePage());
    std::string full = "/dev/full";
    WriteContext fullContext;
    fullContext.jobMode = false;
    EXPECT_FALSE(WriteEmfPage(pageFile, full, 1, job, fullContext));
    ASSERT_EQ(fullContext.report.Problems().size(), 1u);
    EXPECT_EQ(fullContext.report.Problems()[0].reason, "No space left on device");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
  }
#endif
}

TEST(EmfPageRerecording, RectangleIsThePageSizeScaledBy096WithTheFallbackForHugePages) {
  struct Case {
    int32_t width, height, expectedWidth, expectedHeight;
  };
  for (const Case c : {Case{2000, 2800, 1920, 2688}, Case{4999, 5999, 4799, 5759}, Case{5000, 100, 713, 1009},
                       Case{100, 6000, 713, 1009}}) {
    SCOPED_TRACE(c.width);
    const auto page = emf::Metafile::FromBytes(PageOfPixels(c.width, c.height));
    ASSERT_TRUE(page);
    const auto size = EmfPageRectangle(*page);
    EXPECT_EQ(size.cx, c.expectedWidth);
    EXPECT_EQ(size.cy, c.expectedHeight);
  }
}

TEST(EmfPageRerecording, FramingLinesThenThePageRecordsMappedIntoTheRectangle) {
  auto rec = emf::MetafileRecorder(emf::RectL{0, 0, 20000, 28000}, emf::SizeL{2000, 2800}, emf::SizeL{200, 280});
  rec.CreatePen(3, 0, 1, 0);
  rec.SelectObject(3);
  rec.Rectangle(emf::RectL{100, 100, 1900, 2700});
  const auto page = emf::Metafile::FromBytes(rec.Finish());
  ASSERT_TRUE(page);

  const auto copy = emf::Metafile::FromBytes(RerecordEmfPage(*page));
  ASSERT_TRUE(copy);
  std::vector<uint32_t> types;
  std::vector<std::vector<uint8_t>> records;
  copy->ForEachRecord([&](const emf::Record& r) {
    types.push_back(r.type);
    records.emplace_back(r.bytes.begin(), r.bytes.end());
    return true;
  });
  const std::vector<uint32_t> expected{emf::EMR_HEADER,  emf::EMR_SETROP2,    emf::EMR_LINETO,
                                       emf::EMR_LINETO,  emf::EMR_SETROP2,    emf::EMR_SAVEDC,
                                       emf::EMR_SETWORLDTRANSFORM, emf::EMR_CREATEPEN, emf::EMR_SELECTOBJECT,
                                       emf::EMR_RECTANGLE, emf::EMR_RESTOREDC, emf::EMR_EOF};
  ASSERT_EQ(types, expected);
  auto at = [](const std::vector<uint8_t>& r, size_t offset) { return *ByteReader(r).I32(offset); };
  EXPECT_EQ(at(records[1], 8), 10);  // R2_NOTXORPEN
  EXPECT_EQ(at(records[2], 8), 1920);
  EXPECT_EQ(at(records[2], 12), 2688);
  EXPECT_EQ(at(records[3], 8), 0);
  EXPECT_EQ(at(records[3], 12), 0);
  EXPECT_EQ(at(records[4], 8), 13);  // back to R2_COPYPEN
  const ByteReader transform(records[6]);
  EXPECT_FLOAT_EQ(*transform.F32(8), 0.96f);
  EXPECT_FLOAT_EQ(*transform.F32(20), 0.96f);
  // The page's own records unchanged, and an object table that holds the page's objects.
  std::vector<std::vector<uint8_t>> pageRecords;
  page->ForEachRecord([&](const emf::Record& r) {
    pageRecords.emplace_back(r.bytes.begin(), r.bytes.end());
    return true;
  });
  ASSERT_EQ(pageRecords.size(), 5u);
  for (size_t i = 1; i <= 3; ++i) EXPECT_EQ(records[6 + i], pageRecords[i]);
  EXPECT_GE(copy->Header().handles, page->Header().handles);
}

}  // namespace
}  // namespace velto
