// Installing and removing the virtual printer without user interface, and the printer-setup entry.
#include <gtest/gtest.h>

#include <numeric>

#include "job/convert_job.h"
#include "platform/printing/registry.h"
#include "platform/printing/service_manager.h"
#include "platform/printing/spooler.h"
#include "platform/printing/system_errors.h"
#include "printer/default_printer.h"
#include "printer/port_configuration.h"
#include "printer/print_ui_entry.h"
#include "printer/printer_properties.h"
#include "printer/printer_setup.h"
#include "printer/printer_setup_steps.h"
#include "printer/service_control.h"
#include "spool/spool_job.h"
#include "spool/spool_reader.h"
#include "tests/printer/printer_test_environment.h"

namespace velto {
namespace {

namespace fs = std::filesystem;
namespace pf = velto::platform;
using test::PrinterEnvironment;

const std::string kKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Velto Print";

std::optional<std::string> SpoolDirectoryValue() {
  return pf::RegistryString(pf::HKEY_LOCAL_MACHINE, kKey, "SpoolDirectory");
}

uint64_t TotalPause(const test::VirtualClock& clock) {
  return std::accumulate(clock.sleeps.begin(), clock.sleeps.end(), uint64_t{0});
}

bool HasMessage(const PrinterEnvironment& env, const std::string& caption, const std::string& textPart) {
  for (const auto& m : env.dialogs.messages)
    if (m.caption == caption && m.text.find(textPart) != std::string::npos) return true;
  return false;
}

TEST(InstallPrinter, CreatesEveryPieceAndRemovePrinterTakesThemAwayAgain) {
  PrinterEnvironment env;
  const int broadcasts = pf::SettingChangeBroadcasts();
  ASSERT_TRUE(InstallPrinter());

  EXPECT_EQ(test::ReadText(env.Win("VeltoFaxTool.exe")), test::ReadText(env.programDir + "/VeltoFaxTool"));
  EXPECT_TRUE(fs::exists(pf::PrintProcessorDirectory() + "/Vtproc.dll"));
  const auto processors = env.State("spooler/processors.ini");
  ASSERT_NE(processors.Find("Velto Processor"), nullptr);
  EXPECT_EQ(processors.Find("Velto Processor")->Get("Library"), "Vtproc.dll");
  const auto drivers = env.State("spooler/drivers.ini");
  ASSERT_NE(drivers.Find("Velto Print"), nullptr);
  EXPECT_EQ(drivers.Find("Velto Print")->Get("Environment"), "Windows NT x86");
  EXPECT_EQ(drivers.Find("Velto Print")->Get("Version"), "Windows 2000");
  EXPECT_NE(env.State("spooler/ports.ini").Find("Velto Port"), nullptr);

  const auto printers = env.State("spooler/printers.ini");
  const pf::StateSection* printer = printers.Find("Velto Print");
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->Get("pServerName"), "<null>");
  EXPECT_EQ(printer->Get("pShareName"), "Velto Print");
  EXPECT_EQ(printer->Get("pPortName"), "Velto Port");
  EXPECT_EQ(printer->Get("pDriverName"), "Velto Print");
  EXPECT_EQ(printer->Get("pComment"), "The Printer for fax");
  EXPECT_EQ(printer->Get("pLocation", "?"), "");
  EXPECT_EQ(printer->Get("pDevMode"), "<null>");
  EXPECT_EQ(printer->Get("pSepFile", "?"), "");
  EXPECT_EQ(printer->Get("pPrintProcessor"), "Velto Processor");
  EXPECT_EQ(printer->Get("pDatatype"), "NT EMF 1.008");
  EXPECT_EQ(printer->Get("Attributes"), "1");

  EXPECT_EQ(pf::GetDefaultPrinterA(), "Velto Print");
  EXPECT_GT(pf::SettingChangeBroadcasts(), broadcasts);
  EXPECT_EQ(SpoolDirectoryValue(), env.windowsDir);
  EXPECT_TRUE(env.Paused(1000));  // the spooler was restarted
  EXPECT_EQ(pf::CurrentServiceState("spooler"), pf::SERVICE_RUNNING);
  EXPECT_EQ(fs::current_path(), fs::path(env.programDir));  // the driver step stays in the program's folder
  EXPECT_TRUE(env.dialogs.messages.empty());

  RemovePrinter();
  EXPECT_FALSE(pf::PrinterExists("Velto Print"));
  EXPECT_FALSE(pf::PortExists("Velto Port"));
  EXPECT_FALSE(pf::PrintProcessorExists("Velto Processor"));
  EXPECT_FALSE(pf::PrinterDriverExists("Velto Print"));
  EXPECT_FALSE(pf::RegistryKeyExists(pf::HKEY_LOCAL_MACHINE, kKey));
  EXPECT_TRUE(fs::exists(env.Win("VeltoFaxTool.exe")));
  EXPECT_TRUE(fs::exists(pf::PrintProcessorDirectory() + "/Vtproc.dll"));

  ASSERT_TRUE(InstallPrinter());  // and again, over the files left behind
  EXPECT_TRUE(pf::PrinterExists("Velto Print"));
}

TEST(InstallPrinter, WhenThePrinterExistsFailsAfterTheEarlyStepsAndLeavesTheRestAlone) {
  PrinterEnvironment env;
  ASSERT_TRUE(InstallPrinter());
  pf::WriteProfileStringA("windows", "device", "Other,winspool,LPT1:");
  {
    pf::HKEY key = 0;
    ASSERT_EQ(pf::RegOpenKeyExA(pf::HKEY_LOCAL_MACHINE, kKey, 0, pf::KEY_ALL_ACCESS, &key), 0);
    const char marker[] = "marker";
    pf::RegSetValueExA(key, "SpoolDirectory", 0, pf::REG_SZ,
                       std::span(reinterpret_cast<const uint8_t*>(marker), sizeof marker));
    pf::RegCloseKey(key);
  }
  env.EnterStartDirectory();
  env.clock.sleeps.clear();
  EXPECT_FALSE(InstallPrinter());
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_PRINTER_ALREADY_EXISTS);
  EXPECT_EQ(pf::GetDefaultPrinterA(), "Other");
  EXPECT_EQ(SpoolDirectoryValue(), "marker");
  EXPECT_FALSE(env.Paused(1000));  // no restart
}

TEST(RemovePrinter, WithoutThePrinterStillRemovesPortProcessorAndDriver) {
  PrinterEnvironment env;
  ASSERT_TRUE(InstallPrintProcessor("Velto Processor", "Vtproc.dll"));
  ASSERT_TRUE(InstallPrinterDriver("Velto Print", "VeltoPrinter.inf"));
  ASSERT_TRUE(ConfigurePort(u"Velto Port", false));
  ASSERT_TRUE(pf::PrinterDriverExists("Velto Print"));
  RemovePrinter();
  EXPECT_FALSE(pf::PortExists("Velto Port"));
  EXPECT_FALSE(pf::PrintProcessorExists("Velto Processor"));
  EXPECT_FALSE(pf::PrinterDriverExists("Velto Print"));
}

TEST(InstallPrinter, StartsAStoppedSpoolerFirst) {
  PrinterEnvironment env;
  env.WriteServices("[spooler]\nState=Stopped\nStartTime=400\n");
  ASSERT_TRUE(InstallPrinter());
  ASSERT_FALSE(env.clock.sleeps.empty());
  EXPECT_EQ(env.clock.sleeps.front(), 500u);  // the first pause, before any wait hint is known
  EXPECT_TRUE(pf::PrinterExists("Velto Print"));
  EXPECT_EQ(pf::CurrentServiceState("spooler"), pf::SERVICE_RUNNING);
}

TEST(ServiceControl, EveryWaitEndsAtTheLimitAndSaysSo) {
  PrinterEnvironment env;
  env.WriteServices("[spooler]\nState=Stopped\nStartOutcome=Pending\nWaitHint=2000\n");
  EXPECT_FALSE(StartService("spooler"));
  EXPECT_TRUE(LastServiceRequestTimedOut());
  EXPECT_EQ(TotalPause(env.clock), 30000u);
  EXPECT_EQ(env.clock.sleeps.front(), 500u);
  EXPECT_EQ(env.clock.sleeps[1], 2500u);  // wait hint + 500

  env.clock.sleeps.clear();
  SetServiceWaitLimit(5000);
  env.WriteServices("[spooler]\nState=Running\nStopTime=100000\n");
  EXPECT_FALSE(StopService("spooler"));
  EXPECT_TRUE(LastServiceRequestTimedOut());
  EXPECT_EQ(TotalPause(env.clock), 5000u);
  EXPECT_EQ(env.clock.sleeps.front(), 1000u);

  env.clock.sleeps.clear();
  env.WriteServices("[spooler]\nState=Stopped\nStartOutcome=Stopped\nStartTime=100\n");
  EXPECT_FALSE(StartService("spooler"));  // it stopped again: no point waiting for it
  EXPECT_FALSE(LastServiceRequestTimedOut());
  EXPECT_EQ(env.clock.sleeps.size(), 1u);

  EXPECT_FALSE(StartService("nosuch"));
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_SERVICE_DOES_NOT_EXIST);
}

TEST(InstallPrinter, WithASpoolerThatNeverStartsGivesUpInBoundedTime) {
  PrinterEnvironment env;
  env.WriteServices("[spooler]\nState=Stopped\nStartOutcome=Pending\n");
  EXPECT_FALSE(InstallPrinter());
  EXPECT_EQ(pf::GetLastError(), pf::RPC_S_SERVER_UNAVAILABLE);
  EXPECT_LE(TotalPause(env.clock), 30000u);
  EXPECT_FALSE(pf::PrinterExists("Velto Print"));
}

TEST(InstallPrinter, WithoutTheProcessorLibraryFailsUnlessTheSpoolerAlreadyHoldsOne) {
  PrinterEnvironment env;
  fs::remove(env.startDir + "/Vtproc.dll");
  EXPECT_FALSE(InstallPrinter());
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_UNKNOWN_PRINTPROCESSOR);
  EXPECT_FALSE(pf::PrinterExists("Velto Print"));

  test::WriteTextFile(pf::PrintProcessorDirectory() + "/Vtproc.dll", "an older library");
  env.EnterStartDirectory();
  EXPECT_TRUE(InstallPrinter());
  EXPECT_EQ(test::ReadText(pf::PrintProcessorDirectory() + "/Vtproc.dll"), "an older library");
}

TEST(InstallPrinter, WithoutTheDriverPackageShowsTheSetupErrorAndFails) {
  PrinterEnvironment env;
  fs::remove(env.programDir + "/VeltoPrinter.inf");
  test::WriteTextFile(env.startDir + "/VeltoPrinter.inf", "\"Velto Print\"");  // not beside the program
  EXPECT_FALSE(InstallPrinter());
  EXPECT_TRUE(HasMessage(env, "打印机用户界面", "系统找不到指定的文件。"));
  EXPECT_FALSE(pf::PrinterDriverExists("Velto Print"));
  EXPECT_FALSE(pf::PrinterExists("Velto Print"));
}

TEST(InstallPrinter, WithoutAWindowsDirectoryPointsTheSpoolDirectoryAtTheOldDefault) {
  PrinterEnvironment env;
  pf::SimulateWindowsDirectoryFailure(true);
  ASSERT_TRUE(InstallPrinter());
  EXPECT_EQ(SpoolDirectoryValue(), "C:\\WINNT");
  EXPECT_FALSE(fs::exists(env.Win("VeltoFaxTool.exe")));  // nowhere to copy the program to
}

TEST(ConfigurePort, ReportsWhatTheMonitorAnsweredNotJustThatItWasReached) {
  PrinterEnvironment env;
  EXPECT_TRUE(ConfigurePort(u"Velto Port", false));
  EXPECT_FALSE(ConfigurePort(u"Velto Port", false));
  EXPECT_EQ(pf::GetLastError(), pf::ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(ConfigurePort(u"Velto Port", true));
  EXPECT_FALSE(ConfigurePort(u"Velto Port", true));
  env.WriteServices("[spooler]\nState=Stopped\n");
  EXPECT_FALSE(ConfigurePort(u"Velto Port", false));
  EXPECT_EQ(pf::GetLastError(), pf::RPC_S_SERVER_UNAVAILABLE);
}

TEST(SetDefaultPrinter, RefusesANullNameAndAPrinterThatDoesNotExist) {
  PrinterEnvironment env;
  EXPECT_FALSE(SetDefaultPrinter(nullptr));
  EXPECT_FALSE(SetDefaultPrinter("Velto Print"));
  EXPECT_FALSE(pf::GetDefaultPrinterA());
}

TEST(PrintUiEntry, PrintsATestPageThatTheJobFlowConverts) {
  PrinterEnvironment env;
  ASSERT_TRUE(InstallPrinter());
  EXPECT_EQ(RunPrintUiEntry({"printui.dll,PrintUIEntry", "/k", "/n", "Velto Print"}), 0);
  EXPECT_TRUE(HasMessage(env, "Velto Print", "测试页已发送到打印机。"));
  const std::string spool = env.Win("00001.spl");
  ASSERT_TRUE(fs::exists(spool));
  SpoolJob job;
  ASSERT_TRUE(ReadSpoolJob(spool, job));
  EXPECT_EQ(job.pageCount, 1);

  const std::string pdf = env.temp.File("test page.pdf");
  ConvertJob(spool, pdf, "测试页");
  EXPECT_GT(fs::file_size(pdf), 1000u);
  EXPECT_FALSE(fs::exists(spool));
}

TEST(PrintUiEntry, FailsLikeTheSystemEntryOnBadCommandLinesAndMissingPrinters) {
  PrinterEnvironment env;
  EXPECT_EQ(RunPrintUiEntry({"printui.dll,PrintUIEntry", "/k"}), int(pf::ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(HasMessage(env, "打印机用户界面", "命令行参数无效"));
  EXPECT_EQ(RunPrintUiEntry({"shell32.dll,Control_RunDLL"}), int(pf::ERROR_MOD_NOT_FOUND));
  EXPECT_TRUE(HasMessage(env, "RUNDLL", "找不到指定的模块。"));
  EXPECT_EQ(RunPrintUiEntry({"printui.dll,PrintUIEntry", "/k", "/n", "Velto Print"}),
            int(pf::ERROR_INVALID_PRINTER_NAME));
  EXPECT_TRUE(HasMessage(env, "打印机用户界面", "打印机名无效。"));
  const size_t shown = env.dialogs.messages.size();
  EXPECT_EQ(RunPrintUiEntry({"printui.dll,PrintUIEntry", "/e", "/n", "Velto Print", "/q"}),
            int(pf::ERROR_INVALID_PRINTER_NAME));
  EXPECT_EQ(env.dialogs.messages.size(), shown);  // quiet
  test::WriteTextFile(env.startDir + "/Other.inf", "\"Another Model\"");
  EXPECT_EQ(RunPrintUiEntry({"printui.dll,PrintUIEntry", "/ia", "/m", "Velto Print", "/f", "Other.inf"}),
            int(pf::ERROR_UNKNOWN_PRINTER_DRIVER));
}

TEST(PrinterSettings, PreferencesAndAdvancedSettingsShowOnlyForAnInstalledPrinter) {
  PrinterEnvironment env;
  EXPECT_FALSE(ShowPrinterAdvancedSettings("Save"));
  EXPECT_TRUE(env.dialogs.messages.empty());
  ASSERT_TRUE(InstallPrinter());
  EXPECT_TRUE(ShowPrinterAdvancedSettings("Save"));
  EXPECT_TRUE(HasMessage(env, "Velto Print 高级选项", "A4"));
  EXPECT_EQ(RunPrintUiEntry({"printui.dll,PrintUIEntry", "/e", "/n", "Velto Print"}), 0);
  EXPECT_TRUE(HasMessage(env, "Velto Print 打印首选项", "NT EMF 1.008"));
}

}  // namespace
}  // namespace velto
