#include "processor/spool_capture.h"

#include <sddl.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "processor/win32_handles.h"

namespace vtproc {
namespace {

constexpr DWORD kChunkBytes = 64 * 1024;
constexpr uint32_t kEmfSpoolVersion = 0x00010000;  // first field of an EMF spool file's header record
// SYSTEM and the administrators have full control; nobody else, and nothing inherited from the
// Windows directory (where every user may read), so one user cannot read another user's print job.
constexpr wchar_t kSystemOnlySddl[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)";
// What the user who printed gets: read (FILE_GENERIC_READ) and delete.
constexpr wchar_t kUserRights[] = L"0x130089";

uint32_t LittleEndian32(const BYTE* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// The part file: deleted when it goes out of scope unless the capture keeps it.
class PartFile {
 public:
  PartFile() = default;
  ~PartFile() {
    handle_.Reset();
    if (!path_.empty() && !keep_) ::DeleteFileW(path_.c_str());
  }
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  // Creates a new file at `path`; false with the last error set when it exists or cannot be made.
  bool Create(const std::wstring& path) {
    LocalBlock<PSECURITY_DESCRIPTOR> descriptor;
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(kSystemOnlySddl, SDDL_REVISION_1, descriptor.Out(),
                                                               nullptr)) {
      security.lpSecurityDescriptor = descriptor.Get();
    }
    handle_ = UniqueHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, &security, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle_) return false;
    path_ = path;
    return true;
  }

  bool Write(const BYTE* data, DWORD size) {
    while (size > 0) {
      DWORD written = 0;
      if (!::WriteFile(handle_.Get(), data, size, &written, nullptr)) return false;
      if (written == 0) {
        ::SetLastError(ERROR_WRITE_FAULT);
        return false;
      }
      data += written;
      size -= written;
    }
    return true;
  }

  // Flushes and closes the file so that it is whole on disk before anyone sees it.
  bool Finish() {
    const bool flushed = ::FlushFileBuffers(handle_.Get()) != FALSE;
    const DWORD error = ::GetLastError();
    handle_.Reset();
    if (!flushed) ::SetLastError(error);
    return flushed;
  }

  void Keep() { keep_ = true; }
  const std::wstring& Path() const { return path_; }

 private:
  UniqueHandle handle_;
  std::wstring path_;
  bool keep_ = false;
};

ULONGLONG Now() {
  FILETIME time;
  ::GetSystemTimeAsFileTime(&time);
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

std::wstring JobFileBase(ULONGLONG time, DWORD jobId) {
  wchar_t digits[17];
  std::swprintf(digits, 17, L"%016llX", ~time);
  return L"!VeltoJob-" + std::wstring(digits) + L"-" + std::to_wstring(jobId);
}

Capture CaptureJob(host::JobStream& stream, JobControl& control, const std::wstring& directory, DWORD jobId) {
  Capture capture;
  PartFile part;
  // A name taken already (two jobs within the same 100 ns, or a leftover) moves the time on.
  ULONGLONG time = Now();
  for (int attempt = 0;; ++attempt, --time) {
    capture.baseName = JobFileBase(time, jobId);
    if (part.Create(directory + L"\\" + capture.baseName + L".spl.part")) break;
    const DWORD error = ::GetLastError();
    if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 100) {
      capture.outcome = CaptureOutcome::WriteFailed;
      capture.error = error;
      return capture;
    }
  }

  std::vector<BYTE> buffer(kChunkBytes);
  std::array<BYTE, 8> header{};
  for (;;) {
    if (!control.WaitWhilePaused()) {
      capture.outcome = CaptureOutcome::Cancelled;
      return capture;
    }
    DWORD got = 0;
    DWORD error = 0;
    if (!stream.Read(buffer.data(), kChunkBytes, got, error)) {
      // A cancelled job's data ends with an error from the spooler; that is the cancel, not a failure.
      capture.outcome = control.Cancelled() ? CaptureOutcome::Cancelled : CaptureOutcome::ReadFailed;
      capture.error = error;
      return capture;
    }
    if (got == 0) break;
    if (got > kChunkBytes) {  // a reader must never claim more than the buffer holds
      capture.outcome = CaptureOutcome::ReadFailed;
      capture.error = ERROR_INVALID_DATA;
      return capture;
    }
    for (DWORD i = 0; i < got && capture.bytes + i < header.size(); ++i) {
      header[static_cast<size_t>(capture.bytes + i)] = buffer[i];
    }
    if (!part.Write(buffer.data(), got)) {
      capture.outcome = CaptureOutcome::WriteFailed;
      capture.error = ::GetLastError();
      return capture;
    }
    capture.bytes += got;
  }
  if (control.Cancelled()) {
    capture.outcome = CaptureOutcome::Cancelled;
    return capture;
  }
  if (capture.bytes == 0) {
    capture.outcome = CaptureOutcome::Empty;
    return capture;
  }
  if (!part.Finish()) {
    capture.outcome = CaptureOutcome::WriteFailed;
    capture.error = ::GetLastError();
    return capture;
  }

  // The EMF spool header record: the version, then its own size, at which the first record starts.
  const bool emfSpool = capture.bytes >= header.size() && LittleEndian32(header.data()) == kEmfSpoolVersion &&
                        LittleEndian32(header.data() + 4) >= header.size() &&
                        LittleEndian32(header.data() + 4) < capture.bytes;
  capture.outcome = emfSpool ? CaptureOutcome::Captured : CaptureOutcome::NotEmfSpool;
  capture.partPath = part.Path();
  part.Keep();
  return capture;
}

bool GrantToUser(const std::wstring& path, HANDLE token) {
  DWORD needed = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
  if (needed == 0 || needed > 4096) return false;
  std::vector<BYTE> user(needed);
  if (!::GetTokenInformation(token, TokenUser, user.data(), needed, &needed)) return false;
  LocalBlock<wchar_t*> sid;
  if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, sid.Out())) return false;
  const std::wstring sddl = std::wstring(kSystemOnlySddl) + L"(A;;" + kUserRights + L";;;" + sid.Get() + L")";
  LocalBlock<PSECURITY_DESCRIPTOR> descriptor;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, descriptor.Out(),
                                                              nullptr)) {
    return false;
  }
  return ::SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.Get()) != FALSE;
}

std::optional<std::wstring> PublishSpoolFile(const std::wstring& partPath, const std::wstring& directory,
                                             const std::wstring& baseName, DWORD& error) {
  for (int n = 1; n < 100; ++n) {
    std::wstring target = directory + L"\\" + baseName + (n == 1 ? L"" : L"-" + std::to_wstring(n)) + L".spl";
    // Without MOVEFILE_REPLACE_EXISTING the rename fails on an existing name instead of replacing a job.
    if (::MoveFileExW(partPath.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return target;
    error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return std::nullopt;
  }
  return std::nullopt;
}

std::wstring SetAsideData(const std::wstring& partPath, const std::wstring& directory, const std::wstring& baseName) {
  std::wstring target = directory + L"\\" + baseName + L".data";
  if (::MoveFileExW(partPath.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return target;
  return partPath;
}

}  // namespace vtproc
