#include "platform/profile.h"

#include <fstream>
#include <optional>
#include <sstream>

#include "platform/profile_values.h"
#include "platform/windows_directory.h"

namespace velto::platform {

namespace {

// A bare file name (no folder part) lives in the Windows directory.
std::optional<std::string> ResolveProfilePath(const std::string& fileName) {
  if (fileName.empty()) return std::nullopt;
  if (fileName.find('/') != std::string::npos) return fileName;
  auto dir = WindowsDirectory();
  if (!dir) return std::nullopt;
  return *dir + kPathSeparator + fileName;
}

// The raw (trimmed, still quoted) value of the first `key` in the first section named `section`, or no
// value when the file, the section, the key or its "=" is missing. The file is read afresh every time.
std::optional<std::string> FindProfileValue(std::string_view section, std::string_view key,
                                            const std::string& fileName) {
  auto path = ResolveProfilePath(fileName);
  if (!path) return std::nullopt;
  std::ifstream file(*path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string wantedSection(TrimProfileBlanks(section));
  std::string wantedKey(TrimProfileBlanks(key));

  enum class Place { BeforeSection, Wanted, AfterWanted, Other } place = Place::BeforeSection;
  std::string line;
  bool firstLine = true;
  while (std::getline(file, line)) {
    std::string_view text = line;
    if (firstLine && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // UTF-8 mark
    firstLine = false;
    text = TrimProfileBlanks(text);
    if (text.empty() || text.front() == ';') continue;
    if (text.front() == '[') {
      auto close = text.find(']');
      std::string_view name = TrimProfileBlanks(text.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                                                 : close - 1));
      if (place == Place::Wanted) {
        place = Place::AfterWanted;  // only the first section of that name counts
      } else if (place != Place::AfterWanted) {
        place = EqualNoCase(name, wantedSection) ? Place::Wanted : Place::Other;
      }
      continue;
    }
    if (place != Place::Wanted) continue;
    auto equals = text.find('=');
    std::string_view name = TrimProfileBlanks(text.substr(0, equals));
    if (!EqualNoCase(name, wantedKey)) continue;
    if (equals == std::string_view::npos) return std::nullopt;  // a key without "=" has no value
    return std::string(TrimProfileBlanks(text.substr(equals + 1)));
  }
  return std::nullopt;
}

}  // namespace

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& fileName) {
  auto value = FindProfileValue(section, key, fileName);
  if (!value) return defaultValue;
  return ProfileNumber(ProfileText(*value), defaultValue);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& fileName) {
  auto value = FindProfileValue(section, key, fileName);
  if (!value) {
    std::string fallback(defaultValue);
    if (fallback.size() > kProfileTextLimit) fallback.resize(kProfileTextLimit);
    return fallback;
  }
  return ProfileText(*value);
}

}  // namespace velto::platform
