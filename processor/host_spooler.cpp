// The system's answers for Vtproc.dll: the spooler's job data and owner, the Windows directory and the
// terminal-services sessions.

#include <windows.h>
#include <winspool.h>
#include <wtsapi32.h>

#include <vector>

#include "processor/host.h"

namespace vtproc::host {
namespace {

// A spooler handle closed with ClosePrinter.
class PrinterHandle {
 public:
  PrinterHandle() = default;
  ~PrinterHandle() {
    if (handle_) ::ClosePrinter(handle_);
  }
  PrinterHandle(const PrinterHandle&) = delete;
  PrinterHandle& operator=(const PrinterHandle&) = delete;

  bool Open(std::wstring name) {
    // OpenPrinterW takes a writable name.
    return ::OpenPrinterW(name.data(), &handle_, nullptr) != FALSE && handle_ != nullptr;
  }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

// The job read through the spooler: a handle opened on "PrinterName, Job N" gives the job's spool data
// with ReadPrinter, exactly as the spooler recorded it (for "NT EMF 1.008" the EMF spool format).
class SpoolerJobStream : public JobStream {
 public:
  bool Open(const std::wstring& printer, DWORD jobId) {
    return printer_.Open(printer + L", Job " + std::to_wstring(jobId));
  }
  bool Read(BYTE* buffer, DWORD size, DWORD& got, DWORD& error) override {
    got = 0;
    if (::ReadPrinter(printer_.Get(), buffer, size, &got)) return true;
    error = ::GetLastError();
    return false;
  }

 private:
  PrinterHandle printer_;
};

// Text of a session's WTS information field; empty when it cannot be had.
std::wstring SessionText(DWORD session, WTS_INFO_CLASS field) {
  LPWSTR text = nullptr;
  DWORD bytes = 0;
  if (!::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, field, &text, &bytes) || !text) return {};
  std::wstring value(text);
  ::WTSFreeMemory(text);
  return value;
}

}  // namespace

std::optional<std::wstring> WindowsDirectory() {
  wchar_t buffer[MAX_PATH];
  const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::wstring(buffer, length);
}

std::unique_ptr<JobStream> OpenJob(const std::wstring& printer, DWORD jobId, DWORD& error) {
  auto stream = std::make_unique<SpoolerJobStream>();
  if (!stream->Open(printer, jobId)) {
    error = ::GetLastError();
    return nullptr;
  }
  return stream;
}

std::wstring JobOwner(const std::wstring& printer, DWORD jobId) {
  PrinterHandle handle;
  if (!handle.Open(printer)) return {};
  DWORD needed = 0;
  ::GetJobW(handle.Get(), jobId, 1, nullptr, 0, &needed);
  if (needed < sizeof(JOB_INFO_1W) || needed > 1024 * 1024) return {};
  std::vector<BYTE> buffer(needed);
  if (!::GetJobW(handle.Get(), jobId, 1, buffer.data(), needed, &needed)) return {};
  const auto* info = reinterpret_cast<const JOB_INFO_1W*>(buffer.data());
  return info->pUserName ? std::wstring(info->pUserName) : std::wstring();
}

std::vector<Session> UserSessions() {
  std::vector<Session> sessions;
  WTS_SESSION_INFOW* list = nullptr;
  DWORD count = 0;
  if (!::WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &list, &count) || !list) return sessions;
  for (DWORD i = 0; i < count; ++i) {
    Session session;
    session.id = list[i].SessionId;
    session.active = list[i].State == WTSActive;
    session.user = SessionText(session.id, WTSUserName);
    if (session.user.empty()) continue;
    session.domain = SessionText(session.id, WTSDomainName);
    sessions.push_back(std::move(session));
  }
  ::WTSFreeMemory(list);
  return sessions;
}

DWORD ConsoleSession() { return ::WTSGetActiveConsoleSessionId(); }

DWORD CurrentSession() {
  DWORD session = 0;
  if (!::ProcessIdToSessionId(::GetCurrentProcessId(), &session)) return 0;
  return session;
}

UniqueHandle UserToken(DWORD session, DWORD& error) {
  HANDLE token = nullptr;
  if (!::WTSQueryUserToken(session, &token)) {
    error = ::GetLastError();
    return UniqueHandle();
  }
  return UniqueHandle(token);
}

}  // namespace vtproc::host
