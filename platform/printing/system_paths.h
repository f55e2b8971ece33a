#pragma once
// Paths the printing layers and the installer ask the system for: the running executable
// (GetModuleFileNameA), the Windows directory as GetWindowsDirectoryA reports it, and the folders under
// the Windows directory where the layers keep their state:
//   <windir>/spooler/*.ini            printers, ports, print processors, drivers, jobs
//   <windir>/spool/prtprocs/w32x86/    the print-processor directory
//   <windir>/spool/drivers/w32x86/3/   installed driver files
//   <windir>/spool/PRINTERS/           spool files of printers without a spool directory of their own
//   <windir>/registry.ini, <windir>/services.ini, <windir>/win.ini

#include <optional>
#include <string>

namespace velto::platform {

// The running executable's full path (/proc/self/exe unless a test named another).
std::string ModuleFileName();
void SetModuleFileNameForTesting(std::optional<std::string> path);

// GetWindowsDirectoryA: no value when it fails. Tests can make it fail without taking the Windows
// directory away from the layers that keep their state there.
std::optional<std::string> GetWindowsDirectoryA();
void SimulateWindowsDirectoryFailure(bool fail);

// The layers' own folder under the Windows directory; "" when there is no Windows directory.
std::string SystemStatePath(const std::string& relative);

}  // namespace velto::platform
