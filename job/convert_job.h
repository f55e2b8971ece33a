#pragma once
// Job mode's conversion: read the spool file, convert, run the after-save actions, open the result,
// and finish with the spool file.

#include <string>

namespace velto {

// Opens the file with its associated program (the shell's "open", shown normally).
void OpenResult(const std::string& path);

// Converts the job in `spoolPath` to `outputPath`; `documentName` is the job's name as printed.
// The spool file is deleted once the job has been read, whatever the outcome, except when nothing at
// all could be written: then it is kept beside its name as NAME.spl.failed. A spool file that is not a
// job stays (a claimed one is set aside the same way). Always 0.
int ConvertJob(const std::string& spoolPath, const std::string& outputPath, const std::string& documentName);

}  // namespace velto
