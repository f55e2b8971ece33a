#pragma once
// Helpers of the print processor's tests: where the built libraries and the sources are, a test root for
// the test library, the processor's exports loaded from a library, and a small EMF spool job.

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vtproc_test {

// A path of the build machine ("/work/...") as this system reaches it: through drive Z: under Wine.
std::filesystem::path SystemPathOf(std::wstring path);
// The folder with Vtproc.dll, Vtproc-test.dll and the stand-in: VELTO_PROCESSOR_DIR, else
// VELTO_BUILD_DIR/processor.
std::filesystem::path ProcessorDir();
// The project's sources: VELTO_SOURCE_DIR.
std::filesystem::path SourceDir();
bool RunningUnderWine();

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
std::string ReadText(const std::filesystem::path& path);
void WriteText(const std::filesystem::path& path, const std::string& text);
std::string Utf8(const std::wstring& text);

// An EMF spool job of `pages` pages (each an enhanced metafile with a comment of 4000 bytes), as the
// spooler records it: the header record with the document name, then one EMRI_METAFILE_DATA record per
// page.
std::vector<uint8_t> EmfSpoolJob(int pages, const std::wstring& documentName);

// The six exports of a print processor library, loaded from `library` and freed at the end.
class Processor {
 public:
  explicit Processor(const std::filesystem::path& library);
  ~Processor();
  Processor(const Processor&) = delete;
  Processor& operator=(const Processor&) = delete;
  bool Loaded() const { return module_ != nullptr; }
  FARPROC Export(const char* name) const;

  // OpenPrintProcessor with the data type, job id and document name given.
  HANDLE Open(const std::wstring& printer, DWORD jobId, const std::wstring& datatype = L"NT EMF 1.008",
              const std::wstring& document = L"Opened document");

  decltype(&EnumPrintProcessorDatatypesW) enumDatatypes = nullptr;
  decltype(&OpenPrintProcessor) open = nullptr;
  decltype(&PrintDocumentOnPrintProcessor) print = nullptr;
  decltype(&ControlPrintProcessor) control = nullptr;
  decltype(&ClosePrintProcessor) close = nullptr;
  DWORD(WINAPI* capabilities)(LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD) = nullptr;

 private:
  HMODULE module_ = nullptr;
  std::wstring printer_, datatype_, document_;
};

// A folder for Vtproc-test.dll (named by VELTO_PROCESSOR_TEST_ROOT for the length of the scope), with
// windows\ and jobs\ in it; removed at the end.
class TestRoot {
 public:
  TestRoot();
  ~TestRoot();
  TestRoot(const TestRoot&) = delete;
  TestRoot& operator=(const TestRoot&) = delete;

  const std::filesystem::path& Path() const { return root_; }
  std::filesystem::path Windows() const { return root_ / "windows"; }
  std::filesystem::path Job(DWORD id, const char* extension) const;

  // Puts the stand-in program in the Windows directory as VeltoFaxTool.exe.
  void InstallStandIn() const;
  void AddJob(DWORD id, const std::vector<uint8_t>& data, const std::string& owner = "") const;
  void SetSessions(const std::string& table) const;

  // The stand-in's records (key → values), once `count` of them exist; fails the test after 20 s.
  std::vector<std::multimap<std::string, std::string>> WaitForRecords(size_t count) const;
  size_t RecordCount() const;
  // Names of the files in the Windows directory that end with `suffix` (any case).
  std::vector<std::string> FilesEndingWith(const std::string& suffix) const;
  std::string Log() const;

 private:
  std::filesystem::path root_;
};

}  // namespace vtproc_test

