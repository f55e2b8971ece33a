#include "job/after_save.h"
#include "tests/job/job_fixture.h"

namespace velto {
namespace {

class AfterSaveTest : public test::JobFixture {
 protected:
  AfterSaveTest() : program_(home_.File("run me.sh")) { test::WriteTextFile(program_, "#!/bin/sh\n"); }
  std::string Run(const std::string& keys) { return "[run]\nexefilename=" + program_ + "\n" + keys; }
  std::string program_;
};

TEST_F(AfterSaveTest, ParameterTextPutsTheQuotedItemsSideBySide) {
  WriteSettings(Run("PassParameter=1\nchech1=1\nchech2=1\nchech3=1\n"));
  EXPECT_EQ(AfterSaveParameters("Report", 2, "/out/Report.bmp"), "\"Report\"\"2\"\"/out/Report_002.bmp\"");
  EXPECT_EQ(AfterSaveParameters("Report", 1, "/out/Report.bmp"), "\"Report\"\"1\"\"/out/Report.bmp\"");
  WriteSettings(Run("PassParameter=1\nchech2=1\nchech3=1\n"));
  EXPECT_EQ(AfterSaveParameters("Report", 12, "/out/fax.tif"), "\"12\"\"/out/fax_012.tif\"");
  WriteSettings(Run("PassParameter=1\n"));
  EXPECT_EQ(AfterSaveParameters("Report", 2, "/out/a.bmp"), "");
  WriteSettings(Run("PassParameter=0\nchech1=1\nchech2=1\n"));
  EXPECT_EQ(AfterSaveParameters("Report", 2, "/out/a.bmp"), "");
}

TEST_F(AfterSaveTest, LaunchesOnlyWhenSwitchedOnAndTheFileExists) {
  struct Case {
    std::string keys;
    int afterSave;  // launches by RunAfterSave
    int before;     // launches by RunBeforeConversion
  } cases[] = {
      {"", 0, 0},                                       // enablerun defaults to 0
      {"enablerun=1\n", 1, 0},                          // PrintTime defaults to 1
      {"enablerun=1\nPrintTime=0\n", 0, 1},
      {"enablerun=1\nPrintTime=2\n", 0, 0},
      {"enablerun=2\nPrintTime=1\n", 1, 0},
  };
  for (const auto& c : cases) {
    WriteSettings(Run(c.keys));
    shell_.calls.clear();
    RunAfterSave("Doc", 1, "/out/a.bmp");
    EXPECT_EQ(static_cast<int>(shell_.calls.size()), c.afterSave) << c.keys;
    shell_.calls.clear();
    RunBeforeConversion();
    EXPECT_EQ(static_cast<int>(shell_.calls.size()), c.before) << c.keys;
  }
  WriteSettings("[run]\nenablerun=1\nexefilename=" + home_.File("missing") + "\n");
  shell_.calls.clear();
  RunAfterSave("Doc", 1, "/out/a.bmp");
  WriteSettings("[run]\nenablerun=1\nexefilename=\n");
  RunAfterSave("Doc", 1, "/out/a.bmp");
  EXPECT_TRUE(shell_.calls.empty());
}

TEST_F(AfterSaveTest, ShowCommandFollowsCmdShow) {
  EXPECT_EQ(ShowCommandFor(0), platform::ShowCommand::Normal);
  EXPECT_EQ(ShowCommandFor(1), platform::ShowCommand::Minimize);
  EXPECT_EQ(ShowCommandFor(2), platform::ShowCommand::Hide);
  EXPECT_EQ(ShowCommandFor(-1), platform::ShowCommand::Hide);
  WriteSettings(Run("enablerun=1\nCmdShow=2\n"));
  RunAfterSave("Doc", 1, "/out/a.bmp");
  ASSERT_EQ(shell_.calls.size(), 1u);
  EXPECT_EQ(shell_.calls[0].file, program_);
  EXPECT_EQ(shell_.calls[0].show, platform::ShowCommand::Hide);
}

}  // namespace
}  // namespace velto
