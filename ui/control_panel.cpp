#include "ui/control_panel.h"

#include <cstdio>
#include <string>

#include "platform/dialogs.h"
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

// "hh <file>": the help viewer takes the rest of its command line, blanks included, as the file.
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

CAboutDlg::CAboutDlg() : TerminalDialog(res::AboutBoxTemplate().title, 235, 55, true) {
  res::AddTemplateControls(*this, res::AboutBoxTemplate());
}

CControlPanelDlg::CControlPanelDlg()
    : TerminalDialog(res::ControlPanelTemplate().title, res::ControlPanelTemplate().width,
                     res::ControlPanelTemplate().height, false),
      icon_(res::IconPicture()) {
  res::AddTemplateControls(*this, res::ControlPanelTemplate());
  progress_ = Control(res::IDC_PROGRESS);
}

bool CControlPanelDlg::OnInitDialog() {
  if (auto about = res::LoadStringResource(res::IDS_ABOUTBOX); about && !about->empty()) {
    SystemMenu().push_back({0, ""});
    SystemMenu().push_back({kAboutCommand, *about});
  }
  webLink_.SetLink(res::kMakerWebAddress);
  webLink_.SubclassDlgItem(res::IDC_WEB_LINK, *this);
  mailLink_.SetLink(res::kControlPanelMailTarget);
  mailLink_.SubclassDlgItem(res::IDC_MAIL_LINK, *this);
  SetTitle(kTitle);
  if (progress_) {
    progress_->rangeLow = 1;
    progress_->rangeHigh = 100;
    progress_->position = 1;
  }
  SetOperationLayout(kRememberHomes);
  SetOperationLayout(kIdleLayout);
  return true;
}

void CControlPanelDlg::OnCommand(int id) {
  switch (id) {
    case res::IDC_INSTALL: OnInstallPrinter(); break;
    case res::IDC_UNINSTALL: OnRemovePrinter(); break;
    case res::IDC_TEST: OnTestPrinter(); break;
    case res::IDC_PREFERENCES: OnPrinterPreferences(); break;
    case res::IDC_HELP_BUTTON: OnHelp(); break;
    case res::IDC_BANNER: OnBanner(); break;
    case res::IDC_WEB_LINK: webLink_.OnLButtonDown(); break;
    case res::IDC_MAIL_LINK: mailLink_.OnLButtonDown(); break;
    default: TerminalDialog::OnCommand(id); break;
  }
}

void CControlPanelDlg::OnSysCommand(int command) {
  if ((command & 0xFFF0) == kAboutCommand) {
    CAboutDlg about;
    if (Io()) about.RunModal(*Io(), this);
  } else {
    DefaultSysCommand(command);
  }
}

bool CControlPanelDlg::OnPaint(pf::ScreenCanvas& canvas, int row, int column) {
  if (!Minimized()) return false;
  // The minimised panel shows its icon in the middle of the client area.
  const int clientWidth = ClientWidth() / 4, clientHeight = ClientHeight() / 8;
  const int iconWidth = pf::TextWidth(icon_.front()), iconHeight = static_cast<int>(icon_.size());
  const int x = (clientWidth - iconWidth + 1) / 2, y = (clientHeight - iconHeight + 1) / 2;
  canvas.Fill(row, column, clientHeight, clientWidth);
  for (int k = 0; k < iconHeight; ++k) canvas.Put(row + y + k, column + x, icon_[static_cast<size_t>(k)]);
  return true;
}

bool CControlPanelDlg::ProgressVisible() const { return progress_ && progress_->visible; }
int CControlPanelDlg::ProgressPosition() const { return progress_ ? progress_->position : 0; }

void CControlPanelDlg::SetStatus(const std::string& text) {
  statusText_ = text;
  statusHistory_.push_back(text);
  if (pf::DialogControl* status = Control(res::IDC_STATUS)) status->text = statusText_;
  Redraw();
}

void CControlPanelDlg::ShowStatus(const std::string& text) {
  SetStatus(text);
  if (progress_) progress_->visible = true;
  Redraw();
}

void CControlPanelDlg::SetProgressPosition(int position) {
  if (!progress_) return;
  progress_->position = position;
  progressHistory_.push_back(position);
  Redraw();
}

void CControlPanelDlg::AdvanceProgress(int& position, int end, uint32_t pauseMs, bool inclusive) {
  for (; inclusive ? position <= end : position < end; ++position) {
    pf::Sleep(pauseMs);
    SetProgressPosition(position);
  }
}

void CControlPanelDlg::ReportServiceTimeout() {
  if (pf::GetLastError() != pf::ERROR_SERVICE_REQUEST_TIMEOUT) return;
  pf::ShowMessageBox(pf::FormatSystemMessage(pf::ERROR_SERVICE_REQUEST_TIMEOUT).value_or(""), "错误",
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
      const pf::DialogControl* control = Control(kBlock[i]);
      homes_[i] = {control ? kBlock[i] : 0, control ? control->rect : pf::DialogRect{}};
    }
    homesKnown_ = true;
  } else if (mode == kWorkingLayout) {
    if (homesKnown_)
      for (const auto& [id, rect] : homes_)
        if (pf::DialogControl* control = id ? Control(id) : nullptr) control->rect = rect;
  } else if (mode == kIdleLayout) {
    const pf::DialogControl* first = Control(kBlock[0]);
    const pf::DialogControl* second = Control(kBlock[1]);
    const int gap = first && second ? second->rect.y - first->rect.y : 0;
    const int height = ClientHeight();
    int top = height / 10 + height / 3;
    bool moved = false;
    for (int id : kBlock) {
      pf::DialogControl* control = Control(id);
      if (!control) continue;
      if (moved) top += gap;
      control->rect.y = top;
      moved = true;
    }
  }
  Redraw();
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
  const std::string command = "hh " + pf::GetWindowsDirectoryA().value_or("") + "/" + kHelpFile;
  pf::CurrentShell().Run(command, pf::ShowCommand::Normal, false);
}

void CControlPanelDlg::OnBanner() {
  pf::CurrentShell().Open(res::kMakerWebAddress, "", pf::ShowCommand::Normal);
}

int RunControlPanel(platform::TerminalIo& terminal) {
  CControlPanelDlg dialog;
  pf::TerminalMessageBoxHost messageBoxes(dialog);
  dialog.OnInitDialog();
  return dialog.RunModal(terminal);
}

int RunControlPanel() {
  auto terminal = pf::TerminalIo::OpenControlling();
  if (!terminal) {
    std::fprintf(stderr, "VeltoFaxTool: 控制台需要一个终端，无法显示。(the control panel needs a terminal)\n");
    return -1;
  }
  return RunControlPanel(*terminal);
}

}  // namespace velto
