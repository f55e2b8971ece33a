#pragma once
// The settings of the job flow, in VeltoFaxPrint.ini in the Windows directory. Every reader asks for the
// key it needs at the moment it needs it, with its own literal section, key and default; nothing is
// cached and nothing is written back.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velto {

inline constexpr const char* kSettingsFileName = "VeltoFaxPrint.ini";

int ReadSettingInt(std::string_view section, std::string_view key, int defaultValue);
std::string ReadSettingText(std::string_view section, std::string_view key, std::string_view defaultValue);

// Overrides for velto-convert and tests. A settings file given here is read in place of
// VeltoFaxPrint.ini (no value: the usual file again). A single key set here wins over the file and is
// read exactly as the same text in the file would be.
void SetSettingsFile(std::optional<std::string> path);
void SetSettingOverride(std::string_view section, std::string_view key, std::string_view value);
void ClearSettingOverrides();  // both the file and the keys

// "SECTION.KEY=VALUE" → one override; false (and nothing set) when the text has no "." before the "=".
bool ParseSettingOverride(std::string_view assignment);

// The keys the settings file has, by section, as the program reads them.
struct SettingKey {
  const char* section;
  const char* key;
};
std::span<const SettingKey> KnownSettingKeys();
// True when `section` has `key` (both without regard to case).
bool IsKnownSetting(std::string_view section, std::string_view key);

}  // namespace velto
