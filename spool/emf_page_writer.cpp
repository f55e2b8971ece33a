#include "spool/emf_page_writer.h"

#include <unistd.h>

#include <cstdio>

#include "job/page_file_name.h"
#include "platform/emf/metafile.h"
#include "platform/version.h"
#include "spool/emf_page_rerecording.h"
#include "spool/stdio_file.h"

namespace velto {
namespace {

// Writes `bytes` as the file `path`; a file that could not be written whole is removed again.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
  StdioFile out = OpenStdioFile(path, "wb");
  if (!out) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size();
  if (std::fclose(out.release()) != 0 || !written) {
    ::unlink(path.c_str());
    return false;
  }
  return true;
}

// Deletes the page file when the page is done with, on every way out.
class PageFileRemover {
 public:
  explicit PageFileRemover(const std::string& path) : path_(path) {}
  ~PageFileRemover() { ::unlink(path_.c_str()); }
  PageFileRemover(const PageFileRemover&) = delete;
  PageFileRemover& operator=(const PageFileRemover&) = delete;

 private:
  std::string path_;
};

}  // namespace

bool IsWindows2000() {
  platform::OsVersion version;
  return platform::QueryOsVersion(version) && version.platformId == 2 && version.major == 5 && version.minor == 0;
}

bool WriteEmfPage(const std::string& pageFile, std::string& outputName, int k, const SpoolJob&) {
  const auto page = emf::Metafile::Load(pageFile);
  if (!page) return false;  // the page file stays where it is
  const PageFileRemover remover(pageFile);

  auto name = MakePageFileName(outputName, k);
  // The page's name and its terminator must fit the caller's 256-character buffer.
  if (!name || name->size() >= kPageFileChars) return false;
  outputName = std::move(*name);

  if (!IsWindows2000()) {
    // Exactly the page's metafile, not the spool records that the page file carries behind it.
    WriteWholeFile(outputName, page->Bytes());
    return false;
  }
  return WriteWholeFile(outputName, RerecordEmfPage(*page));
}

}  // namespace velto
