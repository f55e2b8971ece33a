#pragma once
// Adding and deleting the printer's port through the local port monitor.

#include <string>

// <windows.h> makes ConfigurePort a macro for ConfigurePortA/W; the function here is our own.
#ifdef ConfigurePort
#undef ConfigurePort
#endif

namespace velto {

// Sends "AddPort" (or "DeletePort" when `remove`) with `portName` to the local port monitor. True when the
// monitor did it; false when the monitor object cannot be opened, the call fails or the monitor refuses
// (the last error then holds the monitor's answer).
bool ConfigurePort(const std::u16string& portName, bool remove);

}  // namespace velto
