#pragma once
// The one-file-per-page raster writers. Each extracts page k of the job itself, renders it with the
// standard page geometry and writes it to MakePageFileName(outputPath, k). True when the file was written.

#include <string>

#include "spool/spool_job.h"

namespace velto {

bool WriteBmpPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job);
bool WriteJpegPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job);
bool WritePngPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job);
bool WriteGifPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job);

}  // namespace velto
