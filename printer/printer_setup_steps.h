#pragma once
// The single steps of installing and removing the virtual printer, shared by the command modes and the
// control panel's install and uninstall buttons.

#include <string>

#include "platform/printing/spooler.h"

namespace velto {

// Copies the running program to the Windows directory as VeltoFaxTool.exe, replacing an older copy.
void CopySelfToWindowsDir();
// Copies `library` from the current directory into the print-processor directory (a failed copy is passed
// over) and registers it as `processorName`. False when the directory cannot be had or registration fails.
bool InstallPrintProcessor(const std::string& processorName, const std::string& library);
// Runs the printer-setup command for `model` from `package` with the program's directory as the current
// directory (which it stays), and waits for it. False when the command cannot be started.
bool InstallPrinterDriver(const std::string& model, const std::string& package);
// The directory of the running program, with its trailing separator.
std::string ProgramDirectory();
// Adds the printer "Velto Print" with its level-2 record; the handle of the new printer, empty on failure.
platform::UniquePrinterHandle AddVeltoPrinter();
// Points the printer's "SpoolDirectory" at the Windows directory ("C:\WINNT" when it cannot be had).
// Nothing happens when the printer's registry key cannot be opened.
void SetSpoolDirectory();
// Deletes the printer "Velto Print" when it can be opened. False when it cannot be opened.
bool DeleteVeltoPrinter();
// Unregisters the print processor and removes the driver; failures are passed over.
void RemovePrintProcessor();
void RemovePrinterDriver();

}  // namespace velto
