// The system's last error and its message table.
#include "platform/printing/system_errors.h"
#include "platform/text_encoding.h"

// After our headers: the Windows headers define the error names above as macros.
#include <windows.h>

#include <memory>

namespace velto::platform {
namespace {

struct LocalFreeDeleter {
  void operator()(wchar_t* text) const { ::LocalFree(text); }
};

}  // namespace

void SetLastError(uint32_t code) { ::SetLastError(code); }
uint32_t GetLastError() { return ::GetLastError(); }

std::optional<std::string> FormatSystemMessage(uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::unique_ptr<wchar_t, LocalFreeDeleter> owned(buffer);
  if (length == 0 || !buffer) return std::nullopt;
  std::wstring_view text(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.remove_suffix(1);
  return Utf8(text);
}

}  // namespace velto::platform
