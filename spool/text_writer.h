#pragma once
#include <string>

#include "spool/spool_job.h"

namespace velto {

bool IsWindowsXP();
// Writes the text of every page into one file: UTF-16LE with a byte-order mark (textcode 0) or the ANSI
// code page (any other value).
bool WriteTextDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job, int textcode);

}  // namespace velto
