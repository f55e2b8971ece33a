#pragma once
// The settings of the job flow, in VeltoFaxPrint.ini in the Windows directory. Every reader asks for the
// key it needs at the moment it needs it, with its own literal section, key and default; nothing is
// cached and nothing is written back.

#include <string>
#include <string_view>

namespace velto {

inline constexpr const char* kSettingsFileName = "VeltoFaxPrint.ini";

int ReadSettingInt(std::string_view section, std::string_view key, int defaultValue);
std::string ReadSettingText(std::string_view section, std::string_view key, std::string_view defaultValue);

}  // namespace velto
