#include "documents/job_page.h"

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

}  // namespace velto
