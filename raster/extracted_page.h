#pragma once
// Page k of a job copied into a temporary metafile file of its own; the file is deleted when the page
// goes out of scope, on every way out of a page writer.

#include <string>

#include "spool/spool_job.h"

namespace velto {

class ExtractedPage {
 public:
  ExtractedPage() = default;
  ~ExtractedPage();
  ExtractedPage(const ExtractedPage&) = delete;
  ExtractedPage& operator=(const ExtractedPage&) = delete;

  // Reserves a temporary page name and extracts page k into it; on success the job's pageFile names it.
  bool Extract(const std::string& spoolPath, int page, SpoolJob& job);
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Deletes a file if it is there; used for partly written outputs that must not be mistaken for pages.
void RemoveFileQuietly(const std::string& path);

}  // namespace velto
