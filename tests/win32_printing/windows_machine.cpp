#include "tests/win32_printing/windows_machine.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace velto::test {
namespace {

template <typename Record, typename Call>
std::vector<std::string> Names(Call call, char* Record::*field) {
  DWORD needed = 0, count = 0;
  call(nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + sizeof(Record));
  if (!call(buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count)) return {};
  std::vector<std::string> names;
  const auto* records = reinterpret_cast<const Record*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) names.push_back(records[i].*field ? records[i].*field : "");
  return names;
}

std::string Text(const char* text) { return text ? text : ""; }

}  // namespace

bool RunningUnderWine() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

bool MachineMayBeChanged() {
  const char* allowed = std::getenv("VELTO_ALLOW_PRINTER_CHANGES");
  return RunningUnderWine() || (allowed && std::string(allowed) == "1");
}

std::vector<std::string> ListedPrinters() {
  return Names(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* count) {
        return ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, data, size, needed, count);
      },
      &PRINTER_INFO_4A::pPrinterName);
}

std::vector<std::string> ListedPorts() {
  return Names(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* count) {
        return ::EnumPortsA(nullptr, 1, data, size, needed, count);
      },
      &PORT_INFO_1A::pName);
}

std::vector<std::string> ListedPrintProcessors() {
  return Names(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* count) {
        return ::EnumPrintProcessorsA(nullptr, nullptr, 1, data, size, needed, count);
      },
      &PRINTPROCESSOR_INFO_1A::pName);
}

std::vector<std::string> ListedPrinterDrivers() {
  return Names(
      [](BYTE* data, DWORD size, DWORD* needed, DWORD* count) {
        return ::EnumPrinterDriversA(nullptr, nullptr, 1, data, size, needed, count);
      },
      &DRIVER_INFO_1A::pName);
}

bool Lists(const std::vector<std::string>& names, const std::string& name) {
  for (const auto& listed : names)
    if (::lstrcmpiA(listed.c_str(), name.c_str()) == 0) return true;
  return false;
}

std::string DefaultPrinter() {
  char name[512];
  DWORD size = sizeof name;
  return ::GetDefaultPrinterA(name, &size) ? name : "";
}

bool FindListedPrinter(const std::string& name, ListedPrinter& printer) {
  DWORD needed = 0, count = 0;
  ::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + sizeof(PRINTER_INFO_2A));
  if (!::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed,
                       &count))
    return false;
  const auto* records = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    const PRINTER_INFO_2A& r = records[i];
    if (!r.pPrinterName || ::lstrcmpiA(r.pPrinterName, name.c_str()) != 0) continue;
    printer = {Text(r.pShareName), Text(r.pPortName),       Text(r.pDriverName), Text(r.pComment),
               Text(r.pPrintProcessor), Text(r.pDatatype), r.Attributes};
    return true;
  }
  return false;
}

bool MachineRegistryString(const std::wstring& key, const std::wstring& value, std::wstring& text) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
  wchar_t buffer[1024] = L"";
  DWORD type = 0, size = sizeof buffer - sizeof(wchar_t);
  const LSTATUS status =
      ::RegQueryValueExW(opened, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  ::RegCloseKey(opened);
  if (status != ERROR_SUCCESS || type != REG_SZ) return false;
  text = buffer;
  return true;
}

bool InstallDriverAsSetupWould(const std::string& model) {
  DRIVER_INFO_3A driver{};
  driver.cVersion = 3;
  driver.pName = const_cast<char*>(model.c_str());
  driver.pDriverPath = const_cast<char*>("VELTODRV.DLL");
  driver.pDataFile = const_cast<char*>("VELTO.PPD");
  driver.pConfigFile = const_cast<char*>("VELTOUI.DLL");
  return ::AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver));
}

DWORD ServiceState(const char* name) {
  SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return 0;
  SC_HANDLE service = ::OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  const bool known = service && ::QueryServiceStatus(service, &status);
  if (service) ::CloseServiceHandle(service);
  ::CloseServiceHandle(manager);
  return known ? status.dwCurrentState : 0;
}

std::string FileText(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::wstring SystemPrintProcessorDirectory() {
  wchar_t directory[MAX_PATH * 2] = L"";
  DWORD needed = 0;
  ::GetPrintProcessorDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(directory), sizeof directory, &needed);
  return directory;
}

ScopedCurrentDirectory::ScopedCurrentDirectory() : saved_(Current()) {}
ScopedCurrentDirectory::~ScopedCurrentDirectory() { ::SetCurrentDirectoryW(saved_.c_str()); }

std::wstring ScopedCurrentDirectory::Current() {
  wchar_t directory[MAX_PATH * 2] = L"";
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH * 2, directory);
  return std::wstring(directory, length < MAX_PATH * 2 ? length : 0);
}

}  // namespace velto::test
