// The hand-over between the processor and the real program: a job printed through the processor's
// exports is found, converted and deleted by VeltoFaxTool.exe in the system's Windows directory.
//
// The program looks for its spool files in the system's Windows directory, so this test puts the program
// and its settings there; it runs only under Wine (a test prefix), only when the program is built
// (VELTO_PROGRAM, else VELTO_BUILD_DIR/VeltoFaxTool.exe), and only when the Windows directory holds no
// program, settings or spool file of its own. Everything it puts there is removed again.
#include <gtest/gtest.h>

#include "processor_test_support.h"

namespace vtproc_test {
namespace {

std::filesystem::path BuiltProgram() {
  wchar_t buffer[1024];
  DWORD length = ::GetEnvironmentVariableW(L"VELTO_PROGRAM", buffer, 1024);
  if (length > 0 && length < 1024) return SystemPathOf(std::wstring(buffer, length));
  length = ::GetEnvironmentVariableW(L"VELTO_BUILD_DIR", buffer, 1024);
  if (length > 0 && length < 1024) return SystemPathOf(std::wstring(buffer, length) + L"/VeltoFaxTool.exe");
  return {};
}

// Removes the files at the end of the scope.
class Cleanup {
 public:
  ~Cleanup() {
    std::error_code ignored;
    for (const auto& path : paths) std::filesystem::remove(path, ignored);
  }
  std::vector<std::filesystem::path> paths;
};

TEST(ProgramHandOver, ProgramConvertsTheJobAndDeletesItsSpoolFile) {
  if (!RunningUnderWine()) GTEST_SKIP() << "puts the program into the system's Windows directory: Wine only";
  const std::filesystem::path program = BuiltProgram();
  if (program.empty() || !std::filesystem::exists(program)) GTEST_SKIP() << "no VeltoFaxTool.exe built: " << program;
  wchar_t buffer[MAX_PATH];
  ASSERT_GT(::GetWindowsDirectoryW(buffer, MAX_PATH), 0u);
  const std::filesystem::path windows(buffer);
  auto spoolFiles = [&] {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(windows)) {
      const std::string name = entry.path().filename().string();
      if (name.size() > 4 && ::_stricmp(name.c_str() + name.size() - 4, ".spl") == 0) ++count;
    }
    return count;
  };
  if (std::filesystem::exists(windows / "VeltoFaxTool.exe") || std::filesystem::exists(windows / "VeltoFaxPrint.ini") ||
      spoolFiles() != 0) {
    GTEST_SKIP() << "the Windows directory has a program, settings or spool files of its own";
  }

  TestRoot root;
  Cleanup cleanup;
  cleanup.paths = {windows / "VeltoFaxTool.exe", windows / "VeltoFaxPrint.ini"};
  std::filesystem::copy_file(program, windows / "VeltoFaxTool.exe");
  const std::filesystem::path out = root.Path() / "out";
  std::filesystem::create_directories(out);
  // Saved without a dialog as PDF into `out`, and not opened afterwards.
  WriteText(windows / "VeltoFaxPrint.ini",
            "[save]\r\nsavemode=1\r\nautosaveformat=4\r\nautosavedir=" + out.string() + "\\\r\nchech1=0\r\n");
  ::SetEnvironmentVariableW(L"VELTO_PROCESSOR_TEST_WINDOWS", windows.c_str());
  root.AddJob(91, EmfSpoolJob(2, L"Hand-over"));

  Processor processor(ProcessorDir() / "Vtproc-test.dll");
  ASSERT_TRUE(processor.Loaded());
  HANDLE job = processor.Open(L"Velto Print", 91);
  ASSERT_NE(job, nullptr);
  wchar_t document[] = L"Hand-over test.doc";
  const BOOL printed = processor.print(job, document);
  ::SetEnvironmentVariableW(L"VELTO_PROCESSOR_TEST_WINDOWS", nullptr);
  EXPECT_TRUE(processor.close(job));
  ASSERT_TRUE(printed);

  // The program names the output after the document (its extension cut) and deletes the spool file once
  // the job is written.
  const std::filesystem::path pdf = out / "Hand-over test.pdf";
  for (int waited = 0; (spoolFiles() != 0 || !std::filesystem::exists(pdf)) && waited < 60000; waited += 100) {
    ::Sleep(100);
  }
  EXPECT_EQ(spoolFiles(), 0u) << "the program did not take the spool file";
  ASSERT_TRUE(std::filesystem::exists(pdf));
  ::Sleep(500);  // the program writes under another name and renames: the file is whole once it is there
  const std::string text = ReadText(pdf);
  EXPECT_EQ(text.rfind("%PDF-", 0), 0u);
  size_t pages = 0;
  for (size_t at = text.find("/Type /Page"); at != std::string::npos; at = text.find("/Type /Page", at + 1)) {
    if (text.compare(at, 12, "/Type /Pages") != 0) ++pages;  // a page, not the page tree
  }
  EXPECT_EQ(pages, 2u);
}

}  // namespace
}  // namespace vtproc_test
