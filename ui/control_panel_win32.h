#pragma once
// The control panel and the about box as Win32 dialogs from templates 102 and 100 (Windows): the window
// side of CControlPanelDlg.

#include "res/resources.h"
#include "ui/control_panel_dlg.h"

#include "platform/win32_dialog.h"

namespace velto {

class CAboutDlg : public platform::Win32Dialog {
 public:
  CAboutDlg() : Win32Dialog(res::IDD_ABOUTBOX) {}
};

class Win32ControlPanel final : public platform::Win32Dialog, public CControlPanelDlg {
 public:
  Win32ControlPanel();

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int notification) override;
  bool OnSysCommand(unsigned command) override;
  void ShowAboutBox() override;
};

}  // namespace velto
