#include "spool/spool_reader.h"

#include <gtest/gtest.h>

#include <random>

#include "spool/spool_scanner.h"
#include "tests/spool/spool_fixtures.h"

namespace velto {
namespace {

using test::TempDir;

// The page scan as a plain walk over the whole file, to compare the windowed scan against.
std::vector<int64_t> ReferenceScan(const std::vector<uint8_t>& bytes, const std::array<uint8_t, 6>& sig) {
  SpoolPageScanner scanner(sig);
  std::vector<int64_t> found;
  for (size_t p = 0; p + 44 <= bytes.size() && found.size() < 4999;) {
    if (scanner.IsPageHeader(bytes.data() + p)) {
      found.push_back(static_cast<int64_t>(p));
      p += 44;
    } else {
      ++p;
    }
  }
  return found;
}

std::vector<int64_t> Listed(const SpoolJob& job) {
  return std::vector<int64_t>(job.pageOffset.begin() + 1, job.pageOffset.begin() + 1 + job.pageCount);
}

TEST(SpoolHeader, RejectsFilesThatAreNoEmfSpoolJob) {
  TempDir dir;
  const auto page = test::SimplePage();
  const std::vector<std::vector<uint8_t>> pages{page, page};
  const auto good = MakeSpoolFile(pages);
  const uint32_t first = test::FirstPageOffset(good);

  SpoolFileOptions devModeFirst;
  devModeFirst.devModeFirst = true;
  auto zeroSize = good;
  test::Put32(zeroSize, first - 4, 0);
  auto negativeSize = good;
  test::Put32(negativeSize, first - 4, 0x80000000u);
  auto badVersion = good;
  test::Put32(badVersion, 0, 0x00010001);
  auto headerPastEnd = good;
  test::Put32(headerPastEnd, 4, 0xFFFFFFF0u);
  std::vector<uint8_t> xps{'P', 'K', 3, 4, 20, 0, 0, 0, 8, 0};
  xps.resize(600, 0);

  const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases{
      {"device mode first", MakeSpoolFile(pages, devModeFirst)},
      {"first record size 0", zeroSize},
      {"first record size negative", negativeSize},
      {"bad version", badVersion},
      {"header size past the end", headerPastEnd},
      {"zip package", xps},
      {"empty", {}},
      {"seven bytes", std::vector<uint8_t>(good.begin(), good.begin() + 7)},
      {"header only", std::vector<uint8_t>(good.begin(), good.begin() + first - 8)},
      {"signature cut short", std::vector<uint8_t>(good.begin(), good.begin() + first + 5)},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    const auto path = dir.File("job.spl");
    test::WriteFileBytes(path, bytes);
    SpoolJob job;
    job.pageCount = 7;
    job.pageOffset[1] = 99;
    job.pageFile = "stale";
    std::array<uint8_t, 6> sig{};
    EXPECT_FALSE(CheckSpoolHeader(path, sig));
    EXPECT_FALSE(ReadSpoolJob(path, job));
    EXPECT_EQ(job.pageCount, 0);
    EXPECT_EQ(job.pageOffset[1], 0);
    EXPECT_TRUE(job.pageFile.empty());
  }
  SpoolJob job;
  EXPECT_FALSE(ReadSpoolJob(dir.File("missing.spl"), job));
}

TEST(SpoolHeader, SignatureIsHeaderTypeAndLowHalfOfHeaderSize) {
  TempDir dir;
  const std::vector<std::vector<uint8_t>> pages{test::SimplePage()};
  const auto bytes = MakeSpoolFile(pages);
  test::WriteFileBytes(dir.File("a.spl"), bytes);
  std::array<uint8_t, 6> sig{};
  ASSERT_TRUE(CheckSpoolHeader(dir.File("a.spl"), sig));
  const uint32_t first = test::FirstPageOffset(bytes);
  EXPECT_TRUE(std::equal(sig.begin(), sig.end(), bytes.begin() + first));
  EXPECT_EQ(sig[0], 1);
}

TEST(SpoolScan, OnePageAndSeveralPagesInPrintedOrder) {
  TempDir dir;
  const auto path = dir.File("job.spl");
  const std::vector<std::vector<uint8_t>> one{test::SimplePage()};
  const auto oneBytes = MakeSpoolFile(one);
  test::WriteFileBytes(path, oneBytes);
  SpoolJob job;
  ASSERT_TRUE(ReadSpoolJob(path, job));
  EXPECT_EQ(job.pageCount, 1);
  EXPECT_EQ(job.pageOffset[1], test::FirstPageOffset(oneBytes));
  EXPECT_EQ(job.pageOffset[0], 0);
  EXPECT_EQ(job.pageOffset[2], 0);

  std::vector<std::vector<uint8_t>> three{test::SimplePage(u"one"), test::SimplePage(u"two"), test::SimplePage(u"three")};
  const auto threeBytes = MakeSpoolFile(three);
  test::WriteFileBytes(path, threeBytes);
  ASSERT_TRUE(ReadSpoolJob(path, job));
  ASSERT_EQ(job.pageCount, 3);
  // Each page stands 8 bytes behind its EMRI_METAFILE_DATA record; records follow one another with
  // a 16-byte EMRI_METAFILE_EXT between pages.
  int64_t expected = test::FirstPageOffset(threeBytes);
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(job.pageOffset[k], expected);
    expected += static_cast<int64_t>((three[k - 1].size() + 3) / 4 * 4) + 16 + 8;
  }
}

TEST(SpoolScan, HeaderStraddlingTwoReadsIsFoundOnceAtItsOffset) {
  TempDir dir;
  const auto path = dir.File("job.spl");
  const auto page = test::TinyPage();
  // 2030 runs past the first 2048-byte read; 2004..2010 end exactly at it; 3990.. straddle the second.
  for (size_t at : {2000u, 2004u, 2005u, 2010u, 2030u, 2047u, 2048u, 2049u, 3996u, 4000u, 4046u}) {
    SCOPED_TRACE(at);
    const auto bytes = test::SpoolWithSecondPageAt(page, page, at);
    test::WriteFileBytes(path, bytes);
    SpoolJob job;
    ASSERT_TRUE(ReadSpoolJob(path, job));
    ASSERT_EQ(job.pageCount, 2);
    EXPECT_EQ(job.pageOffset[2], static_cast<int64_t>(at));
  }
}

TEST(SpoolScan, WindowedScanMatchesPlainWalkOnDenseRandomFiles) {
  // Headers planted densely (some overlapping within 44 bytes, where the later one is skipped) at
  // random offsets, also across the 2048/1998-byte read boundaries.
  TempDir dir;
  const auto path = dir.File("job.spl");
  const std::vector<std::vector<uint8_t>> pages{test::TinyPage()};
  const auto start = MakeSpoolFile(pages);
  const uint32_t first = test::FirstPageOffset(start);
  std::array<uint8_t, 6> sig{};
  std::copy_n(start.begin() + first, 6, sig.begin());
  std::vector<uint8_t> header(start.begin() + first, start.begin() + first + 44);

  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    auto bytes = start;
    bytes.resize(start.size() + 3000 + rng() % 9000);
    for (size_t i = start.size(); i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(rng() % 3);  // many 0x01
    const int plants = 5 + static_cast<int>(rng() % 60);
    for (int i = 0; i < plants; ++i) {
      size_t at = start.size() + rng() % (bytes.size() - start.size() - 20);
      const size_t n = std::min(header.size(), bytes.size() - at);
      std::copy_n(header.begin(), n, bytes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    test::WriteFileBytes(path, bytes);
    SpoolJob job;
    ASSERT_TRUE(ReadSpoolJob(path, job));
    EXPECT_EQ(Listed(job), ReferenceScan(bytes, sig)) << "round " << round;
  }
}

TEST(SpoolScan, PageWithOtherHeaderSizeIsPartOfThePageBeforeIt) {
  TempDir dir;
  const auto path = dir.File("job.spl");
  auto described = emf::MetafileRecorder(emf::RectL{0, 0, 21000, 29700}, emf::SizeL{2480, 3508},
                                         emf::SizeL{210, 297}, u"Report page")
                       .Finish();
  const std::vector<std::vector<uint8_t>> pages{test::SimplePage(u"a"), described, test::SimplePage(u"c")};
  const auto bytes = MakeSpoolFile(pages);
  test::WriteFileBytes(path, bytes);
  SpoolJob job;
  ASSERT_TRUE(ReadSpoolJob(path, job));
  ASSERT_EQ(job.pageCount, 2);
  EXPECT_EQ(job.pageOffset[1], test::FirstPageOffset(bytes));
  const int64_t third = test::FirstPageOffset(bytes) + static_cast<int64_t>((pages[0].size() + 3) / 4 * 4) + 16 + 8 +
                        static_cast<int64_t>((pages[1].size() + 3) / 4 * 4) + 16 + 8;
  EXPECT_EQ(job.pageOffset[2], third);
}

TEST(SpoolScan, StopsAtTheCapacityOfThePageTable) {
  TempDir dir;
  const auto path = dir.File("job.spl");
  const std::vector<std::vector<uint8_t>> pages(5003, test::TinyPage());
  const auto bytes = MakeSpoolFile(pages);
  test::WriteFileBytes(path, bytes);
  SpoolJob job;
  ASSERT_TRUE(ReadSpoolJob(path, job));
  EXPECT_EQ(job.pageCount, kMaxSpoolPages);
  const int64_t stride = static_cast<int64_t>(pages[0].size()) + 16 + 8;
  EXPECT_EQ(job.pageOffset[kMaxSpoolPages], test::FirstPageOffset(bytes) + stride * (kMaxSpoolPages - 1));
}


// A page may keep another metafile inside it (a picture in a comment record); that inner metafile passes
// the page test but is part of its page, which must not be cut short at it. Without a well-formed
// EMRI_METAFILE_DATA record around the page, the plain scan stands.
TEST(SpoolScan, MetafileInsideAPageIsNoPageOfItsOwn) {
  TempDir dir;
  const auto path = dir.File("job.spl");
  auto outer = test::A4Recorder();
  emf::RecordBytes comment;
  const auto inner = test::SimplePage(u"inner");
  comment.U32(static_cast<uint32_t>(inner.size())).Raw(inner);
  outer.Add(emf::EMR_GDICOMMENT, comment);
  outer.SelectObject(emf::StockObject(4)).Rectangle(emf::RectL{0, 0, 10, 10});
  std::vector<std::vector<uint8_t>> pages{outer.Finish(), test::SimplePage(u"second")};
  auto bytes = MakeSpoolFile(pages);
  test::WriteFileBytes(path, bytes);
  SpoolJob job;
  ASSERT_TRUE(ReadSpoolJob(path, job));
  ASSERT_EQ(job.pageCount, 2);
  EXPECT_EQ(job.pageOffset[1], test::FirstPageOffset(bytes));
  EXPECT_EQ(job.pageOffset[2], test::FirstPageOffset(bytes) + static_cast<int64_t>(pages[0].size()) + 16 + 8);

  // The outer metafile placed loose behind the first page, with no record of its own: nothing says where
  // it ends, so the metafile inside it is listed as the scan finds it.
  std::array<uint8_t, 6> sig{};
  auto loose = test::SpoolWithSecondPageAt(pages[1], pages[0], 4096);
  test::WriteFileBytes(path, loose);
  ASSERT_TRUE(CheckSpoolHeader(path, sig));
  ASSERT_TRUE(ReadSpoolJob(path, job));
  EXPECT_EQ(job.pageCount, 3);  // the second page, then the loose outer metafile and the one inside it
}

}  // namespace
}  // namespace velto
