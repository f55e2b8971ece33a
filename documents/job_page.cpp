#include "documents/job_page.h"

#include <algorithm>

#include "platform/files.h"
#include "spool/metafile_damage.h"
#include "spool/page_extraction.h"

namespace velto {

JobPage LoadJobPage(const std::string& spoolPath, const std::string& tempName, int k, SpoolJob& job, bool jobMode) {
  JobPage page;
  std::string loadError;
  if (!jobMode) {
    page.metafile = ReadPageMetafile(spoolPath, k, job, page.extracted, loadError);
    if (page.extracted && !page.metafile) page.unreadableReason = UnreadablePageReason(loadError);
    return page;
  }
  page.extracted = ExtractPage(spoolPath, tempName, k, job);
  if (!page.extracted) return page;
  page.metafile = emf::Metafile::Load(platform::FsPath(job.pageFile), &loadError);
  if (!page.metafile) page.unreadableReason = UnreadablePageReason(loadError);
  platform::RemoveFile(job.pageFile);
  return page;
}

PageFileNames::~PageFileNames() {
  for (const std::string& name : names_) {
    if (!name.empty()) platform::RemoveFile(name);
  }
}

bool PageFileNames::Reserve(int threads, bool jobMode) {
  names_.assign(static_cast<size_t>(std::max(threads, 1)), std::string());
  if (!jobMode) return true;
  for (std::string& name : names_) {
    if (!MakeTempPageName(name)) return false;
  }
  return true;
}

std::string PageFileNames::Take() {
  std::lock_guard lock(mutex_);
  return next_ < names_.size() ? names_[next_++] : std::string();
}

}  // namespace velto
