#pragma once
// The registry. On Windows the system's own, through the wide calls: REG_SZ texts are UTF-8 here and
// UTF-16 in the registry. Elsewhere it is kept in <windir>/registry.ini: one section per key, named by its
// full path ("HKEY_LOCAL_MACHINE\SYSTEM\..."), one line per value ("name=REG_SZ:text"); a key exists
// when its section or a section below it exists. The functions return the platform's status codes
// (0 = success) as the Reg* functions do. Include this header before <windows.h>, whose macros share
// its names.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace velto::platform {

using HKEY = uintptr_t;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;

inline constexpr uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;
inline constexpr uint32_t KEY_READ = 0x20019;
inline constexpr uint32_t REG_SZ = 1;

long RegOpenKeyExA(HKEY key, const std::string& subKey, uint32_t options, uint32_t access, HKEY* result);
long RegCreateKeyA(HKEY key, const std::string& subKey, HKEY* result);
// REG_SZ only: `data` holds the text and its terminating zero.
long RegSetValueExA(HKEY key, const std::string& valueName, uint32_t reserved, uint32_t type,
                    std::span<const uint8_t> data);
long RegCloseKey(HKEY key);
// Removes the key with every key and value below it.
long RegDeleteTree(HKEY key, const std::string& subKey);

// Reading back (RegQueryValueExA for REG_SZ, on a path below a predefined key): no value when the key or
// value does not exist.
std::optional<std::string> RegistryString(HKEY root, const std::string& subKey, const std::string& valueName);
bool RegistryKeyExists(HKEY root, const std::string& subKey);

}  // namespace velto::platform
