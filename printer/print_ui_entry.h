#pragma once
// The printer-setup entry point, "rundll32 printui.dll,PrintUIEntry …". Windows has its own, which the
// shell runs. Elsewhere it is a program of the platform's shell that this part provides: it installs
// drivers from a package, prints a test page as a spooled job and shows a printer's printing
// preferences, against the spooler layer.

#include <string>
#include <vector>

namespace velto {

#ifdef _WIN32
// The system's rundll32 serves the command: nothing to register.
inline void RegisterPrinterSetupProgram() {}
#else
// Runs rundll32 with `arguments` (the words after "rundll32"). Returns the exit code: 0 on success, else
// the error code (a malformed command line gives ERROR_INVALID_PARAMETER, 87). Failures are shown in a
// message box unless /q was given.
int RunPrintUiEntry(const std::vector<std::string>& arguments);

// Registers RunPrintUiEntry as the shell's "rundll32" (once per process).
void RegisterPrinterSetupProgram();
#endif

}  // namespace velto
