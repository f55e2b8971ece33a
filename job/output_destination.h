#pragma once
// Where a job goes: its spool file in the Windows directory, and its output path from the automatic-save
// settings or from the Save dialog, with the question before an existing file is overwritten.

#include <string>

namespace velto {

inline constexpr size_t kOutputPathChars = 256;  // an output path and its terminator must fit

// Claims the first spool file of the Windows directory and puts its path into `spoolPath`; without one,
// `spoolPath` keeps what it held. Always true.
bool FindSpoolFile(std::string& spoolPath);

// The folder of automatic saving, ending in the path separator: the autosavedir setting as the platform
// takes it (platform::FolderOfSetting).
std::string AutoSaveFolder();

// On entry `path` holds the document name; on a true return the output path. False when the user
// cancelled the Save dialog.
bool ChooseOutputPath(std::string& path);

// The whole job: spool file, output path, conversion. `placeholder` is the command text before the "*",
// `documentName` the text after it. 0, or 1 when the job was not written whole and is kept (ConvertJob).
int ProcessJob(const std::string& placeholder, const std::string& documentName);

}  // namespace velto
