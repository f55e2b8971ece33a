#include "printer/default_printer.h"

#include <string>

#include "platform/printing/spooler.h"
#include "platform/printing/system_errors.h"
#include "platform/version.h"

namespace velto {
namespace {

namespace pf = velto::platform;

constexpr int kPlatformWindows9x = 1;
constexpr int kPlatformNt = 2;

// Windows 9x: reading the printer's record and writing it back makes the spooler take it up again.
bool SetDefaultPrinter9x(const char* printerName) {
  pf::UniquePrinterHandle printer;
  if (!pf::OpenPrinterA(printerName, printer.Receive(), nullptr) || !printer) return false;
  pf::SetLastError(pf::ERROR_SUCCESS);
  pf::PrinterRecord record;
  if (!pf::GetPrinter2(printer.Get(), record)) return false;
  if (!pf::SetPrinter2(printer.Get(), record, 0)) return false;
  pf::BroadcastSettingChange("windows");
  return true;
}

// NT 4: the "device" entry of win.ini's "windows" section names printer, driver and port.
bool SetDefaultPrinterNt4(const char* printerName) {
  pf::UniquePrinterHandle printer;
  if (!pf::OpenPrinterA(printerName, printer.Receive(), nullptr) || !printer) return false;
  pf::PrinterRecord record;
  if (!pf::GetPrinter2(printer.Get(), record)) return false;
  if (!record.driverName || !record.portName) return false;
  const std::string device = std::string(printerName) + "," + *record.driverName + "," + *record.portName;
  if (!pf::WriteProfileStringA("windows", "device", device)) return false;
  pf::BroadcastSettingChange(nullptr);
  return true;
}

}  // namespace

bool SetDefaultPrinter(const char* printerName) {
  pf::OsVersion version;
  if (!pf::QueryOsVersion(version)) return false;
  if (!printerName) return false;
  if (version.platformId == kPlatformWindows9x) return SetDefaultPrinter9x(printerName);
  if (version.platformId == kPlatformNt && version.major < 5) return SetDefaultPrinterNt4(printerName);
  if (version.platformId == kPlatformNt) {
    // NT 5 and later: the spooler's own SetDefaultPrinterA.
    if (!pf::SetDefaultPrinterA(printerName)) return false;
    pf::BroadcastSettingChange(nullptr);
    return true;
  }
  return true;
}

}  // namespace velto
