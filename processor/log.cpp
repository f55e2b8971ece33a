#include "processor/log.h"

#include <cstdio>

#include "processor/text.h"
#include "processor/win32_handles.h"

namespace vtproc {
namespace {

// The spooler prints on several printers at once, one thread each; their lines must not interleave.
SRWLOCK g_logLock = SRWLOCK_INIT;

class ExclusiveLock {
 public:
  explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
  ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&lock_); }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;

 private:
  SRWLOCK& lock_;
};

std::string TimeStamp() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  return text;
}

}  // namespace

void LogJob(const std::wstring& windowsDirectory, DWORD jobId, std::wstring_view document, std::wstring_view message) {
  std::string line = TimeStamp();
  line.append(" job ").append(std::to_string(jobId)).append(" \"");
  line.append(Utf8(CleanDocumentName(document, 256))).append("\": ").append(Utf8(message)).append("\r\n");

  const std::wstring path = windowsDirectory + L"\\" + kLogFileName;
  ExclusiveLock lock(g_logLock);
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) {
    const ULONGLONG size = (static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
    if (size > kLogLimitBytes) ::MoveFileExW(path.c_str(), (path + L".old").c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  UniqueHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD written = 0;
  ::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace vtproc
