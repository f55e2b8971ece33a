#include "printer/printer_properties.h"

#include "platform/printing/spooler.h"
#include "printer/printer_names.h"

namespace velto {

bool ShowPrinterAdvancedSettings(const std::string& ownerName) {
  namespace pf = velto::platform;
  pf::PRINTER_DEFAULTSA defaults{nullptr, nullptr, pf::PRINTER_ALL_ACCESS};
  pf::UniquePrinterHandle printer;
  if (!pf::OpenPrinterA(kPrinterName, printer.Receive(), &defaults)) return false;
  pf::AdvancedDocumentPropertiesA(ownerName, printer.Get(), kPrinterName);
  return true;
}

}  // namespace velto
