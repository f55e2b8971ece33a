#include "documents/fax_tiff_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

#include "documents/document_writers.h"
#include "documents/job_page.h"
#include "documents/pages_in_order.h"
#include "documents/tiff_page_tags.h"
#include "platform/windows_directory.h"
#include "spool/metafile_damage.h"
#include "spool/page_extraction.h"

#ifdef _WIN32
#include "platform/text_encoding.h"
#endif

namespace velto {

FaxTiffWriter::FaxTiffWriter() = default;

FaxTiffWriter::~FaxTiffWriter() { Release(); }

void FaxTiffWriter::Release() {
  tif_.reset();
  renderer_.Release();
  output_.reset();  // removes an unfinished temporary file
}

bool FaxTiffWriter::OpenFile(const std::string& outputPath, const FaxTiffOptions& options, int pageCount) {
  Release();
  options_ = options;
  pageCount_ = pageCount;
  pagesWritten_ = 0;
  writeFailed_ = false;
  error_.clear();

  output_ = std::make_unique<platform::ReplacingOutputFile>(outputPath);
  if (!output_->Create()) {
    error_ = output_->Error();
    output_.reset();
    return false;
  }
  errno = 0;
#ifdef _WIN32
  // The narrow name would be taken in the ANSI code page: a Chinese folder name would not open.
  tif_.reset(TIFFOpenW(platform::Utf16(output_->TempPath()).c_str(), "w"));
#else
  tif_.reset(TIFFOpen(output_->TempPath().c_str(), "w"));
#endif
  if (!tif_) {
    error_ = platform::SystemErrorText(errno);
    Release();
    return false;
  }
  return true;
}

bool FaxTiffWriter::Open(const std::string& outputPath, const FaxTiffOptions& options, int pageCount) {
  if (!OpenFile(outputPath, options, pageCount)) return false;
  if (!renderer_.Open(options_.settings)) {
    error_ = "not enough memory for the fax page";
    Release();
    return false;
  }
  return true;
}

platform::PageCanvas& FaxTiffWriter::Surface() { return renderer_.Surface(); }

void FaxTiffWriter::BeginPage() { renderer_.BeginPage(); }

bool FaxTiffWriter::PlayPage(const emf::Metafile& metafile) { return renderer_.PlayPage(metafile); }

bool FaxTiffWriter::FinishPage(int pageIndex) {
  if (!tif_ || !renderer_.Valid() || writeFailed_) return false;
  FaxStrip strip;
  if (!renderer_.Capture(strip)) {
    error_ = "not enough memory to capture the page";
    return false;
  }
  return WritePage(pageIndex, strip.Bytes());
}

bool FaxTiffWriter::WritePage(int pageIndex, std::span<const uint8_t> strip) {
  if (!tif_ || writeFailed_) return false;
  const int fillOrder = options_.fillOrder ? *options_.fillOrder : ReadTiffFillOrder(options_.readSetting);
  errno = 0;
  bool ok = SetTiffPageTags(tif_.get(), pageIndex, pageCount_, options_.settings.mode, fillOrder);
  // libtiff takes a non-const buffer; none of the coders used here writes into it.
  ok = ok && TIFFWriteEncodedStrip(tif_.get(), 0, const_cast<uint8_t*>(strip.data()),
                                   static_cast<tmsize_t>(strip.size())) == static_cast<tmsize_t>(strip.size());
  ok = ok && TIFFWriteDirectory(tif_.get()) == 1;
  if (!ok) {
    // A short write leaves a damaged file: the document is given up rather than reported as written.
    writeFailed_ = true;
    error_ = errno ? platform::SystemErrorText(errno) : "libtiff could not write the page";
    return false;
  }
  ++pagesWritten_;
  return true;
}

bool FaxTiffWriter::Finish() {
  if (!output_) return false;
  bool ok = tif_ != nullptr && !writeFailed_;
  if (ok && pagesWritten_ == 0) {
    error_ = "no page of the job could be drawn";
    ok = false;
  }
  if (tif_) {
    errno = 0;
    if (TIFFFlush(tif_.get()) != 1 && ok) {
      error_ = errno ? platform::SystemErrorText(errno) : "libtiff could not finish the file";
      ok = false;
    }
    tif_.reset();
  }
  renderer_.Release();
  if (ok && !output_->Commit()) {
    error_ = output_->Error();
    ok = false;
  }
  Release();
  return ok;
}

namespace {

// A page drawn and captured on one of the threads, with what the document must say about it.
struct DrawnFaxPage {
  JobPage page;  // its metafile is dropped once drawn; the damage is kept
  bool captured = false;
  std::string error;
  std::optional<std::string> damage;
  FaxStrip strip;
};

}  // namespace

bool WriteTiffDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job,
                       const FaxTiffOptions& options, WriteContext& context) {
  // The page table holds at most kMaxSpoolPages pages, whatever the record says.
  const int pageCount = std::clamp(job.pageCount, 0, kMaxSpoolPages);
  const int threads = std::clamp(context.threads, 1, std::max(1, pageCount));
  // In job mode one temporary page name for each thread; without them no page can be extracted: no
  // document. (The converter reads the pages straight from the spool file.)
  PageFileNames tempNames;
  if (!tempNames.Reserve(threads, context.jobMode)) {
    context.report.NotWritten(0, outputPath, "no temporary file for the pages in " + platform::TempDirectory());
    return false;
  }

  FaxTiffWriter writer;
  if (!writer.OpenFile(outputPath, options, pageCount)) {
    context.report.NotWritten(0, outputPath, writer.Error());
    return false;
  }

  auto makeDrawer = [&] {
    const std::string tempName = tempNames.Take();
    auto own = std::make_shared<SpoolJob>(job);  // extraction notes its page file in the job record
    auto renderer = std::make_shared<FaxPageRenderer>();
    const bool ready = renderer->Open(options.settings);
    return [&spoolPath, jobMode = context.jobMode, tempName, own, renderer, ready](int k) {
      DrawnFaxPage drawn;
      drawn.page = LoadJobPage(spoolPath, tempName, k, *own, jobMode);
      if (!drawn.page.metafile) return drawn;
      if (!ready) {
        drawn.error = "not enough memory for the fax page";
      } else {
        renderer->BeginPage();
        const bool playedToEnd = renderer->PlayPage(*drawn.page.metafile);
        drawn.captured = renderer->Capture(drawn.strip);
        if (!drawn.captured) drawn.error = "not enough memory to capture the page";
        drawn.damage = MetafileDamage(*drawn.page.metafile);
        if (!drawn.damage && !playedToEnd) drawn.damage = kPlaybackStoppedReason;
      }
      drawn.page.metafile.reset();
      return drawn;
    };
  };

  bool failed = false;
  DrawPagesInOrder<DrawnFaxPage>(pageCount, threads, makeDrawer, [&](int k, DrawnFaxPage& drawn) {
    if (!drawn.page.extracted) {  // the page gets no image
      context.report.NotWritten(k, outputPath, kPageNotExtractedReason);
    } else if (!drawn.page.unreadableReason.empty()) {
      context.report.Unreadable(k, outputPath, drawn.page.unreadableReason);
    } else if (!drawn.captured) {
      context.report.NotWritten(k, outputPath, drawn.error);
    } else if (writer.WritePage(k - 1, drawn.strip.Bytes())) {
      if (drawn.damage) context.report.Damaged(k, outputPath, *drawn.damage);
    } else {
      failed = true;
    }
    if (context.pageDone) context.pageDone(k);
    return !failed;
  });
  if (!writer.Finish() || failed) {
    context.report.NotWritten(0, outputPath, writer.Error());
    return false;
  }
  return true;
}

bool WriteTiffDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job,
                       WriteContext& context) {
  FaxTiffOptions options;
  options.settings = ReadTiffSettings(context.readSetting);
  options.readSetting = context.readSetting;
  return WriteTiffDocument(spoolPath, outputPath, job, options, context);
}

}  // namespace velto
