#pragma once
// Paths the printing layers and the installer ask the system for: the running executable
// (GetModuleFileName), the Windows directory as GetWindowsDirectoryA reports it, the current directory,
// and, where the printing layers are our own, the folders under the Windows directory where they keep
// their state:
//   <windir>/spooler/*.ini            printers, ports, print processors, drivers, jobs
//   <windir>/spool/prtprocs/w32x86/    the print-processor directory
//   <windir>/spool/drivers/w32x86/3/   installed driver files
//   <windir>/spool/PRINTERS/           spool files of printers without a spool directory of their own
//   <windir>/registry.ini, <windir>/services.ini, <windir>/win.ini

#include <optional>
#include <string>

namespace velto::platform {

// The running executable's full path in UTF-8 (GetModuleFileNameW on Windows, /proc/self/exe elsewhere),
// unless a test named another; "" when it cannot be had.
std::string ModuleFileName();
void SetModuleFileNameForTesting(std::optional<std::string> path);

// GetWindowsDirectoryA: the Windows directory of platform/windows_directory.h; no value when it fails.
// Tests can make it fail without taking the Windows directory away from the layers that use it.
std::optional<std::string> GetWindowsDirectoryA();
void SimulateWindowsDirectoryFailure(bool fail);

// SetCurrentDirectoryA: makes `path` (UTF-8) the process's current directory. False when it cannot.
bool SetCurrentDirectoryA(const std::string& path);

#ifndef _WIN32
// The layers' own folder under the Windows directory; "" when there is no Windows directory.
std::string SystemStatePath(const std::string& relative);
#endif

}  // namespace velto::platform
