#pragma once
// The print spooler (winspool). On Windows these are thin layers over the system's own calls: texts are
// UTF-8 here and the system's ANSI code page at the calls, handles are the system's handles.
//
// Elsewhere the spooler is our own. Its objects live in plain-text files under the Windows directory (see
// system_paths.h): printers.ini (one section per printer with its level-2 record fields), ports.ini,
// processors.ini, drivers.ini, spooler.ini (job numbers), and win.ini's "device" entry for the default
// printer. Like the real spooler it refuses a second printer of one name, a printer bound to a missing
// port, driver or print processor, opening a printer that does not exist and deleting a port, processor
// or driver still in use, and it answers nothing while the "spooler" service is not running
// (RPC_S_SERVER_UNAVAILABLE). Failures set the last error (system_errors.h). A print-processor library
// there is a text file. Its "start=" line names the command the processor runs for every job it is
// handed, with %windir%, %document% and %spoolfile% replaced; a library without such a line leaves the
// spool file where the spooler wrote it.
//
// The Windows headers define many of the names below as macros: a file that needs both includes this
// header before <windows.h>.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velto::platform {

using HANDLE = uintptr_t;

inline constexpr uint32_t SERVER_ACCESS_ADMINISTER = 0x1;
inline constexpr uint32_t SERVER_ALL_ACCESS = 0xF0003;
inline constexpr uint32_t PRINTER_ACCESS_ADMINISTER = 0x4;
inline constexpr uint32_t PRINTER_ACCESS_USE = 0x8;
inline constexpr uint32_t DELETE_ACCESS = 0x10000;  // DELETE
inline constexpr uint32_t PRINTER_ALL_ACCESS = 0xF000C;
inline constexpr uint32_t PRINTER_ATTRIBUTE_QUEUED = 0x1;
inline constexpr uint32_t PRINTER_ATTRIBUTE_SHARED = 0x8;

struct PRINTER_DEFAULTSA {
  const char* pDatatype = nullptr;
  const void* pDevMode = nullptr;
  uint32_t DesiredAccess = 0;
};

// PRINTER_INFO_2A, the 21 fields in their order.
struct PRINTER_INFO_2A {
  const char* pServerName = nullptr;
  const char* pPrinterName = nullptr;
  const char* pShareName = nullptr;
  const char* pPortName = nullptr;
  const char* pDriverName = nullptr;
  const char* pComment = nullptr;
  const char* pLocation = nullptr;
  const void* pDevMode = nullptr;
  const char* pSepFile = nullptr;
  const char* pPrintProcessor = nullptr;
  const char* pDatatype = nullptr;
  const char* pParameters = nullptr;
  const void* pSecurityDescriptor = nullptr;
  uint32_t Attributes = 0;
  uint32_t Priority = 0;
  uint32_t DefaultPriority = 0;
  uint32_t StartTime = 0;
  uint32_t UntilTime = 0;
  uint32_t Status = 0;
  uint32_t cJobs = 0;
  uint32_t AveragePPM = 0;
};

// A level-2 record as GetPrinterA returns it; a text field without value was null.
struct PrinterRecord {
  std::optional<std::string> serverName, printerName, shareName, portName, driverName, comment, location;
  bool hasDevMode = false;
  std::optional<std::string> sepFile, printProcessor, datatype, parameters;
  bool hasSecurityDescriptor = false;
  uint32_t attributes = 0, priority = 0, defaultPriority = 0, startTime = 0, untilTime = 0, status = 0,
           cJobs = 0, averagePPM = 0;
};

// Printers and the port monitor's configuration object (",XcvMonitor Local Port").
bool OpenPrinterA(const char* printerName, HANDLE* printer, const PRINTER_DEFAULTSA* defaults);
bool ClosePrinter(HANDLE printer);
HANDLE AddPrinterA(const char* serverName, uint32_t level, const PRINTER_INFO_2A* info);
// Marks the printer for deletion; it goes when its last handle in this process is closed.
bool DeletePrinter(HANDLE printer);
bool GetPrinter2(HANDLE printer, PrinterRecord& record);
bool SetPrinter2(HANDLE printer, const PrinterRecord& record, uint32_t command);

// The port monitor's configuration call: "AddPort" and "DeletePort" take the port name as UTF-16LE code
// units with the terminating zero. The result says whether the call reached the monitor; `status` holds
// the monitor's own answer.
bool XcvDataW(HANDLE xcv, std::u16string_view dataName, std::span<const uint8_t> input,
              std::span<uint8_t> output, uint32_t* outputNeeded, uint32_t* status);

// The environment of the machine's own spooler when it differs from the program's: "Windows x64" for
// this 32-bit program on 64-bit Windows, whose spooler loads only 64-bit print processors and drivers.
// No value where the default environment is the spooler's own (32-bit Windows, and elsewhere).
std::optional<std::string> NativePrintEnvironment();

// Print processors, in the print-processor directory.
bool GetPrintProcessorDirectoryA(const char* serverName, const char* environment, uint32_t level, char* buffer,
                                 uint32_t bufferSize, uint32_t* needed);
bool AddPrintProcessorA(const char* serverName, const char* environment, const char* pathName,
                        const char* processorName);
bool DeletePrintProcessorA(const char* serverName, const char* environment, const char* processorName);

// Drivers: installed by the printer-setup command ("rundll32 printui.dll,PrintUIEntry /ia", which on
// Windows is the system's own and elsewhere ours, see printer/print_ui_entry.h), removed by name.
#ifndef _WIN32
bool InstallDriverFromPackage(const std::string& model, const std::string& environment, const std::string& version,
                              const std::string& packagePath);
#endif
bool DeletePrinterDriverA(const char* serverName, const char* environment, const char* driverName);

// The default printer (win.ini, section "windows", entry "device": name,winspool,port).
bool SetDefaultPrinterA(const char* printerName);
std::optional<std::string> GetDefaultPrinterA();
bool WriteProfileStringA(const std::string& section, const std::string& key, const std::string& value);
// WM_WININICHANGE to every top-level window (none listen where the spooler is ours); counted for tests.
void BroadcastSettingChange(const char* section);
int SettingChangeBroadcasts();

// Document settings dialogs: the driver's own on Windows, owned by this process's window titled
// `ownerName` (else its active window); elsewhere message boxes with the printer's settings.
// AdvancedDocumentPropertiesA answers the dialog's result (IDOK, IDCANCEL), or below 0 on failure.
long AdvancedDocumentPropertiesA(const std::string& ownerName, HANDLE printer, const std::string& deviceName);
// The printer's printing preferences (the document properties with their dialog). False on failure.
bool ShowPrintingPreferences(HANDLE printer);

#ifndef _WIN32
// A job: the spool file goes to the printer's spool directory (registry "SpoolDirectory" of its key, else
// the spooler's PRINTERS folder) as "<job number>.spl"; then the printer's print processor is handed it.
// `spoolPath` receives the file's path. Needs PRINTER_ACCESS_USE.
bool SubmitSpoolJob(HANDLE printer, const std::string& documentName, std::span<const uint8_t> spoolFile,
                    std::string* spoolPath = nullptr);
#endif

// Reading the spooler's objects back (on Windows through EnumPrintersA, EnumPortsA,
// EnumPrintProcessorsA and EnumPrinterDriversA of the local machine and default environment; names
// compare without case). The directories are "" when the spooler cannot say.
bool PrinterExists(const std::string& name);
bool PortExists(const std::string& name);
bool PrintProcessorExists(const std::string& name);
bool PrinterDriverExists(const std::string& name);
std::string PrintProcessorDirectory();
std::string PrinterDriverDirectory();
// The printer's registry key below HKEY_LOCAL_MACHINE.
std::string PrinterRegistryKey(const std::string& printerName);

// Closes a printer handle when it leaves scope.
class UniquePrinterHandle {
 public:
  explicit UniquePrinterHandle(HANDLE handle = 0) : handle_(handle) {}
  ~UniquePrinterHandle() { Reset(); }
  UniquePrinterHandle(UniquePrinterHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = 0; }
  UniquePrinterHandle& operator=(UniquePrinterHandle&& other) noexcept {
    if (this != &other) { Reset(); handle_ = other.handle_; other.handle_ = 0; }
    return *this;
  }
  UniquePrinterHandle(const UniquePrinterHandle&) = delete;
  UniquePrinterHandle& operator=(const UniquePrinterHandle&) = delete;
  HANDLE Get() const { return handle_; }
  HANDLE* Receive() { Reset(); return &handle_; }
  explicit operator bool() const { return handle_ != 0; }
  void Reset() { if (handle_) ClosePrinter(handle_); handle_ = 0; }

 private:
  HANDLE handle_;
};

}  // namespace velto::platform
