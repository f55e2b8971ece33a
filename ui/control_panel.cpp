#include <string>

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/printing/clock.h"
#include "platform/printing/spooler.h"
#include "platform/printing/system_errors.h"
#include "platform/printing/system_paths.h"
#include "platform/shell.h"
#include "printer/print_ui_entry.h"
#include "printer/printer_names.h"
#include "res/resources.h"
#include "ui/control_panel_dlg.h"

namespace velto {
namespace {

namespace pf = velto::platform;

constexpr const char* kTitle = "虚拟打印机控制台";
constexpr const char* kNotInstalled = " 打印机未安装";
constexpr const char* kHelpFile = "Veltofax printer.chm";

// "hh <file>": the help viewer takes the rest of its command line, blanks included, as the file. Windows
// has its own.
void RegisterHelpViewer() {
  static const bool registered = [] {
    pf::RegisterBuiltinProgram("hh", [](const std::vector<std::string>& arguments) {
      std::string file;
      for (const auto& word : arguments) file += (file.empty() ? "" : " ") + word;
      return pf::CurrentShell().Open(file, "", pf::ShowCommand::Normal) > 32 ? 0 : 1;
    });
    return true;
  }();
  (void)registered;
}

}  // namespace

CControlPanelDlg::CControlPanelDlg(platform::DialogView& view) : view_(view) {}

bool CControlPanelDlg::OnInitDialog() {
  if (auto about = res::LoadStringResource(res::IDS_ABOUTBOX); about && !about->empty()) {
    if (view_.AppendSystemMenuItem(0, "")) view_.AppendSystemMenuItem(kAboutCommand, *about);
  }
  view_.SetIcon(res::IDR_MAINFRAME);
  webLink_.SetLink(res::kMakerWebAddress);
  webLink_.SubclassDlgItem(res::IDC_WEB_LINK, view_);
  mailLink_.SetLink(res::kControlPanelMailTarget);
  mailLink_.SubclassDlgItem(res::IDC_MAIL_LINK, view_);
  view_.SetTitle(kTitle);
  view_.SetProgressRange(res::IDC_PROGRESS, 1, 100);
  view_.SetProgressPosition(res::IDC_PROGRESS, 1);
  progressPosition_ = 1;
  SetOperationLayout(kRememberHomes);
  SetOperationLayout(kIdleLayout);
  return true;
}

bool CControlPanelDlg::HandleCommand(int id) {
  switch (id) {
    case res::IDC_INSTALL: OnInstallPrinter(); return true;
    case res::IDC_UNINSTALL: OnRemovePrinter(); return true;
    case res::IDC_TEST: OnTestPrinter(); return true;
    case res::IDC_PREFERENCES: OnPrinterPreferences(); return true;
    case res::IDC_HELP_BUTTON: OnHelp(); return true;
    case res::IDC_BANNER: OnBanner(); return true;
    default: return false;
  }
}

bool CControlPanelDlg::HandleSysCommand(int command) {
  if ((command & 0xFFF0) != kAboutCommand) return false;
  ShowAboutBox();
  return true;
}

void CControlPanelDlg::SetStatus(const std::string& text) {
  statusText_ = text;
  statusHistory_.push_back(text);
  view_.SetControlText(res::IDC_STATUS, statusText_);
  view_.Redraw();
}

void CControlPanelDlg::ShowStatus(const std::string& text) {
  SetStatus(text);
  progressVisible_ = true;
  view_.ShowControl(res::IDC_PROGRESS, true);
  view_.Redraw();
}

void CControlPanelDlg::SetProgressPosition(int position) {
  progressPosition_ = position;
  progressHistory_.push_back(position);
  view_.SetProgressPosition(res::IDC_PROGRESS, position);
  view_.Redraw();
}

void CControlPanelDlg::AdvanceProgress(int& position, int end, uint32_t pauseMs, bool inclusive) {
  for (; inclusive ? position <= end : position < end; ++position) {
    pf::Sleep(pauseMs);
    SetProgressPosition(position);
  }
}

void CControlPanelDlg::ReportServiceTimeout() {
  if (pf::GetLastError() != pf::ERROR_SERVICE_REQUEST_TIMEOUT) return;
  view_.MessageBox(pf::FormatSystemMessage(pf::ERROR_SERVICE_REQUEST_TIMEOUT).value_or(""), "错误",
                   pf::MB_OK | pf::MB_ICONERROR);
}

bool CControlPanelDlg::IsPrinterInstalled() {
  pf::PRINTER_DEFAULTSA defaults{nullptr, nullptr, pf::PRINTER_ALL_ACCESS};
  pf::UniquePrinterHandle printer;
  if (pf::OpenPrinterA(kPrinterName, printer.Receive(), &defaults)) return true;
  SetOperationLayout(kWorkingLayout);
  SetStatus(kNotInstalled);
  return false;
}

void CControlPanelDlg::SetOperationLayout(int mode) {
  static constexpr int kBlock[] = {res::IDC_SUPPORT_LINE, res::IDC_NOTICE_LINE, res::IDC_WEB_LINK,
                                   res::IDC_MAIL_LINK};
  if (mode == kRememberHomes) {
    for (size_t i = 0; i < homes_.size(); ++i) {
      const auto rect = view_.ControlRect(kBlock[i]);
      homes_[i] = {rect ? kBlock[i] : 0, rect.value_or(pf::DialogRect{})};
    }
    homesKnown_ = true;
  } else if (mode == kWorkingLayout) {
    if (homesKnown_)
      for (const auto& [id, rect] : homes_)
        if (id) view_.MoveControl(id, rect);
  } else if (mode == kIdleLayout) {
    const auto first = view_.ControlRect(kBlock[0]);
    const auto second = view_.ControlRect(kBlock[1]);
    const int gap = first && second ? second->y - first->y : 0;
    const int height = view_.ClientHeight();
    int top = height / 10 + height / 3;
    bool moved = false;
    for (int id : kBlock) {
      auto rect = view_.ControlRect(id);
      if (!rect) continue;
      if (moved) top += gap;
      rect->y = top;
      view_.MoveControl(id, *rect);
      moved = true;
    }
  }
  view_.Redraw();
}

void CControlPanelDlg::OnTestPrinter() {
  if (!IsPrinterInstalled()) return;
  RegisterPrinterSetupProgram();
  pf::CurrentShell().Run(std::string("rundll32 printui.dll,PrintUIEntry /k /n \"") + kPrinterName + "\" ",
                         pf::ShowCommand::Normal, false);
}

void CControlPanelDlg::OnPrinterPreferences() {
  if (!IsPrinterInstalled()) return;
  RegisterPrinterSetupProgram();
  pf::CurrentShell().Open("rundll32", std::string(" printui.dll,PrintUIEntry /e /n \"") + kPrinterName + "\" ",
                          pf::ShowCommand::Show);
}

void CControlPanelDlg::OnHelp() {
  RegisterHelpViewer();
  const std::string command =
      "hh " + pf::GetWindowsDirectoryA().value_or("") + pf::kPathSeparator + kHelpFile;
  pf::CurrentShell().Run(command, pf::ShowCommand::Normal, false);
}

void CControlPanelDlg::OnBanner() {
  pf::CurrentShell().Open(res::kMakerWebAddress, "", pf::ShowCommand::Normal);
}

}  // namespace velto
