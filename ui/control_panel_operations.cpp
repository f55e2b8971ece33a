// The control panel's install and uninstall buttons: the installation and removal steps with their
// status lines and progress phases.
#include <string>

#include "platform/dialogs.h"
#include "platform/printing/clock.h"
#include "platform/printing/spooler.h"
#include "platform/printing/system_errors.h"
#include "printer/default_printer.h"
#include "printer/port_configuration.h"
#include "printer/printer_names.h"
#include "printer/printer_setup.h"
#include "printer/printer_setup_steps.h"
#include "printer/service_control.h"
#include "ui/control_panel_dlg.h"

namespace velto {
namespace {

namespace pf = velto::platform;

// The wait cursor for the length of a handler, ended on every way out.
class WaitCursor {
 public:
  explicit WaitCursor(pf::DialogView& dialog) : dialog_(dialog) { dialog_.SetWaitCursor(true); }
  ~WaitCursor() { dialog_.SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  pf::DialogView& dialog_;
};

std::string LastErrorText(uint32_t code) { return pf::FormatSystemMessage(code).value_or(""); }

}  // namespace

void CControlPanelDlg::OnInstallPrinter() {
  CopySelfToWindowsDir();
  SetOperationLayout(kWorkingLayout);
  WaitCursor wait(view_);
  int position = 0;

  ShowStatus(" 准备打印机安装工作...");
  AdvanceProgress(position, 20, 11);
  if (!StartService(kSpoolerService)) ReportServiceTimeout();
  if (IsPrinterInstalled()) RemovePrinter();
  InstallPrintProcessor(kPrintProcessorName, kPrintProcessorLibrary);

  ShowStatus(" 装载打印机驱动程序...");
  AdvanceProgress(position, 45, 10);
  InstallPrinterDriver(kDriverName, kDriverPackage);

  ShowStatus(" 建立打印机端口...");
  AdvanceProgress(position, 60, 10);
  ConfigurePort(kPortNameWide, false);

  SetStatus(" 增加打印机...");
  AdvanceProgress(position, 80, 10);
  pf::UniquePrinterHandle printer = AddVeltoPrinter();
  if (!printer) {
    const uint32_t error = pf::GetLastError();
    view_.MessageBox(LastErrorText(error), "Error", pf::MB_OK | pf::MB_ICONINFORMATION);
    AdvanceProgress(position, 101, 1, true);
    SetStatus(" 很抱歉,打印机安装失败!");
    view_.MessageBox(StatusText(), "错误", pf::MB_OK | pf::MB_ICONERROR);
    return;
  }
  printer.Reset();
  SetDefaultPrinter(kPrinterName);
  SetSpoolDirectory();

  ShowStatus(" 完成打印机安装...");
  AdvanceProgress(position, 100, 5, true);
  if (!RestartService(kSpoolerService)) ReportServiceTimeout();

  SetStatus(" 恭喜你,打印机安装成功。");
  view_.MessageBox(StatusText(), "提示", pf::MB_OK | pf::MB_ICONINFORMATION);
}

void CControlPanelDlg::OnRemovePrinter() {
  SetOperationLayout(kWorkingLayout);
  WaitCursor wait(view_);
  int position = 0;

  ShowStatus(" 准备卸载打印机工作...");
  AdvanceProgress(position, 20, 15);
  if (!StartService(kSpoolerService)) ReportServiceTimeout();

  ShowStatus(" 卸载打印机...");
  AdvanceProgress(position, 40, 10);
  {
    pf::PRINTER_DEFAULTSA defaults{nullptr, nullptr, pf::PRINTER_ALL_ACCESS};
    pf::UniquePrinterHandle printer;
    if (!pf::OpenPrinterA(kPrinterName, printer.Receive(), &defaults)) {
      const uint32_t error = pf::GetLastError();
      view_.MessageBox(LastErrorText(error), "错误", pf::MB_OK | pf::MB_ICONERROR);
      SetStatus(" 打开打印机失败，放弃卸载打印机任务。");
      AdvanceProgress(position, 100, 2, true);
      return;
    }
    // The printer goes when its handle is closed, before its port is deleted.
    pf::DeletePrinter(printer.Get());
  }

  ShowStatus(" 删除打印机端口...");
  AdvanceProgress(position, 60, 10);
  ConfigurePort(kPortNameWide, true);

  ShowStatus(" 删除打印机处理器...");
  AdvanceProgress(position, 80, 10);
  RemovePrintProcessor();

  ShowStatus(" 删除打印机驱动程序...");
  AdvanceProgress(position, 100, 10, true);
  RemovePrinterDriver();

  SetStatus(" 打印机成功卸载。");
}

}  // namespace velto
