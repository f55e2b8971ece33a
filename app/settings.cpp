#include "app/settings.h"

#include <filesystem>
#include <vector>

#include "platform/files.h"
#include "platform/profile.h"
#include "platform/profile_values.h"

namespace velto {

namespace {

struct SettingOverride {
  std::string section;
  std::string key;
  std::string value;
};

struct SettingsSource {
  std::optional<std::string> file;
  std::vector<SettingOverride> overrides;
};

SettingsSource& Source() {
  static SettingsSource source;
  return source;
}

const SettingOverride* FindOverride(std::string_view section, std::string_view key) {
  for (const auto& o : Source().overrides) {
    if (platform::EqualNoCase(o.section, platform::TrimProfileBlanks(section)) &&
        platform::EqualNoCase(o.key, platform::TrimProfileBlanks(key))) {
      return &o;
    }
  }
  return nullptr;
}

std::string SettingsFile() { return Source().file.value_or(kSettingsFileName); }

}  // namespace

int ReadSettingInt(std::string_view section, std::string_view key, int defaultValue) {
  if (const auto* o = FindOverride(section, key)) {
    return platform::ProfileNumber(platform::ProfileText(o->value), defaultValue);
  }
  return platform::GetPrivateProfileInt(section, key, defaultValue, SettingsFile());
}

std::string ReadSettingText(std::string_view section, std::string_view key, std::string_view defaultValue) {
  if (const auto* o = FindOverride(section, key)) return platform::ProfileText(o->value);
  return platform::GetPrivateProfileString(section, key, defaultValue, SettingsFile());
}

void SetSettingsFile(std::optional<std::string> path) {
  // A file given without a folder means the file in the current folder, not one in the Windows directory:
  // the profile functions are given its full path.
  if (path) {
    std::error_code ec;
    const auto full = std::filesystem::absolute(platform::FsPath(*path), ec);
    if (!ec) *path = platform::Utf8Path(full);
  }
  Source().file = std::move(path);
}

void SetSettingOverride(std::string_view section, std::string_view key, std::string_view value) {
  std::string trimmedSection(platform::TrimProfileBlanks(section));
  std::string trimmedKey(platform::TrimProfileBlanks(key));
  std::string trimmedValue(platform::TrimProfileBlanks(value));
  for (auto& o : Source().overrides) {
    if (platform::EqualNoCase(o.section, trimmedSection) && platform::EqualNoCase(o.key, trimmedKey)) {
      o.value = trimmedValue;  // the last one given wins
      return;
    }
  }
  Source().overrides.push_back({trimmedSection, trimmedKey, trimmedValue});
}

void ClearSettingOverrides() {
  Source().file.reset();
  Source().overrides.clear();
}

std::span<const SettingKey> KnownSettingKeys() {
  static constexpr SettingKey kKeys[] = {
      {"save", "savemode"},         {"save", "autosaveformat"},  {"save", "autosavedir"},
      {"save", "chech3"},           {"save", "chech1"},          {"format", "textcode"},
      {"format", "jpgcompresspos"}, {"format", "bmpcolor"},      {"format", "fillorder"},
      {"format", "tiffcompress"},   {"format", "tiffshpare"},    {"run", "PrintTime"},
      {"run", "enablerun"},         {"run", "exefilename"},      {"run", "CmdShow"},
      {"run", "PassParameter"},     {"run", "chech1"},           {"run", "chech2"},
      {"run", "chech3"},
  };
  return kKeys;
}

bool IsKnownSetting(std::string_view section, std::string_view key) {
  for (const SettingKey& known : KnownSettingKeys()) {
    if (platform::EqualNoCase(known.section, platform::TrimProfileBlanks(section)) &&
        platform::EqualNoCase(known.key, platform::TrimProfileBlanks(key))) {
      return true;
    }
  }
  return false;
}

bool ParseSettingOverride(std::string_view assignment) {
  auto equals = assignment.find('=');
  if (equals == std::string_view::npos) return false;
  auto name = assignment.substr(0, equals);
  auto dot = name.find('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return false;
  SetSettingOverride(name.substr(0, dot), name.substr(dot + 1), assignment.substr(equals + 1));
  return true;
}

}  // namespace velto
