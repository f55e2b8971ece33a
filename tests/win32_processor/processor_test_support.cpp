#include "processor_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <type_traits>

namespace vtproc_test {
namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[1024];
  const DWORD length = ::GetEnvironmentVariableW(name, buffer, 1024);
  if (length == 0 || length >= 1024) return {};
  return std::wstring(buffer, length);
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Put16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

// One page: EMR_HEADER, an EMR_GDICOMMENT of 4000 bytes, EMR_EOF.
std::vector<uint8_t> Page(int number) {
  constexpr uint32_t kHeaderBytes = 108, kCommentBytes = 12 + 4000, kEofBytes = 20;
  constexpr uint32_t kTotal = kHeaderBytes + kCommentBytes + kEofBytes;
  std::vector<uint8_t> emf;
  Put32(emf, 1);  // EMR_HEADER
  Put32(emf, kHeaderBytes);
  for (uint32_t v : {0u, 0u, 99u, 99u}) Put32(emf, v);        // bounds
  for (uint32_t v : {0u, 0u, 21000u, 29700u}) Put32(emf, v);  // frame, 0.01 mm
  Put32(emf, 0x464D4520);                                     // " EMF"
  Put32(emf, 0x00010000);
  Put32(emf, kTotal);
  Put32(emf, 3);  // records
  Put16(emf, 1);  // handles
  Put16(emf, 0);
  for (uint32_t v : {0u, 0u, 0u}) Put32(emf, v);  // description, palette
  for (uint32_t v : {2480u, 3508u, 210u, 297u}) Put32(emf, v);
  for (uint32_t v : {0u, 0u, 0u, 210000u, 297000u}) Put32(emf, v);  // pixel format, OpenGL, micrometres
  Put32(emf, 70);  // EMR_GDICOMMENT
  Put32(emf, kCommentBytes);
  Put32(emf, 4000);
  for (int i = 0; i < 4000; ++i) emf.push_back(static_cast<uint8_t>('A' + (i + number) % 26));
  Put32(emf, 14);  // EMR_EOF
  Put32(emf, kEofBytes);
  for (uint32_t v : {0u, 16u, kEofBytes}) Put32(emf, v);
  return emf;
}

}  // namespace

std::filesystem::path SystemPathOf(std::wstring path) {
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return std::filesystem::path(path);
}

std::filesystem::path ProcessorDir() {
  std::wstring dir = Environment(L"VELTO_PROCESSOR_DIR");
  if (dir.empty()) {
    dir = Environment(L"VELTO_BUILD_DIR");
    if (!dir.empty()) dir += L"/processor";
  }
  return SystemPathOf(dir);
}

std::filesystem::path SourceDir() { return SystemPathOf(Environment(L"VELTO_SOURCE_DIR")); }

bool RunningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

std::string ReadText(const std::filesystem::path& path) {
  auto bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int bytes =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), bytes, nullptr, nullptr);
  return result;
}

std::vector<uint8_t> EmfSpoolJob(int pages, const std::wstring& documentName) {
  std::vector<uint8_t> name;
  for (wchar_t c : documentName) Put16(name, static_cast<uint16_t>(c));
  Put16(name, 0);
  while (name.size() % 4) name.push_back(0);
  std::vector<uint8_t> job;
  Put32(job, 0x00010000);
  Put32(job, static_cast<uint32_t>(16 + name.size()));
  Put32(job, 16);  // document name
  Put32(job, 0);   // no output file
  job.insert(job.end(), name.begin(), name.end());
  for (int page = 1; page <= pages; ++page) {
    std::vector<uint8_t> emf = Page(page);
    Put32(job, 12);  // EMRI_METAFILE_DATA
    Put32(job, static_cast<uint32_t>(emf.size()));
    job.insert(job.end(), emf.begin(), emf.end());
  }
  return job;
}

Processor::Processor(const std::filesystem::path& library) {
  module_ = ::LoadLibraryW(library.c_str());
  if (!module_) return;
  auto load = [this](auto& function, const char* name) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(reinterpret_cast<void*>(Export(name)));
  };
  load(enumDatatypes, "EnumPrintProcessorDatatypesW");
  load(open, "OpenPrintProcessor");
  load(print, "PrintDocumentOnPrintProcessor");
  load(control, "ControlPrintProcessor");
  load(close, "ClosePrintProcessor");
  load(capabilities, "GetPrintProcessorCapabilities");
}

Processor::~Processor() {
  if (module_) ::FreeLibrary(module_);
}

FARPROC Processor::Export(const char* name) const { return module_ ? ::GetProcAddress(module_, name) : nullptr; }

HANDLE Processor::Open(const std::wstring& printer, DWORD jobId, const std::wstring& datatype,
                       const std::wstring& document) {
  printer_ = printer;
  datatype_ = datatype;
  document_ = document;
  PRINTPROCESSOROPENDATA data{};
  data.pDatatype = datatype_.data();
  data.pDocumentName = document_.data();
  data.JobId = jobId;
  data.pPrinterName = printer_.data();
  return open(printer_.data(), &data);
}

TestRoot::TestRoot() {
  static int counter = 0;
  root_ = std::filesystem::temp_directory_path() /
          ("vtproc-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter));
  std::filesystem::remove_all(root_);
  std::filesystem::create_directories(Windows());
  std::filesystem::create_directories(root_ / "jobs");
  ::SetEnvironmentVariableW(L"VELTO_PROCESSOR_TEST_ROOT", root_.c_str());
}

TestRoot::~TestRoot() {
  ::SetEnvironmentVariableW(L"VELTO_PROCESSOR_TEST_ROOT", nullptr);
  std::error_code ignored;
  // A stand-in may still be writing its record; give it a moment before the folder goes.
  for (int attempt = 0; attempt < 50; ++attempt) {
    std::filesystem::remove_all(root_, ignored);
    if (!std::filesystem::exists(root_)) break;
    ::Sleep(100);
  }
}

std::filesystem::path TestRoot::Job(DWORD id, const char* extension) const {
  return root_ / "jobs" / (std::to_string(id) + extension);
}

void TestRoot::InstallStandIn() const {
  std::error_code error;
  std::filesystem::copy_file(ProcessorDir() / "vtproc-standin.exe", Windows() / "VeltoFaxTool.exe",
                             std::filesystem::copy_options::overwrite_existing, error);
  ASSERT_FALSE(error) << "the stand-in program: " << error.message() << " (" << ProcessorDir() << ")";
}

void TestRoot::AddJob(DWORD id, const std::vector<uint8_t>& data, const std::string& owner) const {
  WriteBytes(Job(id, ".spool"), data);
  if (!owner.empty()) WriteText(Job(id, ".owner"), owner);
}

void TestRoot::SetSessions(const std::string& table) const { WriteText(root_ / "sessions.txt", table); }

size_t TestRoot::RecordCount() const {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Windows())) {
    if (entry.path().extension() == ".record") ++count;
  }
  return count;
}

std::vector<std::multimap<std::string, std::string>> TestRoot::WaitForRecords(size_t count) const {
  for (int waited = 0; RecordCount() < count && waited < 20000; waited += 20) ::Sleep(20);
  std::vector<std::multimap<std::string, std::string>> records;
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(Windows())) {
    if (entry.path().extension() == ".record") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  for (const auto& path : paths) {
    std::multimap<std::string, std::string> record;
    std::istringstream lines(ReadText(path));
    std::string line;
    while (std::getline(lines, line)) {
      auto equals = line.find('=');
      if (equals != std::string::npos) record.emplace(line.substr(0, equals), line.substr(equals + 1));
    }
    records.push_back(std::move(record));
  }
  EXPECT_EQ(records.size(), count) << "records of the stand-in program";
  return records;
}

std::vector<std::string> TestRoot::FilesEndingWith(const std::string& suffix) const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(Windows())) {
    std::string name = entry.path().filename().string();
    if (name.size() < suffix.size()) continue;
    if (::_stricmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string TestRoot::Log() const { return ReadText(Windows() / "Vtproc.log"); }

}  // namespace vtproc_test
