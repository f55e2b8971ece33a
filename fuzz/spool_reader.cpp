// Spool files of any content: the reader, page extraction, the metafile header and the text records
// must neither crash nor read outside what they hold.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/emf/metafile.h"
#include "platform/windows_directory.h"
#include "spool/page_extraction.h"
#include "spool/spool_reader.h"
#include "spool/stdio_file.h"
#include "spool/text_writer.h"

namespace {

constexpr int kPagesPerInput = 16;  // enough to cover page boundaries, few enough to stay fast

std::string SpoolPath() {
  static const std::string path =
      velto::platform::TempDirectory() + "/fuzz-spool-" + std::to_string(getpid()) + ".spl";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace velto;
  const std::string spool = SpoolPath();
  {
    StdioFile file = OpenStdioFile(spool, "wb");
    if (!file || std::fwrite(data, 1, size, file.get()) != size) return 0;
  }
  SpoolJob job;
  if (ReadSpoolJob(spool, job)) {
    StdioFile sink = OpenStdioFile("/dev/null", "wb");
    for (int k = 1; k <= std::min(job.pageCount, kPagesPerInput); ++k) {
      std::string name;
      if (!MakeTempPageName(name)) break;
      if (!ExtractPage(spool, name, k, job)) continue;
      if (auto page = emf::Metafile::Load(job.pageFile)) (void)page->Header();
      TextSink text{sink.get(), k % 2, false};
      ExtractPageText(job.pageFile, "", text);  // deletes the page file
      ::unlink(name.c_str());
    }
  }
  ::unlink(spool.c_str());
  return 0;
}
