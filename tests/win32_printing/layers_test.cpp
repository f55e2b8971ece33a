// The Windows printing layers against the system's registry, message table, paths and spooler: what the
// program hands them arrives as the system keeps it, and what the system answers comes back unchanged.
#include "platform/printing/registry.h"
#include "platform/printing/spooler.h"
#include "platform/printing/system_errors.h"
#include "platform/printing/system_paths.h"
#include "platform/text_encoding.h"
#include "printer/default_printer.h"
#include "printer/port_configuration.h"
#include "printer/registry_key.h"
#include "tests/support/test_support.h"

namespace {
// Our predefined keys, named before <windows.h> makes these names macros.
constexpr velto::platform::HKEY kCurrentUser = velto::platform::HKEY_CURRENT_USER;
constexpr velto::platform::HKEY kLocalMachine = velto::platform::HKEY_LOCAL_MACHINE;
}  // namespace

#include "tests/win32_printing/windows_machine.h"

namespace velto {
namespace {

namespace pf = velto::platform;
using namespace velto::test;

TEST(WindowsRegistry, TextsArriveAsTheSystemKeepsThemAndKeysOpenOnlyWhereTheyExist) {
  const std::string key = "Software\\VeltoFaxTool tests\\registry " + std::to_string(::GetCurrentProcessId());
  pf::HKEY created = 0;
  ASSERT_EQ(pf::RegCreateKeyA(kCurrentUser, key, &created), ERROR_SUCCESS);
  const std::string path = "C:\\传真\\文档";
  const std::string withZero = path + '\0';
  EXPECT_EQ(pf::RegSetValueExA(created, "Folder", 0, REG_SZ,
                               std::span(reinterpret_cast<const uint8_t*>(withZero.data()), withZero.size())),
            ERROR_SUCCESS);
  EXPECT_EQ(pf::RegCloseKey(created), ERROR_SUCCESS);

  // The registry holds the text itself in UTF-16, not its UTF-8 bytes.
  wchar_t stored[64] = L"";
  DWORD size = sizeof stored;
  ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, pf::Utf16(key).c_str(), L"Folder", RRF_RT_REG_SZ, nullptr, stored, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(stored), L"C:\\传真\\文档");
  EXPECT_EQ(pf::RegistryString(kCurrentUser, key, "Folder"), path);
  EXPECT_EQ(pf::RegistryString(kCurrentUser, key, "Missing"), std::nullopt);

  // The installer's key wrapper on the same key; closing it never closes the predefined root.
  {
    RegistryKey wrapper(kCurrentUser);
    ASSERT_TRUE(wrapper.Open(key));
    EXPECT_TRUE(wrapper.SetString("SpoolDirectory", "C:\\windows"));
  }
  EXPECT_EQ(pf::RegistryString(kCurrentUser, key, "SpoolDirectory"), "C:\\windows");
  EXPECT_TRUE(pf::RegistryKeyExists(kCurrentUser, "Software"));

  pf::HKEY missing = 1;
  EXPECT_EQ(pf::RegOpenKeyExA(kCurrentUser, key + "\\no such key", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing, 0u);
  RegistryKey unopened(kCurrentUser);
  EXPECT_FALSE(unopened.Open(key + "\\no such key"));

  EXPECT_EQ(pf::RegDeleteTree(kCurrentUser, "Software\\VeltoFaxTool tests"), ERROR_SUCCESS);
  EXPECT_FALSE(pf::RegistryKeyExists(kCurrentUser, key));
  EXPECT_TRUE(pf::RegistryKeyExists(kLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers"));
}

TEST(WindowsSystemErrors, TheLastErrorIsTheSystemsAndItsTextsComeWithoutLineBreak) {
  pf::SetLastError(ERROR_INVALID_PRINTER_NAME);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
  ::SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(pf::GetLastError(), static_cast<uint32_t>(ERROR_ACCESS_DENIED));

  for (uint32_t code : {ERROR_INVALID_PRINTER_NAME, ERROR_SERVICE_REQUEST_TIMEOUT, ERROR_ACCESS_DENIED}) {
    const auto text = pf::FormatSystemMessage(code);
    ASSERT_TRUE(text.has_value()) << code;
    EXPECT_FALSE(text->empty());
    EXPECT_EQ(text->find_first_of("\r\n"), std::string::npos) << *text;
  }
  EXPECT_EQ(pf::FormatSystemMessage(0x2000FFFF), std::nullopt);  // a code the table does not hold
}

TEST(WindowsSystemPaths, TheyAreTheSystemsInUtf8) {
  wchar_t module[MAX_PATH] = L"";
  ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  EXPECT_EQ(pf::ModuleFileName(), pf::Utf8(module));
  wchar_t windows[MAX_PATH] = L"";
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(pf::GetWindowsDirectoryA(), pf::Utf8(windows));
  pf::SimulateWindowsDirectoryFailure(true);
  EXPECT_EQ(pf::GetWindowsDirectoryA(), std::nullopt);
  pf::SimulateWindowsDirectoryFailure(false);

  // A directory whose name the ANSI code page may not hold.
  TempDir temp;
  const std::string folder = temp.File("程序 folder");
  ASSERT_TRUE(::CreateDirectoryW(pf::Utf16(folder).c_str(), nullptr));
  ScopedCurrentDirectory restore;
  ASSERT_TRUE(pf::SetCurrentDirectoryA(folder));
  EXPECT_EQ(pf::Utf8(ScopedCurrentDirectory::Current()), folder);
  EXPECT_FALSE(pf::SetCurrentDirectoryA(folder + "\\missing"));
}

// A printer of the tests' own, on a port and driver of their own, removed again at the end.
class ScratchPrinter {
 public:
  static constexpr const char* kName = "Velto Layer Test";
  static constexpr const char16_t* kPort = u"Velto Layer Port";

  ScratchPrinter() {
    ConfigurePort(kPort, false);
    InstallDriverAsSetupWould(kName);
  }
  ~ScratchPrinter() {
    pf::PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    for (int copy = 0; copy < 4; ++copy) {  // Wine lets a name be added more than once
      pf::UniquePrinterHandle printer;
      if (!pf::OpenPrinterA(kName, printer.Receive(), &defaults) || !pf::DeletePrinter(printer.Get())) break;
    }
    ConfigurePort(kPort, true);
    pf::DeletePrinterDriverA(nullptr, nullptr, kName);
  }

  pf::UniquePrinterHandle Add() const {
    pf::PRINTER_INFO_2A info;
    info.pPrinterName = kName;
    info.pPortName = "Velto Layer Port";
    info.pDriverName = kName;
    info.pComment = "first comment";
    info.pPrintProcessor = "winprint";
    info.pDatatype = "RAW";
    info.Attributes = PRINTER_ATTRIBUTE_QUEUED;
    return pf::UniquePrinterHandle(pf::AddPrinterA(nullptr, 2, &info));
  }
};

TEST(WindowsSpooler, PrintersPortsAndTheDefaultPrinterGoThroughUnchanged) {
  VELTO_REQUIRE_SCRATCH_MACHINE();
  pf::UniquePrinterHandle none;
  EXPECT_FALSE(pf::OpenPrinterA("No Such Printer", none.Receive(), nullptr));
  EXPECT_EQ(pf::GetLastError(), static_cast<uint32_t>(ERROR_INVALID_PRINTER_NAME));
  EXPECT_FALSE(none);

  ScratchPrinter scratch;
  EXPECT_TRUE(Lists(ListedPorts(), "Velto Layer Port"));
  EXPECT_TRUE(pf::PortExists("velto layer port"));
  // A second AddPort: the monitor's refusal is the result, with its answer as the last error.
  EXPECT_FALSE(ConfigurePort(ScratchPrinter::kPort, false));
  EXPECT_EQ(pf::GetLastError(), static_cast<uint32_t>(ERROR_ALREADY_EXISTS));

  pf::UniquePrinterHandle printer = scratch.Add();
  ASSERT_TRUE(printer) << pf::GetLastError();
  EXPECT_TRUE(pf::PrinterExists(ScratchPrinter::kName));
  EXPECT_EQ(pf::PrinterExists(ScratchPrinter::kName), Lists(ListedPrinters(), ScratchPrinter::kName));
  EXPECT_EQ(pf::PrinterDriverExists(ScratchPrinter::kName), Lists(ListedPrinterDrivers(), ScratchPrinter::kName));
  EXPECT_TRUE(pf::PrintProcessorExists("WinPrint"));
  EXPECT_FALSE(pf::PrinterExists("No Such Printer"));

  // The record read back, changed and written back: the system lists the change, and the printer keeps
  // the device settings the record cannot carry.
  pf::PrinterRecord record;
  ASSERT_TRUE(pf::GetPrinter2(printer.Get(), record));
  EXPECT_EQ(record.printerName, ScratchPrinter::kName);
  EXPECT_EQ(record.portName, "Velto Layer Port");
  EXPECT_EQ(record.comment, "first comment");
  const bool hadDevMode = record.hasDevMode;
  record.comment = "second comment";
  record.location = "shelf 2";
  ASSERT_TRUE(pf::SetPrinter2(printer.Get(), record, 0));
  ListedPrinter listed;
  ASSERT_TRUE(FindListedPrinter(ScratchPrinter::kName, listed));
  EXPECT_EQ(listed.comment, "second comment");
  pf::PrinterRecord again;
  ASSERT_TRUE(pf::GetPrinter2(printer.Get(), again));
  EXPECT_EQ(again.location, "shelf 2");
  EXPECT_EQ(again.hasDevMode, hadDevMode);

  const int broadcasts = pf::SettingChangeBroadcasts();
  EXPECT_TRUE(SetDefaultPrinter(ScratchPrinter::kName));
  EXPECT_EQ(DefaultPrinter(), ScratchPrinter::kName);
  EXPECT_EQ(pf::GetDefaultPrinterA(), ScratchPrinter::kName);
  EXPECT_EQ(pf::SettingChangeBroadcasts(), broadcasts + 1);
  EXPECT_FALSE(SetDefaultPrinter(nullptr));

  // A second printer of the same name.
  pf::UniquePrinterHandle second = scratch.Add();
  if (RunningUnderWine()) {
    EXPECT_TRUE(second);  // Wine 8 adds it: its AddPrinterA does not look for an existing printer
  } else {
    EXPECT_FALSE(second);
    EXPECT_EQ(pf::GetLastError(), static_cast<uint32_t>(ERROR_PRINTER_ALREADY_EXISTS));
  }
}

TEST(WindowsSpooler, DirectoriesComeBackAsUtf8AndATooSmallBufferSaysHowMuchItNeeds) {
  wchar_t system[MAX_PATH] = L"";
  DWORD systemNeeded = 0;
  ASSERT_TRUE(::GetPrintProcessorDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(system), sizeof system,
                                            &systemNeeded));
  const std::string expected = pf::Utf8(system);
  char buffer[260];
  uint32_t needed = 0;
  ASSERT_TRUE(pf::GetPrintProcessorDirectoryA(nullptr, nullptr, 1, buffer, sizeof buffer, &needed));
  EXPECT_EQ(buffer, expected);
  EXPECT_EQ(pf::PrintProcessorDirectory(), expected);
  EXPECT_FALSE(pf::GetPrintProcessorDirectoryA(nullptr, nullptr, 1, buffer, 4, &needed));
  EXPECT_EQ(pf::GetLastError(), static_cast<uint32_t>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(needed, expected.size() + 1);
  EXPECT_FALSE(pf::PrinterDriverDirectory().empty());
}

}  // namespace
}  // namespace velto
