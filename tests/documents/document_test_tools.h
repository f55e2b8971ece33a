#pragma once
// Helpers for the document tests: running the libtiff and poppler command-line tools, and building
// spool files of a few pages.

#include <string>
#include <vector>

#include "spool/spool_job.h"

namespace velto::test {

struct ToolResult {
  int exitCode = -1;
  std::string output;  // standard output and standard error
};

// Runs a shell command line; the arguments must already be quoted (Quote).
ToolResult RunTool(const std::string& commandLine);
std::string Quote(const std::string& argument);
bool ToolAvailable(const std::string& name);

// A spool file of `pages` copies of SimplePage (each page numbered in its text), read back into `job`.
// False when the spool reader did not accept it.
bool MakeSpoolJob(const std::string& spoolPath, int pages, SpoolJob& job);
// A spool file of the given page metafiles, read back into `job`.
bool MakeSpoolJob(const std::string& spoolPath, const std::vector<std::vector<uint8_t>>& pages, SpoolJob& job);
// Three pages, the second a damaged metafile: records with impossible sizes, counts and handles.
std::vector<std::vector<uint8_t>> PagesWithDamagedSecond();

// Files in `folder` (names only), sorted.
std::vector<std::string> FilesIn(const std::string& folder);

}  // namespace velto::test
