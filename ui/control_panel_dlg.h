#pragma once
// The control panel (dialog 102): what its buttons, system menu and layouts do, on every platform. It
// talks to its dialog window only through platform::DialogView; the window is the terminal dialog on
// Linux (ui/control_panel_terminal.h) and a Win32 dialog on Windows (ui/control_panel_win32.h), each
// of which hands its messages to these handlers.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialog_view.h"
#include "ui/static_link.h"

namespace velto {

class CControlPanelDlg {
 public:
  // Layout modes of SetOperationLayout.
  static constexpr int kIdleLayout = 0;
  static constexpr int kWorkingLayout = 1;
  static constexpr int kRememberHomes = 3;
  static constexpr int kAboutCommand = 0x0010;

  explicit CControlPanelDlg(platform::DialogView& view);
  virtual ~CControlPanelDlg() = default;
  CControlPanelDlg(const CControlPanelDlg&) = delete;
  CControlPanelDlg& operator=(const CControlPanelDlg&) = delete;

  // WM_INITDIALOG, after the window's own initialisation: system menu, icon, links, title, progress
  // range and the idle layout.
  bool OnInitDialog();
  // A button or notifying static: true when handled here; IDOK, IDCANCEL and the rest are the window's.
  bool HandleCommand(int id);
  // A system-menu command: true when handled here (the about entry); the rest get the default handling.
  bool HandleSysCommand(int command);

  // The buttons.
  void OnInstallPrinter();
  void OnRemovePrinter();
  void OnTestPrinter();
  void OnPrinterPreferences();
  void OnHelp();
  void OnBanner();

  bool IsPrinterInstalled();
  void SetOperationLayout(int mode);

  const std::string& StatusText() const { return statusText_; }
  bool ProgressVisible() const { return progressVisible_; }
  int ProgressPosition() const { return progressPosition_; }
  // Everything the status line and the progress bar showed, in order (for the tests and the curious).
  const std::vector<std::string>& StatusHistory() const { return statusHistory_; }
  const std::vector<int>& ProgressHistory() const { return progressHistory_; }
  CStaticLink& WebLink() { return webLink_; }
  CStaticLink& MailLink() { return mailLink_; }

 protected:
  // The about box (dialog 100), modal over the panel.
  virtual void ShowAboutBox() = 0;

 private:
  // Sets the status text and pushes it into static 1006 (data exchange towards the dialog).
  void SetStatus(const std::string& text);
  // SetStatus, and the progress bar shown.
  void ShowStatus(const std::string& text);
  // Sets the bar to each position from `position` up to `end` (exclusive, or inclusive when asked), with
  // a pause of `pauseMs` before each; `position` carries over to the next phase.
  void AdvanceProgress(int& position, int end, uint32_t pauseMs, bool inclusive = false);
  void SetProgressPosition(int position);
  // A spooler that did not answer within the wait limit is worth telling.
  void ReportServiceTimeout();

  platform::DialogView& view_;
  std::string statusText_;
  CStaticLink webLink_;
  CStaticLink mailLink_;
  std::array<std::pair<int, platform::DialogRect>, 4> homes_{};
  bool homesKnown_ = false;
  bool progressVisible_ = false;
  int progressPosition_ = 0;
  std::vector<std::string> statusHistory_;
  std::vector<int> progressHistory_;
};

}  // namespace velto
