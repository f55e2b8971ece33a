#pragma once
// The names and fixed values of the virtual printer and its companion components.

namespace velto {

inline constexpr const char* kPrinterName = "Velto Print";
inline constexpr const char* kPrinterShareName = "Velto Print";
inline constexpr const char* kPortName = "Velto Port";
inline constexpr const char16_t* kPortNameWide = u"Velto Port";
inline constexpr const char* kDriverName = "Velto Print";
inline constexpr const char* kPrinterComment = "The Printer for fax";
inline constexpr const char* kPrintProcessorName = "Velto Processor";
inline constexpr const char* kPrintProcessorLibrary = "Vtproc.dll";
inline constexpr const char* kPrinterDatatype = "NT EMF 1.008";
inline constexpr const char* kDriverPackage = "VeltoPrinter.inf";
inline constexpr const char* kInstalledProgramName = "VeltoFaxTool.exe";
inline constexpr const char* kSpoolerService = "spooler";
inline constexpr const char* kPrinterRegistryKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Velto Print";
inline constexpr const char* kSpoolDirectoryValue = "SpoolDirectory";
inline constexpr const char* kSpoolDirectoryFallback = "C:\\WINNT";
inline constexpr const char* kPortMonitorObject = ",XcvMonitor Local Port";
inline constexpr const char* kDriverSetupCommand =
    "rundll32 printui.dll,PrintUIEntry /ia  /m \"%s\" /h \"Intel\" /v \"Windows 2000\" /f %s";
// On 64-bit Windows the spooler loads 64-bit companions only: the driver is set up for the x64
// environment, and the 64-bit print processor is taken from the x64 folder beside the program.
inline constexpr const char* kDriverSetupCommandX64 =
    "rundll32 printui.dll,PrintUIEntry /ia  /m \"%s\" /h \"x64\" /v \"Windows 2000\" /f %s";
inline constexpr const char* kPrintProcessorFolderX64 = "x64";

}  // namespace velto
