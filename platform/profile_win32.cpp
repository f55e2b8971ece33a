// The profile functions of the system itself. The wide forms are used so that a Chinese value arrives as
// it is in the file, whatever the code page; they read the file as GetPrivateProfileStringA does.
#include <windows.h>
#undef GetPrivateProfileInt  // the layer's own functions of these names, not the system's A/W macros
#undef GetPrivateProfileString

#include <vector>

#include "platform/profile.h"
#include "platform/profile_values.h"
#include "platform/text_encoding.h"
#include "platform/windows_directory.h"

namespace velto::platform {
namespace {

// A bare file name lives in the Windows directory; it is given to the system with that folder, so that a
// test's own Windows directory is honoured as the system's is.
std::wstring ProfilePath(const std::string& fileName) {
  if (fileName.find_first_of("\\/:") == std::string::npos) {
    if (auto folder = WindowsDirectory()) return Utf16(*folder + "\\" + fileName);
  }
  return Utf16(fileName);
}

}  // namespace

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& fileName) {
  return static_cast<int>(::GetPrivateProfileIntW(Utf16(section).c_str(), Utf16(key).c_str(), defaultValue,
                                                  ProfilePath(fileName).c_str()));
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    const std::string& fileName) {
  // The program's buffers hold 260 bytes with the terminator.
  std::vector<wchar_t> buffer(kProfileTextLimit + 1);
  const DWORD length = ::GetPrivateProfileStringW(Utf16(section).c_str(), Utf16(key).c_str(),
                                                  Utf16(defaultValue).c_str(), buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), ProfilePath(fileName).c_str());
  std::string text = Utf8(std::wstring_view(buffer.data(), length));
  // The limit is in bytes of the 8-bit form; cut at a character boundary.
  if (text.size() > kProfileTextLimit) {
    size_t cut = kProfileTextLimit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
  }
  return text;
}

}  // namespace velto::platform
