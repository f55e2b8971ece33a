#pragma once
#include <string>

#include "spool/spool_job.h"
#include "spool/write_report.h"

namespace velto {

// A page file name and its terminator must fit the program's 260-character name buffer in job mode.
inline constexpr size_t kEmfPageNameChars = 260;

bool IsWindows2000();
// Writes page k's metafile (in `pageFile`) to the page's output name, in one piece, which replaces the
// content of `outputName` (the user's output path on entry): an unchanged copy of the page's metafile, or
// on Windows 2000 a re-recording of it. True when the page's file was written. A page whose metafile is
// cut short is written as far as it goes and reported as damaged; a page not written is reported with
// the reason. The page file is deleted, except when it is no readable metafile.
bool WriteEmfPage(const std::string& pageFile, std::string& outputName, int k, const SpoolJob& job,
                  WriteContext& context);

}  // namespace velto
