#pragma once
// The control panel (dialog 102), shown modally for the "SHOWDIALOG" command.

namespace velto {

namespace platform {
class TerminalIo;
}

// Runs the control panel until it is closed; returns the dialog's result. On Linux it runs on the
// process's terminal: without one it says so on standard error and returns -1.
int RunControlPanel();
#ifndef _WIN32
// The same on a given terminal (a pseudo-terminal in tests).
int RunControlPanel(platform::TerminalIo& terminal);
#endif

}  // namespace velto
