#include "spool/text_writer.h"

#include <unistd.h>

#include <cstdio>

#include "platform/emf/metafile.h"
#include "platform/version.h"
#include "spool/emf_page_writer.h"
#include "spool/page_extraction.h"
#include "spool/stdio_file.h"
#include "spool/text_record.h"

namespace velto {

bool IsWindowsXP() {
  platform::OsVersion version;
  return platform::QueryOsVersion(version) && version.platformId == 2 && version.major == 5 && version.minor == 1;
}

int TextRecordProc(const emf::Record& record, TextSink& sink) {
  const std::string bytes = TextRecordBytes(record, sink.textcode);
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), sink.file) != bytes.size()) sink.writeFailed = true;
  return 1;
}

bool ExtractPageText(const std::string& pageFile, const std::string&, TextSink& sink) {
  const auto page = emf::Metafile::Load(pageFile);
  ::unlink(pageFile.c_str());
  if (!page) return false;
  page->ForEachRecord([&sink](const emf::Record& record) { return TextRecordProc(record, sink) != 0; });
  return true;
}

namespace {

// Windows 2000 reads the text from a re-recorded copy of the page (named by the page-file rule from a
// fresh temporary name); true when the copy was made and read.
std::optional<bool> TextOfRerecordedPage(const std::string& pageFile, const std::string& outputPath, int k,
                                         SpoolJob& job, TextSink& sink) {
  std::string copyName;
  if (!MakeTempPageName(copyName)) return std::nullopt;
  const std::string reserved = copyName;
  std::optional<bool> result;
  if (WriteEmfPage(pageFile, copyName, k, job)) result = ExtractPageText(copyName, outputPath, sink);
  ::unlink(reserved.c_str());
  return result;
}

}  // namespace

bool WriteTextDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job, int textcode) {
  StdioFile file = OpenStdioFile(outputPath, "wb");
  if (!file) return false;
  TextSink sink{file.get(), textcode, false};
  if (textcode == 0) {
    static constexpr char kByteOrderMark[2] = {'\xFF', '\xFE'};
    if (std::fwrite(kByteOrderMark, 1, 2, sink.file) != 2) sink.writeFailed = true;
  }

  bool result = true;
  // One reserved name serves every page. Without it no page can be read, and the text of the job
  // would be lost silently.
  std::string pageName;
  if (!MakeTempPageName(pageName)) {
    result = job.pageCount == 0;
  } else {
    for (int k = 1; k <= job.pageCount; ++k) {
      if (!ExtractPage(spoolPath, pageName, k, job)) continue;
      if (IsWindows2000()) {
        if (auto read = TextOfRerecordedPage(job.pageFile, outputPath, k, job, sink)) result = *read;
      } else {
        // Every other system reads the page file directly, as Windows XP does.
        result = ExtractPageText(job.pageFile, outputPath, sink);
      }
      ::unlink(job.pageFile.c_str());
    }
    ::unlink(pageName.c_str());
  }

  if (std::fclose(file.release()) != 0) sink.writeFailed = true;
  // A text file that could not be written whole is no result.
  return result && !sink.writeFailed;
}

}  // namespace velto
