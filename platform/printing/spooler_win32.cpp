// The system's print spooler (winspool) through its 8-bit calls. Printer handles are the system's
// handles as numbers; texts are UTF-8 on our side and the ANSI code page at the calls. Every failure
// leaves the system's last error as the call set it.
#include "platform/printing/spooler.h"
#include "platform/text_encoding.h"

// After our headers: the Windows headers define several of their names as macros.
#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <list>
#include <vector>

namespace velto::platform {
namespace {

constexpr const char* kPrintersKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";

int broadcasts = 0;

::HANDLE Native(HANDLE handle) { return reinterpret_cast<::HANDLE>(handle); }

// The ANSI texts handed to one call, alive as long as this object; a null text stays null.
class AnsiTexts {
 public:
  char* Add(const char* utf8) {
    if (!utf8) return nullptr;
    texts_.push_back(ToAnsi(utf8));
    return texts_.back().data();
  }
  char* Add(const std::string& utf8) { return Add(utf8.c_str()); }
  char* Add(const std::optional<std::string>& utf8) { return utf8 ? Add(utf8->c_str()) : nullptr; }

 private:
  std::list<std::string> texts_;  // a list: adding never moves the texts handed out before
};

std::optional<std::string> Text(const char* ansi) {
  if (!ansi) return std::nullopt;
  return FromAnsi(ansi);
}

// Runs a call that reports the buffer size it needs (GetPrinter, Enum*, Get*Directory) until its answer
// fits. `call(buffer, size, needed)` returns the call's success flag.
template <typename Call>
bool Fetch(std::vector<BYTE>& buffer, Call call) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD needed = 0;
    if (call(buffer.empty() ? nullptr : buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) return true;
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) return false;
    buffer.assign(needed, 0);  // the objects may have grown since: ask again with the size it named
  }
  return false;
}

// Calls an Enum* function at the given level and collects one name from each record.
template <typename Record, typename Call>
std::vector<std::string> EnumeratedNames(Call call, char* Record::*name) {
  std::vector<BYTE> buffer;
  DWORD count = 0;
  if (!Fetch(buffer, [&](BYTE* data, DWORD size, DWORD* needed) { return call(data, size, needed, &count) != FALSE; }))
    return {};
  std::vector<std::string> names;
  if (buffer.empty()) return names;
  const auto* records = reinterpret_cast<const Record*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    if (records[i].*name) names.push_back(FromAnsi(records[i].*name));
  return names;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool Listed(const std::vector<std::string>& names, const std::string& name) {
  for (const auto& listed : names)
    if (SameName(listed, name)) return true;
  return false;
}

// The printer's level-2 record as the system keeps it (pointers into `buffer`).
const ::PRINTER_INFO_2A* ReadLevel2(HANDLE printer, std::vector<BYTE>& buffer) {
  if (!Fetch(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
        return ::GetPrinterA(Native(printer), 2, data, size, needed) != FALSE;
      }))
    return nullptr;
  if (buffer.size() < sizeof(::PRINTER_INFO_2A)) {
    ::SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  return reinterpret_cast<const ::PRINTER_INFO_2A*>(buffer.data());
}

struct WindowSearch {
  std::wstring title;
  HWND found = nullptr;
};

BOOL CALLBACK MatchWindowTitle(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  wchar_t text[256] = L"";
  ::GetWindowTextW(window, text, 256);
  if (search->title != text) return TRUE;
  search->found = window;
  return FALSE;
}

// The window of this thread titled `title`, else the thread's active window (possibly none).
HWND OwnerWindow(const std::string& title) {
  WindowSearch search{Utf16(title), nullptr};
  if (!search.title.empty())
    ::EnumThreadWindows(::GetCurrentThreadId(), MatchWindowTitle, reinterpret_cast<LPARAM>(&search));
  return search.found ? search.found : ::GetActiveWindow();
}

// The printer's current document settings, in a buffer of the size its driver asks for; empty on failure.
std::vector<BYTE> CurrentDevMode(HWND owner, HANDLE printer, char* deviceName) {
  const LONG size = ::DocumentPropertiesA(owner, Native(printer), deviceName, nullptr, nullptr, 0);
  if (size <= 0) return {};
  std::vector<BYTE> devMode(static_cast<size_t>(size), 0);
  if (::DocumentPropertiesA(owner, Native(printer), deviceName, reinterpret_cast<DEVMODEA*>(devMode.data()), nullptr,
                            DM_OUT_BUFFER) < 0)
    return {};
  return devMode;
}

}  // namespace

std::string PrinterRegistryKey(const std::string& printerName) { return kPrintersKey + printerName; }

bool OpenPrinterA(const char* printerName, HANDLE* printer, const PRINTER_DEFAULTSA* defaults) {
  if (!printer) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  *printer = 0;
  AnsiTexts texts;
  ::PRINTER_DEFAULTSA native{};
  if (defaults) {
    native.pDatatype = texts.Add(defaults->pDatatype);
    native.pDevMode = static_cast<DEVMODEA*>(const_cast<void*>(defaults->pDevMode));
    native.DesiredAccess = defaults->DesiredAccess;
  }
  ::HANDLE handle = nullptr;
  if (!::OpenPrinterA(texts.Add(printerName), &handle, defaults ? &native : nullptr)) return false;
  *printer = reinterpret_cast<HANDLE>(handle);
  return true;
}

bool ClosePrinter(HANDLE printer) { return ::ClosePrinter(Native(printer)) != FALSE; }

HANDLE AddPrinterA(const char* serverName, uint32_t level, const PRINTER_INFO_2A* info) {
  if (level != 2 || !info) {
    ::SetLastError(ERROR_INVALID_LEVEL);
    return 0;
  }
  AnsiTexts texts;
  ::PRINTER_INFO_2A native{};
  native.pServerName = texts.Add(info->pServerName);
  native.pPrinterName = texts.Add(info->pPrinterName);
  native.pShareName = texts.Add(info->pShareName);
  native.pPortName = texts.Add(info->pPortName);
  native.pDriverName = texts.Add(info->pDriverName);
  native.pComment = texts.Add(info->pComment);
  native.pLocation = texts.Add(info->pLocation);
  native.pDevMode = static_cast<DEVMODEA*>(const_cast<void*>(info->pDevMode));
  native.pSepFile = texts.Add(info->pSepFile);
  native.pPrintProcessor = texts.Add(info->pPrintProcessor);
  native.pDatatype = texts.Add(info->pDatatype);
  native.pParameters = texts.Add(info->pParameters);
  native.pSecurityDescriptor = const_cast<void*>(info->pSecurityDescriptor);
  native.Attributes = info->Attributes;
  native.Priority = info->Priority;
  native.DefaultPriority = info->DefaultPriority;
  native.StartTime = info->StartTime;
  native.UntilTime = info->UntilTime;
  native.Status = info->Status;
  native.cJobs = info->cJobs;
  native.AveragePPM = info->AveragePPM;
  return reinterpret_cast<HANDLE>(::AddPrinterA(texts.Add(serverName), 2, reinterpret_cast<BYTE*>(&native)));
}

bool DeletePrinter(HANDLE printer) { return ::DeletePrinter(Native(printer)) != FALSE; }

bool GetPrinter2(HANDLE printer, PrinterRecord& record) {
  std::vector<BYTE> buffer;
  const ::PRINTER_INFO_2A* info = ReadLevel2(printer, buffer);
  if (!info) return false;
  record = PrinterRecord{};
  record.serverName = Text(info->pServerName);
  record.printerName = Text(info->pPrinterName);
  record.shareName = Text(info->pShareName);
  record.portName = Text(info->pPortName);
  record.driverName = Text(info->pDriverName);
  record.comment = Text(info->pComment);
  record.location = Text(info->pLocation);
  record.hasDevMode = info->pDevMode != nullptr;
  record.sepFile = Text(info->pSepFile);
  record.printProcessor = Text(info->pPrintProcessor);
  record.datatype = Text(info->pDatatype);
  record.parameters = Text(info->pParameters);
  record.hasSecurityDescriptor = info->pSecurityDescriptor != nullptr;
  record.attributes = info->Attributes;
  record.priority = info->Priority;
  record.defaultPriority = info->DefaultPriority;
  record.startTime = info->StartTime;
  record.untilTime = info->UntilTime;
  record.status = info->Status;
  record.cJobs = info->cJobs;
  record.averagePPM = info->AveragePPM;
  return true;
}

bool SetPrinter2(HANDLE printer, const PrinterRecord& record, uint32_t command) {
  // The record carries no device mode or security descriptor of its own: the printer keeps its current
  // ones, read afresh.
  std::vector<BYTE> buffer;
  const ::PRINTER_INFO_2A* current = ReadLevel2(printer, buffer);
  if (!current) return false;
  AnsiTexts texts;
  ::PRINTER_INFO_2A native{};
  native.pServerName = texts.Add(record.serverName);
  native.pPrinterName = texts.Add(record.printerName);
  native.pShareName = texts.Add(record.shareName);
  native.pPortName = texts.Add(record.portName);
  native.pDriverName = texts.Add(record.driverName);
  native.pComment = texts.Add(record.comment);
  native.pLocation = texts.Add(record.location);
  native.pDevMode = current->pDevMode;
  native.pSepFile = texts.Add(record.sepFile);
  native.pPrintProcessor = texts.Add(record.printProcessor);
  native.pDatatype = texts.Add(record.datatype);
  native.pParameters = texts.Add(record.parameters);
  native.pSecurityDescriptor = current->pSecurityDescriptor;
  native.Attributes = record.attributes;
  native.Priority = record.priority;
  native.DefaultPriority = record.defaultPriority;
  native.StartTime = record.startTime;
  native.UntilTime = record.untilTime;
  native.Status = record.status;
  native.cJobs = record.cJobs;
  native.AveragePPM = record.averagePPM;
  return ::SetPrinterA(Native(printer), 2, reinterpret_cast<BYTE*>(&native), command) != FALSE;
}

bool XcvDataW(HANDLE xcv, std::u16string_view dataName, std::span<const uint8_t> input, std::span<uint8_t> output,
              uint32_t* outputNeeded, uint32_t* status) {
  const std::wstring name(dataName.begin(), dataName.end());
  std::vector<BYTE> in(input.begin(), input.end());  // the call takes its input through a writable pointer
  DWORD needed = 0, answer = 0;
  const BOOL reached = ::XcvDataW(Native(xcv), name.c_str(), in.empty() ? nullptr : in.data(),
                                  static_cast<DWORD>(in.size()), output.empty() ? nullptr : output.data(),
                                  static_cast<DWORD>(output.size()), &needed, &answer);
  if (outputNeeded) *outputNeeded = needed;
  if (status) *status = answer;
  return reached != FALSE;
}

bool GetPrintProcessorDirectoryA(const char* serverName, const char* environment, uint32_t level, char* buffer,
                                 uint32_t bufferSize, uint32_t* needed) {
  AnsiTexts texts;
  char* server = texts.Add(serverName);
  char* env = texts.Add(environment);
  std::vector<BYTE> native(MAX_PATH, 0);
  if (!Fetch(native, [&](BYTE* data, DWORD size, DWORD* need) {
        return ::GetPrintProcessorDirectoryA(server, env, level, data, size, need) != FALSE;
      }))
    return false;
  const auto* text = reinterpret_cast<const char*>(native.data());
  const std::string directory = FromAnsi(std::string_view(text, strnlen(text, native.size())));
  if (needed) *needed = static_cast<uint32_t>(directory.size() + 1);
  if (!buffer || bufferSize < directory.size() + 1) {
    ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  std::memcpy(buffer, directory.c_str(), directory.size() + 1);
  return true;
}

bool AddPrintProcessorA(const char* serverName, const char* environment, const char* pathName,
                        const char* processorName) {
  AnsiTexts texts;
  return ::AddPrintProcessorA(texts.Add(serverName), texts.Add(environment), texts.Add(pathName),
                              texts.Add(processorName)) != FALSE;
}

bool DeletePrintProcessorA(const char* serverName, const char* environment, const char* processorName) {
  AnsiTexts texts;
  return ::DeletePrintProcessorA(texts.Add(serverName), texts.Add(environment), texts.Add(processorName)) != FALSE;
}

bool DeletePrinterDriverA(const char* serverName, const char* environment, const char* driverName) {
  AnsiTexts texts;
  return ::DeletePrinterDriverA(texts.Add(serverName), texts.Add(environment), texts.Add(driverName)) != FALSE;
}

bool SetDefaultPrinterA(const char* printerName) {
  AnsiTexts texts;
  return ::SetDefaultPrinterA(texts.Add(printerName)) != FALSE;
}

std::optional<std::string> GetDefaultPrinterA() {
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    if (::GetDefaultPrinterA(nullptr, &size) || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0)
      return std::nullopt;  // no default printer
    std::vector<char> name(size, '\0');
    if (::GetDefaultPrinterA(name.data(), &size)) return FromAnsi(name.data());
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
  }
  return std::nullopt;
}

bool WriteProfileStringA(const std::string& section, const std::string& key, const std::string& value) {
  return ::WriteProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(), ToAnsi(value).c_str()) != FALSE;
}

void BroadcastSettingChange(const char* section) {
  ++broadcasts;
  const std::string text = section ? ToAnsi(section) : std::string();
  ::SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, section ? reinterpret_cast<LPARAM>(text.c_str()) : 0,
                        SMTO_NORMAL, 1000, nullptr);
}

int SettingChangeBroadcasts() { return broadcasts; }

long AdvancedDocumentPropertiesA(const std::string& ownerName, HANDLE printer, const std::string& deviceName) {
  // The driver's advanced settings need the printer's current settings in and a buffer for the result:
  // without them the call only reports the size of its settings and shows nothing.
  const HWND owner = OwnerWindow(ownerName);
  AnsiTexts texts;
  char* name = texts.Add(deviceName);
  std::vector<BYTE> in = CurrentDevMode(owner, printer, name);
  if (in.empty()) return -1;
  std::vector<BYTE> out(in.size(), 0);
  return ::AdvancedDocumentPropertiesA(owner, Native(printer), name, reinterpret_cast<DEVMODEA*>(out.data()),
                                       reinterpret_cast<DEVMODEA*>(in.data()));
}

bool ShowPrintingPreferences(HANDLE printer) {
  PrinterRecord record;
  if (!GetPrinter2(printer, record)) return false;
  const HWND owner = ::GetActiveWindow();
  AnsiTexts texts;
  char* name = texts.Add(record.printerName);
  std::vector<BYTE> in = CurrentDevMode(owner, printer, name);
  if (in.empty()) return false;
  std::vector<BYTE> out(in.size(), 0);
  const LONG answer = ::DocumentPropertiesA(owner, Native(printer), name, reinterpret_cast<DEVMODEA*>(out.data()),
                                            reinterpret_cast<DEVMODEA*>(in.data()),
                                            DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER);
  if (answer < 0) return false;
  if (answer == IDOK) {
    // The user's choice becomes the user's own default settings of the printer.
    ::PRINTER_INFO_9A perUser{reinterpret_cast<DEVMODEA*>(out.data())};
    if (!::SetPrinterA(Native(printer), 9, reinterpret_cast<BYTE*>(&perUser), 0)) return false;
  }
  return true;
}

bool PrinterExists(const std::string& name) {
  return Listed(EnumeratedNames(
                    [](BYTE* data, DWORD size, DWORD* needed, DWORD* count) {
                      return ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, data, size, needed, count);
                    },
                    &::PRINTER_INFO_4A::pPrinterName),
                name);
}

bool PortExists(const std::string& name) {
  return Listed(EnumeratedNames(
                    [](BYTE* data, DWORD size, DWORD* needed, DWORD* count) {
                      return ::EnumPortsA(nullptr, 1, data, size, needed, count);
                    },
                    &::PORT_INFO_1A::pName),
                name);
}

bool PrintProcessorExists(const std::string& name) {
  return Listed(EnumeratedNames(
                    [](BYTE* data, DWORD size, DWORD* needed, DWORD* count) {
                      return ::EnumPrintProcessorsA(nullptr, nullptr, 1, data, size, needed, count);
                    },
                    &::PRINTPROCESSOR_INFO_1A::pName),
                name);
}

bool PrinterDriverExists(const std::string& name) {
  return Listed(EnumeratedNames(
                    [](BYTE* data, DWORD size, DWORD* needed, DWORD* count) {
                      return ::EnumPrinterDriversA(nullptr, nullptr, 1, data, size, needed, count);
                    },
                    &::DRIVER_INFO_1A::pName),
                name);
}

std::string PrintProcessorDirectory() {
  char directory[MAX_PATH * 3];
  uint32_t needed = 0;
  return GetPrintProcessorDirectoryA(nullptr, nullptr, 1, directory, sizeof directory, &needed) ? directory : "";
}

std::string PrinterDriverDirectory() {
  std::vector<BYTE> native(MAX_PATH, 0);
  if (!Fetch(native, [](BYTE* data, DWORD size, DWORD* needed) {
        return ::GetPrinterDriverDirectoryA(nullptr, nullptr, 1, data, size, needed) != FALSE;
      }))
    return {};
  return FromAnsi(reinterpret_cast<const char*>(native.data()));
}

}  // namespace velto::platform

namespace velto::platform {

std::optional<std::string> NativePrintEnvironment() {
  BOOL wow64 = FALSE;
  if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) return std::nullopt;
  return std::string("Windows x64");
}

}  // namespace velto::platform
