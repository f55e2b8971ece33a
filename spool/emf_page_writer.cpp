#include "spool/emf_page_writer.h"

#include <cerrno>
#include <cstdio>

#include "platform/emf/metafile.h"
#include "platform/replacing_output_file.h"
#include "platform/version.h"
#include "spool/emf_page_rerecording.h"
#include "spool/metafile_damage.h"
#include "spool/page_file_name.h"
#include "spool/stdio_file.h"

namespace velto {
namespace {

// Writes `bytes` as the file `path` in one piece: an existing file is replaced only by a complete one.
// False with the reason when it could not be written.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes, std::string& reason) {
  platform::ReplacingOutputFile output(path);
  if (!output.Create()) {
    reason = output.Error();
    return false;
  }
  StdioFile out = platform::OpenStdioFileForWriting(output.TempPath());
  if (!out) {
    reason = platform::SystemErrorText(errno);
    return false;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size() && std::fflush(out.get()) == 0;
  int error = written ? 0 : errno;
  if (std::fclose(out.release()) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written) {
    reason = platform::SystemErrorText(error);
    return false;
  }
  if (!output.Commit()) {
    reason = output.Error();
    return false;
  }
  return true;
}

// Deletes the page file when the page is done with, on every way out.
class PageFileRemover {
 public:
  explicit PageFileRemover(const std::string& path) : path_(path) {}
  ~PageFileRemover() { platform::RemoveFile(path_); }
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

bool WriteEmfPage(const std::string& pageFile, std::string& outputName, int k, const SpoolJob&, WriteContext& context) {
  const std::string wanted = MakePageFileName(outputName, k).value_or(outputName);
  std::string loadError;
  const auto page = emf::Metafile::Load(platform::FsPath(pageFile), &loadError);
  if (!page) {
    // The page file stays where it is.
    context.report.Unreadable(k, wanted, UnreadablePageReason(loadError));
    return false;
  }
  const PageFileRemover remover(pageFile);

  // In job mode the page's name and its terminator must fit the program's name buffer.
  if (context.jobMode && wanted.size() >= kEmfPageNameChars) {
    context.report.NotWritten(k, wanted, "the page's file name is longer than " +
                                             std::to_string(kEmfPageNameChars - 1) + " characters");
    return false;
  }
  outputName = wanted;

  std::string reason;
  // Exactly the page's metafile, not the spool records that the page file carries behind it; Windows
  // 2000 records the page anew.
  const bool written = IsWindows2000() ? WriteWholeFile(outputName, RerecordEmfPage(*page), reason)
                                       : WriteWholeFile(outputName, page->Bytes(), reason);
  if (!written) {
    context.report.NotWritten(k, outputName, reason);
    return false;
  }
  if (auto damage = MetafileDamage(*page)) context.report.Damaged(k, outputName, *damage);
  return true;
}

}  // namespace velto
