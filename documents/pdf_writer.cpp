#include "documents/pdf_writer.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "documents/document_writers.h"
#include "documents/job_page.h"
#include "documents/pages_in_order.h"
#include "documents/pdf_page_size.h"
#include "raster/page_rasterizer.h"
#include "platform/windows_directory.h"
#include "spool/metafile_damage.h"
#include "spool/page_extraction.h"

namespace velto {
namespace {

struct CairoDestroyer {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};
using CairoPtr = std::unique_ptr<cairo_t, CairoDestroyer>;

// The page starts at A4 in points; every placed page sets its own size.
constexpr double kA4Width = 595;
constexpr double kA4Height = 842;

}  // namespace

PdfDocumentWriter::PdfDocumentWriter() = default;

PdfDocumentWriter::~PdfDocumentWriter() { Release(); }

void PdfDocumentWriter::Release() {
  pdf_.reset();
  file_.reset();
  output_.reset();  // removes an unfinished temporary file
}

// Cairo's output goes through here, so that a failed write keeps the system's reason.
cairo_status_t PdfDocumentWriter::WriteToFile(void* closure, const unsigned char* data, unsigned int length) {
  auto* writer = static_cast<PdfDocumentWriter*>(closure);
  if (writer->writeError_ != 0 || !writer->file_) return CAIRO_STATUS_WRITE_ERROR;
  if (std::fwrite(data, 1, length, writer->file_.get()) != length) {
    writer->writeError_ = errno ? errno : EIO;
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

void PdfDocumentWriter::NoteLibraryError() {
  if (!error_.empty()) return;
  if (writeError_ != 0) {
    error_ = platform::SystemErrorText(writeError_);
  } else if (pdf_) {
    error_ = std::string("[cairo] ") + cairo_status_to_string(cairo_surface_status(pdf_.get()));
  } else {
    error_ = "the PDF library failed";
  }
}

bool PdfDocumentWriter::Open(const std::string& outputPath) {
  Release();
  pagesPlaced_ = 0;
  failed_ = false;
  writeError_ = 0;
  error_.clear();
  output_ = std::make_unique<platform::ReplacingOutputFile>(outputPath);
  if (!output_->Create()) {
    error_ = output_->Error();
    output_.reset();
    return false;
  }
  file_ = OpenStdioFile(output_->TempPath(), "wb");
  if (!file_) {
    error_ = platform::SystemErrorText(errno);
    Release();
    return false;
  }
  pdf_.reset(cairo_pdf_surface_create_for_stream(&PdfDocumentWriter::WriteToFile, this, kA4Width, kA4Height));
  if (cairo_surface_status(pdf_.get()) != CAIRO_STATUS_SUCCESS) {
    NoteLibraryError();
    Release();
    return false;
  }
  return true;
}

bool PdfDocumentWriter::PlacePage(std::span<const uint8_t> rows, int width, int height) {
  if (!pdf_ || failed_) return false;
  CairoSurfacePtr image = OpenDibImage(rows, width, height);
  if (!image) {
    failed_ = true;
    error_ = "not enough memory for the page image";
    return false;
  }
  // The page is exactly the image: one point per pixel, the image's edges on the page's edges.
  cairo_pdf_surface_set_size(pdf_.get(), width, height);
  {
    CairoPtr cr(cairo_create(pdf_.get()));
    cairo_set_source_surface(cr.get(), image.get(), 0, 0);
    // Pixels as they are, without smoothing when a viewer enlarges the page.
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_NEAREST);
    cairo_paint(cr.get());
    cairo_show_page(cr.get());
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) failed_ = true;
  }
  // The image data has been written into the document; its memory goes with the page.
  cairo_surface_finish(image.get());
  if (cairo_surface_status(pdf_.get()) != CAIRO_STATUS_SUCCESS) failed_ = true;
  if (failed_) {
    NoteLibraryError();
    return false;
  }
  ++pagesPlaced_;
  return true;
}

bool PdfDocumentWriter::Finish() {
  if (!output_ || !pdf_) return false;
  cairo_surface_finish(pdf_.get());
  bool ok = !failed_;
  if (ok && cairo_surface_status(pdf_.get()) != CAIRO_STATUS_SUCCESS) {
    NoteLibraryError();
    ok = false;
  }
  if (ok && pagesPlaced_ == 0) {
    error_ = "no page of the job could be drawn";
    ok = false;
  }
  pdf_.reset();
  if (ok && (std::fflush(file_.get()) != 0 || std::ferror(file_.get()))) {
    error_ = platform::SystemErrorText(errno);
    ok = false;
  }
  if (ok && std::fclose(file_.release()) != 0) {
    error_ = platform::SystemErrorText(errno);
    ok = false;
  }
  if (ok && !output_->Commit()) {
    error_ = output_->Error();
    ok = false;
  }
  Release();
  return ok;
}

namespace {

// A page drawn and read out on one of the threads, with what the document must say about it.
struct DrawnPdfPage {
  JobPage page;  // its metafile is dropped once drawn; the damage is kept
  std::string error;
  std::optional<std::string> damage;
  PackedPageBitmap image;
  uint32_t imageSize = 0;
  int width = 0;
  int height = 0;
};

}  // namespace

bool WritePdfDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job,
                      WriteContext& context) {
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

  PdfDocumentWriter writer;
  if (!writer.Open(outputPath)) {
    context.report.NotWritten(0, outputPath, writer.Error());
    return false;
  }
  // Every page is drawn and placed at one size, the page size of the display, whichever page comes first.
  const PdfPageDimensions pageSize = PdfPageSize();
  const int width = static_cast<int>(std::trunc(pageSize.width));
  const int height = static_cast<int>(std::trunc(pageSize.height));

  auto makeDrawer = [&] {
    const std::string tempName = tempNames.Take();
    auto own = std::make_shared<SpoolJob>(job);  // extraction notes its page file in the job record
    auto surface = std::make_shared<PageSurface>();
    return [&spoolPath, jobMode = context.jobMode, tempName, own, surface, width, height](int k) {
      DrawnPdfPage drawn;
      drawn.page = LoadJobPage(spoolPath, tempName, k, *own, jobMode);
      if (!drawn.page.metafile) return drawn;
      // Made at the first page that reaches rendering, and kept for the thread's later pages.
      if (!surface->Valid() && !CreatePageSurface(width, height, true, *surface)) {
        drawn.error = "not enough memory for the page surface";
        return drawn;
      }
      const int w = surface->bitmap->Width();
      const int h = surface->bitmap->Height();
      surface->bitmap->FillRect(emf::RectL{0, 0, w, h}, surface->fillBrush);
      // Stretched over the whole page image, without margin and without keeping the proportions.
      const bool playedToEnd = surface->bitmap->Play(*drawn.page.metafile, emf::RectL{0, 0, w, h});
      // Always at 24 bits: the image is RGB whatever the display's depth.
      drawn.imageSize = ReadPageBitmap(*surface, 24, drawn.image);
      if (drawn.imageSize == 0) drawn.error = "not enough memory to read the page out";
      drawn.width = w;
      drawn.height = h;
      drawn.damage = MetafileDamage(*drawn.page.metafile);
      if (!drawn.damage && !playedToEnd) drawn.damage = kPlaybackStoppedReason;
      drawn.page.metafile.reset();
      return drawn;
    };
  };

  bool ok = true;
  std::string failure;
  DrawPagesInOrder<DrawnPdfPage>(pageCount, threads, makeDrawer, [&](int k, DrawnPdfPage& drawn) {
    if (!drawn.page.extracted) {  // the PDF gets no page for it
      context.report.NotWritten(k, outputPath, kPageNotExtractedReason);
    } else if (!drawn.page.unreadableReason.empty()) {
      context.report.Unreadable(k, outputPath, drawn.page.unreadableReason);
    } else if (drawn.width == 0) {  // no surface: no page can be drawn
      failure = drawn.error;
      ok = false;
    } else if (drawn.imageSize == 0) {
      context.report.NotWritten(k, outputPath, drawn.error);
    } else if (writer.PlacePage(std::span<const uint8_t>(drawn.image.FirstRow(), drawn.imageSize), drawn.width,
                                drawn.height)) {
      if (drawn.damage) context.report.Damaged(k, outputPath, *drawn.damage);
    } else {
      ok = false;
    }
    if (context.pageDone) context.pageDone(k);
    return ok;
  });
  const bool finished = writer.Finish();
  if (!finished || !ok) {
    context.report.NotWritten(0, outputPath, !failure.empty() ? failure : writer.Error());
    return false;
  }
  return true;
}

}  // namespace velto
