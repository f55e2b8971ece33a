// The system shell on Windows: programs started with their parameters as given, splitting left to the
// program (no command interpreter), waiting when asked, failures reported. The program started is this
// test program again, which records its arguments when VELTO_RECORD_ARGUMENTS names a file.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/shell.h"
#include "platform/text_encoding.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <shellapi.h>
#undef ReplaceFile  // the files layer's own, not windows.h's ReplaceFileA

#include <chrono>
#include <thread>

namespace velto::platform {
namespace {

using test::ScopedEnv;
using test::TempDir;

constexpr const char* kRecordVariable = "VELTO_RECORD_ARGUMENTS";

// In a started copy: writes each argument after the program name on a line of its own, under a
// temporary name first so that the file appears whole, and ends.
[[maybe_unused]] const bool g_isRecorder = [] {
  const std::optional<std::string> out = test::GetEnv(kRecordVariable);
  if (!out) return false;
  int count = 0;
  wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::string lines;
  for (int i = 1; i < count; ++i) lines += Utf8(arguments[i]) + "\n";
  ::LocalFree(arguments);
  test::WriteTextFile(*out + ".part", lines);
  ::ExitProcess(ReplaceFile(*out + ".part", *out) ? 0 : 1);
}();

std::string Self() {
  wchar_t self[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  return Utf8(std::wstring_view(self, length));
}

// The launched programs run on their own; wait (bounded) for what they leave behind.
std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 1000 && !FileExists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const std::vector<uint8_t> bytes = test::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(SystemShell, StartsAProgramWithItsParametersAsGiven) {
  TempDir dir;
  ScopedEnv record(kRecordVariable, dir.File("args.txt"));
  // The program splits the text by the Windows rules; no command interpreter expands anything.
  EXPECT_GT(CurrentShell().Open(Self(), "\"a b\" c%PATH% ';' `x` \"\xE6\x8A\xA5\xE5\x91\x8A.pdf\"", ShowCommand::Minimize),
            32);
  EXPECT_EQ(WaitForFile(dir.File("args.txt")), "a b\nc%PATH%\n';'\n`x`\n\xE6\x8A\xA5\xE5\x91\x8A.pdf\n");
}

TEST(SystemShell, RunWaitsWhenAsked) {
  TempDir dir;
  ScopedEnv record(kRecordVariable, dir.File("args.txt"));
  ASSERT_TRUE(CurrentShell().Run("\"" + Self() + "\" one \"two three\"", ShowCommand::Hide, true));
  // Back only once the program has ended: its file is there at once.
  EXPECT_TRUE(FileExists(dir.File("args.txt")));
  EXPECT_EQ(WaitForFile(dir.File("args.txt")), "one\ntwo three\n");
}

TEST(SystemShell, MissingProgramsAreReportedAsFailures) {
  TempDir dir;
  EXPECT_LE(CurrentShell().Open(dir.File("nothing-here.exe"), "", ShowCommand::Normal), 32);
  EXPECT_LE(CurrentShell().Open("", "", ShowCommand::Normal), 32);
  EXPECT_FALSE(CurrentShell().Run("\"" + dir.File("nothing-here.exe") + "\" x", ShowCommand::Normal, true));
  EXPECT_FALSE(CurrentShell().Run("", ShowCommand::Normal, false));
}

// The splitting that the Linux shell does itself is the system's own here: both agree.
TEST(SplitCommandLine, AgreesWithTheSystem) {
  for (const char* text : {"a  b\tc", "\"a b\" c", "a\"b c\"d", "\"\" x", "c:\\out\\a.bmp", "a\\\\b", "a\\\"b",
                           "\"a\\\\\" b", "a\\\\\\\"b", "\"unterminated x", "\"Report\"\"2\"", "\"Report\" \"2\"",
                           "\"My \"Doc\"\"\"2\"\"c:\\out\\doc_002.png\"", "\"a\"\"b c\""}) {
    SCOPED_TRACE(text);
    // The system takes the first argument for the program's name, which has rules of its own.
    int count = 0;
    wchar_t** system = ::CommandLineToArgvW(Utf16(std::string("program ") + text).c_str(), &count);
    ASSERT_NE(system, nullptr);
    std::vector<std::string> expected;
    for (int i = 1; i < count; ++i) expected.push_back(Utf8(system[i]));
    ::LocalFree(system);
    EXPECT_EQ(SplitCommandLine(text), expected);
  }
}

}  // namespace
}  // namespace velto::platform
