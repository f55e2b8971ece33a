#include <windows.h>
#include <shlobj.h>

#include <string>

#include "platform/text_encoding.h"
#include "platform/windows_directory.h"

namespace velto::platform {

namespace {
std::optional<std::string> g_testFolder;
}  // namespace

void SetWindowsDirectoryForTesting(std::optional<std::string> folder) { g_testFolder = std::move(folder); }

std::optional<std::string> WindowsDirectory() {
  if (g_testFolder) return g_testFolder;
  wchar_t buffer[MAX_PATH];
  const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return Utf8(std::wstring_view(buffer, length));
}

std::optional<std::string> UserJobFolder() {
  wchar_t base[MAX_PATH];
  if (::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base) != S_OK) {
    return std::nullopt;
  }
  std::wstring folder = std::wstring(base) + L"\\VeltoFaxTool";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  folder += L"\\jobs";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  return Utf8(folder);
}

std::string TempDirectory() {
  // Asked with room to spare in case the system gives more than MAX_PATH. When it gives nothing (Wine
  // does for a TMP longer than MAX_PATH), there is no temporary folder: the current folder is no place
  // for a job's pages.
  std::wstring buffer(MAX_PATH + 1, L'\0');
  DWORD length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length >= buffer.size()) {
    buffer.assign(length + 1, L'\0');
    length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  if (length == 0 || length >= buffer.size()) return "";
  buffer.resize(length);
  // Without its final backslash, as the other platform gives it; a drive's root keeps it.
  if (length > 3 && buffer.back() == L'\\') buffer.pop_back();
  return Utf8(buffer);
}

std::string FolderOfSetting(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
  return folder;
}

}  // namespace velto::platform
