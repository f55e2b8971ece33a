#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "app/settings.h"
#include "app/velto_convert.h"
#include "platform/dialogs_scripted.h"
#include "platform/files.h"
#include "platform/shell_recording.h"
#include "spool/spool_file_writer.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

using test::ReadFileBytes;
using test::TempDir;

class VeltoConvertTest : public ::testing::Test {
 protected:
  VeltoConvertTest()
      : windirEnv_("VELTO_WINDIR", windir_.Text()),
        tmpEnv_("TMPDIR", tmp_.Text()),
        shellScope_(shell_) {}
  ~VeltoConvertTest() override { ClearSettingOverrides(); }

  int Run(std::vector<std::string> arguments) {
    out_.str("");
    err_.str("");
    return RunVeltoConvert(arguments, out_, err_);
  }
  std::string Spool(int pages, const SpoolFileOptions& options = {}) {
    std::vector<std::vector<uint8_t>> metafiles;
    for (int k = 1; k <= pages; ++k) metafiles.push_back(test::SimplePage(u"Hello"));
    std::string path = dir_.File("job.spl");
    EXPECT_TRUE(WriteSpoolFile(path, metafiles, options));
    return path;
  }
  bool TmpIsEmpty() const { return std::filesystem::is_empty(tmp_.Path()); }

  TempDir dir_;
  TempDir windir_;
  TempDir tmp_;
  test::ScopedEnv windirEnv_;
  test::ScopedEnv tmpEnv_;
  platform::RecordingShell shell_;
  platform::ScopedShell shellScope_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(VeltoConvertTest, UsageErrorsExitTwo) {
  EXPECT_EQ(Run({"--help"}), 0);
  EXPECT_NE(out_.str().find("Usage: velto-convert"), std::string::npos);
  EXPECT_EQ(Run({"--version"}), 0);
  EXPECT_EQ(Run({}), 2);
  EXPECT_EQ(Run({"only-one"}), 2);
  EXPECT_EQ(Run({"a", "b", "c"}), 2);
  EXPECT_EQ(Run({"--frobnicate", "a", "b.png"}), 2);
  EXPECT_EQ(Run({"--set", "nodot=1", "a", "b.png"}), 2);
  EXPECT_EQ(Run({"--ini"}), 2);
  EXPECT_EQ(Run({"--ini", dir_.File("missing.ini"), "a", "b.png"}), 2);
  EXPECT_EQ(Run({"--batch", "list", "a", "b.png"}), 2);
  EXPECT_EQ(Run({Spool(1), dir_.File("out.xyz")}), 2);
  EXPECT_NE(err_.str().find(".xyz"), std::string::npos);
}

TEST_F(VeltoConvertTest, RejectedInputsExitOne) {
  EXPECT_EQ(Run({dir_.File("missing.spl"), dir_.File("out.png")}), 1);
  EXPECT_NE(err_.str().find("missing.spl"), std::string::npos);
  test::WriteTextFile(dir_.File("notes.txt"), "just some text, not a print job at all ......");
  EXPECT_EQ(Run({dir_.File("notes.txt"), dir_.File("out.png")}), 1);
  SpoolFileOptions devModeFirst;
  devModeFirst.devModeFirst = true;
  EXPECT_EQ(Run({Spool(1, devModeFirst), dir_.File("out.png")}), 1);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out.png")));
}

TEST_F(VeltoConvertTest, ConvertsASpoolFileWithoutTouchingIt) {
  // Everything that job mode would launch or open is switched on; velto-convert does none of it.
  test::WriteTextFile(windir_.File("VeltoFaxPrint.ini"),
                      "[save]\nchech1=1\n[run]\nenablerun=1\nPrintTime=0\nexefilename=/bin/true\n");
  std::string input = Spool(2);
  auto before = ReadFileBytes(input);
  const auto modifiedBefore = std::filesystem::last_write_time(platform::FsPath(input));
  EXPECT_EQ(Run({input, dir_.File("out.emf")}), 0) << err_.str();
  EXPECT_TRUE(std::filesystem::exists(dir_.File("out.emf")));
  EXPECT_TRUE(std::filesystem::exists(dir_.File("out_002.emf")));
  EXPECT_EQ(ReadFileBytes(input), before);
  EXPECT_EQ(std::filesystem::last_write_time(platform::FsPath(input)), modifiedBefore);
  EXPECT_TRUE(shell_.calls.empty());
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_F(VeltoConvertTest, ALoneMetafileIsAOnePageJob) {
  std::string input = dir_.File("page.emf");
  test::WriteFileBytes(input, test::SimplePage(u"Hello"));
  EXPECT_EQ(Run({input, dir_.File("page.txt")}), 0) << err_.str();
  auto text = ReadFileBytes(dir_.File("page.txt"));
  std::vector<uint8_t> expected{0xFF, 0xFE, 'H', 0, 'e', 0, 'l', 0, 'l', 0, 'o', 0};
  EXPECT_EQ(text, expected);
  EXPECT_TRUE(TmpIsEmpty());  // the wrapped job is gone again

  EXPECT_EQ(Run({"--set", "format.textcode=1", input, dir_.File("ansi.txt")}), 0);
  EXPECT_EQ(ReadFileBytes(dir_.File("ansi.txt")), (std::vector<uint8_t>{'H', 'e', 'l', 'l', 'o'}));

  test::WriteTextFile(dir_.File("alt.ini"), "[format]\ntextcode=2\n");
  EXPECT_EQ(Run({"--ini", dir_.File("alt.ini"), input, dir_.File("alt.txt")}), 0);
  EXPECT_EQ(ReadFileBytes(dir_.File("alt.txt")).size(), 5u);
}

TEST_F(VeltoConvertTest, NeverWritesOverTheInput) {
  std::string input = dir_.File("page.emf");
  auto bytes = test::SimplePage(u"Hello");
  test::WriteFileBytes(input, bytes);
  EXPECT_EQ(Run({input, input}), 1);
  EXPECT_EQ(ReadFileBytes(input), bytes);
  // Page 2 of a two-page job saved as job.spl's neighbour would hit the input: refused as well.
  std::string spool = Spool(2);
  std::filesystem::copy_file(spool, dir_.File("x_002.emf"));
  std::string input2 = dir_.File("x_002.emf");
  EXPECT_EQ(Run({input2, dir_.File("x.emf")}), 1);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("x.emf")));
}

TEST_F(VeltoConvertTest, UnwritableOutputNamesFileAndPage) {
  std::string input = Spool(2);
  EXPECT_EQ(Run({input, dir_.File("no/such/folder/out.emf")}), 1);
  EXPECT_NE(err_.str().find("out_002.emf"), std::string::npos) << err_.str();
  EXPECT_NE(err_.str().find("page 2"), std::string::npos) << err_.str();
  EXPECT_EQ(Run({input, dir_.File("no/such/folder/out.txt")}), 1);
  EXPECT_NE(err_.str().find("out.txt"), std::string::npos) << err_.str();
}

TEST_F(VeltoConvertTest, MessagesGiveTheReason) {
  std::string input = Spool(2);
  // A missing folder, an output that is a folder: the file and the system's words.
  EXPECT_EQ(Run({input, dir_.File("no/such/folder/out.png")}), 1);
  EXPECT_NE(err_.str().find("out.png: page 1 of " + input + " could not be written: No such file or directory"),
            std::string::npos) << err_.str();
  std::filesystem::create_directory(dir_.File("taken.pdf"));
  EXPECT_EQ(Run({input, dir_.File("taken.pdf")}), 1);
  EXPECT_NE(err_.str().find("taken.pdf: the document of " + input + " could not be written: Is a directory"),
            std::string::npos) << err_.str();
  // A folder given as input is called a folder.
  EXPECT_EQ(Run({dir_.Text(), dir_.File("x.png")}), 1);
  EXPECT_NE(err_.str().find("is a folder"), std::string::npos) << err_.str();
  // JPEG failures are velto-convert's own one line, not the program's message box, and each failure is
  // said once.
  platform::ScriptedDialogHost host;
  platform::ScopedDialogHost hostScope(host);
  EXPECT_EQ(Run({input, dir_.File("no/such/folder/out.jpg")}), 1);
  EXPECT_TRUE(host.messages.empty());
  const std::string said = err_.str();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
}

TEST_F(VeltoConvertTest, ADamagedPageFailsInEveryFormat) {
  // Page 3 of 3 is cut inside its metafile; page 2 of the other job has no whole header.
  std::vector<std::vector<uint8_t>> pages{test::SimplePage(u"one"), test::SimplePage(u"two"),
                                          test::SimplePage(u"three")};
  const std::string whole = dir_.File("whole.spl");
  ASSERT_TRUE(WriteSpoolFile(whole, pages));
  auto bytes = ReadFileBytes(whole);
  const std::string cut = dir_.File("cut.spl");
  test::WriteFileBytes(cut, std::vector<uint8_t>(bytes.begin(), bytes.end() - 60));
  for (const char* ext : {"bmp", "jpg", "png", "gif", "emf", "tif", "pdf", "txt"}) {
    const std::string out = dir_.File(std::string("cut.") + ext);
    EXPECT_EQ(Run({cut, out}), 1) << ext;
    EXPECT_NE(err_.str().find("page 3 of " + cut + " is damaged"), std::string::npos) << ext << ": " << err_.str();
    // Drawn as far as it goes: every format holds something of page 3.
    EXPECT_TRUE(std::filesystem::exists(out)) << ext;
  }
  EXPECT_EQ(Run({whole, dir_.File("whole.png")}), 0) << err_.str();
  EXPECT_TRUE(err_.str().empty());
}

TEST_F(VeltoConvertTest, LongPathsWorkInEveryFormat) {
#ifdef _WIN32
  GTEST_SKIP() << "paths beyond MAX_PATH need the system's long-path support on Windows";
#endif
  // Job mode's fixed buffers do not apply: a path of over 300 characters works for every format.
  std::string folder = dir_.Text();
  while (folder.size() < 300) folder += "/a-rather-long-folder-name";
  std::filesystem::create_directories(folder);
  std::string input = Spool(2);
  for (const char* ext : {"bmp", "jpg", "png", "gif", "emf", "tif", "pdf", "txt"}) {
    const std::string out = folder + "/page." + ext;
    EXPECT_EQ(Run({input, out}), 0) << ext << ": " << err_.str();
    EXPECT_TRUE(std::filesystem::exists(out)) << ext;
  }
  EXPECT_TRUE(std::filesystem::exists(folder + "/page_002.emf"));
}

TEST_F(VeltoConvertTest, ChineseNamesWorkInEveryFormat) {
  // Names are UTF-8 on every platform and reach the system whole, whatever its code page.
  const std::string folder = dir_.File("\xE4\xBC\xA0\xE7\x9C\x9F");  // 传真
  std::filesystem::create_directory(platform::FsPath(folder));
  const std::string input = folder + platform::kPathSeparator + "\xE6\x8A\xA5\xE5\x91\x8A.spl";  // 报告
  const std::vector<std::vector<uint8_t>> pages{test::SimplePage(u"Hello"), test::SimplePage(u"World")};
  ASSERT_TRUE(WriteSpoolFile(input, pages));
  for (const char* ext : {"bmp", "jpg", "png", "gif", "emf", "tif", "pdf", "txt"}) {
    const std::string out = folder + platform::kPathSeparator + "\xE9\xA1\xB5." + ext;  // 页
    EXPECT_EQ(Run({input, out}), 0) << ext << ": " << err_.str();
    EXPECT_TRUE(test::Exists(out)) << ext;
  }
  EXPECT_TRUE(test::Exists(folder + platform::kPathSeparator + "\xE9\xA1\xB5_002.png"));
  EXPECT_EQ(test::FilesIn(folder).size(), 8u + 5u + 1u);  // 8 outputs, 5 second pages, the input
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_F(VeltoConvertTest, BatchGivesOneStatusLinePerJob) {
  std::string input = Spool(1);
  test::WriteTextFile(dir_.File("with space.emf"), "");
  test::WriteFileBytes(dir_.File("with space.emf"), test::SimplePage(u"Hi"));
  std::string list = dir_.File("list.txt");
  test::WriteTextFile(list, "# jobs\n" + input + " " + dir_.File("a.txt") + "\n\n\"" + dir_.File("with space.emf") +
                                "\" '" + dir_.File("b c.emf") + "'\n" + dir_.File("missing.spl") + " " +
                                dir_.File("c.txt") + "\nonly-one-field\n");
  EXPECT_EQ(Run({"--batch", list}), 1);
  std::istringstream lines(out_.str());
  std::vector<std::string> status;
  for (std::string line; std::getline(lines, line);) status.push_back(line);
  ASSERT_EQ(status.size(), 4u) << out_.str();
  EXPECT_TRUE(status[0].starts_with("ok "));
  EXPECT_NE(status[0].find(" ms "), std::string::npos);
  EXPECT_TRUE(status[1].starts_with("ok "));
  EXPECT_TRUE(status[2].starts_with("failed "));
  EXPECT_TRUE(status[3].starts_with("failed "));
  EXPECT_TRUE(std::filesystem::exists(dir_.File("b c.emf")));

  test::WriteTextFile(list, input + " " + dir_.File("d.txt") + "\n");
  EXPECT_EQ(Run({"--batch", list}), 0);
  EXPECT_EQ(Run({"--batch", dir_.File("no-list")}), 1);
}

TEST(SplitBatchLine, QuotesGroupBlanksSeparate) {
  using Fields = std::vector<std::string>;
  EXPECT_EQ(SplitBatchLine("a b"), (Fields{"a", "b"}));
  EXPECT_EQ(SplitBatchLine("  \"a b\"\t'c d'\r"), (Fields{"a b", "c d"}));
  EXPECT_EQ(SplitBatchLine("x\"y z\""), (Fields{"xy z"}));
  EXPECT_EQ(SplitBatchLine(""), Fields{});
}

}  // namespace
}  // namespace velto
