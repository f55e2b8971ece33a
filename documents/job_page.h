#pragma once
// One page of a job made ready to draw. In job mode it is copied out of the spool file into a temporary
// page file and opened as a metafile (the page file is gone again afterwards; the metafile holds its
// bytes); the converter reads the same bytes straight from the spool file.

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/emf/metafile.h"
#include "spool/page_extraction.h"
#include "spool/spool_job.h"

namespace velto {

struct JobPage {
  bool extracted = false;                 // false: the page could not be copied out of the job
  std::optional<emf::Metafile> metafile;  // no value: the copied page is no readable metafile
  std::string unreadableReason;
};

// `tempName` is a name from MakeTempPageName (job mode only); `job` gets the page file's name while it
// exists.
JobPage LoadJobPage(const std::string& spoolPath, const std::string& tempName, int k, SpoolJob& job, bool jobMode);

// The temporary page names of a document drawn on several threads: one for each thread in job mode
// (none for the converter, which reads pages straight from the spool file), handed out once each and
// removed when the document is done.
class PageFileNames {
 public:
  PageFileNames() = default;
  ~PageFileNames();
  PageFileNames(const PageFileNames&) = delete;
  PageFileNames& operator=(const PageFileNames&) = delete;

  // False when a name could not be had: no page can then be extracted.
  bool Reserve(int threads, bool jobMode);
  // The next thread's name (empty outside job mode); safe to call from the drawing threads.
  std::string Take();

 private:
  std::vector<std::string> names_;
  size_t next_ = 0;
  std::mutex mutex_;
};

}  // namespace velto
