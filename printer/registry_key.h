#pragma once
// A registry key held for the length of a scope: starts on a predefined root key, Open moves it to a
// subkey opened with all access, and the destructor closes whatever was opened.

#include <string>

#include "platform/printing/registry.h"

namespace velto {

class RegistryKey {
 public:
  explicit RegistryKey(platform::HKEY root) : key_(root) {}
  virtual ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens `subKey` below the held key with KEY_ALL_ACCESS; on success holds the new key (the predefined
  // root is never closed). On failure keeps the held key and returns false.
  bool Open(const std::string& subKey);
  // Writes `text` as a REG_SZ value, its length counted with the terminating zero.
  bool SetString(const std::string& valueName, const std::string& text);
  void Close();
  platform::HKEY Key() const { return key_; }

 private:
  platform::HKEY key_;
  bool opened_ = false;
};

}  // namespace velto
