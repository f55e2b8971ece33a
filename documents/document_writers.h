#pragma once
// The writers that build one document of all pages. True when the document was written; pages that got
// nothing and pages drawn from a damaged metafile are reported in the context, as is the reason when the
// document could not be written.

#include <string>

#include "spool/spool_job.h"
#include "spool/write_report.h"

namespace velto {

bool WriteTiffDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job,
                       WriteContext& context);
bool WritePdfDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job,
                      WriteContext& context);

}  // namespace velto
