#pragma once
// The printer's test page where the printer-setup entry point is our own (print_ui_entry.h; Windows
// prints its own): one recorded page describing the printer, spooled as a job so that the job flow
// converts it like any other.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/printing/spooler.h"

namespace velto {

inline constexpr const char* kTestPageDocumentName = "测试页";

// The test page as an enhanced metafile for `record` (printer, driver, port, processor and data type).
std::vector<uint8_t> RecordTestPage(const platform::PrinterRecord& record);
// Spools the test page on `printer` (opened with PRINTER_ACCESS_USE or more). `spoolPath` receives the
// spool file's path. False when the record cannot be read or the job cannot be spooled.
bool PrintTestPage(platform::HANDLE printer, std::string* spoolPath = nullptr);

}  // namespace velto
