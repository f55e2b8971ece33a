#pragma once
// The control panel (dialog 102), shown modally for the "SHOWDIALOG" command.

namespace velto {

namespace platform {
class TerminalIo;
}

// Runs the control panel on the process's terminal until it is closed; returns the dialog's result.
// Without a terminal it says so on standard error and returns -1.
int RunControlPanel();
// The same on a given terminal (a pseudo-terminal in tests).
int RunControlPanel(platform::TerminalIo& terminal);

}  // namespace velto
