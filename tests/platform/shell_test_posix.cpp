#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/shell.h"
#include "tests/support/test_support.h"

namespace velto::platform {
namespace {

using test::ScopedEnv;
using test::TempDir;
using test::WriteTextFile;

// A script that writes each of its arguments on a line of its own into `output`.
void WriteArgumentRecorder(const std::string& script, const std::string& output) {
  WriteTextFile(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + output + ".part\nmv " +
                            output + ".part " + output + "\n");
  ::chmod(script.c_str(), 0755);
}

// The launched programs run on their own; wait (bounded) for what they leave behind.
std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

bool NoChildLeft() {
  int status = 0;
  return ::waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

TEST(SystemShell, StartsAnExecutableDirectlyWithWindowsSplitParameters) {
  TempDir dir;
  std::string script = dir.File("record.sh");
  WriteArgumentRecorder(script, dir.File("args.txt"));
  int result = CurrentShell().Open(script, "\"a b\" c$HOME ';' `x`", ShowCommand::Minimize);
  EXPECT_GT(result, 32);
  // No command interpreter sees the parameters: nothing is expanded or run.
  EXPECT_EQ(WaitForFile(dir.File("args.txt")), "a b\nc$HOME\n';'\n`x`\n");
  EXPECT_TRUE(NoChildLeft());
}

TEST(SystemShell, DocumentsGoToXdgOpenAndNothingHappensWithoutIt) {
  TempDir dir;
  TempDir bin;
  std::string document = dir.File("result.pdf");
  WriteTextFile(document, "%PDF-1.4\n");
  {
    ScopedEnv path("PATH", bin.Text());
    EXPECT_EQ(CurrentShell().Open(document, "", ShowCommand::Show), kShellNoAssociation);
  }
  WriteArgumentRecorder(bin.File("xdg-open"), dir.File("opened.txt"));
  ScopedEnv path("PATH", bin.Text() + ":/usr/bin:/bin");
  EXPECT_GT(CurrentShell().Open(document, "ignored", ShowCommand::Show), 32);
  EXPECT_EQ(WaitForFile(dir.File("opened.txt")), document + "\n");
  std::filesystem::remove(dir.File("opened.txt"));
  EXPECT_GT(CurrentShell().Open("https://example.invalid/", "", ShowCommand::Show), 32);
  EXPECT_EQ(WaitForFile(dir.File("opened.txt")), "https://example.invalid/\n");
  EXPECT_TRUE(NoChildLeft());
}

TEST(SystemShell, MissingFilesAreReportedAsFailures) {
  TempDir dir;
  EXPECT_LE(CurrentShell().Open(dir.File("nothing-here.exe"), "", ShowCommand::Normal), 32);
  EXPECT_LE(CurrentShell().Open("", "", ShowCommand::Normal), 32);
  EXPECT_FALSE(CurrentShell().Run(dir.File("nothing-here") + " x", ShowCommand::Normal, true));
  EXPECT_FALSE(CurrentShell().Run("", ShowCommand::Normal, false));
}

TEST(SystemShell, RunWaitsWhenAsked) {
  TempDir dir;
  std::string script = dir.File("slow.sh");
  WriteTextFile(script, "#!/bin/sh\nsleep 0.2\necho done > \"$1\"\n");
  ::chmod(script.c_str(), 0755);
  ASSERT_TRUE(CurrentShell().Run("\"" + script + "\" \"" + dir.File("out.txt") + "\"", ShowCommand::Hide, true));
  EXPECT_TRUE(std::filesystem::exists(dir.File("out.txt")));
  EXPECT_TRUE(NoChildLeft());
}

TEST(SystemShell, BuiltinProgramsServeWindowsToolNames) {
  std::vector<std::string> received;
  int calls = 0;
  RegisterBuiltinProgram("rundll32", [&](const std::vector<std::string>& args) {
    received = args;
    ++calls;
    return 0;
  });
  EXPECT_TRUE(CurrentShell().Run("RUNDLL32.EXE printui.dll,PrintUIEntry /n \"Velto Print\"", ShowCommand::Normal,
                                 true));
  EXPECT_EQ(received, (std::vector<std::string>{"printui.dll,PrintUIEntry", "/n", "Velto Print"}));
  EXPECT_GT(CurrentShell().Open("rundll32", "a", ShowCommand::Normal), 32);
  EXPECT_EQ(received, (std::vector<std::string>{"a"}));
  // A path of this platform is never taken for the built-in of the same name.
  EXPECT_LE(CurrentShell().Open("/nonexistent/rundll32", "", ShowCommand::Normal), 32);
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace velto::platform
