// The system's registry through the wide calls. An opened key is the system's handle as a number; the
// predefined keys are mapped to the system's own.
#include "platform/printing/registry.h"
#include "platform/text_encoding.h"

namespace velto::platform {
namespace {
// Our predefined keys, taken before the Windows headers make these names macros of their own values.
constexpr HKEY kLocalMachine = HKEY_LOCAL_MACHINE;
constexpr HKEY kCurrentUser = HKEY_CURRENT_USER;
}  // namespace
}  // namespace velto::platform

#include <windows.h>

#undef RegDeleteTree  // our function of that name, not the system's RegDeleteTreeA/W switch

#include <vector>

namespace {
// The system's predefined keys (outside our namespace, where HKEY is the system's type).
::HKEY SystemLocalMachine() { return HKEY_LOCAL_MACHINE; }
::HKEY SystemCurrentUser() { return HKEY_CURRENT_USER; }
}  // namespace

namespace velto::platform {
namespace {

bool Predefined(HKEY key) { return key == kLocalMachine || key == kCurrentUser; }

::HKEY Native(HKEY key) {
  if (key == kLocalMachine) return SystemLocalMachine();
  if (key == kCurrentUser) return SystemCurrentUser();
  return reinterpret_cast<::HKEY>(key);
}
HKEY Ours(::HKEY key) { return reinterpret_cast<HKEY>(key); }

// A REG_SZ value's text (UTF-8, up to its first zero) as the UTF-16 bytes the registry keeps, with the
// terminating zero.
std::vector<uint8_t> WideStringData(std::span<const uint8_t> data) {
  std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  if (auto zero = text.find('\0'); zero != std::string_view::npos) text = text.substr(0, zero);
  const std::wstring wide = Utf16(text);
  const auto* bytes = reinterpret_cast<const uint8_t*>(wide.c_str());
  return std::vector<uint8_t>(bytes, bytes + (wide.size() + 1) * sizeof(wchar_t));
}

}  // namespace

long RegOpenKeyExA(HKEY key, const std::string& subKey, uint32_t options, uint32_t access, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  ::HKEY opened = nullptr;
  const LSTATUS status = ::RegOpenKeyExW(Native(key), Utf16(subKey).c_str(), options, access, &opened);
  *result = status == ERROR_SUCCESS ? Ours(opened) : 0;
  return status;
}

long RegCreateKeyA(HKEY key, const std::string& subKey, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  ::HKEY created = nullptr;
  const LSTATUS status = ::RegCreateKeyExW(Native(key), Utf16(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_ALL_ACCESS, nullptr, &created, nullptr);
  *result = status == ERROR_SUCCESS ? Ours(created) : 0;
  return status;
}

long RegSetValueExA(HKEY key, const std::string& valueName, uint32_t reserved, uint32_t type,
                    std::span<const uint8_t> data) {
  const std::wstring name = Utf16(valueName);
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    const std::vector<uint8_t> wide = WideStringData(data);
    return ::RegSetValueExW(Native(key), name.c_str(), reserved, type, wide.data(), static_cast<DWORD>(wide.size()));
  }
  return ::RegSetValueExW(Native(key), name.c_str(), reserved, type, data.data(), static_cast<DWORD>(data.size()));
}

long RegCloseKey(HKEY key) {
  if (Predefined(key)) return ERROR_SUCCESS;  // never closed: other parts of the process use them too
  return ::RegCloseKey(Native(key));
}

long RegDeleteTree(HKEY key, const std::string& subKey) {
  return ::RegDeleteTreeW(Native(key), subKey.empty() ? nullptr : Utf16(subKey).c_str());
}

std::optional<std::string> RegistryString(HKEY root, const std::string& subKey, const std::string& valueName) {
  HKEY key = 0;
  if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
  const std::wstring name = Utf16(valueName);
  std::optional<std::string> text;
  DWORD type = 0, size = 0;
  if (::RegQueryValueExW(Native(key), name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(Native(key), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) ==
        ERROR_SUCCESS) {
      // The stored text need not end in a zero; it ends at the first one when it does.
      std::wstring_view value(buffer.data(), got / sizeof(wchar_t));
      if (auto zero = value.find(L'\0'); zero != std::wstring_view::npos) value = value.substr(0, zero);
      text = Utf8(value);
    }
  }
  RegCloseKey(key);
  return text;
}

bool RegistryKeyExists(HKEY root, const std::string& subKey) {
  HKEY key = 0;
  if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

}  // namespace velto::platform
