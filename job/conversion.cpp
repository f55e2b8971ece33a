#include "job/conversion.h"

#include <sys/stat.h>
#include <unistd.h>

#include "app/settings.h"
#include "job/page_file_name.h"

namespace velto {

namespace {

// What a file looked like, to tell whether a writer that does not report it wrote the file.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};
};

FileStamp StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool WrittenSince(const FileStamp& before, const FileStamp& after) {
  if (!after.exists) return false;
  if (!before.exists) return true;
  return before.device != after.device || before.inode != after.inode || before.size != after.size ||
         !SameTime(before.modified, after.modified) || !SameTime(before.changed, after.changed);
}

// One EMF page: extracted by the dispatch, then handed to the EMF writer. The EMF writer reports true
// only for a re-recorded page, so whether the page file was written is seen on the file itself.
// No value when the page could not be extracted (then there is no after-page step).
std::optional<bool> ConvertEmfPage(const WriterSet& writers, const std::string& spoolPath,
                                   const std::string& outputPath, int k, SpoolJob& job) {
  std::string tempName;
  if (!writers.makeTempPageName(tempName)) return std::nullopt;
  if (!writers.extractPage(spoolPath, tempName, k, job)) {
    ::unlink(tempName.c_str());  // the reserved name must not stay behind
    return std::nullopt;
  }
  std::string pageName = MakePageFileName(outputPath, k).value_or(outputPath);
  FileStamp before = StampOf(pageName);
  std::string emfName = outputPath;  // the writer turns it into the page's own name
  bool reported = writers.emf(job.pageFile, emfName, k, job);
  // The writer deletes the page file, except when it could not read it; it is never wanted afterwards.
  ::unlink(job.pageFile.c_str());
  return reported || WrittenSince(before, StampOf(pageName));
}

bool RunPageWriter(const WriterSet& writers, WriterId id, const std::string& spoolPath,
                   const std::string& outputPath, int k, SpoolJob& job) {
  switch (id) {
    case WriterId::Bmp: return writers.bmp(spoolPath, outputPath, k, job);
    case WriterId::Jpeg: return writers.jpeg(spoolPath, outputPath, k, job);
    case WriterId::Gif: return writers.gif(spoolPath, outputPath, k, job);
    case WriterId::Png: return writers.png(spoolPath, outputPath, k, job);
    default: return false;
  }
}

bool RunDocumentWriter(const WriterSet& writers, WriterId id, const std::string& spoolPath,
                       const std::string& outputPath, SpoolJob& job) {
  switch (id) {
    case WriterId::Tiff: return writers.tiff(spoolPath, outputPath, job);
    case WriterId::Pdf: return writers.pdf(spoolPath, outputPath, job);
    case WriterId::Text: return writers.text(spoolPath, outputPath, job, ReadSettingInt("format", "textcode", 0));
    default: return false;
  }
}

}  // namespace

bool ConversionResult::AnythingWritten() const {
  if (!writer) return false;
  if (writer->kind == WriterKind::Document) return documentWritten;
  return static_cast<int>(failedPages.size()) < pageCount;
}

bool ConversionResult::AllWritten() const {
  if (!writer) return false;
  if (writer->kind == WriterKind::Document) return documentWritten;
  return failedPages.empty();
}

ConversionResult ConvertPages(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job,
                              const ConversionCallbacks& callbacks) {
  ConversionResult result;
  result.pageCount = job.pageCount;
  result.writer = FindWriter(outputPath);
  if (!result.writer) return result;
  const WriterSet& writers = CurrentWriters();
  const WriterRow& row = *result.writer;

  if (row.kind == WriterKind::Document) {
    if (callbacks.progress) callbacks.progress(0, job.pageCount);
    result.documentWritten = RunDocumentWriter(writers, row.id, spoolPath, outputPath, job);
    if (result.documentWritten && callbacks.afterDocument) callbacks.afterDocument(row);
    return result;
  }

  for (int k = 1; k <= job.pageCount; ++k) {
    if (callbacks.progress) callbacks.progress(k, job.pageCount);
    bool written = false;
    if (row.id == WriterId::Emf) {
      auto emf = ConvertEmfPage(writers, spoolPath, outputPath, k, job);
      if (!emf) {
        result.failedPages.push_back(k);
        continue;
      }
      written = *emf;
    } else {
      written = RunPageWriter(writers, row.id, spoolPath, outputPath, k, job);
    }
    if (!written) result.failedPages.push_back(k);
    if (callbacks.afterPage) callbacks.afterPage(k);
  }
  return result;
}

}  // namespace velto
