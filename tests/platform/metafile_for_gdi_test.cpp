// What GDI is handed of a page: sound metafiles as they are, damaged ones without the records that would
// make it read outside them.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/emf/metafile.h"
#include "platform/emf/metafile_recorder.h"
#include "platform/metafile_for_gdi.h"
#include "tests/support/test_support.h"

namespace velto::platform {
namespace {

emf::MetafileRecorder Recorder() {
  return emf::MetafileRecorder(emf::RectL{0, 0, 1000, 1000}, emf::SizeL{100, 100}, emf::SizeL{100, 100});
}

emf::Metafile Load(std::vector<uint8_t> bytes) {
  auto metafile = emf::Metafile::FromBytes(std::move(bytes));
  EXPECT_TRUE(metafile);
  return std::move(*metafile);
}

std::vector<uint8_t> Raw(uint32_t type, std::vector<uint32_t> words) {
  std::vector<uint8_t> bytes;
  words.insert(words.begin(), {type, static_cast<uint32_t>(8 + 4 * words.size())});
  for (uint32_t w : words) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(w >> (8 * i)));
  }
  return bytes;
}

// The types of the records of `bytes`, and whether its header's counts are right.
std::vector<uint32_t> TypesOf(std::span<const uint8_t> bytes) {
  auto metafile = emf::Metafile::FromBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  EXPECT_TRUE(metafile);
  if (!metafile) return {};
  std::vector<uint32_t> types;
  metafile->ForEachRecord([&](const emf::Record& r) {
    types.push_back(r.type);
    return true;
  });
  EXPECT_EQ(metafile->Header().bytes, bytes.size());
  EXPECT_EQ(metafile->Header().records, types.size());
  EXPECT_FALSE(metafile->CutShort());
  return types;
}

TEST(MetafileForGdi, ASoundPageGoesAsItIs) {
  auto rec = Recorder();
  rec.CreatePen(1, 0, 3, 0x0000FF).SelectObject(1).Rectangle({10, 10, 50, 50});
  rec.ExtTextOutW({10, 60}, u"text", 0, {}, std::vector<int32_t>{5, 5, 5, 5});
  const emf::Metafile metafile = Load(rec.Finish());
  const MetafileForGdi prepared = PrepareMetafileForGdi(metafile);
  EXPECT_TRUE(prepared.complete);
  EXPECT_EQ(prepared.recordsLeftOut, 0);
  EXPECT_TRUE(prepared.copy.empty());
  EXPECT_EQ(prepared.Bytes().data(), metafile.Bytes().data());
}

TEST(MetafileForGdi, ARecordThatReachesOutsideItselfEndsThePage) {
  const std::vector<std::vector<uint8_t>> unfit = {
      Raw(emf::EMR_SELECTOBJECT, {0xFFFFFF}),                    // past any object table
      Raw(emf::EMR_POLYGON16, {0, 0, 10, 10, 1000000000, 0}),   // a billion points in 4 bytes
      Raw(emf::EMR_EXTTEXTOUTW, {0, 0, 10, 10, 1, 0, 0, 0, 0, 500, 76, 0, 0, 0, 10, 10, 0}),  // 500 characters
      Raw(emf::EMR_EXTSELECTCLIPRGN, {48, 5, 32, 1, 1000, 1000, 0, 0, 0, 0, 1, 1, 2, 2}),     // 1000 rectangles
      // A 100 × 100 24-bit bitmap with 4 bytes of bits.
      Raw(emf::EMR_STRETCHDIBITS, {0, 0, 10, 10, 0, 0, 0, 0, 100, 100, 80, 40, 120, 4, 0, 0xCC0020, 10, 10, 40, 100,
                                   100, 0x180001, 0, 0, 0, 0, 0, 0, 0, 0}),
      Raw(emf::EMR_RECTANGLE, {1, 2}),  // too short for its rectangle
  };
  for (const auto& record : unfit) {
    auto rec = Recorder();
    rec.CreatePen(1, 0, 3, 0x0000FF).SelectObject(1);
    rec.AddRaw(record);
    rec.Rectangle({10, 10, 50, 50});
    const emf::Metafile metafile = Load(rec.Finish());
    const MetafileForGdi prepared = PrepareMetafileForGdi(metafile);
    EXPECT_FALSE(prepared.complete) << "record type " << record[0];
    EXPECT_EQ(prepared.recordsLeftOut, 3) << "record type " << record[0];  // it, the rectangle and EOF
    EXPECT_EQ(TypesOf(prepared.Bytes()), (std::vector<uint32_t>{emf::EMR_HEADER, emf::EMR_CREATEPEN,
                                                                 emf::EMR_SELECTOBJECT, emf::EMR_EOF}));
  }
}

TEST(MetafileForGdi, ARecordSizePastTheEndEndsThePageThere) {
  auto rec = Recorder();
  rec.Rectangle({10, 10, 50, 50});
  std::vector<uint8_t> bytes = rec.Rectangle({20, 20, 60, 60}).Finish();
  // The second rectangle's size field (after the header and the first, 24-byte rectangle) now claims 64 KiB.
  const size_t second = bytes.size() - 20 - 24;
  bytes[second + 6] = 1;
  const emf::Metafile metafile = Load(std::move(bytes));
  const MetafileForGdi prepared = PrepareMetafileForGdi(metafile);
  EXPECT_FALSE(prepared.complete);
  EXPECT_EQ(TypesOf(prepared.Bytes()), (std::vector<uint32_t>{emf::EMR_HEADER, emf::EMR_RECTANGLE, emf::EMR_EOF}));
}

TEST(MetafileForGdi, AnObjectTableCountedTooSmallIsMadeLargeEnough) {
  auto rec = Recorder();
  rec.CreatePen(1, 0, 3, 0x0000FF);
  std::vector<uint8_t> bytes = rec.SelectObject(1).Rectangle({10, 10, 50, 50}).Finish();
  bytes[56] = 1;  // the header counts slot 0 alone, as some recorders leave it
  const emf::Metafile metafile = Load(std::move(bytes));
  const MetafileForGdi prepared = PrepareMetafileForGdi(metafile);
  EXPECT_EQ(prepared.recordsLeftOut, 0);
  auto copy = emf::Metafile::FromBytes(std::vector<uint8_t>(prepared.Bytes().begin(), prepared.Bytes().end()));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Header().handles, 2);
}

// Real pages written by other programs lose nothing: every record of the shared corpus fits.
TEST(MetafileForGdi, NoRecordOfARealPageIsLeftOut) {
  const std::filesystem::path corpus = std::filesystem::path(test::SourceDirectory()) / ".." / "shared" / "corpus" / "emf";
  std::error_code error;
  if (!std::filesystem::is_directory(corpus, error)) GTEST_SKIP() << "no corpus at " << corpus;
  int pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    auto metafile = emf::Metafile::Load(entry.path());
    if (!metafile) continue;
    ++pages;
    const MetafileForGdi prepared = PrepareMetafileForGdi(*metafile);
    EXPECT_EQ(prepared.recordsLeftOut, 0) << entry.path();
  }
  EXPECT_GT(pages, 0);
}

}  // namespace
}  // namespace velto::platform
