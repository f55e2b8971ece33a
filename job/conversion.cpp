#include "job/conversion.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

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

namespace {

// One page of a one-file-per-page format, with its own context: what it reported, and whether its
// writer was called (EMF pages that cannot be extracted have no after-page step).
struct PageOutcome {
  bool writerCalled = true;
  bool written = false;
  WriteReport report;
};

PageOutcome ConvertOnePage(const WriterSet& writers, const WriterRow& row, const std::string& spoolPath,
                           const std::string& outputPath, int k, SpoolJob& job, const ConversionOptions& options) {
  PageOutcome outcome;
  WriteContext context;
  context.jobMode = options.jobMode;
  context.dpi = options.dpi;
  context.readSetting = ReadSettingInt;
  if (row.id == WriterId::Emf) {
    auto emf = ConvertEmfPage(writers, spoolPath, outputPath, k, job, context);
    outcome.writerCalled = emf.has_value();
    outcome.written = emf.value_or(false);
  } else {
    outcome.written = RunPageWriter(writers, row.id, spoolPath, outputPath, k, job, context);
  }
  if (!outcome.written && !context.report.Mentions(k)) {
    context.report.NotWritten(k, MakePageFileName(outputPath, k).value_or(outputPath), "the page could not be written");
  }
  outcome.report = std::move(context.report);
  return outcome;
}

// Pages on several threads, each with a job record of its own (extraction writes its page file's name
// into it); every page's outcome is kept and merged in page order, so the result does not depend on
// which thread finished first. At most `threads` pages are in flight.
std::vector<PageOutcome> ConvertPagesInParallel(const WriterSet& writers, const WriterRow& row,
                                                const std::string& spoolPath, const std::string& outputPath,
                                                const SpoolJob& job, const ConversionCallbacks& callbacks,
                                                const ConversionOptions& options) {
  std::vector<PageOutcome> outcomes(static_cast<size_t>(job.pageCount) + 1);
  std::atomic<int> next{1};
  std::mutex report;
  int done = 0;
  auto work = [&] {
    auto own = std::make_unique<SpoolJob>();
    own->pageCount = job.pageCount;
    own->pageOffset = job.pageOffset;
    for (int k = next++; k <= job.pageCount; k = next++) {
      PageOutcome outcome = ConvertOnePage(writers, row, spoolPath, outputPath, k, *own, options);
      std::lock_guard lock(report);
      outcomes[static_cast<size_t>(k)] = std::move(outcome);
      ++done;
      if (callbacks.pageDone) callbacks.pageDone(done, job.pageCount, MakePageFileName(outputPath, k).value_or(outputPath));
    }
  };
  const int threads = std::min(options.threads, job.pageCount);
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (auto& thread : pool) thread.join();
  return outcomes;
}

}  // namespace

ConversionResult ConvertPages(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job,
                              const ConversionCallbacks& callbacks, const ConversionOptions& options) {
  ConversionResult result;
  result.pageCount = job.pageCount;
  result.writer = options.writer ? options.writer : FindWriter(outputPath);
  if (!result.writer) return result;
  const WriterSet& writers = CurrentWriters();
  const WriterRow& row = *result.writer;

  if (row.kind == WriterKind::Document) {
    WriteContext context;
    context.jobMode = options.jobMode;
    context.dpi = options.dpi;
    context.threads = std::max(1, options.threads);
    // Without the reader every key would keep its default: tiffcompress, fillorder, tiffshpare.
    context.readSetting = ReadSettingInt;
    int done = 0;
    if (callbacks.pageDone) {
      context.pageDone = [&](int) { callbacks.pageDone(++done, job.pageCount, outputPath); };
    }
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

  if (options.threads > 1 && job.pageCount > 1 && !callbacks.afterPage && !callbacks.progress) {
    std::vector<PageOutcome> outcomes = ConvertPagesInParallel(writers, row, spoolPath, outputPath, job, callbacks, options);
    for (int k = 1; k <= job.pageCount; ++k) {
      PageOutcome& outcome = outcomes[static_cast<size_t>(k)];
      if (!outcome.written) result.failedPages.push_back(k);
      result.report.Append(outcome.report);
    }
    return result;
  }

  for (int k = 1; k <= job.pageCount; ++k) {
    if (callbacks.progress) callbacks.progress(k, job.pageCount);
    PageOutcome outcome = ConvertOnePage(writers, row, spoolPath, outputPath, k, job, options);
    if (!outcome.written) result.failedPages.push_back(k);
    result.report.Append(outcome.report);
    if (callbacks.pageDone) callbacks.pageDone(k, job.pageCount, MakePageFileName(outputPath, k).value_or(outputPath));
    if (outcome.writerCalled && callbacks.afterPage) callbacks.afterPage(k);
  }
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
