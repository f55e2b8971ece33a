#pragma once
// Starting VeltoFaxTool for a finished job, in the session of the user who printed.
//
// The spooler is a service in session 0, where windows are invisible to the user on Windows Vista and
// later. The program shows a Save dialog, so it is started with the token of the user who printed, on
// that user's desktop: WTSQueryUserToken for the session, CreateProcessAsUserW with the user's own
// environment. The user's own (on UAC systems the filtered, non-elevated) token is used, never the
// spooler's: a dialog running as SYSTEM on a user's desktop would hand that user the system.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "processor/host.h"
#include "processor/win32_handles.h"

namespace vtproc {

inline constexpr wchar_t kProgramFileName[] = L"VeltoFaxTool.exe";
// Document names longer than this are cut in the command line (the program keeps 511 bytes of it).
inline constexpr size_t kMaxDocumentUnits = 1024;

// The sessions to try, best first, for a job printed by `owner` ("user" or "DOMAIN\user"): the owner's
// sessions (an active one before a disconnected one, the console's before others, then by number), then
// the console session. Session 0 (services) is never chosen; the owner's name is compared without regard
// to case, the domain only when the owner names one.
std::vector<DWORD> SessionsToTry(const std::vector<host::Session>& sessions, std::wstring_view owner,
                                 DWORD consoleSession);

// "\"<program>\" VELTO PRINT*<document name>", the document name cleaned by CleanDocumentName.
std::wstring JobCommandLine(const std::wstring& programPath, std::wstring_view documentName);

struct LaunchTarget {
  UniqueHandle token;     // empty: start with the processor's own token (not in session 0)
  DWORD session = 0;
  std::wstring user;      // for the log
};

// Where to start the program for a job of `owner`. None when no user session can be had (nobody logged
// on); `why` then says so.
std::optional<LaunchTarget> FindLaunchTarget(std::wstring_view owner, std::wstring& why);

// Starts the program (not waiting for it). False with `error` set when it cannot be started.
bool StartProgram(const LaunchTarget& target, const std::wstring& programPath, std::wstring commandLine,
                  const std::wstring& currentDirectory, DWORD& processId, DWORD& error);

}  // namespace vtproc
