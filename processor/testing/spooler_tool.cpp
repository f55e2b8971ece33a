// The spooler's side of the installer test, run under the same system as the installer:
//   vtproc-spooler-tool add-driver MODEL DATAFILE   registers a Unidrv driver MODEL with DATAFILE as its GPD
//                                                   (what the system's printer-setup command does from the
//                                                   driver package, where that command is missing)
//   vtproc-spooler-tool state                       prints the spooler's printers, print processors, ports,
//                                                   drivers and default printer, one "kind=value" a line
// Exit status 0 on success, 1 when a spooler call failed (its error on standard error), 2 on a usage error.

#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void Print(const std::wstring& line) {
  const std::wstring text = line + L"\n";
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr,
                          nullptr);
  }
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

std::wstring Text(const wchar_t* text) { return text ? text : L""; }

// Calls an Enum* function twice (size, then data); the entries, or none with the error printed.
template <typename Info, typename Enum>
std::vector<Info> Enumerate(const char* what, Enum enumerate, std::vector<BYTE>& storage) {
  DWORD needed = 0;
  DWORD count = 0;
  enumerate(nullptr, 0, &needed, &count);
  storage.assign(needed ? needed : 1, 0);
  if (!enumerate(storage.data(), needed, &needed, &count)) {
    std::fprintf(stderr, "spooler-tool: %s: error %lu\n", what, ::GetLastError());
    return {};
  }
  const auto* first = reinterpret_cast<const Info*>(storage.data());
  return std::vector<Info>(first, first + count);
}

int AddDriver(const wchar_t* model, const wchar_t* dataFile) {
  std::wstring name = model, data = dataFile;
  std::wstring driver = L"UNIDRV.DLL", config = L"UNIDRVUI.DLL", help = L"UNIDRV.HLP";
  std::wstring datatype = L"NT EMF 1.008";
  std::wstring dependent(L"UNIRES.DLL\0STDNAMES.GPD\0", 24);
  DRIVER_INFO_3W info{};
  info.cVersion = 3;
  info.pName = name.data();
  info.pDriverPath = driver.data();
  info.pDataFile = data.data();
  info.pConfigFile = config.data();
  info.pHelpFile = help.data();
  info.pDependentFiles = dependent.data();
  info.pDefaultDataType = datatype.data();
  if (!::AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&info))) {
    std::fprintf(stderr, "spooler-tool: AddPrinterDriverW: error %lu\n", ::GetLastError());
    return 1;
  }
  return 0;
}

int State() {
  std::vector<BYTE> storage;
  for (const auto& printer : Enumerate<PRINTER_INFO_2W>(
           "EnumPrintersW",
           [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) {
             return ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, needed, count);
           },
           storage)) {
    Print(L"printer=" + Text(printer.pPrinterName) + L"|port=" + Text(printer.pPortName) + L"|driver=" +
          Text(printer.pDriverName) + L"|processor=" + Text(printer.pPrintProcessor) + L"|datatype=" +
          Text(printer.pDatatype));
  }
  for (const auto& processor : Enumerate<PRINTPROCESSOR_INFO_1W>(
           "EnumPrintProcessorsW",
           [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) {
             return ::EnumPrintProcessorsW(nullptr, nullptr, 1, buffer, size, needed, count);
           },
           storage)) {
    Print(L"processor=" + Text(processor.pName));
  }
  for (const auto& port : Enumerate<PORT_INFO_1W>(
           "EnumPortsW",
           [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) {
             return ::EnumPortsW(nullptr, 1, buffer, size, needed, count);
           },
           storage)) {
    Print(L"port=" + Text(port.pName));
  }
  for (const auto& driver : Enumerate<DRIVER_INFO_1W>(
           "EnumPrinterDriversW",
           [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) {
             return ::EnumPrinterDriversW(nullptr, nullptr, 1, buffer, size, needed, count);
           },
           storage)) {
    Print(L"driver=" + Text(driver.pName));
  }
  wchar_t defaultPrinter[512];
  DWORD length = 512;
  if (::GetDefaultPrinterW(defaultPrinter, &length)) Print(L"default=" + std::wstring(defaultPrinter));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"add-driver" && argc == 4) return AddDriver(argv[2], argv[3]);
  if (command == L"state" && argc == 2) return State();
  std::fprintf(stderr, "usage: vtproc-spooler-tool add-driver MODEL DATAFILE | state\n");
  return 2;
}
