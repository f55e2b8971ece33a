#include "job/conversion.h"

#include "app/settings.h"
#include "platform/files.h"
#include "spool/page_file_name.h"

namespace velto {

namespace {

// One EMF page: extracted by the dispatch, then handed to the EMF writer. No value when the page could
// not be extracted (then there is no after-page step).
std::optional<bool> ConvertEmfPage(const WriterSet& writers, const std::string& spoolPath,
                                   const std::string& outputPath, int k, SpoolJob& job, WriteContext& context) {
  const std::string pageName = MakePageFileName(outputPath, k).value_or(outputPath);
  std::string tempName;
  if (!writers.makeTempPageName(tempName)) {
    context.report.NotWritten(k, pageName, "no temporary file for the page");
    return std::nullopt;
  }
  if (!writers.extractPage(spoolPath, tempName, k, job)) {
    platform::RemoveFile(tempName);  // the reserved name must not stay behind
    context.report.NotWritten(k, pageName, "the page cannot be copied out of the print job");
    return std::nullopt;
  }
  std::string emfName = outputPath;  // the writer turns it into the page's own name
  const bool written = writers.emf(job.pageFile, emfName, k, job, context);
  // The writer deletes the page file, except when it could not read it; it is never wanted afterwards.
  platform::RemoveFile(job.pageFile);
  return written;
}

bool RunPageWriter(const WriterSet& writers, WriterId id, const std::string& spoolPath,
                   const std::string& outputPath, int k, SpoolJob& job, WriteContext& context) {
  switch (id) {
    case WriterId::Bmp: return writers.bmp(spoolPath, outputPath, k, job, context);
    case WriterId::Jpeg: return writers.jpeg(spoolPath, outputPath, k, job, context);
    case WriterId::Gif: return writers.gif(spoolPath, outputPath, k, job, context);
    case WriterId::Png: return writers.png(spoolPath, outputPath, k, job, context);
    default: return false;
  }
}

bool RunDocumentWriter(const WriterSet& writers, WriterId id, const std::string& spoolPath,
                       const std::string& outputPath, SpoolJob& job, WriteContext& context) {
  switch (id) {
    case WriterId::Tiff: return writers.tiff(spoolPath, outputPath, job, context);
    case WriterId::Pdf: return writers.pdf(spoolPath, outputPath, job, context);
    case WriterId::Text:
      return writers.text(spoolPath, outputPath, job, ReadSettingInt("format", "textcode", 0), context);
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
  if (!writer || !report.Clean()) return false;
  if (writer->kind == WriterKind::Document) return documentWritten;
  return failedPages.empty();
}

ConversionResult ConvertPages(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job,
                              const ConversionCallbacks& callbacks, bool jobMode) {
  ConversionResult result;
  result.pageCount = job.pageCount;
  result.writer = FindWriter(outputPath);
  if (!result.writer) return result;
  const WriterSet& writers = CurrentWriters();
  const WriterRow& row = *result.writer;
  WriteContext context;
  context.jobMode = jobMode;

  if (row.kind == WriterKind::Document) {
    if (callbacks.progress) callbacks.progress(0, job.pageCount);
    result.documentWritten = RunDocumentWriter(writers, row.id, spoolPath, outputPath, job, context);
    // A writer that fails says why; one that does not is still never taken for a success.
    if (!result.documentWritten && !context.report.Mentions(0)) {
      context.report.NotWritten(0, outputPath, "the document could not be written");
    }
    result.report = std::move(context.report);
    if (result.documentWritten && callbacks.afterDocument) callbacks.afterDocument(row);
    return result;
  }

  for (int k = 1; k <= job.pageCount; ++k) {
    if (callbacks.progress) callbacks.progress(k, job.pageCount);
    bool written = false;
    if (row.id == WriterId::Emf) {
      auto emf = ConvertEmfPage(writers, spoolPath, outputPath, k, job, context);
      if (!emf) {
        result.failedPages.push_back(k);
        continue;
      }
      written = *emf;
    } else {
      written = RunPageWriter(writers, row.id, spoolPath, outputPath, k, job, context);
    }
    if (!written) {
      result.failedPages.push_back(k);
      if (!context.report.Mentions(k)) {
        context.report.NotWritten(k, MakePageFileName(outputPath, k).value_or(outputPath), "the page could not be written");
      }
    }
    if (callbacks.afterPage) callbacks.afterPage(k);
  }
  result.report = std::move(context.report);
  return result;
}

std::string DescribeProblem(const WriteProblem& problem, const std::string& source) {
  std::string text = problem.file.empty() ? std::string() : problem.file + ": ";
  std::string what = problem.page > 0 ? "page " + std::to_string(problem.page) : std::string("the document");
  if (!source.empty()) what += " of " + source;
  switch (problem.kind) {
    case WriteProblem::Kind::Damaged:
      text += what + " is damaged, written as far as it goes: " + problem.reason;
      break;
    case WriteProblem::Kind::Unreadable:
      text += what + " is damaged and could not be drawn: " + problem.reason;
      break;
    case WriteProblem::Kind::NotWritten:
      text += what + " could not be written: " + problem.reason;
      break;
  }
  return text;
}

}  // namespace velto
