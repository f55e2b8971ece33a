#pragma once
// Installing and removing the virtual printer "Velto Print" without user interface.

namespace velto {

// True when the printer was added (and the later steps were run).
bool InstallPrinter();
void RemovePrinter();

}  // namespace velto
