#include "processor/program_launch.h"

#include <userenv.h>

#include <algorithm>

#include "processor/text.h"

namespace vtproc {
namespace {

constexpr DWORD kNoSession = 0xFFFFFFFF;

// The environment block of a user, destroyed with DestroyEnvironmentBlock.
class EnvironmentBlock {
 public:
  explicit EnvironmentBlock(HANDLE token) {
    if (token && !::CreateEnvironmentBlock(&block_, token, FALSE)) block_ = nullptr;
  }
  ~EnvironmentBlock() {
    if (block_) ::DestroyEnvironmentBlock(block_);
  }
  EnvironmentBlock(const EnvironmentBlock&) = delete;
  EnvironmentBlock& operator=(const EnvironmentBlock&) = delete;
  void* Get() const { return block_; }

 private:
  void* block_ = nullptr;
};

}  // namespace

std::vector<DWORD> SessionsToTry(const std::vector<host::Session>& sessions, std::wstring_view owner,
                                 DWORD consoleSession) {
  std::wstring_view domain;
  std::wstring_view name = owner;
  if (auto slash = owner.rfind(L'\\'); slash != std::wstring_view::npos) {
    domain = owner.substr(0, slash);
    name = owner.substr(slash + 1);
  }
  std::vector<const host::Session*> matches;
  if (!name.empty()) {
    for (const host::Session& session : sessions) {
      if (session.id == 0 || session.id == kNoSession) continue;
      if (!SameName(session.user, name)) continue;
      if (!domain.empty() && !SameName(session.domain, domain)) continue;
      matches.push_back(&session);
    }
  }
  std::stable_sort(matches.begin(), matches.end(), [consoleSession](const host::Session* a, const host::Session* b) {
    if (a->active != b->active) return a->active;
    const bool aConsole = a->id == consoleSession;
    const bool bConsole = b->id == consoleSession;
    if (aConsole != bConsole) return aConsole;
    return a->id < b->id;
  });
  std::vector<DWORD> order;
  for (const host::Session* session : matches) order.push_back(session->id);
  if (consoleSession != 0 && consoleSession != kNoSession &&
      std::find(order.begin(), order.end(), consoleSession) == order.end()) {
    order.push_back(consoleSession);
  }
  return order;
}

std::wstring JobCommandLine(const std::wstring& programPath, std::wstring_view documentName) {
  return L"\"" + programPath + L"\" VELTO PRINT*" + CleanDocumentName(documentName, kMaxDocumentUnits);
}

std::optional<LaunchTarget> FindLaunchTarget(std::wstring_view owner, std::wstring& why) {
  const std::vector<host::Session> sessions = host::UserSessions();
  const DWORD console = host::ConsoleSession();
  DWORD lastError = ERROR_NO_SUCH_LOGON_SESSION;
  for (DWORD id : SessionsToTry(sessions, owner, console)) {
    DWORD error = 0;
    UniqueHandle token = host::UserToken(id, error);
    if (!token) {
      lastError = error;
      continue;
    }
    LaunchTarget target;
    target.token = std::move(token);
    target.session = id;
    for (const host::Session& session : sessions) {
      if (session.id != id) continue;
      target.user = session.domain.empty() ? session.user : session.domain + L"\\" + session.user;
    }
    return target;
  }
  // Run by a process that is not a service (a test, a tool), the processor can start the program where
  // it runs itself. In session 0 that would be a program nobody can see.
  const DWORD own = host::CurrentSession();
  if (own != 0) {
    LaunchTarget target;
    target.session = own;
    return target;
  }
  why = L"no user session to show the program in (" + ErrorText(lastError) + L")";
  return std::nullopt;
}

bool StartProgram(const LaunchTarget& target, const std::wstring& programPath, std::wstring commandLine,
                  const std::wstring& currentDirectory, DWORD& processId, DWORD& error) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  wchar_t desktop[] = L"winsta0\\default";
  startup.lpDesktop = desktop;
  PROCESS_INFORMATION process{};
  const DWORD flags = CREATE_UNICODE_ENVIRONMENT | CREATE_DEFAULT_ERROR_MODE;
  BOOL started = FALSE;
  if (target.token) {
    EnvironmentBlock environment(target.token.Get());
    started = ::CreateProcessAsUserW(target.token.Get(), programPath.c_str(), commandLine.data(), nullptr, nullptr,
                                     FALSE, flags, environment.Get(), currentDirectory.c_str(), &startup, &process);
  } else {
    started = ::CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                               currentDirectory.c_str(), &startup, &process);
  }
  if (!started) {
    error = ::GetLastError();
    return false;
  }
  processId = process.dwProcessId;
  UniqueHandle processHandle(process.hProcess);
  UniqueHandle threadHandle(process.hThread);
  return true;
}

}  // namespace vtproc
