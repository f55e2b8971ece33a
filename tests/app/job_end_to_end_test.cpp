// Job mode from the command text to the files, with the real spool reader and writers.
#include <filesystem>

#include "app/fax_tool_app.h"
#include "tests/job/job_fixture.h"

namespace velto {
namespace {

class JobEndToEndTest : public test::JobFixture {
 protected:
  void AutoSave(int format) {
    WriteSettings("[save]\nsavemode=1\nautosaveformat=" + std::to_string(format) +
                  "\nautosavedir=" + out_.Text() + "\n");
  }
  int RunJob(const std::string& commandText) {
    CFaxToolApp app(commandText);
    EXPECT_FALSE(app.InitInstance());
    return app.ExitCode();
  }
};

TEST_F(JobEndToEndTest, AutomaticSaveAsEmfWritesEveryPage) {
  AutoSave(6);
  std::string spool = MakeSpool("00007.SPL", 2);
  RunJob("VELTO PRINT 7*Sample Job.doc");
  std::string first = out_.File("Sample Job.emf");
  std::string second = out_.File("Sample Job_002.emf");
  ASSERT_TRUE(std::filesystem::exists(first));
  ASSERT_TRUE(std::filesystem::exists(second));
  auto bytes = test::ReadFileBytes(first);
  ASSERT_GE(bytes.size(), 44u);
  EXPECT_EQ(bytes[0], 1);  // EMR_HEADER
  EXPECT_EQ(std::string(bytes.begin() + 40, bytes.begin() + 44), " EMF");
  EXPECT_FALSE(std::filesystem::exists(spool));
  EXPECT_TRUE(std::filesystem::is_empty(windir_.Path()) ||
              std::filesystem::exists(windir_.File("VeltoFaxPrint.ini")));
  auto opens = Opens();
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0].file, first);
}

TEST_F(JobEndToEndTest, AutomaticSaveAsTextWritesOneDocument) {
  AutoSave(7);
  std::string spool = MakeSpool("job.spl", 2);
  RunJob("VELTO PRINT*Notes");
  auto bytes = test::ReadFileBytes(out_.File("Notes.txt"));
  std::u16string expected = u"Page 1Page 2";
  ASSERT_EQ(bytes.size(), 2 + expected.size() * 2);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(bytes[2 + 2 * i], expected[i]);
  EXPECT_FALSE(std::filesystem::exists(spool));
}

TEST_F(JobEndToEndTest, ANonJobSpoolFileIsSetAsideAndTheNextJobStillRuns) {
  AutoSave(7);
  test::WriteTextFile(windir_.File("bad.spl"), "this is not a spool file");
  RunJob("VELTO PRINT*First");
  EXPECT_TRUE(std::filesystem::exists(windir_.File("bad.spl.failed")));
  MakeSpool("good.spl", 1);
  RunJob("VELTO PRINT*Second");
  EXPECT_TRUE(std::filesystem::exists(out_.File("Second.txt")));
}

TEST_F(JobEndToEndTest, UnwritableFolderKeepsTheJob) {
  WriteSettings("[save]\nsavemode=1\nautosaveformat=7\nautosavedir=" + out_.File("missing") + "\n");
  std::string spool = MakeSpool("job.spl", 1);
  EXPECT_EQ(RunJob("VELTO PRINT*Lost"), 1);
  EXPECT_TRUE(std::filesystem::exists(spool + ".failed"));
}

TEST_F(JobEndToEndTest, ADamagedJobIsWrittenAsFarAsItGoesAndKept) {
  AutoSave(5);
  std::string spool = MakeSpool("job.spl", 3);
  auto bytes = test::ReadFileBytes(spool);
  test::WriteFileBytes(spool, std::vector<uint8_t>(bytes.begin(), bytes.end() - 60));  // cut inside page 3
  EXPECT_EQ(RunJob("VELTO PRINT*Cut"), 1);
  for (const char* name : {"Cut.png", "Cut_002.png", "Cut_003.png"}) EXPECT_TRUE(std::filesystem::exists(out_.File(name))) << name;
  EXPECT_TRUE(std::filesystem::exists(spool + ".failed"));

  MakeSpool("job.spl", 2);
  EXPECT_EQ(RunJob("VELTO PRINT*Whole"), 0);
  EXPECT_FALSE(std::filesystem::exists(windir_.File("job.spl")));
}

}  // namespace
}  // namespace velto
