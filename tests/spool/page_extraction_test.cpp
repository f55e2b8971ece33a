#include "spool/page_extraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "platform/files.h"
#include "spool/spool_reader.h"
#include "tests/spool/spool_fixtures.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace velto {
namespace {

using test::ReadFileBytes;
using test::TempDir;

class PageExtraction : public ::testing::Test {
 protected:
  TempDir dir;
  TempDir temp;
  test::ScopedEnv tmpdir{"TMPDIR", temp.Text()};

  std::string Reserve() {
    std::string name;
    EXPECT_TRUE(MakeTempPageName(name));
    return name;
  }
  // Writes `bytes` as the spool file and reads it.
  SpoolJob Read(const std::vector<uint8_t>& bytes) {
    test::WriteFileBytes(dir.File("job.spl"), bytes);
    SpoolJob job;
    EXPECT_TRUE(ReadSpoolJob(dir.File("job.spl"), job));
    return job;
  }
  std::string Spool() const { return dir.File("job.spl"); }
};

TEST_F(PageExtraction, ReservedNameIsAnEmptyFileInTheTemporaryDirectory) {
  std::string a, b;
  ASSERT_TRUE(MakeTempPageName(a));
  ASSERT_TRUE(MakeTempPageName(b));
  EXPECT_NE(a, b);
  for (const auto& name : {a, b}) {
    const std::filesystem::path path = platform::FsPath(name);
    EXPECT_EQ(path.parent_path(), temp.Path());
    EXPECT_EQ(path.filename().string().rfind("tmp", 0), 0u) << name;
    ASSERT_TRUE(std::filesystem::is_regular_file(path)) << "the reserved file must exist";
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
  }
}

TEST_F(PageExtraction, ReservedFileIsReadableByItsOwnerAlone) {
#ifdef _WIN32
  GTEST_SKIP() << "file modes are POSIX's; on Windows the folder's permissions apply";
#else
  std::string name;
  ASSERT_TRUE(MakeTempPageName(name));
  struct stat st {};
  ASSERT_EQ(::stat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
#endif
}

TEST_F(PageExtraction, NoNameWhenTheTemporaryDirectoryIsUnusable) {
  std::string name = "previous";
  {
    test::ScopedEnv missing("TMPDIR", temp.File("does-not-exist"));
    EXPECT_FALSE(MakeTempPageName(name));
    EXPECT_TRUE(name.empty());
  }
  // A folder whose page names would not fit the page-file buffers (where the system allows such a
  // folder at all): no name, and no file anywhere else in its place.
  const std::string longDir = temp.File(std::string(245, 'd'));
  std::error_code ignored;
  std::filesystem::create_directory(platform::FsPath(longDir), ignored);
  const auto here = test::FilesIn(platform::CurrentFolder());
  test::ScopedEnv tooLong("TMPDIR", longDir);
  EXPECT_FALSE(MakeTempPageName(name)) << name;
  EXPECT_TRUE(name.empty());
  EXPECT_TRUE(test::FilesIn(longDir).empty());
  EXPECT_EQ(test::FilesIn(platform::CurrentFolder()), here);
}

TEST_F(PageExtraction, OnePageJobCopiesEverythingToTheEndOfTheSpoolFile) {
  const std::vector<std::vector<uint8_t>> pages{test::SimplePage()};
  const auto bytes = MakeSpoolFile(pages);
  SpoolJob job = Read(bytes);
  const auto name = Reserve();
  ASSERT_TRUE(ExtractPage(Spool(), name, 1, job));
  EXPECT_EQ(job.pageFile, name);
  const std::vector<uint8_t> expected(bytes.begin() + test::FirstPageOffset(bytes), bytes.end());
  EXPECT_EQ(ReadFileBytes(name), expected);
}

TEST_F(PageExtraction, CopiesWholeBlocksUpToTheNextPage) {
  const auto page = test::SimplePage();
  const std::vector<std::vector<uint8_t>> one{page};
  const uint32_t first = test::FirstPageOffset(MakeSpoolFile(one));
  struct Case {
    size_t span;      // bytes from page 1 to page 2
    size_t expected;  // size of page 1's file
  };
  for (const Case c : {Case{4096, 4096}, Case{4097, 6144}, Case{2048, 2048}, Case{6143, 6144}}) {
    SCOPED_TRACE(c.span);
    auto bytes = test::SpoolWithSecondPageAt(page, page, first + c.span);
    bytes.resize(bytes.size() + 3000, 0x5A);  // spool records behind the last page
    SpoolJob job = Read(bytes);
    ASSERT_EQ(job.pageCount, 2);
    const auto name = Reserve();
    ASSERT_TRUE(ExtractPage(Spool(), name, 1, job));
    const auto copied = ReadFileBytes(name);
    ASSERT_EQ(copied.size(), c.expected);
    EXPECT_TRUE(std::equal(copied.begin(), copied.end(), bytes.begin() + first));
    // The last page runs to the end of the file, whatever its length.
    ASSERT_TRUE(ExtractPage(Spool(), name, 2, job));
    EXPECT_EQ(ReadFileBytes(name), std::vector<uint8_t>(bytes.begin() + first + c.span, bytes.end()));
  }
}

// The converter reads pages without page files; it must see exactly the metafile that the page file
// gives the loader: whole pages, pages cut short, pages followed by other records, garbage, nothing.
TEST_F(PageExtraction, PagesReadInMemoryAreThePageFilesMetafiles) {
  const auto page = test::SimplePage(u"page");
  const uint32_t first = test::FirstPageOffset(MakeSpoolFile(std::vector<std::vector<uint8_t>>{page}));
  auto claimsMore = page;
  claimsMore[48] = static_cast<uint8_t>(claimsMore[48] + 64);  // nBytes beyond what the spool file holds
  std::vector<uint8_t> garbage(page.begin(), page.begin() + 44);
  garbage.resize(300, 0xEE);
  for (const auto& [second, span, tail] :
       {std::tuple{page, size_t{4097}, size_t{3000}}, std::tuple{claimsMore, size_t{2048}, size_t{0}},
        std::tuple{garbage, size_t{6143}, size_t{10}}, std::tuple{page, size_t{4096}, size_t{0}}}) {
    SCOPED_TRACE(span);
    auto bytes = test::SpoolWithSecondPageAt(page, second, first + span);
    bytes.resize(bytes.size() + tail, 0x5A);
    SpoolJob job = Read(bytes);
    ASSERT_EQ(job.pageCount, 2);
    for (int k : {1, 2}) {
      const auto name = Reserve();
      ASSERT_TRUE(ExtractPage(Spool(), name, k, job));
      std::string fileError;
      auto fromFile = emf::Metafile::Load(platform::FsPath(name), &fileError);
      bool extracted = false;
      std::string memoryError;
      auto inMemory = ReadPageMetafile(Spool(), k, job, extracted, memoryError);
      EXPECT_TRUE(extracted);
      ASSERT_EQ(inMemory.has_value(), fromFile.has_value()) << k;
      EXPECT_EQ(memoryError, fileError);
      if (fromFile) {
        EXPECT_TRUE(std::ranges::equal(inMemory->Bytes(), fromFile->Bytes())) << k;
        EXPECT_EQ(inMemory->CutShort(), fromFile->CutShort());
      }
      platform::RemoveFile(name);
    }
  }
  // Pages that cannot be read out, as pages that cannot be copied out.
  SpoolJob job = Read(MakeSpoolFile(std::vector<std::vector<uint8_t>>{page}));
  bool extracted = true;
  std::string error;
  EXPECT_FALSE(ReadPageMetafile(Spool(), 2, job, extracted, error));
  EXPECT_FALSE(extracted);
  EXPECT_FALSE(ReadPageMetafile(dir.File("missing.spl"), 1, job, extracted, error));
  EXPECT_FALSE(extracted);
}

TEST_F(PageExtraction, SamePageTwiceGivesTwoIdenticalFilesAndNamesTheSecond) {
  const std::vector<std::vector<uint8_t>> pages{test::SimplePage(u"a"), test::SimplePage(u"b"),
                                                test::SimplePage(u"c")};
  SpoolJob job = Read(MakeSpoolFile(pages));
  const auto a = Reserve();
  const auto b = Reserve();
  ASSERT_TRUE(ExtractPage(Spool(), a, 2, job));
  ASSERT_TRUE(ExtractPage(Spool(), b, 2, job));
  EXPECT_EQ(job.pageFile, b);
  EXPECT_EQ(ReadFileBytes(a), ReadFileBytes(b));
  const auto copied = ReadFileBytes(a);
  ASSERT_GE(copied.size(), pages[1].size());
  EXPECT_TRUE(std::equal(pages[1].begin(), pages[1].end(), copied.begin()));
  // A longer page file is truncated to the new page, not overwritten in place.
  ASSERT_TRUE(ExtractPage(Spool(), a, 3, job));
  EXPECT_EQ(ReadFileBytes(a).size(), pages[2].size() + 16);
}

TEST_F(PageExtraction, FailuresLeavePageFileUnchangedAndGiveTheNameBack) {
  const std::vector<std::vector<uint8_t>> pages{test::SimplePage()};
  SpoolJob job = Read(MakeSpoolFile(pages));
  job.pageFile = "earlier";

  auto name = Reserve();
  EXPECT_FALSE(ExtractPage(dir.File("missing.spl"), name, 1, job));
  EXPECT_EQ(job.pageFile, "earlier");
  EXPECT_FALSE(std::filesystem::exists(name));

  name = Reserve();
  EXPECT_FALSE(ExtractPage(Spool(), name, 2, job));
  EXPECT_FALSE(ExtractPage(Spool(), name, 0, job));
  EXPECT_EQ(job.pageFile, "earlier");

  // A name that does not fit the page-file buffer is refused and left alone.
  const std::string longName = temp.File(std::string(255 - temp.Text().size(), 'n'));
  ASSERT_EQ(longName.size(), 256u);
  EXPECT_FALSE(ExtractPage(Spool(), longName, 1, job));
  EXPECT_FALSE(std::filesystem::exists(longName));
  const std::string fits = longName.substr(0, 255);
  EXPECT_TRUE(ExtractPage(Spool(), fits, 1, job));
  EXPECT_EQ(job.pageFile, fits);

  // Nothing is written through a link planted under the name.
  const auto target = temp.File("target");
  test::WriteFileBytes(target, {1, 2, 3});
  const auto link = temp.File("tmpLINK.tmp");
  std::error_code noLinks;
  std::filesystem::create_symlink(platform::FsPath(target), platform::FsPath(link), noLinks);
  if (noLinks) GTEST_SKIP() << "no symbolic links here: " << noLinks.message();
  EXPECT_FALSE(ExtractPage(Spool(), link, 1, job));
  EXPECT_EQ(ReadFileBytes(target), (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace velto
