// A stand-in for VeltoFaxTool.exe in the tests of the print processor and of the installer: it records
// how it was started and what it found, and does nothing else.
//
// The record, UTF-8, one "key=value" a line, goes to standin-<process id>-<time stamp>.record in the
// folder named by the environment variable VELTO_STANDIN_RECORDS, else beside the program. It is written
// under another name and renamed when complete, so a reader never sees half of it:
//   command-line=  the whole command line
//   command-text=  the text after the program's name (what the program reads its mode from)
//   session=       the session the program runs in
//   directory=     its current directory
//   spool=<name> <bytes>   one line per *.spl file beside the program when it started

#include <windows.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int bytes =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), bytes, nullptr,
                          nullptr);
  }
  return result;
}

// The command text the way the program takes it: after the program's name (quoted or up to the first
// blank) and the blanks that follow it.
std::wstring CommandText(const wchar_t* text) {
  if (*text == L'"') {
    ++text;
    while (*text && *text != L'"') ++text;
    if (*text == L'"') ++text;
  } else {
    while (*text && *text != L' ' && *text != L'\t') ++text;
  }
  while (*text == L' ' || *text == L'\t') ++text;
  return text;
}

bool EndsWithSpl(const std::wstring& name) {
  return name.size() > 4 && ::CompareStringOrdinal(name.c_str() + name.size() - 4, 4, L".spl", 4, TRUE) == CSTR_EQUAL;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t self[MAX_PATH];
  const DWORD selfLength = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (selfLength == 0 || selfLength >= MAX_PATH) return 2;
  std::wstring folder(self, selfLength);
  folder.erase(folder.rfind(L'\\'));

  std::string record = "command-line=" + Utf8(::GetCommandLineW()) + "\n";
  record += "command-text=" + Utf8(CommandText(::GetCommandLineW())) + "\n";
  DWORD session = 0;
  ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
  record += "session=" + std::to_string(session) + "\n";
  wchar_t current[MAX_PATH];
  const DWORD currentLength = ::GetCurrentDirectoryW(MAX_PATH, current);
  record += "directory=" + Utf8(std::wstring(current, currentLength < MAX_PATH ? currentLength : 0)) + "\n";

  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !EndsWithSpl(found.cFileName)) continue;
      const ULONGLONG size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
      record += "spool=" + Utf8(found.cFileName) + " " + std::to_string(size) + "\n";
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }

  std::wstring target = folder;
  wchar_t records[MAX_PATH];
  const DWORD recordsLength = ::GetEnvironmentVariableW(L"VELTO_STANDIN_RECORDS", records, MAX_PATH);
  if (recordsLength > 0 && recordsLength < MAX_PATH) target.assign(records, recordsLength);
  // Wine hands out the ids of ended processes again at once: the time stamp keeps a later program's
  // record from replacing an earlier one's.
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  target += L"\\standin-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(now.QuadPart) + L".record";
  const std::wstring partial = target + L".tmp";
  HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  ::CloseHandle(file);
  if (!ok || written != record.size() || !::MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    ::DeleteFileW(partial.c_str());
    return 4;
  }
  return 0;
}
