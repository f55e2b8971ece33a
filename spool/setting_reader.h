#pragma once
// How a writer reads a key of the settings file at the moment it needs it. The job layer hands the
// settings file's reader down to the writers; without one, every key keeps its default.

#include <functional>
#include <string_view>

namespace velto {

using SettingReader = std::function<int(std::string_view section, std::string_view key, int defaultValue)>;

inline int ReadSetting(const SettingReader& reader, std::string_view section, std::string_view key,
                       int defaultValue) {
  return reader ? reader(section, key, defaultValue) : defaultValue;
}

}  // namespace velto
