#include "printer/registry_key.h"

#include <span>

namespace velto {

bool RegistryKey::Open(const std::string& subKey) {
  platform::HKEY opened = 0;
  if (platform::RegOpenKeyExA(key_, subKey, 0, platform::KEY_ALL_ACCESS, &opened) != 0) return false;
  Close();
  key_ = opened;
  opened_ = true;
  return true;
}

bool RegistryKey::SetString(const std::string& valueName, const std::string& text) {
  std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(text.c_str()), text.size() + 1);
  return platform::RegSetValueExA(key_, valueName, 0, platform::REG_SZ, data) == 0;
}

void RegistryKey::Close() {
  if (opened_) platform::RegCloseKey(key_);
  opened_ = false;
  key_ = 0;
}

}  // namespace velto
