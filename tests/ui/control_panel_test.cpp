// The control panel's handlers and layouts, driven directly (no terminal): status lines, progress
// phases, pauses and message boxes in their order.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/printing/registry.h"
#include "platform/printing/spooler.h"
#include "platform/shell_recording.h"
#include "printer/port_configuration.h"
#include "printer/printer_setup.h"
#include "res/resources.h"
#include "tests/printer/printer_test_environment.h"
#include "ui/control_panel_terminal.h"

namespace velto {
namespace {

namespace pf = velto::platform;
using test::PrinterEnvironment;

int Top(TerminalControlPanel& dialog, int id) { return dialog.Control(id)->rect.y; }

std::vector<int> Range(int from, int to) {
  std::vector<int> out;
  for (int i = from; i <= to; ++i) out.push_back(i);
  return out;
}

size_t CountPauses(const test::VirtualClock& clock, uint32_t ms) {
  return static_cast<size_t>(std::count(clock.sleeps.begin(), clock.sleeps.end(), ms));
}

TEST(ControlPanel, StartsIdleWithTheInformationBlockInTheMiddle) {
  PrinterEnvironment env;
  TerminalControlPanel dialog;
  ASSERT_TRUE(dialog.OnInitDialog());
  EXPECT_EQ(dialog.Title(), "虚拟打印机控制台");
  // 200 / 10 + 200 / 3 = 86, then the resource gap of 14 between the lines.
  EXPECT_EQ(Top(dialog, res::IDC_SUPPORT_LINE), 86);
  EXPECT_EQ(Top(dialog, res::IDC_NOTICE_LINE), 100);
  EXPECT_EQ(Top(dialog, res::IDC_WEB_LINK), 114);
  EXPECT_EQ(Top(dialog, res::IDC_MAIL_LINK), 128);
  EXPECT_EQ(dialog.Control(res::IDC_WEB_LINK)->rect.x, 137);
  EXPECT_FALSE(dialog.ProgressVisible());
  EXPECT_EQ(dialog.ProgressPosition(), 1);
  EXPECT_EQ(dialog.Control(res::IDC_PROGRESS)->rangeLow, 1);
  EXPECT_EQ(dialog.Control(res::IDC_PROGRESS)->rangeHigh, 100);
  ASSERT_EQ(dialog.SystemMenu().size(), 2u);
  EXPECT_EQ(dialog.SystemMenu()[0].command, 0);
  EXPECT_EQ(dialog.SystemMenu()[1].command, 16);
  EXPECT_EQ(dialog.SystemMenu()[1].text, "关于 VeltoFaxTool(&A)...");
  EXPECT_EQ(dialog.WebLink().Link(), "https://velto.example.org/");
  EXPECT_EQ(dialog.MailLink().Link(), "mailto: velto@example.org");
  EXPECT_EQ(dialog.Control(res::IDC_MAIL_LINK)->kind, pf::ControlKind::Link);

  dialog.SetOperationLayout(CControlPanelDlg::kWorkingLayout);
  EXPECT_EQ(Top(dialog, res::IDC_SUPPORT_LINE), 146);
  EXPECT_EQ(Top(dialog, res::IDC_MAIL_LINK), 185);
}

TEST(ControlPanel, TestAndPreferencesButtonsNeedTheInstalledPrinter) {
  PrinterEnvironment env;
  TerminalControlPanel dialog;
  dialog.OnInitDialog();
  pf::RecordingShell shell;
  {
    pf::ScopedShell scoped(shell);
    dialog.OnTestPrinter();
    EXPECT_EQ(dialog.StatusText(), " 打印机未安装");
    EXPECT_EQ(Top(dialog, res::IDC_SUPPORT_LINE), 146);  // the block went back to the bottom
    dialog.OnPrinterPreferences();
    EXPECT_TRUE(shell.calls.empty());
  }
  ASSERT_TRUE(InstallPrinter());
  pf::ScopedShell scoped(shell);
  dialog.OnTestPrinter();
  dialog.OnPrinterPreferences();
  dialog.OnHelp();
  dialog.OnBanner();
  ASSERT_EQ(shell.calls.size(), 4u);
  EXPECT_EQ(shell.calls[0].kind, pf::ShellCall::Kind::Run);
  EXPECT_EQ(shell.calls[0].file, "rundll32 printui.dll,PrintUIEntry /k /n \"Velto Print\" ");
  EXPECT_FALSE(shell.calls[0].wait);
  EXPECT_EQ(shell.calls[1].kind, pf::ShellCall::Kind::Open);
  EXPECT_EQ(shell.calls[1].file, "rundll32");
  EXPECT_EQ(shell.calls[1].parameters, " printui.dll,PrintUIEntry /e /n \"Velto Print\" ");
  EXPECT_EQ(shell.calls[1].show, pf::ShowCommand::Show);
  EXPECT_EQ(shell.calls[2].file, "hh " + env.windowsDir + "/Veltofax printer.chm");
  EXPECT_EQ(shell.calls[3].file, "https://velto.example.org/");
}

TEST(ControlPanel, InstallButtonReportsEveryPhaseAndEndsWithTheSuccessBox) {
  PrinterEnvironment env;
  TerminalControlPanel dialog;
  dialog.OnInitDialog();
  dialog.OnInstallPrinter();
  EXPECT_EQ(dialog.StatusHistory(),
            (std::vector<std::string>{" 准备打印机安装工作...", " 打印机未安装", " 装载打印机驱动程序...",
                                      " 建立打印机端口...", " 增加打印机...", " 完成打印机安装...",
                                      " 恭喜你,打印机安装成功。"}));
  EXPECT_EQ(dialog.ProgressHistory(), Range(0, 100));
  EXPECT_EQ(CountPauses(env.clock, 11), 20u);
  EXPECT_EQ(CountPauses(env.clock, 10), 25u + 15u + 20u);
  EXPECT_EQ(CountPauses(env.clock, 5), 21u);
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text, " 恭喜你,打印机安装成功。");
  EXPECT_EQ(env.dialogs.messages[0].caption, "提示");
  EXPECT_EQ(env.dialogs.messages[0].style, unsigned(pf::MB_OK | pf::MB_ICONINFORMATION));
  EXPECT_TRUE(dialog.ProgressVisible());
  EXPECT_FALSE(dialog.Busy());
  EXPECT_TRUE(pf::PrinterExists("Velto Print"));
  EXPECT_EQ(pf::GetDefaultPrinterA(), "Velto Print");
}

TEST(ControlPanel, InstallButtonOverAnInstalledPrinterRemovesItFirst) {
  PrinterEnvironment env;
  ASSERT_TRUE(InstallPrinter());
  {
    pf::HKEY key = 0;
    ASSERT_EQ(pf::RegOpenKeyExA(pf::HKEY_LOCAL_MACHINE, pf::PrinterRegistryKey("Velto Print"), 0,
                                pf::KEY_ALL_ACCESS, &key), 0);
    const char marker[] = "marker";
    pf::RegSetValueExA(key, "Left", 0, pf::REG_SZ, std::span(reinterpret_cast<const uint8_t*>(marker), sizeof marker));
    pf::RegCloseKey(key);
  }
  env.EnterStartDirectory();
  TerminalControlPanel dialog;
  dialog.OnInitDialog();
  dialog.OnInstallPrinter();
  EXPECT_EQ(std::count(dialog.StatusHistory().begin(), dialog.StatusHistory().end(), " 打印机未安装"), 0);
  EXPECT_EQ(dialog.StatusText(), " 恭喜你,打印机安装成功。");
  EXPECT_FALSE(pf::RegistryString(pf::HKEY_LOCAL_MACHINE, pf::PrinterRegistryKey("Velto Print"), "Left"));
  EXPECT_TRUE(pf::PrinterExists("Velto Print"));
}

TEST(ControlPanel, InstallButtonReportsAFailureToAddThePrinterTwice) {
  PrinterEnvironment env;
  std::filesystem::remove(env.startDir + "/Vtproc.dll");
  TerminalControlPanel dialog;
  dialog.OnInitDialog();
  dialog.OnInstallPrinter();
  ASSERT_EQ(env.dialogs.messages.size(), 2u);
  EXPECT_EQ(env.dialogs.messages[0].text, "打印处理器未知。");
  EXPECT_EQ(env.dialogs.messages[0].caption, "Error");
  EXPECT_EQ(env.dialogs.messages[0].style, unsigned(pf::MB_OK | pf::MB_ICONINFORMATION));
  EXPECT_EQ(env.dialogs.messages[1].text, " 很抱歉,打印机安装失败!");
  EXPECT_EQ(env.dialogs.messages[1].caption, "错误");
  EXPECT_EQ(env.dialogs.messages[1].style, unsigned(pf::MB_OK | pf::MB_ICONERROR));
  EXPECT_EQ(dialog.ProgressHistory(), Range(0, 101));
  EXPECT_EQ(CountPauses(env.clock, 1), 22u);
  EXPECT_EQ(dialog.StatusText(), " 很抱歉,打印机安装失败!");
  EXPECT_FALSE(pf::PrinterExists("Velto Print"));
}

TEST(ControlPanel, UninstallButtonRemovesTheInstalledPrinterStepByStep) {
  PrinterEnvironment env;
  ASSERT_TRUE(InstallPrinter());
  TerminalControlPanel dialog;
  dialog.OnInitDialog();
  env.clock.sleeps.clear();
  dialog.OnRemovePrinter();
  EXPECT_EQ(dialog.StatusHistory(),
            (std::vector<std::string>{" 准备卸载打印机工作...", " 卸载打印机...", " 删除打印机端口...",
                                      " 删除打印机处理器...", " 删除打印机驱动程序...", " 打印机成功卸载。"}));
  EXPECT_EQ(dialog.ProgressHistory(), Range(0, 100));
  EXPECT_EQ(CountPauses(env.clock, 15), 20u);
  EXPECT_EQ(CountPauses(env.clock, 10), 20u + 20u + 20u + 21u);
  EXPECT_TRUE(env.dialogs.messages.empty());
  EXPECT_FALSE(pf::PrinterExists("Velto Print"));
  EXPECT_FALSE(pf::PortExists("Velto Port"));
  EXPECT_FALSE(pf::PrintProcessorExists("Velto Processor"));
  EXPECT_FALSE(pf::PrinterDriverExists("Velto Print"));
}

TEST(ControlPanel, UninstallButtonWithoutThePrinterGivesUpAndLeavesThePortAlone) {
  PrinterEnvironment env;
  ASSERT_TRUE(ConfigurePort(u"Velto Port", false));
  TerminalControlPanel dialog;
  dialog.OnInitDialog();
  dialog.OnRemovePrinter();
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].text, "打印机名无效。");
  EXPECT_EQ(env.dialogs.messages[0].caption, "错误");
  EXPECT_EQ(env.dialogs.messages[0].style, unsigned(pf::MB_OK | pf::MB_ICONERROR));
  EXPECT_EQ(dialog.StatusHistory().back(), " 打开打印机失败，放弃卸载打印机任务。");
  EXPECT_EQ(dialog.ProgressHistory(), Range(0, 100));
  EXPECT_EQ(CountPauses(env.clock, 2), 61u);
  EXPECT_TRUE(pf::PortExists("Velto Port"));
}

}  // namespace
}  // namespace velto
