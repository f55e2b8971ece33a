#include "spool/text_writer.h"

#include <cerrno>
#include <cstdio>

#include "platform/emf/metafile.h"
#include "platform/replacing_output_file.h"
#include "platform/windows_directory.h"
#include "platform/version.h"
#include "spool/emf_page_writer.h"
#include "spool/metafile_damage.h"
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
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), sink.file) != bytes.size() && !sink.writeFailed) {
    sink.writeFailed = true;
    sink.systemError = errno;
  }
  return 1;
}

bool ExtractPageText(const std::string& pageFile, const std::string&, TextSink& sink, std::string* problem) {
  std::string loadError;
  const auto page = emf::Metafile::Load(platform::FsPath(pageFile), &loadError);
  platform::RemoveFile(pageFile);
  if (!page) {
    if (problem) *problem = UnreadablePageReason(loadError);
    return false;
  }
  page->ForEachRecord([&sink](const emf::Record& record) { return TextRecordProc(record, sink) != 0; });
  if (problem) *problem = MetafileDamage(*page).value_or("");
  return true;
}

namespace {

// Windows 2000 reads the text from a re-recorded copy of the page (named by the page-file rule from a
// fresh temporary name); true when the copy was made and read.
std::optional<bool> TextOfRerecordedPage(const std::string& pageFile, const std::string& outputPath, int k,
                                         SpoolJob& job, TextSink& sink, std::string& problem) {
  std::string copyName;
  if (!MakeTempPageName(copyName)) return std::nullopt;
  const std::string reserved = copyName;
  std::optional<bool> result;
  WriteContext copyContext;
  if (WriteEmfPage(pageFile, copyName, k, job, copyContext)) {
    result = ExtractPageText(copyName, outputPath, sink, &problem);
    // The copy is whole even when the page it was made from was not.
    if (!copyContext.report.Clean()) problem = copyContext.report.Problems().front().reason;
  } else if (!copyContext.report.Clean()) {
    problem = copyContext.report.Problems().front().reason;
    result = false;
  }
  platform::RemoveFile(reserved);
  return result;
}

}  // namespace

bool WriteTextDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job, int textcode,
                       WriteContext& context) {
  platform::ReplacingOutputFile output(outputPath);
  if (!output.Create()) {
    context.report.NotWritten(0, outputPath, output.Error());
    return false;
  }
  StdioFile file = OpenStdioFile(output.TempPath(), "wb");
  if (!file) {
    context.report.NotWritten(0, outputPath, platform::SystemErrorText(errno));
    return false;
  }
  TextSink sink{file.get(), textcode, false, 0};
  if (textcode == 0) {
    static constexpr char kByteOrderMark[2] = {'\xFF', '\xFE'};
    if (std::fwrite(kByteOrderMark, 1, 2, sink.file) != 2) {
      sink.writeFailed = true;
      sink.systemError = errno;
    }
  }

  // One reserved name serves every page. Without it no page can be read, and the text of the job
  // would be lost silently.
  std::string pageName;
  if (!MakeTempPageName(pageName)) {
    if (job.pageCount > 0) {
      context.report.NotWritten(0, outputPath, "no temporary file for the pages in " + platform::TempDirectory());
      return false;
    }
  } else {
    int pagesRead = 0;
    for (int k = 1; k <= job.pageCount && !sink.writeFailed; ++k) {
      if (!ExtractPage(spoolPath, pageName, k, job)) {
        context.report.NotWritten(k, outputPath, "the page cannot be copied out of the print job");
        if (context.pageDone) context.pageDone(k);
        continue;
      }
      std::string problem;
      std::optional<bool> read;
      if (IsWindows2000()) {
        read = TextOfRerecordedPage(job.pageFile, outputPath, k, job, sink, problem);
      } else {
        // Every other system reads the page file directly, as Windows XP does.
        read = ExtractPageText(job.pageFile, outputPath, sink, &problem);
      }
      if (read && !*read) {
        context.report.Unreadable(k, outputPath, problem);
      } else if (!read) {
        context.report.NotWritten(k, outputPath, "no temporary file for the page in " + platform::TempDirectory());
      } else {
        ++pagesRead;
        if (!problem.empty()) context.report.Damaged(k, outputPath, problem);
      }
      platform::RemoveFile(job.pageFile);
      if (context.pageDone) context.pageDone(k);
    }
    platform::RemoveFile(pageName);
    // A document without the text of any page would only take the place of what was there.
    if (job.pageCount > 0 && pagesRead == 0 && !sink.writeFailed) {
      context.report.NotWritten(0, outputPath, "no page of the job could be read");
      return false;
    }
  }

  if (!sink.writeFailed && std::fflush(sink.file) != 0) {
    sink.writeFailed = true;
    sink.systemError = errno;
  }
  if (std::fclose(file.release()) != 0 && !sink.writeFailed) {
    sink.writeFailed = true;
    sink.systemError = errno;
  }
  // A text file that could not be written whole is no result, and leaves nothing behind.
  if (sink.writeFailed) {
    context.report.NotWritten(0, outputPath, platform::SystemErrorText(sink.systemError));
    return false;
  }
  if (!output.Commit()) {
    context.report.NotWritten(0, outputPath, output.Error());
    return false;
  }
  return true;
}

}  // namespace velto
