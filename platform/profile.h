#pragma once
// Reading initialisation files with the Windows profile semantics (GetPrivateProfileIntA and
// GetPrivateProfileStringA): a bare file name lives in the Windows directory; section and key names are
// compared without case and trimmed; a missing file, section or key gives the default; an empty text
// value gives an empty text; numbers read as the platform reads them; text values are cut to 259
// characters; lines starting with ';' are comments. Every call reads the file afresh.

#include <string>
#include <string_view>

namespace velto::platform {

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& fileName);
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& fileName);

}  // namespace velto::platform
