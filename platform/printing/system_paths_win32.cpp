// The running executable, the Windows directory and the current directory, from the system.
#include "platform/printing/system_paths.h"
#include "platform/text_encoding.h"
#include "platform/windows_directory.h"

#include <windows.h>

#include <vector>

namespace velto::platform {
namespace {
std::optional<std::string> moduleOverride;
bool windowsDirectoryFails = false;
}  // namespace

std::string ModuleFileName() {
  if (moduleOverride) return *moduleOverride;
  // The path may be longer than MAX_PATH: grow the buffer until the whole path fits.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::vector<wchar_t> buffer(size);
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
    if (length == 0) return {};
    if (length < size) return Utf8(std::wstring_view(buffer.data(), length));
  }
  return {};
}

void SetModuleFileNameForTesting(std::optional<std::string> path) { moduleOverride = std::move(path); }

std::optional<std::string> GetWindowsDirectoryA() {
  if (windowsDirectoryFails) return std::nullopt;
  return WindowsDirectory();
}

void SimulateWindowsDirectoryFailure(bool fail) { windowsDirectoryFails = fail; }

bool SetCurrentDirectoryA(const std::string& path) {
  return !path.empty() && ::SetCurrentDirectoryW(Utf16(path).c_str());
}

}  // namespace velto::platform
