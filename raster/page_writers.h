#pragma once
// The one-file-per-page raster writers. Each extracts page k of the job itself, renders it with the
// standard page geometry and writes it to MakePageFileName(outputPath, k) in one piece. True when the
// file was written; a page drawn from a damaged metafile, and a page not written, are reported in the
// context with the reason.

#include <string>

#include "spool/spool_job.h"
#include "spool/write_report.h"

namespace velto {

bool WriteBmpPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job,
                  WriteContext& context);
bool WriteJpegPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job,
                  WriteContext& context);
bool WritePngPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job,
                  WriteContext& context);
bool WriteGifPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job,
                  WriteContext& context);

}  // namespace velto
