#include "platform/printing/system_paths.h"

#include <filesystem>
#include <unistd.h>

#include "platform/windows_directory.h"

namespace velto::platform {
namespace {
std::optional<std::string> moduleOverride;
bool windowsDirectoryFails = false;
}  // namespace

std::string ModuleFileName() {
  if (moduleOverride) return *moduleOverride;
  std::error_code ec;
  auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : path.string();
}

void SetModuleFileNameForTesting(std::optional<std::string> path) { moduleOverride = std::move(path); }

std::optional<std::string> GetWindowsDirectoryA() {
  if (windowsDirectoryFails) return std::nullopt;
  return WindowsDirectory();
}

void SimulateWindowsDirectoryFailure(bool fail) { windowsDirectoryFails = fail; }

bool SetCurrentDirectoryA(const std::string& path) { return !path.empty() && ::chdir(path.c_str()) == 0; }

std::string SystemStatePath(const std::string& relative) {
  auto dir = WindowsDirectory();
  if (!dir) return {};
  return *dir + "/" + relative;
}

}  // namespace velto::platform
