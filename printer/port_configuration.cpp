#include "printer/port_configuration.h"

#include <vector>

#include "platform/printing/spooler.h"
#include "platform/printing/system_errors.h"
#include "printer/printer_names.h"

namespace velto {

bool ConfigurePort(const std::u16string& portName, bool remove) {
  namespace pf = velto::platform;
  pf::PRINTER_DEFAULTSA defaults{nullptr, nullptr, pf::SERVER_ALL_ACCESS};
  pf::UniquePrinterHandle monitor;
  if (!pf::OpenPrinterA(kPortMonitorObject, monitor.Receive(), &defaults)) return false;
  // The port name as UTF-16LE code units with the terminating zero: (length + 1) × 2 bytes.
  std::vector<uint8_t> input;
  input.reserve((portName.size() + 1) * 2);
  for (char16_t unit : portName) {
    input.push_back(static_cast<uint8_t>(unit & 0xff));
    input.push_back(static_cast<uint8_t>(unit >> 8));
  }
  input.push_back(0);
  input.push_back(0);
  uint32_t needed = 0, status = 0;
  if (!pf::XcvDataW(monitor.Get(), remove ? u"DeletePort" : u"AddPort", input, {}, &needed, &status)) return false;
  // The call's own flag only says the monitor was reached; whether the port was added is its answer.
  if (status != pf::ERROR_SUCCESS) {
    pf::SetLastError(status);
    return false;
  }
  return true;
}

}  // namespace velto
