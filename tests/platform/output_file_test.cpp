// Output files: written under a temporary name and renamed into place; the temporary file is opened
// without truncation, which must never leave an old file's tail behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/files.h"
#include "platform/replacing_output_file.h"
#include "tests/support/test_support.h"

namespace velto::platform {
namespace {

using test::ReadFileBytes;
using test::TempDir;

void Put(const std::string& path, const std::string& text) {
  StdioFile file = OpenStdioFileForWriting(path);
  ASSERT_TRUE(file) << path;
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file.get()), text.size());
}

TEST(OutputFile, WritingStartsFromNothingWhateverWasThere) {
  TempDir dir;
  const std::string longer = dir.File("longer.bin");
  test::WriteFileBytes(longer, std::vector<uint8_t>(100, 'x'));
  Put(longer, "short");
  EXPECT_EQ(ReadFileBytes(longer), (std::vector<uint8_t>{'s', 'h', 'o', 'r', 't'}));
  const std::string absent = dir.File("new.bin");
  Put(absent, "new");
  EXPECT_EQ(ReadFileBytes(absent).size(), 3u);

  // The usual way: into the replacing output's empty temporary file, then into place over the old file.
  ReplacingOutputFile output(longer);
  ASSERT_TRUE(output.Create());
  EXPECT_NE(output.TempPath(), longer);
  Put(output.TempPath(), "page");
  ASSERT_TRUE(output.Commit());
  EXPECT_EQ(ReadFileBytes(longer), (std::vector<uint8_t>{'p', 'a', 'g', 'e'}));
  EXPECT_EQ(test::FilesIn(dir.Text()), (std::vector<std::string>{"longer.bin", "new.bin"}));
  EXPECT_FALSE(OpenStdioFileForWriting(dir.File("no/such/folder/x")));
}

}  // namespace
}  // namespace velto::platform
