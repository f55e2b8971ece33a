// Environment overrides on Windows: the system's environment and the C library's copy of it, and the
// names that stand for what Windows has in their place.
#include "tests/support/test_support.h"

#include <windows.h>

#include <cstdlib>

#include "platform/text_encoding.h"
#include "platform/windows_directory.h"

namespace velto::test {

unsigned AnsiCodePage() { return ::GetACP(); }

std::optional<std::string> GetEnv(const std::string& name) {
  const std::wstring wideName = platform::Utf16(name);
  const DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  value.resize(length);
  return platform::Utf8(value);
}

void SetEnv(const std::string& name, const std::optional<std::string>& value) {
  // Both the system's environment (GetTempPathW, child processes) and the C library's copy (getenv).
  const std::wstring wideName = platform::Utf16(name);
  const std::wstring wideValue = value ? platform::Utf16(*value) : std::wstring();
  ::SetEnvironmentVariableW(wideName.c_str(), value ? wideValue.c_str() : nullptr);
  ::_wputenv_s(wideName.c_str(), wideValue.c_str());  // an empty value removes the variable
}

namespace {
// What the tests set in place of the Windows directory, to restore nested settings.
std::optional<std::string> g_windowsDirectory;

std::vector<std::string> NamesFor(const std::string& name) {
  if (name == "TMPDIR") return {"TMP", "TEMP"};
  return {name};
}
}  // namespace

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) {
  if (std::string(name) == "VELTO_WINDIR") {
    previous_.push_back(g_windowsDirectory);
    g_windowsDirectory = value;
    platform::SetWindowsDirectoryForTesting(value);
    return;
  }
  names_ = NamesFor(name);
  for (const auto& each : names_) {
    previous_.push_back(GetEnv(each));
    SetEnv(each, value);
  }
}

ScopedEnv::~ScopedEnv() {
  if (names_.empty()) {
    g_windowsDirectory = previous_.front();
    platform::SetWindowsDirectoryForTesting(g_windowsDirectory);
    return;
  }
  for (size_t i = 0; i < names_.size(); ++i) SetEnv(names_[i], previous_[i]);
}

}  // namespace velto::test
