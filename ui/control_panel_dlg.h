#pragma once
// The control panel (dialog 102) and the about box (dialog 100) on a character terminal.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/printing/terminal_dialog.h"
#include "ui/static_link.h"

namespace velto {

class CAboutDlg : public platform::TerminalDialog {
 public:
  CAboutDlg();
};

class CControlPanelDlg : public platform::TerminalDialog {
 public:
  // Layout modes of SetOperationLayout.
  static constexpr int kIdleLayout = 0;
  static constexpr int kWorkingLayout = 1;
  static constexpr int kRememberHomes = 3;
  static constexpr int kAboutCommand = 0x0010;

  CControlPanelDlg();

  bool OnInitDialog();
  void OnCommand(int id) override;
  void OnSysCommand(int command) override;
  bool OnPaint(platform::ScreenCanvas& canvas, int row, int column) override;
  const std::vector<std::string>& OnQueryDragIcon() const { return icon_; }

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
  bool ProgressVisible() const;
  int ProgressPosition() const;
  // Everything the status line and the progress bar showed, in order (for the tests and the curious).
  const std::vector<std::string>& StatusHistory() const { return statusHistory_; }
  const std::vector<int>& ProgressHistory() const { return progressHistory_; }
  CStaticLink& WebLink() { return webLink_; }
  CStaticLink& MailLink() { return mailLink_; }

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

  platform::DialogControl* progress_ = nullptr;
  std::string statusText_;
  CStaticLink webLink_;
  CStaticLink mailLink_;
  std::vector<std::string> icon_;
  std::array<std::pair<int, platform::DialogRect>, 4> homes_{};
  bool homesKnown_ = false;
  std::vector<std::string> statusHistory_;
  std::vector<int> progressHistory_;
};

}  // namespace velto
