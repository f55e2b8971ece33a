// The system shell: ShellExecute for documents, addresses and programs, CreateProcess for command
// lines (as WinExec starts them). The programs that other platforms serve themselves (rundll32's
// printer setup, the help viewer) are the system's own here.
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "platform/shell.h"
#include "platform/text_encoding.h"

namespace velto::platform {
namespace {

class SystemShell : public Shell {
 public:
  int Open(const std::string& file, const std::string& parameters, ShowCommand show) override {
    if (file.empty()) return kShellFileNotFound;
    const std::wstring wideParameters = Utf16(parameters);
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", Utf16(file).c_str(), parameters.empty() ? nullptr : wideParameters.c_str(),
                        nullptr, static_cast<int>(show));
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
  }

  bool Run(const std::string& commandLine, ShowCommand show, bool wait) override {
    std::wstring command = Utf16(commandLine);
    std::vector<wchar_t> writable(command.begin(), command.end());
    writable.push_back(L'\0');  // CreateProcessW may write into the command line
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      return false;
    }
    if (wait) ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
  }
};

Shell* g_override = nullptr;

}  // namespace

Shell& CurrentShell() {
  static SystemShell systemShell;
  return g_override ? *g_override : systemShell;
}

void SetShell(Shell* shell) { g_override = shell; }

void RegisterBuiltinProgram(const std::string&, BuiltinProgram) {}

}  // namespace velto::platform
