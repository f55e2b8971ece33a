#pragma once
// The control panel (dialog 102), shown modally for the "SHOWDIALOG" command.

namespace velto {

// Runs the control panel until it is closed; returns the dialog's result.
int RunControlPanel();

}  // namespace velto
