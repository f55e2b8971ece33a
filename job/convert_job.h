#pragma once
// Job mode's conversion: read the spool file, convert, run the after-save actions, open the result,
// and finish with the spool file.

#include <string>

namespace velto {

// Opens the file with its associated program (the shell's "open", shown normally).
void OpenResult(const std::string& path);

// Converts the job in `spoolPath` to `outputPath`; `documentName` is the job's name as printed.
// The spool file is deleted once every page and document of the job was written whole. Otherwise it is
// kept beside its name as NAME.spl.failed, each page or file that failed or was damaged is named on
// standard error, and the result is 1. A spool file that is not a job stays (a claimed one is set aside
// the same way, with the result 1). An extension without a writer writes nothing and deletes the job.
// 0 otherwise.
int ConvertJob(const std::string& spoolPath, const std::string& outputPath, const std::string& documentName);

}  // namespace velto
