#include <gtest/gtest.h>

#include "platform/emf/metafile.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

TEST(Metafile, RecordedPageOpensWithItsHeaderAndRecords) {
  auto bytes = test::SimplePage();
  auto mf = emf::Metafile::FromBytes(bytes);
  ASSERT_TRUE(mf);
  EXPECT_EQ(mf->Header().bytes, bytes.size());
  EXPECT_EQ(mf->Header().device, (emf::SizeL{2480, 3508}));
  std::vector<uint32_t> types;
  mf->ForEachRecord([&](const emf::Record& r) { types.push_back(r.type); return true; });
  ASSERT_EQ(types.size(), mf->Header().records);
  EXPECT_EQ(types.front(), emf::kEmrHeader);
  EXPECT_EQ(types.back(), emf::kEmrEof);
}

TEST(Metafile, TrailingBytesBeyondTheHeaderCountAreNotPartOfIt) {
  auto bytes = test::SimplePage();
  size_t size = bytes.size();
  bytes.insert(bytes.end(), 3000, 0xAB);
  auto mf = emf::Metafile::FromBytes(bytes);
  ASSERT_TRUE(mf);
  EXPECT_EQ(mf->Bytes().size(), size);
}

TEST(Metafile, DamagedFilesAreRefusedOrCutShort) {
  EXPECT_FALSE(emf::Metafile::FromBytes({}));
  std::vector<uint8_t> notEmf(200, 0);
  EXPECT_FALSE(emf::Metafile::FromBytes(notEmf));

  // A record of size 0 in the middle ends the walk instead of looping.
  auto bytes = test::SimplePage();
  auto mf0 = emf::Metafile::FromBytes(bytes);
  size_t second = mf0->Header().headerSize;
  bytes[second + 4] = bytes[second + 5] = bytes[second + 6] = bytes[second + 7] = 0;
  auto mf = emf::Metafile::FromBytes(bytes);
  ASSERT_TRUE(mf);
  EXPECT_EQ(mf->ForEachRecord([](const emf::Record&) { return true; }), 1u);
}

}  // namespace
}  // namespace velto
