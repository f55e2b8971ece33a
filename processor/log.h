#pragma once
// The processor's log: one line per job outcome, appended to Vtproc.log in the Windows directory, beside
// the program it starts. The spooler runs as a service without a console or a window, so this file is
// where a job that was kept instead of converted is explained.

#include <windows.h>

#include <string>
#include <string_view>

namespace vtproc {

inline constexpr wchar_t kLogFileName[] = L"Vtproc.log";
// Past this size the log is moved to Vtproc.log.old (replacing an older one) and started afresh.
inline constexpr ULONGLONG kLogLimitBytes = 1024 * 1024;

// Appends "<local time> job <id> "<document>": <message>" to the log in `windowsDirectory`. Failures to
// write are ignored: the log must never stop a job.
void LogJob(const std::wstring& windowsDirectory, DWORD jobId, std::wstring_view document, std::wstring_view message);

}  // namespace vtproc
