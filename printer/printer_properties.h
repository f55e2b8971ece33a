#pragma once
// The Save dialog's "打印机属性" (printer properties) button: the printer's advanced document settings.

#include <string>

namespace velto {

// Opens "Velto Print" with full access and shows its advanced document settings, owned by the window
// named `ownerName`. False, and nothing shown, when the printer cannot be opened.
bool ShowPrinterAdvancedSettings(const std::string& ownerName);

}  // namespace velto
