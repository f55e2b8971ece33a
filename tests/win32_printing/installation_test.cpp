// The command modes INSTALL and UNINSTALL (InstallPrinter, RemovePrinter) against the system's spooler,
// registry and service manager, checked after each through the system's own calls.
#include "platform/files.h"
#include "platform/printing/system_paths.h"
#include "platform/text_encoding.h"
#include "printer/printer_setup.h"
#include "printer/printer_setup_steps.h"
#include "tests/support/test_support.h"
#include "tests/win32_printing/windows_machine.h"

namespace velto {
namespace {

namespace pf = velto::platform;
using namespace velto::test;

const std::wstring kPrinterKey = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Velto Print";

// The program in a folder of its own (a stand-in of VeltoFaxTool.exe with the driver package beside it)
// and the print-processor library in the folder the program is started from, as the installer expects.
class InstallationFolders {
 public:
  InstallationFolders() : programDir(temp.File("program")), startDir(temp.File("start")) {
    std::filesystem::create_directories(pf::FsPath(programDir));
    std::filesystem::create_directories(pf::FsPath(startDir));
    WriteTextFile(programDir + "\\VeltoFaxTool.exe", "stand-in program");
    WriteTextFile(programDir + "\\VeltoPrinter.inf", "[Models]\r\n\"Velto Print\"=VELTO\r\n");
    WriteTextFile(startDir + "\\Vtproc.dll", "stand-in print processor");
    pf::SetModuleFileNameForTesting(programDir + "\\VeltoFaxTool.exe");
    ::SetCurrentDirectoryW(pf::Utf16(startDir).c_str());
  }
  ~InstallationFolders() { pf::SetModuleFileNameForTesting(std::nullopt); }

  TempDir temp;
  ScopedCurrentDirectory currentDirectory;
  std::string programDir, startDir;
};

TEST(WindowsInstallation, InstallCreatesEveryPieceAndUninstallTakesAwayWhatTheSpoolerLets) {
  VELTO_REQUIRE_SCRATCH_MACHINE();
  InstallationFolders folders;
  RemovePrinter();  // what an earlier run in this machine left
  ASSERT_FALSE(Lists(ListedPrinters(), "Velto Print"));
  ASSERT_TRUE(InstallDriverAsSetupWould("Velto Print"));

  ASSERT_TRUE(InstallPrinter());

  ListedPrinter printer;
  ASSERT_TRUE(FindListedPrinter("Velto Print", printer));
  EXPECT_EQ(printer.shareName, "Velto Print");
  EXPECT_EQ(printer.portName, "Velto Port");
  EXPECT_EQ(printer.driverName, "Velto Print");
  EXPECT_EQ(printer.comment, "The Printer for fax");
  EXPECT_EQ(printer.printProcessor, "Velto Processor");
  EXPECT_EQ(printer.datatype, "NT EMF 1.008");
  EXPECT_TRUE(printer.attributes & PRINTER_ATTRIBUTE_QUEUED);
  EXPECT_TRUE(Lists(ListedPorts(), "Velto Port"));
  EXPECT_TRUE(Lists(ListedPrintProcessors(), "Velto Processor"));
  EXPECT_TRUE(Lists(ListedPrinterDrivers(), "Velto Print"));
  EXPECT_EQ(DefaultPrinter(), "Velto Print");

  wchar_t systemWindowsDir[MAX_PATH] = L"";
  ::GetWindowsDirectoryW(systemWindowsDir, MAX_PATH);
  const std::string windowsDir = pf::Utf8(systemWindowsDir);
  std::wstring spoolDirectory;
  EXPECT_TRUE(MachineRegistryString(kPrinterKey, L"SpoolDirectory", spoolDirectory));
  EXPECT_EQ(pf::Utf8(spoolDirectory), windowsDir);

  // The files: the program's copy in the Windows directory, the library in the processor directory.
  EXPECT_EQ(FileText(pf::Utf16(windowsDir + "\\VeltoFaxTool.exe")), "stand-in program");
  EXPECT_EQ(FileText(SystemPrintProcessorDirectory() + L"\\Vtproc.dll"), "stand-in print processor");
  // The driver step left the program's directory current, so that the package name alone finds it.
  EXPECT_EQ(pf::Utf8(ScopedCurrentDirectory::Current()), folders.programDir);
  EXPECT_EQ(ServiceState("spooler"), static_cast<DWORD>(SERVICE_RUNNING));  // restarted, running again

  RemovePrinter();

  EXPECT_FALSE(Lists(ListedPrinters(), "Velto Print"));
  EXPECT_FALSE(Lists(ListedPorts(), "Velto Port"));
  EXPECT_FALSE(Lists(ListedPrinterDrivers(), "Velto Print"));
  EXPECT_NE(DefaultPrinter(), "Velto Print");
  EXPECT_FALSE(MachineRegistryString(kPrinterKey, L"SpoolDirectory", spoolDirectory));
  if (RunningUnderWine()) {
    // Wine 8's DeletePrintProcessorA reports success but leaves the processor registered.
    EXPECT_TRUE(Lists(ListedPrintProcessors(), "Velto Processor"));
  } else {
    EXPECT_FALSE(Lists(ListedPrintProcessors(), "Velto Processor"));
  }
  // Removal leaves the files on disk.
  EXPECT_EQ(FileText(pf::Utf16(windowsDir + "\\VeltoFaxTool.exe")), "stand-in program");
  EXPECT_EQ(FileText(SystemPrintProcessorDirectory() + L"\\Vtproc.dll"), "stand-in print processor");

  // UNINSTALL without the printer asks for the rest again and harms nothing.
  RemovePrinter();
  EXPECT_FALSE(Lists(ListedPrinters(), "Velto Print"));
  EXPECT_FALSE(Lists(ListedPorts(), "Velto Port"));
}

}  // namespace
}  // namespace velto
