#include <filesystem>

#include "app/fax_tool_app.h"
#include "platform/files.h"
#include "platform/program_arguments.h"
#include "tests/job/fake_writers.h"
#include "tests/job/job_fixture.h"

namespace velto {
namespace {

TEST(ClassifyCommand, KeywordsByPrefixWithoutCase) {
  struct Case {
    const char* text;
    int mode;
  } cases[] = {
      {"", kModeNone},
      {"INSTALL", kModeInstall},
      {"install now", kModeInstall},
      {"INSTALLER", kModeInstall},
      {"INSTAL", kModeNone},
      {"UNINSTALL", kModeUninstall},
      {"UnInstall", kModeUninstall},
      {"VELTO PRINT*Memo", kModePrintJob},
      {"velto print 17*memo", kModePrintJob},
      {"VELTO PRINX*Memo", kModePrintJob},  // only the first ten characters count
      {"VELTO PRI", kModeNone},
      {"SHOWDIALOG", kModeControlPanel},
      {"showdialog please", kModeControlPanel},
      {"SHOW", kModeNone},
      {" INSTALL", kModeNone},
      {"HELP", kModeNone},
  };
  for (const auto& c : cases) EXPECT_EQ(CFaxToolApp::ClassifyCommand(c.text), c.mode) << '"' << c.text << '"';
}

TEST(CFaxToolApp, RunsExactlyTheOneModeAndNeverEntersAMessageLoop) {
  std::vector<std::string> ran;
  CommandModes modes{
      [&] { ran.push_back("install"); },
      [&] { ran.push_back("uninstall"); },
      [&](const std::string& text) {
        ran.push_back("job:" + text);
        return 0;
      },
      [&] {
        ran.push_back("panel");
        return 1;
      },
  };
  for (const char* text : {"INSTALL", "UNINSTALL", "VELTO PRINT*x", "SHOWDIALOG", "", "nonsense"}) {
    CFaxToolApp app(text, modes);
    EXPECT_FALSE(app.InitInstance());
  }
  EXPECT_EQ(ran, (std::vector<std::string>{"install", "uninstall", "job:VELTO PRINT*x", "panel"}));
}

TEST(ProgramCommandText, JoinsWithSingleBlanks) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows the command text is the system's command line, not argv (program_arguments_test)";
#endif
  const char* argv[] = {"VeltoFaxTool", "VELTO", "PRINT", "12*My", "Report.doc"};
  EXPECT_EQ(platform::ProgramCommandText(5, argv), "VELTO PRINT 12*My Report.doc");
  const char* quoted[] = {"VeltoFaxTool", "VELTO PRINT*a  b"};
  EXPECT_EQ(platform::ProgramCommandText(2, quoted), "VELTO PRINT*a  b");
  const char* leading[] = {"VeltoFaxTool", "", "  SHOWDIALOG"};
  EXPECT_EQ(platform::ProgramCommandText(3, leading), "SHOWDIALOG");
  EXPECT_EQ(platform::ProgramCommandText(1, argv), "");
}

class RunPrintJobTest : public test::JobFixture {
 protected:
  RunPrintJobTest() : writersScope_(writers_.set) {
    WriteSettings("[save]\nsavemode=1\nautosavedir=" + out_.Text() + "\n");
  }
  // The output path of the one job run with `commandText`, or "" when nothing was converted.
  std::string OutputOf(const std::string& commandText, int expectedResult = 0) {
    MakeSpool("job.spl", 1);
    writers_.calls.clear();
    EXPECT_EQ(CFaxToolApp::RunPrintJob(commandText), expectedResult) << commandText;
    std::filesystem::remove(windir_.File("job.spl"));
    return writers_.calls.empty() ? std::string() : writers_.calls[0].outputPath;
  }
  test::FakeWriters writers_;
  ScopedWriters writersScope_;
};

TEST_F(RunPrintJobTest, SplitsAtTheFirstStar) {
  const std::string out = out_.Text() + platform::kPathSeparator;
  EXPECT_EQ(OutputOf("VELTO PRINT*Memo"), out + "Memo.bmp");
  EXPECT_EQ(OutputOf("VELTO PRINX 99*Memo"), out + "Memo.bmp");
  EXPECT_EQ(OutputOf("velto print*Report.doc"), out + "Report.bmp");
  EXPECT_EQ(OutputOf("VELTO PRINT*a*b"), out + "a_b.bmp");
  EXPECT_EQ(OutputOf("VELTO PRINT*"), out + ".bmp");
  EXPECT_EQ(OutputOf("VELTO PRINT* spaced  name "), out + " spaced  name .bmp");
  EXPECT_EQ(OutputOf("VELTO PRINT no star", -1), "");
  EXPECT_TRUE(std::filesystem::exists(windir_.File("job.spl")) == false);
}

TEST_F(RunPrintJobTest, OnlyTheFirst511CharactersOfTheCommandCount) {
  // A "*" beyond the working buffer is not seen: no job.
  EXPECT_EQ(OutputOf("VELTO PRINT " + std::string(499, 'x') + "*Memo", -1), "");
  // One within it is.
  EXPECT_EQ(OutputOf("VELTO PRINT " + std::string(480, 'x') + "*Memo" + std::string(100, 'y')),
            out_.Text() + platform::kPathSeparator + "Memo" + std::string(14, 'y') + ".bmp");
}

}  // namespace
}  // namespace velto
