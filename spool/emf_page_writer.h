#pragma once
#include <string>

#include "spool/spool_job.h"

namespace velto {

bool IsWindows2000();
// Writes page k's metafile (in `pageFile`) to the page's output name, which replaces the content of
// `outputName` (the user's output path on entry). True only when the page was re-recorded (Windows 2000).
bool WriteEmfPage(const std::string& pageFile, std::string& outputName, int k, const SpoolJob& job);

}  // namespace velto
