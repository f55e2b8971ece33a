// The control panel on a character terminal.
#include <cstdio>

#include "ui/control_panel.h"
#include "ui/control_panel_terminal.h"

namespace velto {

namespace pf = velto::platform;

void AddTemplateControls(pf::TerminalDialog& dialog, const res::DialogTemplate& dialogTemplate) {
  for (const auto& source : dialogTemplate.controls) {
    pf::DialogControl control;
    control.id = source.id;
    control.rect = source.rect;
    control.text = source.text;
    control.visible = source.visible;
    control.isDefault = source.isDefault;
    control.notify = source.notify;
    control.style = source.staticType;
    switch (source.kind) {
      case res::ControlKind::PushButton: control.kind = pf::ControlKind::PushButton; break;
      case res::ControlKind::Static: control.kind = pf::ControlKind::Static; break;
      case res::ControlKind::ProgressBar: control.kind = pf::ControlKind::ProgressBar; break;
      case res::ControlKind::Picture:
        control.kind = pf::ControlKind::Picture;
        control.picture = res::Picture(source.image);
        break;
    }
    dialog.AddControl(std::move(control));
  }
}

CAboutDlg::CAboutDlg()
    : TerminalDialog(res::AboutBoxTemplate().title, res::AboutBoxTemplate().width, res::AboutBoxTemplate().height,
                     true) {
  AddTemplateControls(*this, res::AboutBoxTemplate());
}

TerminalControlPanel::TerminalControlPanel()
    : TerminalDialog(res::ControlPanelTemplate().title, res::ControlPanelTemplate().width,
                     res::ControlPanelTemplate().height, false),
      CControlPanelDlg(static_cast<pf::DialogView&>(*this)) {
  AddTemplateControls(*this, res::ControlPanelTemplate());
}

void TerminalControlPanel::OnCommand(int id) {
  if (!HandleCommand(id)) TerminalDialog::OnCommand(id);
}

void TerminalControlPanel::OnSysCommand(int command) {
  if (!HandleSysCommand(command)) DefaultSysCommand(command);
}

void TerminalControlPanel::ShowAboutBox() {
  CAboutDlg about;
  if (Io()) about.RunModal(*Io(), this);
}

bool TerminalControlPanel::OnPaint(pf::ScreenCanvas& canvas, int row, int column) {
  if (!Minimized()) return false;
  const auto& icon = res::IconPicture();
  const int clientWidth = ClientWidth() / 4, clientHeight = ClientHeight() / 8;
  const int iconWidth = pf::TextWidth(icon.front()), iconHeight = static_cast<int>(icon.size());
  const int x = (clientWidth - iconWidth + 1) / 2, y = (clientHeight - iconHeight + 1) / 2;
  canvas.Fill(row, column, clientHeight, clientWidth);
  for (int k = 0; k < iconHeight; ++k) canvas.Put(row + y + k, column + x, icon[static_cast<size_t>(k)]);
  return true;
}

int RunControlPanel(pf::TerminalIo& terminal) {
  TerminalControlPanel dialog;
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
