#include "platform/printing/registry.h"

#include <map>

#include "platform/printing/state_file.h"
#include "platform/printing/system_errors.h"
#include "platform/printing/system_paths.h"

namespace velto::platform {
namespace {

struct OpenKey {
  std::string path;
  uint32_t access;
};

std::map<HKEY, OpenKey>& OpenKeys() {
  static std::map<HKEY, OpenKey> keys;
  return keys;
}
HKEY nextKey = 0x1000;

std::string RegistryFile() { return SystemStatePath("registry.ini"); }

std::optional<std::string> RootName(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
  if (key == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  return std::nullopt;
}

// The full path of `key` (predefined or opened) and `subKey` below it.
std::optional<OpenKey> Resolve(HKEY key, const std::string& subKey) {
  OpenKey base;
  if (auto root = RootName(key)) {
    base = {*root, KEY_ALL_ACCESS};
  } else {
    auto it = OpenKeys().find(key);
    if (it == OpenKeys().end()) return std::nullopt;
    base = it->second;
  }
  std::string sub = subKey;
  while (!sub.empty() && sub.front() == '\\') sub.erase(0, 1);
  while (!sub.empty() && sub.back() == '\\') sub.pop_back();
  if (!sub.empty()) base.path += "\\" + sub;
  return base;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

bool KeyExists(const StateFile& file, const std::string& path) {
  if (path.find('\\') == std::string::npos) return true;  // a predefined key
  for (const auto& s : file.Sections())
    if (EqualsNoCase(s.name, path) || StartsWithNoCase(s.name, path + "\\")) return true;
  return false;
}

HKEY Remember(OpenKey key) {
  HKEY handle = nextKey++;
  OpenKeys()[handle] = std::move(key);
  return handle;
}

}  // namespace

long RegOpenKeyExA(HKEY key, const std::string& subKey, uint32_t, uint32_t access, HKEY* result) {
  auto target = Resolve(key, subKey);
  if (!target || !result) return ERROR_INVALID_HANDLE;
  if (!KeyExists(StateFile::Load(RegistryFile()), target->path)) return ERROR_FILE_NOT_FOUND;
  target->access = access;
  *result = Remember(*target);
  return ERROR_SUCCESS;
}

long RegCreateKeyA(HKEY key, const std::string& subKey, HKEY* result) {
  ScopedStateLock lock;
  auto target = Resolve(key, subKey);
  if (!target || !result) return ERROR_INVALID_HANDLE;
  StateFile file = StateFile::Load(RegistryFile());
  if (!KeyExists(file, target->path)) {
    file.FindOrAdd(target->path);
    if (!file.Save(RegistryFile(), "registry")) return ERROR_WRITE_FAULT;
  }
  target->access = KEY_ALL_ACCESS;
  *result = Remember(*target);
  return ERROR_SUCCESS;
}

long RegSetValueExA(HKEY key, const std::string& valueName, uint32_t, uint32_t type,
                    std::span<const uint8_t> data) {
  ScopedStateLock lock;
  auto it = OpenKeys().find(key);
  if (it == OpenKeys().end()) return ERROR_INVALID_HANDLE;
  if (!(it->second.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (type != REG_SZ) return ERROR_INVALID_PARAMETER;
  std::string text(data.begin(), data.end());
  if (auto zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  StateFile file = StateFile::Load(RegistryFile());
  if (!KeyExists(file, it->second.path)) return ERROR_FILE_NOT_FOUND;  // deleted while open
  file.FindOrAdd(it->second.path).Set(valueName.empty() ? "@" : valueName, "REG_SZ:" + text);
  return file.Save(RegistryFile(), "registry") ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

long RegCloseKey(HKEY key) {
  if (RootName(key)) return ERROR_SUCCESS;
  return OpenKeys().erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

long RegDeleteTree(HKEY key, const std::string& subKey) {
  ScopedStateLock lock;
  auto target = Resolve(key, subKey);
  if (!target) return ERROR_INVALID_HANDLE;
  StateFile file = StateFile::Load(RegistryFile());
  if (!KeyExists(file, target->path)) return ERROR_FILE_NOT_FOUND;
  std::erase_if(file.Sections(), [&](const StateSection& s) {
    return EqualsNoCase(s.name, target->path) || StartsWithNoCase(s.name, target->path + "\\");
  });
  return file.Save(RegistryFile(), "registry") ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

std::optional<std::string> RegistryString(HKEY root, const std::string& subKey, const std::string& valueName) {
  auto target = Resolve(root, subKey);
  if (!target) return std::nullopt;
  StateFile file = StateFile::Load(RegistryFile());
  const StateSection* section = file.Find(target->path);
  if (!section) return std::nullopt;
  const std::string* value = section->Find(valueName.empty() ? "@" : valueName);
  if (!value || value->rfind("REG_SZ:", 0) != 0) return std::nullopt;
  return value->substr(7);
}

bool RegistryKeyExists(HKEY root, const std::string& subKey) {
  auto target = Resolve(root, subKey);
  return target && KeyExists(StateFile::Load(RegistryFile()), target->path);
}

}  // namespace velto::platform
