#include "platform/windows_directory.h"

#include <cstdlib>
#include <filesystem>

namespace velto::platform {

namespace {
std::optional<std::string> g_testFolder;
}  // namespace

void SetWindowsDirectoryForTesting(std::optional<std::string> folder) { g_testFolder = std::move(folder); }

std::optional<std::string> WindowsDirectory() {
  std::string dir;
  if (g_testFolder) {
    dir = *g_testFolder;
  } else if (const char* env = std::getenv("VELTO_WINDIR"); env && *env) {
    dir = env;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    dir = std::string(home) + "/.velto";
  } else {
    return std::nullopt;
  }
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir, ec)) return std::nullopt;
  return dir;
}

std::string FolderOfSetting(std::string folder) {
  if (folder.empty() || folder == "c:\\" || folder == "C:\\") {
    if (const char* home = std::getenv("HOME"); home && *home) {
      folder = home;
    } else {
      folder = CurrentFolder();
    }
  }
  if (folder.back() == '\\') folder.back() = '/';
  if (folder.back() != '/') folder.push_back('/');
  return folder;
}

std::optional<std::string> UserJobFolder() {
  std::string dir;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
    dir = std::string(data) + "/velto/jobs";
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    dir = std::string(home) + "/.local/share/velto/jobs";
  } else {
    return std::nullopt;
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir, ec)) return std::nullopt;
  return dir;
}

std::string TempDirectory() {
  std::string dir = "/tmp";
  if (const char* env = std::getenv("TMPDIR"); env && *env) dir = env;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

}  // namespace velto::platform
