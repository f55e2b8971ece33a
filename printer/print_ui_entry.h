#pragma once
// The printer-setup entry point, "rundll32 printui.dll,PrintUIEntry …", as a program of this platform's
// shell: it installs drivers from a package, prints a test page as a spooled job and shows a printer's
// printing preferences, against the spooler layer.

#include <string>
#include <vector>

namespace velto {

// Runs rundll32 with `arguments` (the words after "rundll32"). Returns the exit code: 0 on success, else
// the error code (a malformed command line gives ERROR_INVALID_PARAMETER, 87). Failures are shown in a
// message box unless /q was given.
int RunPrintUiEntry(const std::vector<std::string>& arguments);

// Registers RunPrintUiEntry as the shell's "rundll32" (once per process).
void RegisterPrinterSetupProgram();

}  // namespace velto
