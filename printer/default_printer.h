#pragma once
// Making a printer the user's default printer, by the means each platform line offers.

// <windows.h> makes SetDefaultPrinter a macro for SetDefaultPrinterA/W; the function here is our own.
#ifdef SetDefaultPrinter
#undef SetDefaultPrinter
#endif

namespace velto {

// False for a null name or when the platform refuses; see the implementation for the three lines.
bool SetDefaultPrinter(const char* printerName);

}  // namespace velto
