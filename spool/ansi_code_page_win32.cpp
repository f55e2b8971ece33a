#include <windows.h>

#include "spool/ansi_code_page.h"

namespace velto {

std::string Utf16ToAnsi(std::u16string_view text, char replacement) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int count = static_cast<int>(text.size());
  const char fallback[2] = {replacement, '\0'};
  const int length = ::WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, fallback, nullptr);
  std::string ansi(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, count, ansi.data(), length, fallback, nullptr);
  return ansi;
}

std::u16string AnsiToUtf16(std::string_view text) {
  if (text.empty()) return {};
  const int count = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), count, nullptr, 0);
  std::u16string wide(static_cast<size_t>(length), u'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), count, reinterpret_cast<wchar_t*>(wide.data()), length);
  return wide;
}

}  // namespace velto
