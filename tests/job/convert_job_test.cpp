#include <filesystem>

#include "job/convert_job.h"
#include "tests/job/fake_writers.h"
#include "tests/job/job_fixture.h"

namespace velto {
namespace {

using platform::ShellCall;
using test::FakeWriters;

class ConvertJobTest : public test::JobFixture {
 protected:
  ConvertJobTest() : writersScope_(writers_.set) {
    program_ = home_.File("after-save");
    test::WriteTextFile(program_, "#!/bin/sh\n");
  }
  // The after-save program switched on, with all three parameter items.
  void EnableAfterSave(const std::string& save = "") {
    WriteSettings(save + "\n[run]\nenablerun=1\nexefilename=" + program_ +
                  "\nPassParameter=1\nchech1=1\nchech2=1\nchech3=1\n");
  }
  std::vector<ShellCall> Launches() const {
    std::vector<ShellCall> launches;
    for (const auto& call : shell_.calls) {
      if (call.file == program_) launches.push_back(call);
    }
    return launches;
  }
  std::vector<ShellCall> OpensOfResults() const {
    std::vector<ShellCall> opens;
    for (const auto& call : shell_.calls) {
      if (call.file != program_) opens.push_back(call);
    }
    return opens;
  }

  FakeWriters writers_;
  ScopedWriters writersScope_;
  std::string program_;
};

TEST_F(ConvertJobTest, PerPageJobWritesEveryPageRunsAfterSaveForEachAndOpensPageOne) {
  EnableAfterSave();
  std::string spool = MakeSpool("job.spl", 3);
  std::string out = out_.File("doc.png");
  EXPECT_EQ(ConvertJob(spool, out, "My \"Doc\""), 0);
  ASSERT_EQ(writers_.calls.size(), 3u);
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(writers_.calls[k - 1].page, k);
  EXPECT_TRUE(std::filesystem::exists(out_.File("doc_003.png")));
  auto launches = Launches();
  ASSERT_EQ(launches.size(), 3u);
  EXPECT_EQ(launches[1].parameters, "\"My \"Doc\"\"\"2\"\"" + out_.File("doc_002.png") + "\"");
  EXPECT_EQ(launches[0].show, platform::ShowCommand::Normal);
  auto opens = OpensOfResults();
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0].file, out);
  EXPECT_EQ(opens[0].show, platform::ShowCommand::Show);
  EXPECT_FALSE(std::filesystem::exists(spool));
  EXPECT_FALSE(std::filesystem::exists(spool + ".failed"));
}

TEST_F(ConvertJobTest, OpenResultFlagOneOpensAllTwoOnlyTiffZeroNothing) {
  struct Case {
    int flag;
    const char* name;
    bool opened;
  } cases[] = {
      {1, "a.tif", true},  {1, "a.pdf", true},  {1, "a.txt", true},  {1, "a.bmp", true},
      {2, "a.TIF", true},  {2, "a.pdf", false}, {2, "a.txt", false}, {2, "a.jpg", false},
      {0, "a.tif", false}, {0, "a.pdf", false}, {0, "a.gif", false},
  };
  for (const auto& c : cases) {
    WriteSettings("[save]\nchech1=" + std::to_string(c.flag) + "\n");
    shell_.calls.clear();
    ConvertJob(MakeSpool("job.spl", 2), out_.File(c.name), "Doc");
    EXPECT_EQ(OpensOfResults().size(), c.opened ? 1u : 0u) << c.flag << " " << c.name;
  }
}

TEST_F(ConvertJobTest, DocumentFormatsRunAfterSaveOnceWithPageOne) {
  EnableAfterSave();
  ConvertJob(MakeSpool("job.spl", 4), out_.File("fax.tif"), "Fax");
  auto launches = Launches();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].parameters, "\"Fax\"\"1\"\"" + out_.File("fax.tif") + "\"");
  WriteSettings("[format]\ntextcode=1\n");
  ConvertJob(MakeSpool("job.spl", 1), out_.File("a.txt"), "Doc");
  EXPECT_EQ(writers_.calls.back().writer, "text1");
}

TEST_F(ConvertJobTest, FailedPagesStillGetTheirAfterPageStepAndKeepTheJob) {
  EnableAfterSave();
  writers_.failPages = {1, 3};
  std::string spool = MakeSpool("job.spl", 3);
  EXPECT_EQ(ConvertJob(spool, out_.File("doc.jpg"), "Doc"), 1);
  EXPECT_EQ(Launches().size(), 3u);
  EXPECT_TRUE(OpensOfResults().empty());  // page 1 has no file to open
  // Pages 1 and 3 would be lost for good with the spool file: the job is kept.
  EXPECT_FALSE(std::filesystem::exists(spool));
  EXPECT_TRUE(std::filesystem::exists(spool + ".failed"));
}

TEST_F(ConvertJobTest, ADamagedPageIsWrittenButKeepsTheJob) {
  EnableAfterSave();
  writers_.damagedPages = {2};
  for (const char* name : {"doc.png", "doc.pdf"}) {
    std::string spool = MakeSpool("job.spl", 3);
    shell_.calls.clear();
    EXPECT_EQ(ConvertJob(spool, out_.File(name), "Doc"), 1) << name;
    // Everything that could be written was, and the after-save steps ran as for any written output.
    EXPECT_TRUE(std::filesystem::exists(out_.File(name)));
    EXPECT_FALSE(Launches().empty());
    EXPECT_EQ(OpensOfResults().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(spool));
  }
  EXPECT_TRUE(std::filesystem::exists(windir_.File("job.spl.failed")));
  EXPECT_TRUE(std::filesystem::exists(windir_.File("job.spl.2.failed")));
}

TEST_F(ConvertJobTest, JobWithNothingWrittenIsKeptAside) {
  EnableAfterSave();
  writers_.failAll = true;
  std::string spool = MakeSpool("job.spl", 2);
  EXPECT_EQ(ConvertJob(spool, out_.File("doc.bmp"), "Doc"), 1);
  EXPECT_FALSE(std::filesystem::exists(spool));
  EXPECT_TRUE(std::filesystem::exists(spool + ".failed"));

  spool = MakeSpool("job.spl", 2);
  shell_.calls.clear();
  ConvertJob(spool, out_.File("doc.pdf"), "Doc");
  EXPECT_TRUE(std::filesystem::exists(spool + ".2.failed"));
  EXPECT_TRUE(shell_.calls.empty());  // a failed document: no after-save action, no opening
}

TEST_F(ConvertJobTest, UnknownExtensionWritesNothingAndDeletesTheSpoolFile) {
  std::string spool = MakeSpool("job.spl", 1);
  EXPECT_EQ(ConvertJob(spool, out_.File("doc.tiff"), "Doc"), 0);
  EXPECT_TRUE(writers_.calls.empty());
  EXPECT_FALSE(std::filesystem::exists(spool));
  EXPECT_FALSE(std::filesystem::exists(spool + ".failed"));
}

TEST_F(ConvertJobTest, UnreadableSpoolFileStaysAndLaunchesOnlyBeforeConversion) {
  WriteSettings("[run]\nPrintTime=0\nenablerun=1\nPassParameter=1\nchech2=1\nCmdShow=1\nexefilename=" + program_);
  std::string spool = windir_.File("junk.spl");
  test::WriteTextFile(spool, "not a spool file");
  ConvertJob(spool, out_.File("doc.bmp"), "Doc");
  EXPECT_TRUE(std::filesystem::exists(spool));
  EXPECT_TRUE(writers_.calls.empty());
  auto launches = Launches();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].parameters, "");
  EXPECT_EQ(launches[0].show, platform::ShowCommand::Minimize);
}

TEST_F(ConvertJobTest, EmfPagesAreExtractedByTheDispatch) {
  EnableAfterSave();
  writers_.failExtraction = {2};
  std::string spool = MakeSpool("job.spl", 3);
  ConvertJob(spool, out_.File("scan.EMF"), "Scan");
  ASSERT_EQ(writers_.calls.size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(out_.File("scan.EMF")));
  EXPECT_TRUE(std::filesystem::exists(out_.File("scan_003.EMF")));
  ASSERT_EQ(Launches().size(), 2u);  // no after-page step for the page that could not be extracted
  EXPECT_EQ(Launches()[1].parameters, "\"Scan\"\"3\"\"" + out_.File("scan_003.EMF") + "\"");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(writers_.tempDir.Path()), {}), 0);
  // Page 2 is not in the output: the job is kept.
  EXPECT_TRUE(std::filesystem::exists(spool + ".failed"));

  writers_.failExtraction.clear();
  spool = MakeSpool("job.spl", 3);
  EXPECT_EQ(ConvertJob(spool, out_.File("other.emf"), "Scan"), 0);
  EXPECT_FALSE(std::filesystem::exists(spool));
  EXPECT_FALSE(std::filesystem::exists(spool + ".2.failed"));
}

}  // namespace
}  // namespace velto
