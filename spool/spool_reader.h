#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "spool/spool_job.h"

namespace velto {

// Checks the start of an EMF spool file; on success `signature` holds the first page's 6-byte signature.
bool CheckSpoolHeader(const std::string& spoolPath, std::array<uint8_t, 6>& signature);
// Scans the spool file for pages. True when at least one page was found; `job` is zero-filled first.
bool ReadSpoolJob(const std::string& spoolPath, SpoolJob& job);

}  // namespace velto
