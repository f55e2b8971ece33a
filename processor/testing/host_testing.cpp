// The answers of the test library Vtproc-test.dll: the same print processor, with the spooler, the
// Windows directory and the user sessions made of files under the folder named by the environment
// variable VELTO_PROCESSOR_TEST_ROOT:
//
//   windows\                 the Windows directory (the program and the spool files go here), unless
//                            VELTO_PROCESSOR_TEST_WINDOWS names another folder
//   jobs\<id>.spool          the data of job <id>, handed out in pieces of 1000 bytes
//   jobs\<id>.owner          the user who printed it (UTF-8)
//   jobs\<id>.hold           while it exists, the job's data stops after its first piece; jobs\<id>.holding
//                            is created when it does
//   jobs\<id>.fail           the job's data fails after its first piece (ERROR_UNEXP_NET_ERR)
//   sessions.txt             "session <id> active|disconnected <user> [<domain>]", "console <id>",
//                            "current <id>" lines; without the file: session 1, active, user "tester",
//                            console 1, current 1
//
// A user token is the test process's own, for any session listed with a user.

#include <windows.h>

#include <sstream>
#include <string>

#include "processor/host.h"

namespace vtproc::host {
namespace {

constexpr DWORD kPieceBytes = 1000;
constexpr DWORD kHoldLimitMs = 30000;

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(name, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::wstring(buffer, length);
}

std::wstring Root() { return Environment(L"VELTO_PROCESSOR_TEST_ROOT"); }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A small text file's bytes; empty when it is missing or larger than 64 KiB.
std::string ReadSmallFile(const std::wstring& path) {
  UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return {};
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > 64 * 1024) return {};
  std::string text(static_cast<size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!text.empty() && (!::ReadFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr) ||
                        got != text.size())) {
    return {};
  }
  return text;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int units = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(units > 0 ? units : 0), L'\0');
  if (units > 0) ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), units);
  return result;
}

struct SessionTable {
  std::vector<Session> sessions;
  DWORD console = 1;
  DWORD current = 1;
};

SessionTable ReadSessions() {
  SessionTable table;
  const std::wstring root = Root();
  const std::wstring path = root + L"\\sessions.txt";
  if (root.empty() || !Exists(path)) {
    table.sessions.push_back(Session{1, true, L"tester", L""});
    return table;
  }
  std::istringstream lines(ReadSmallFile(path));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "console") {
      words >> table.console;
    } else if (kind == "current") {
      words >> table.current;
    } else if (kind == "session") {
      Session session;
      std::string state, user, domain;
      words >> session.id >> state >> user >> domain;
      session.active = state == "active";
      session.user = Wide(user);
      session.domain = Wide(domain);
      table.sessions.push_back(session);
    }
  }
  return table;
}

class FileJobStream : public JobStream {
 public:
  FileJobStream(UniqueHandle file, std::wstring stem) : file_(std::move(file)), stem_(std::move(stem)) {}

  bool Read(BYTE* buffer, DWORD size, DWORD& got, DWORD& error) override {
    got = 0;
    if (pieces_ == 1 && Exists(stem_ + L".fail")) {
      error = ERROR_UNEXP_NET_ERR;
      return false;
    }
    if (pieces_ == 1 && Exists(stem_ + L".hold")) {
      UniqueHandle marker(::CreateFileW((stem_ + L".holding").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                        nullptr));
      marker.Reset();
      for (DWORD waited = 0; Exists(stem_ + L".hold") && waited < kHoldLimitMs; waited += 5) ::Sleep(5);
    }
    ++pieces_;
    if (!::ReadFile(file_.Get(), buffer, size < kPieceBytes ? size : kPieceBytes, &got, nullptr)) {
      error = ::GetLastError();
      return false;
    }
    return true;
  }

 private:
  UniqueHandle file_;
  std::wstring stem_;
  int pieces_ = 0;
};

}  // namespace

std::optional<std::wstring> WindowsDirectory() {
  const std::wstring root = Root();
  if (root.empty()) return std::nullopt;
  const std::wstring windows = Environment(L"VELTO_PROCESSOR_TEST_WINDOWS");
  return windows.empty() ? root + L"\\windows" : windows;
}

std::unique_ptr<JobStream> OpenJob(const std::wstring& /*printer*/, DWORD jobId, DWORD& error) {
  const std::wstring root = Root();
  if (root.empty()) {
    error = ERROR_INVALID_PRINTER_NAME;
    return nullptr;
  }
  std::wstring stem = root + L"\\jobs\\" + std::to_wstring(jobId);
  UniqueHandle file(::CreateFileW((stem + L".spool").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  0, nullptr));
  if (!file) {
    error = ERROR_INVALID_PARAMETER;  // what the spooler answers for a job that does not exist
    return nullptr;
  }
  return std::make_unique<FileJobStream>(std::move(file), std::move(stem));
}

std::wstring JobOwner(const std::wstring& /*printer*/, DWORD jobId) {
  const std::wstring root = Root();
  if (root.empty()) return {};
  std::string owner = ReadSmallFile(root + L"\\jobs\\" + std::to_wstring(jobId) + L".owner");
  while (!owner.empty() && (owner.back() == '\n' || owner.back() == '\r')) owner.pop_back();
  return Wide(owner);
}

std::vector<Session> UserSessions() { return ReadSessions().sessions; }

DWORD ConsoleSession() { return ReadSessions().console; }

DWORD CurrentSession() { return ReadSessions().current; }

UniqueHandle UserToken(DWORD session, DWORD& error) {
  for (const Session& listed : ReadSessions().sessions) {
    if (listed.id != session || listed.user.empty()) continue;
    HANDLE own = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &own)) break;
    UniqueHandle ownToken(own);
    HANDLE primary = nullptr;
    if (!::DuplicateTokenEx(own, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &primary)) break;
    return UniqueHandle(primary);
  }
  error = ERROR_NO_TOKEN;
  return UniqueHandle();
}

}  // namespace vtproc::host
