// What the program is started with on Windows: the command text is the system's command line after the
// program's name, blanks inside kept, in UTF-8 whatever the code page. The program started is this test
// program again, which records what it was given when VELTO_RECORD_COMMAND names a file.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/program_arguments.h"
#include "platform/text_encoding.h"
#include "tests/support/test_support.h"

#include <windows.h>
#undef ReplaceFile  // the files layer's own, not windows.h's ReplaceFileA

namespace velto::platform {
namespace {

constexpr const char* kRecordVariable = "VELTO_RECORD_COMMAND";

// In a started copy: the command text on the first line, then each argument on a line of its own.
[[maybe_unused]] const bool g_isRecorder = [] {
  const std::optional<std::string> out = test::GetEnv(kRecordVariable);
  if (!out) return false;
  std::string lines = ProgramCommandText(0, nullptr) + "\n";
  for (const std::string& argument : ProgramArguments(0, nullptr)) lines += argument + "\n";
  test::WriteTextFile(*out, lines);
  ::ExitProcess(0);
}();

// Starts this program with `commandLine` (the program's name included) and gives back what it recorded.
std::string Recorded(const std::wstring& commandLine, const test::TempDir& dir) {
  const std::string out = dir.File("command.txt");
  RemoveFile(out);
  test::ScopedEnv record(kRecordVariable, out);
  std::wstring writable = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (!::CreateProcessW(self, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return "not started";
  }
  ::WaitForSingleObject(process.hProcess, 60000);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  const std::vector<uint8_t> bytes = test::ReadFileBytes(out);
  return std::string(bytes.begin(), bytes.end());
}

TEST(ProgramCommandText, IsTheCommandLineAfterTheProgramName) {
  test::TempDir dir;
  // As the print processor starts the program: an unquoted or quoted name, the job's text as it is.
  EXPECT_EQ(Recorded(L"VeltoFaxTool.exe VELTO PRINT 12*My  Report.doc", dir),
            "VELTO PRINT 12*My  Report.doc\nVELTO\nPRINT\n12*My\nReport.doc\n");
  EXPECT_EQ(Recorded(L"\"C:\\Program Files\\Velto\\VeltoFaxTool.exe\"   SHOWDIALOG", dir), "SHOWDIALOG\nSHOWDIALOG\n");
  EXPECT_EQ(Recorded(L"VeltoFaxTool.exe \"VELTO PRINT*a  b\"", dir), "\"VELTO PRINT*a  b\"\nVELTO PRINT*a  b\n");
  // A Chinese document name arrives whole.
  EXPECT_EQ(Recorded(L"VeltoFaxTool.exe VELTO PRINT*\u62A5\u544A.doc", dir),
            "VELTO PRINT*\xE6\x8A\xA5\xE5\x91\x8A.doc\nVELTO\nPRINT*\xE6\x8A\xA5\xE5\x91\x8A.doc\n");
  EXPECT_EQ(Recorded(L"VeltoFaxTool.exe", dir), "\n");
}

}  // namespace
}  // namespace velto::platform
