#pragma once
// The machine the Windows printing tests change: they add and delete printers, ports, drivers and
// services, so they run only under Wine (a prefix made for the test) or where VELTO_ALLOW_PRINTER_CHANGES
// is set to 1. What they check is read back through the system's own calls (Enum*A, GetDefaultPrinterA,
// the registry), never through the layers under test.
//
// Include after the project's headers: <windows.h> defines many of their names as macros.

#include <windows.h>
#include <winspool.h>

// The project's functions of these names, not the system's A/W switches.
#undef ConfigurePort
#undef RegDeleteTree
#undef SetDefaultPrinter
#undef StartService

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace velto::test {

bool RunningUnderWine();
bool MachineMayBeChanged();

#define VELTO_REQUIRE_SCRATCH_MACHINE()                                                                 \
  do {                                                                                                  \
    if (!::velto::test::MachineMayBeChanged()) {                                                        \
      GTEST_SKIP() << "changes the machine's printers: runs under Wine or with VELTO_ALLOW_PRINTER_CHANGES=1"; \
    }                                                                                                   \
  } while (0)

// The names the spooler lists, through its own enumeration calls (local machine, default environment).
std::vector<std::string> ListedPrinters();
std::vector<std::string> ListedPorts();
std::vector<std::string> ListedPrintProcessors();
std::vector<std::string> ListedPrinterDrivers();
bool Lists(const std::vector<std::string>& names, const std::string& name);
// GetDefaultPrinterA; "" when there is none.
std::string DefaultPrinter();

// The printer's level-2 record as EnumPrintersA reports it; false when it is not listed.
struct ListedPrinter {
  std::string shareName, portName, driverName, comment, printProcessor, datatype;
  DWORD attributes = 0;
};
bool FindListedPrinter(const std::string& name, ListedPrinter& printer);

// A REG_SZ value below HKEY_LOCAL_MACHINE as UTF-16 (RegQueryValueExW); false when the key or value
// is missing.
bool MachineRegistryString(const std::wstring& key, const std::wstring& value, std::wstring& text);

// Installs a level-3 driver of the given name for the default environment, as the printer-setup command
// ("rundll32 printui.dll,PrintUIEntry /ia") does from a package. Under Wine 8 that command answers
// "command not implemented" and installs nothing, so the tests install the driver themselves; the files
// it names need not exist.
bool InstallDriverAsSetupWould(const std::string& model);

// The current state of a service (QueryServiceStatus); 0 when it cannot be had.
DWORD ServiceState(const char* name);

// The test program started by the service manager as one of the tests' services (main.cpp):
// kStartPendingService never finishes starting, kStopPendingService runs and never finishes stopping.
// Returns the exit code.
inline constexpr const char* kTestServiceArgument = "--test-service";
inline constexpr const char* kStartPendingService = "VeltoTestStartPending";
inline constexpr const char* kStopPendingService = "VeltoTestStopPending";
int RunTestService(const std::string& name);

// The text of a file, "" when it cannot be read.
std::string FileText(const std::wstring& path);

// The system's print-processor directory (GetPrintProcessorDirectoryW).
std::wstring SystemPrintProcessorDirectory();

// The current directory (GetCurrentDirectoryW), restored when the scope ends.
class ScopedCurrentDirectory {
 public:
  ScopedCurrentDirectory();
  ~ScopedCurrentDirectory();
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;
  static std::wstring Current();

 private:
  std::wstring saved_;
};

}  // namespace velto::test
