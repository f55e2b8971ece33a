// The spooler, registry and service layers: what they keep, what they refuse and the errors they set.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "platform/printing/print_ui_command.h"
#include "platform/shell_recording.h"
#include "platform/printing/registry.h"
#include "platform/printing/service_manager.h"
#include "platform/printing/spooler.h"
#include "platform/printing/system_errors.h"
#include "tests/printer/printer_test_environment.h"

namespace velto {
namespace {

namespace pf = velto::platform;
using test::PrinterEnvironment;

std::vector<uint8_t> Utf16Z(const std::u16string& text) {
  std::vector<uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xff));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

void WriteProcessorLibrary(const std::string& text) {
  std::filesystem::create_directories(pf::PrintProcessorDirectory());
  test::WriteTextFile(pf::PrintProcessorDirectory() + "/Vtproc.dll", text);
}

uint32_t Xcv(const std::u16string& command, const std::vector<uint8_t>& input) {
  pf::PRINTER_DEFAULTSA defaults{nullptr, nullptr, pf::SERVER_ALL_ACCESS};
  pf::UniquePrinterHandle monitor;
  EXPECT_TRUE(pf::OpenPrinterA(",XcvMonitor Local Port", monitor.Receive(), &defaults));
  uint32_t needed = 0, status = 12345;
  EXPECT_TRUE(pf::XcvDataW(monitor.Get(), command, input, {}, &needed, &status));
  return status;
}

// A printer with its own port, driver and processor, as installation leaves it.
void AddPieces(PrinterEnvironment& env) {
  ASSERT_EQ(Xcv(u"AddPort", Utf16Z(u"Velto Port")), pf::ERROR_SUCCESS);
  ASSERT_TRUE(pf::InstallDriverFromPackage("Velto Print", "Windows NT x86", "Windows 2000",
                                           env.programDir + "/VeltoPrinter.inf"));
  WriteProcessorLibrary("stand-in");
  ASSERT_TRUE(pf::AddPrintProcessorA(nullptr, nullptr, "Vtproc.dll", "Velto Processor"));
}

pf::PRINTER_INFO_2A Record(const char* name = "Velto Print") {
  pf::PRINTER_INFO_2A info;
  info.pPrinterName = name;
  info.pPortName = "Velto Port";
  info.pDriverName = "Velto Print";
  info.pPrintProcessor = "Velto Processor";
  info.pDatatype = "NT EMF 1.008";
  info.Attributes = pf::PRINTER_ATTRIBUTE_QUEUED;
  return info;
}

TEST(StateFile, KeepsSectionsAndValuesAndComparesNamesWithoutCase) {
  test::TempDir dir;
  pf::StateFile file;
  file.FindOrAdd("Velto Print").Set("pPortName", "Velto Port");
  file.FindOrAdd("Velto Print").Set("Multi", "one\ntwo");
  ASSERT_TRUE(file.Save(dir.File("a/b.ini"), "heading"));
  pf::StateFile back = pf::StateFile::Load(dir.File("a/b.ini"));
  ASSERT_NE(back.Find("velto print"), nullptr);
  EXPECT_EQ(back.Find("VELTO PRINT")->Get("PPORTNAME"), "Velto Port");
  EXPECT_EQ(back.Find("Velto Print")->Get("Multi"), "one two");  // a value never spans lines
  EXPECT_TRUE(pf::StateFile::Load(dir.File("missing.ini")).Sections().empty());
}

TEST(Registry, OpensOnlyExistingKeysAndWritesStringsWithTheirTerminator) {
  PrinterEnvironment env;
  pf::HKEY key = 0;
  EXPECT_EQ(pf::RegOpenKeyExA(pf::HKEY_LOCAL_MACHINE, "SYSTEM\\Nowhere", 0, pf::KEY_ALL_ACCESS, &key),
            long(pf::ERROR_FILE_NOT_FOUND));
  ASSERT_EQ(pf::RegCreateKeyA(pf::HKEY_LOCAL_MACHINE, "SYSTEM\\Velto\\Sub", &key), 0);
  pf::RegCloseKey(key);
  ASSERT_EQ(pf::RegOpenKeyExA(pf::HKEY_LOCAL_MACHINE, "system\\velto", 0, pf::KEY_ALL_ACCESS, &key), 0);
  const char text[] = "C:\\WINNT";
  EXPECT_EQ(pf::RegSetValueExA(key, "SpoolDirectory", 0, pf::REG_SZ,
                               std::span(reinterpret_cast<const uint8_t*>(text), sizeof text)), 0);
  pf::RegCloseKey(key);
  EXPECT_EQ(pf::RegistryString(pf::HKEY_LOCAL_MACHINE, "SYSTEM\\Velto", "SpoolDirectory"), "C:\\WINNT");

  ASSERT_EQ(pf::RegOpenKeyExA(pf::HKEY_LOCAL_MACHINE, "SYSTEM\\Velto", 0, pf::KEY_QUERY_VALUE, &key), 0);
  EXPECT_EQ(pf::RegSetValueExA(key, "x", 0, pf::REG_SZ, std::span(reinterpret_cast<const uint8_t*>(text), 2)),
            long(pf::ERROR_ACCESS_DENIED));
  pf::RegCloseKey(key);
  EXPECT_EQ(pf::RegDeleteTree(pf::HKEY_LOCAL_MACHINE, "SYSTEM\\Velto"), 0);
  EXPECT_FALSE(pf::RegistryKeyExists(pf::HKEY_LOCAL_MACHINE, "SYSTEM\\Velto\\Sub"));
}

TEST(ServiceManager, StartAndStopPassThroughTheirPendingStatesByTheClock) {
  PrinterEnvironment env;
  env.WriteServices("[spooler]\nState=Stopped\nStartTime=700\nStopTime=300\nWaitHint=250\n");
  pf::UniqueServiceHandle manager(pf::OpenSCManagerA(nullptr, nullptr, pf::SC_MANAGER_CONNECT));
  pf::UniqueServiceHandle spooler(pf::OpenServiceA(manager.Get(), "Spooler", pf::SERVICE_ALL_ACCESS));
  ASSERT_TRUE(spooler);
  EXPECT_EQ(pf::OpenServiceA(manager.Get(), "nosuch", pf::SERVICE_ALL_ACCESS), 0u);
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_SERVICE_DOES_NOT_EXIST);

  pf::SERVICE_STATUS status;
  EXPECT_FALSE(pf::ControlService(spooler.Get(), pf::SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_SERVICE_NOT_ACTIVE);
  ASSERT_TRUE(pf::StartServiceA(spooler.Get(), 0, nullptr));
  ASSERT_TRUE(pf::QueryServiceStatus(spooler.Get(), &status));
  EXPECT_EQ(status.dwCurrentState, pf::SERVICE_START_PENDING);
  EXPECT_EQ(status.dwWaitHint, 250u);
  EXPECT_FALSE(pf::StartServiceA(spooler.Get(), 0, nullptr));
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_SERVICE_ALREADY_RUNNING);
  env.clock.now += 700;
  ASSERT_TRUE(pf::QueryServiceStatus(spooler.Get(), &status));
  EXPECT_EQ(status.dwCurrentState, pf::SERVICE_RUNNING);
  EXPECT_NE(test::ReadText(env.Win("services.ini")).find("State=Running"), std::string::npos);

  ASSERT_TRUE(pf::ControlService(spooler.Get(), pf::SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(status.dwCurrentState, pf::SERVICE_STOP_PENDING);
  env.clock.now += 300;
  EXPECT_EQ(pf::CurrentServiceState("spooler"), pf::SERVICE_STOPPED);
}

TEST(Spooler, AnswersNothingWhileTheSpoolerIsStopped) {
  PrinterEnvironment env;
  env.WriteServices("[spooler]\nState=Stopped\n");
  pf::UniquePrinterHandle printer;
  EXPECT_FALSE(pf::OpenPrinterA("Velto Print", printer.Receive(), nullptr));
  EXPECT_EQ(pf::GetLastError(), pf::RPC_S_SERVER_UNAVAILABLE);
  pf::PRINTER_INFO_2A info = Record();
  EXPECT_EQ(pf::AddPrinterA(nullptr, 2, &info), 0u);
  EXPECT_EQ(pf::GetLastError(), pf::RPC_S_SERVER_UNAVAILABLE);
  EXPECT_EQ(pf::FormatSystemMessage(pf::RPC_S_SERVER_UNAVAILABLE), "RPC 服务器不可用。");
}

TEST(Spooler, RefusesPrintersBoundToMissingPiecesAndSecondPrintersOfOneName) {
  PrinterEnvironment env;
  pf::PRINTER_INFO_2A info = Record();
  EXPECT_EQ(pf::AddPrinterA(nullptr, 2, &info), 0u);
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_UNKNOWN_PORT);
  ASSERT_EQ(Xcv(u"AddPort", Utf16Z(u"Velto Port")), pf::ERROR_SUCCESS);
  EXPECT_EQ(pf::AddPrinterA(nullptr, 2, &info), 0u);
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_UNKNOWN_PRINTER_DRIVER);
  ASSERT_TRUE(pf::InstallDriverFromPackage("Velto Print", "Windows NT x86", "Windows 2000",
                                           env.programDir + "/VeltoPrinter.inf"));
  EXPECT_EQ(pf::AddPrinterA(nullptr, 2, &info), 0u);
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_UNKNOWN_PRINTPROCESSOR);
  EXPECT_FALSE(pf::AddPrintProcessorA(nullptr, nullptr, "Vtproc.dll", "Velto Processor"));
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_MOD_NOT_FOUND);  // no library in the processor directory
  WriteProcessorLibrary("stand-in");
  ASSERT_TRUE(pf::AddPrintProcessorA(nullptr, nullptr, "Vtproc.dll", "Velto Processor"));
  EXPECT_FALSE(pf::AddPrintProcessorA(nullptr, nullptr, "Vtproc.dll", "Velto Processor"));
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED);

  info.pDatatype = "XPS";
  EXPECT_EQ(pf::AddPrinterA(nullptr, 2, &info), 0u);
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_INVALID_DATATYPE);
  info.pDatatype = "NT EMF 1.008";
  pf::UniquePrinterHandle added(pf::AddPrinterA(nullptr, 2, &info));
  ASSERT_TRUE(added);
  EXPECT_EQ(pf::AddPrinterA(nullptr, 2, &info), 0u);
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_PRINTER_ALREADY_EXISTS);
  pf::PRINTER_INFO_2A badName = Record("a,b");
  EXPECT_EQ(pf::AddPrinterA(nullptr, 2, &badName), 0u);
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_INVALID_PRINTER_NAME);
  EXPECT_TRUE(pf::RegistryKeyExists(pf::HKEY_LOCAL_MACHINE, pf::PrinterRegistryKey("Velto Print")));
}

TEST(Spooler, DeletesAPrinterWhenItsLastHandleClosesAndGuardsWhatItUses) {
  PrinterEnvironment env;
  AddPieces(env);
  pf::PRINTER_INFO_2A info = Record();
  { pf::UniquePrinterHandle added(pf::AddPrinterA(nullptr, 2, &info)); }
  ASSERT_TRUE(pf::SetDefaultPrinterA("Velto Print"));
  EXPECT_EQ(pf::GetDefaultPrinterA(), "Velto Print");

  EXPECT_EQ(Xcv(u"DeletePort", Utf16Z(u"Velto Port")), pf::ERROR_BUSY);
  EXPECT_FALSE(pf::DeletePrintProcessorA(nullptr, nullptr, "Velto Processor"));
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_BUSY);
  EXPECT_FALSE(pf::DeletePrinterDriverA(nullptr, nullptr, "Velto Print"));
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_PRINTER_DRIVER_IN_USE);

  pf::UniquePrinterHandle user;
  pf::PRINTER_DEFAULTSA use{nullptr, nullptr, pf::PRINTER_ACCESS_USE};
  ASSERT_TRUE(pf::OpenPrinterA("Velto Print", user.Receive(), &use));
  EXPECT_FALSE(pf::DeletePrinter(user.Get()));
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_ACCESS_DENIED);

  pf::PRINTER_DEFAULTSA all{nullptr, nullptr, pf::PRINTER_ALL_ACCESS};
  pf::UniquePrinterHandle admin;
  ASSERT_TRUE(pf::OpenPrinterA("Velto Print", admin.Receive(), &all));
  ASSERT_TRUE(pf::DeletePrinter(admin.Get()));
  admin.Reset();
  EXPECT_TRUE(pf::PrinterExists("Velto Print"));  // another handle still holds it
  pf::UniquePrinterHandle again;
  EXPECT_FALSE(pf::OpenPrinterA("Velto Print", again.Receive(), &all));
  user.Reset();
  EXPECT_FALSE(pf::PrinterExists("Velto Print"));
  EXPECT_FALSE(pf::RegistryKeyExists(pf::HKEY_LOCAL_MACHINE, pf::PrinterRegistryKey("Velto Print")));
  EXPECT_FALSE(pf::GetDefaultPrinterA());

  EXPECT_EQ(Xcv(u"DeletePort", Utf16Z(u"Velto Port")), pf::ERROR_SUCCESS);
  EXPECT_EQ(Xcv(u"DeletePort", Utf16Z(u"Velto Port")), pf::ERROR_UNKNOWN_PORT);
  EXPECT_TRUE(pf::DeletePrintProcessorA(nullptr, nullptr, "Velto Processor"));
  EXPECT_TRUE(pf::DeletePrinterDriverA(nullptr, nullptr, "Velto Print"));
  EXPECT_FALSE(pf::DeletePrinterDriverA(nullptr, nullptr, "Velto Print"));
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_UNKNOWN_PRINTER_DRIVER);
}

TEST(PortMonitor, TakesPortNamesOnlyAsWholeUtf16WithOneTerminatingZero) {
  PrinterEnvironment env;
  std::vector<uint8_t> name = Utf16Z(u"Velto Port");
  EXPECT_EQ(name.size(), 22u);
  std::vector<uint8_t> unterminated(name.begin(), name.end() - 2);
  EXPECT_EQ(Xcv(u"AddPort", unterminated), pf::ERROR_INVALID_PARAMETER);
  std::vector<uint8_t> odd(name.begin(), name.end() - 1);
  EXPECT_EQ(Xcv(u"AddPort", odd), pf::ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Xcv(u"AddPort", Utf16Z(u"")), pf::ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Xcv(u"ConfigurePort", name), pf::ERROR_INVALID_FUNCTION);
  EXPECT_FALSE(pf::PortExists("Velto Port"));
  EXPECT_EQ(Xcv(u"AddPort", name), pf::ERROR_SUCCESS);
  EXPECT_EQ(Xcv(u"AddPort", name), pf::ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(pf::PortExists("Velto Port"));
  EXPECT_TRUE(pf::PortExists("LPT1:"));

  pf::UniquePrinterHandle other;
  EXPECT_FALSE(pf::OpenPrinterA(",XcvMonitor Fax Port", other.Receive(), nullptr));
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_INVALID_PRINTER_NAME);
}

TEST(Spooler, SpoolsJobsIntoThePrintersSpoolDirectoryAndHandsThemToItsProcessor) {
  PrinterEnvironment env;
  AddPieces(env);
  WriteProcessorLibrary("start=\"%windir%/VeltoFaxTool.exe\" VELTO PRINT *%document%\n");
  pf::PRINTER_INFO_2A info = Record();
  pf::UniquePrinterHandle printer(pf::AddPrinterA(nullptr, 2, &info));
  platform::RecordingShell shell;
  platform::ScopedShell scoped(shell);

  std::string first, second;
  const std::vector<uint8_t> bytes = {1, 2, 3};
  ASSERT_TRUE(pf::SubmitSpoolJob(printer.Get(), "Memo", bytes, &first));
  EXPECT_EQ(first, env.Win("spool/PRINTERS/00001.spl"));
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].file, "\"" + env.windowsDir + "/VeltoFaxTool.exe\" VELTO PRINT *Memo");
  EXPECT_TRUE(shell.calls[0].wait);

  pf::HKEY key = 0;
  ASSERT_EQ(pf::RegOpenKeyExA(pf::HKEY_LOCAL_MACHINE, pf::PrinterRegistryKey("Velto Print"), 0,
                              pf::KEY_ALL_ACCESS, &key), 0);
  const std::string dir = env.windowsDir;
  pf::RegSetValueExA(key, "SpoolDirectory", 0, pf::REG_SZ,
                     std::span(reinterpret_cast<const uint8_t*>(dir.c_str()), dir.size() + 1));
  pf::RegCloseKey(key);
  ASSERT_TRUE(pf::SubmitSpoolJob(printer.Get(), "Memo", bytes, &second));
  EXPECT_EQ(second, env.Win("00002.spl"));
  EXPECT_EQ(test::ReadFileBytes(second), bytes);

  ASSERT_EQ(pf::RegOpenKeyExA(pf::HKEY_LOCAL_MACHINE, pf::PrinterRegistryKey("Velto Print"), 0,
                              pf::KEY_ALL_ACCESS, &key), 0);
  const char windowsPath[] = "C:\\WINNT";
  pf::RegSetValueExA(key, "SpoolDirectory", 0, pf::REG_SZ,
                     std::span(reinterpret_cast<const uint8_t*>(windowsPath), sizeof windowsPath));
  pf::RegCloseKey(key);
  EXPECT_FALSE(pf::SubmitSpoolJob(printer.Get(), "Memo", bytes));
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists("C:\\WINNT"));
}

TEST(Spooler, TwoProcessesSpoolingAtOnceNeverShareAJobNumber) {
  PrinterEnvironment env;
  AddPieces(env);
  pf::PRINTER_INFO_2A info = Record();
  { pf::UniquePrinterHandle added(pf::AddPrinterA(nullptr, 2, &info)); }
  std::vector<pid_t> children;
  for (int child = 0; child < 2; ++child) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      pf::PRINTER_DEFAULTSA use{nullptr, nullptr, pf::PRINTER_ACCESS_USE};
      pf::UniquePrinterHandle printer;
      bool ok = pf::OpenPrinterA("Velto Print", printer.Receive(), &use);
      const std::vector<uint8_t> bytes(64, static_cast<uint8_t>(child));
      for (int job = 0; ok && job < 25; ++job) ok = pf::SubmitSpoolJob(printer.Get(), "Memo", bytes);
      ::_exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  size_t spooled = 0;
  for (const auto& entry : std::filesystem::directory_iterator(env.Win("spool/PRINTERS")))
    spooled += entry.path().extension() == ".spl";
  EXPECT_EQ(spooled, 50u);
}

TEST(PrintUiCommand, ParsesTheCommandLinesThatInstallationAndThePanelBuild) {
  std::string why;
  auto install = pf::ParsePrintUiCommand({"/ia", "", "/m", "Velto Print", "/h", "Intel", "/v", "Windows 2000",
                                          "/f", "VeltoPrinter.inf"}, &why);
  ASSERT_TRUE(install) << why;
  EXPECT_EQ(install->operation, pf::PrintUiCommand::Operation::InstallDriver);
  EXPECT_EQ(install->model, "Velto Print");
  EXPECT_EQ(install->packageFile, "VeltoPrinter.inf");
  EXPECT_EQ(pf::EnvironmentOfArchitecture(install->architecture), "Windows NT x86");

  auto test = pf::ParsePrintUiCommand({"/k", "/n\"Velto Print\""}, &why);
  ASSERT_TRUE(test);
  EXPECT_EQ(test->operation, pf::PrintUiCommand::Operation::PrintTestPage);
  EXPECT_EQ(test->printerName, "\"Velto Print\"");  // a joined value is taken as it stands
  auto preferences = pf::ParsePrintUiCommand({"/e", "/n", "Velto Print", "/q"}, &why);
  ASSERT_TRUE(preferences);
  EXPECT_TRUE(preferences->quiet);

  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {}, {"/k"}, {"/ia", "/m", "X"}, {"/ia", "/f", "p.inf"}, {"/k", "/e", "/n", "P"}, {"/x", "/n", "P"},
           {"/k", "/n"}, {"Velto", "/k", "/n", "P"}, {"/ia", "/m", "X", "/f", "p", "/h", "Alpha"},
           {"/ia", "/m", "X", "/f", "p", "/v", "Windows 95"}}) {
    EXPECT_FALSE(pf::ParsePrintUiCommand(bad, &why)) << testing::PrintToString(bad);
    EXPECT_FALSE(why.empty());
  }
}

}  // namespace
}  // namespace velto
