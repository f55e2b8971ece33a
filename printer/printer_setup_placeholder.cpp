// Placeholder until printer installation lands.
#include "printer/printer_setup.h"

namespace velto {
bool InstallPrinter() { return false; }
void RemovePrinter() {}
}  // namespace velto
