#pragma once
// The writers that build one document of all pages. True when the document was written.

#include <string>

#include "spool/spool_job.h"

namespace velto {

bool WriteTiffDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job);
bool WritePdfDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job);

}  // namespace velto
