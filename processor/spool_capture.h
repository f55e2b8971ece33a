#pragma once
// Copying a job's spool data into the Windows directory, where the program looks for it.
//
// The data is written under a name the program does not look at (NAME.spl.part) and renamed to
// NAME.spl only when it is complete, so the program never sees half a job. NAME is
// "!VeltoJob-<16 hex digits>-<job id>": the hex digits count down with the time of printing, so the
// newest job comes first in the directory listing (the program takes the first *.spl it lists), and the
// "!" puts the processor's files before the spooler's own NNNNN.SPL files, which also lie in that
// directory because the printer's spool directory points there.

#include <windows.h>

#include <optional>
#include <string>

#include "processor/host.h"
#include "processor/job_control.h"

namespace vtproc {

enum class CaptureOutcome {
  Captured,     // the whole job is in `partPath`
  Empty,        // the job holds no data; nothing was written
  Cancelled,    // the job was cancelled; nothing was kept
  ReadFailed,   // the spooler could not give the data (`error`); nothing was kept
  WriteFailed,  // the file could not be written (`error`, a full disk); nothing was kept
  NotEmfSpool,  // the data is no EMF spool file; it is kept in `partPath` for inspection
};

struct Capture {
  CaptureOutcome outcome = CaptureOutcome::ReadFailed;
  DWORD error = 0;
  std::wstring partPath;  // the written file, when kept
  std::wstring baseName;  // NAME, without folder and extension
  ULONGLONG bytes = 0;
};

// "!VeltoJob-<16 hex digits of ~time>-<jobId>"; `time` in 100-nanosecond units (FILETIME).
std::wstring JobFileBase(ULONGLONG time, DWORD jobId);

// Reads the job from `stream` into NAME.spl.part in `directory`, waiting while the job is paused and
// stopping when it is cancelled. The file is readable and writable by the system and administrators only
// until GrantToUser adds the user who printed.
Capture CaptureJob(host::JobStream& stream, JobControl& control, const std::wstring& directory, DWORD jobId);

// Lets the user of `token` read and delete the file (the program runs as that user and deletes the
// spool file when it has converted it). False with the last error set when it cannot be done.
bool GrantToUser(const std::wstring& path, HANDLE token);

// Renames a captured NAME.spl.part to NAME.spl (NAME-2.spl, … when taken); the new path, or none with
// `error` set.
std::optional<std::wstring> PublishSpoolFile(const std::wstring& partPath, const std::wstring& directory,
                                             const std::wstring& baseName, DWORD& error);

// Renames data that is no spool file out of the program's way: NAME.data. The new path, or the old one
// when it cannot be renamed.
std::wstring SetAsideData(const std::wstring& partPath, const std::wstring& directory, const std::wstring& baseName);

}  // namespace vtproc
