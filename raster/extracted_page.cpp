#include "raster/extracted_page.h"

#include "platform/files.h"
#include "spool/page_extraction.h"

namespace velto {

ExtractedPage::~ExtractedPage() {
  if (!path_.empty()) RemoveFileQuietly(path_);
}

bool ExtractedPage::Extract(const std::string& spoolPath, int page, SpoolJob& job) {
  if (!path_.empty()) RemoveFileQuietly(path_);
  path_.clear();
  std::string name;
  if (!MakeTempPageName(name)) {
    if (!name.empty()) RemoveFileQuietly(name);
    return false;
  }
  // The reserved name belongs to this page from now on, whether the copy works or not.
  path_ = name;
  return ExtractPage(spoolPath, name, page, job);
}

void RemoveFileQuietly(const std::string& path) { platform::RemoveFile(path); }

}  // namespace velto
