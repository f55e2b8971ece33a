#include "processor/text.h"

#include "processor/win32_handles.h"

namespace vtproc {

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string result(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, result.data(), bytes, nullptr, nullptr);
  return result;
}

std::wstring ErrorText(DWORD error) {
  LocalBlock<wchar_t*> message;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(message.Out()), 0, nullptr);
  std::wstring text = length && message.Get() ? std::wstring(message.Get(), length) : std::wstring();
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.')) {
    text.pop_back();
  }
  if (text.empty()) text = L"Unknown error";
  return text + L". (error " + std::to_wstring(error) + L")";
}

std::wstring CleanDocumentName(std::wstring_view name, size_t maxUnits) {
  if (name.size() > maxUnits) {
    size_t cut = maxUnits;
    // A high surrogate at the end would lose its partner.
    if (cut > 0 && name[cut - 1] >= 0xD800 && name[cut - 1] <= 0xDBFF) --cut;
    name = name.substr(0, cut);
  }
  std::wstring clean(name);
  for (wchar_t& c : clean) {
    if (c < 0x20 || c == 0x7F) c = L' ';
  }
  return clean;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

}  // namespace vtproc
