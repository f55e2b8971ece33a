#pragma once
// The control panel and the about box as terminal dialogs (Linux): the window side of CControlPanelDlg.

#include <vector>

#include "platform/printing/terminal_dialog.h"
#include "res/resources.h"
#include "ui/control_panel_dlg.h"

namespace velto {

// Adds the controls of a template to a terminal dialog (pictures drawn in character cells).
void AddTemplateControls(platform::TerminalDialog& dialog, const res::DialogTemplate& dialogTemplate);

class CAboutDlg : public platform::TerminalDialog {
 public:
  CAboutDlg();
};

class TerminalControlPanel final : public platform::TerminalDialog, public CControlPanelDlg {
 public:
  TerminalControlPanel();

  void OnCommand(int id) override;
  void OnSysCommand(int command) override;
  // Minimised, the panel shows its icon in the middle of the client area.
  bool OnPaint(platform::ScreenCanvas& canvas, int row, int column) override;
  const std::vector<std::string>& OnQueryDragIcon() const { return res::IconPicture(); }

 protected:
  void ShowAboutBox() override;
};

}  // namespace velto
