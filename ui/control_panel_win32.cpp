// The control panel as a Win32 dialog.
#include "ui/control_panel.h"
#include "ui/control_panel_win32.h"

namespace velto {

namespace pf = velto::platform;

Win32ControlPanel::Win32ControlPanel()
    : Win32Dialog(res::IDD_CONTROL_PANEL), CControlPanelDlg(static_cast<pf::DialogView&>(*this)) {}

bool Win32ControlPanel::OnInitDialog() { return CControlPanelDlg::OnInitDialog(); }

bool Win32ControlPanel::OnCommand(int id, int notification) {
  // Buttons send BN_CLICKED, the banner (a static with SS_NOTIFY) STN_CLICKED: both are 0.
  if (notification == BN_CLICKED && HandleCommand(id)) return true;
  return Win32Dialog::OnCommand(id, notification);
}

bool Win32ControlPanel::OnSysCommand(unsigned command) { return HandleSysCommand(static_cast<int>(command)); }

void Win32ControlPanel::ShowAboutBox() {
  CAboutDlg about;
  about.DoModal(Window());
}

int RunControlPanel() {
  Win32ControlPanel dialog;
  return static_cast<int>(dialog.DoModal());
}

}  // namespace velto
