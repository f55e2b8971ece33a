#pragma once
// What the print processor asks of the system around it: the Windows directory, the job's data and
// owner from the spooler, and the user sessions. Vtproc.dll links the real answers (host_spooler.cpp);
// the test library links answers made from files (testing/host_testing.cpp), because no spooler that
// can be tested against hands a third-party processor its jobs.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "processor/win32_handles.h"

namespace vtproc::host {

// The job's spool data, read front to back.
class JobStream {
 public:
  virtual ~JobStream() = default;
  // Reads up to `size` bytes; `got` 0 with a true result is the end of the data. False with `error` set
  // when the data cannot be read (the job was deleted, the spooler failed).
  virtual bool Read(BYTE* buffer, DWORD size, DWORD& got, DWORD& error) = 0;
};

struct Session {
  DWORD id = 0;
  bool active = false;  // a user works in it now (not disconnected)
  std::wstring user;
  std::wstring domain;
};

// The Windows directory, where the program lives and looks for its spool files.
std::optional<std::wstring> WindowsDirectory();

// The data of job `jobId` of printer `printer`; null with `error` set when it cannot be opened.
std::unique_ptr<JobStream> OpenJob(const std::wstring& printer, DWORD jobId, DWORD& error);

// The name of the user who printed the job, as the spooler records it (may carry "DOMAIN\"); empty when
// it cannot be had.
std::wstring JobOwner(const std::wstring& printer, DWORD jobId);

// The sessions that have a user logged on.
std::vector<Session> UserSessions();
// The session attached to the physical console, or 0xFFFFFFFF when there is none.
DWORD ConsoleSession();
// The session the calling process runs in (0 for services such as the spooler).
DWORD CurrentSession();
// A primary token of the user logged on in `session`; empty with `error` set when there is none.
UniqueHandle UserToken(DWORD session, DWORD& error);

}  // namespace vtproc::host
