#include "documents/pdf_writer.h"

#include <cairo-pdf.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "documents/document_writers.h"
#include "documents/pdf_page_size.h"
#include "platform/emf/player.h"
#include "raster/page_rasterizer.h"
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

void RemoveFile(const std::string& path) {
  if (!path.empty()) ::unlink(path.c_str());
}

}  // namespace

PdfDocumentWriter::PdfDocumentWriter() = default;

PdfDocumentWriter::~PdfDocumentWriter() { Release(); }

void PdfDocumentWriter::Release() {
  pdf_.reset();
  output_.reset();  // removes an unfinished temporary file
}

bool PdfDocumentWriter::Open(const std::string& outputPath) {
  Release();
  pagesPlaced_ = 0;
  failed_ = false;
  output_ = std::make_unique<ReplacingOutputFile>(outputPath);
  if (!output_->Create()) {
    output_.reset();
    return false;
  }
  pdf_.reset(cairo_pdf_surface_create(output_->TempPath().c_str(), kA4Width, kA4Height));
  if (cairo_surface_status(pdf_.get()) != CAIRO_STATUS_SUCCESS) {
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
  if (failed_) return false;
  ++pagesPlaced_;
  return true;
}

bool PdfDocumentWriter::Finish() {
  if (!output_ || !pdf_) return false;
  cairo_surface_finish(pdf_.get());
  bool ok = !failed_ && pagesPlaced_ > 0 && cairo_surface_status(pdf_.get()) == CAIRO_STATUS_SUCCESS;
  pdf_.reset();
  ok = ok && output_->Commit();
  Release();
  return ok;
}

bool WritePdfDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job) {
  std::string tempName;
  // Without a temporary page name no page can be extracted: no document.
  if (!MakeTempPageName(tempName)) return false;
  PdfDocumentWriter writer;
  if (!writer.Open(outputPath)) {
    RemoveFile(tempName);
    return false;
  }
  PageSurface surface;
  bool ok = true;
  // The page table holds at most kMaxSpoolPages pages, whatever the record says.
  const int pageCount = std::clamp(job.pageCount, 0, kMaxSpoolPages);
  for (int k = 1; k <= pageCount && ok; ++k) {
    if (!ExtractPage(spoolPath, tempName, k, job)) continue;  // the PDF gets no page for it
    if (auto metafile = emf::Metafile::Load(job.pageFile)) {
      if (!surface.Valid()) {
        // Made at the first page that reaches rendering; it keeps that size for the whole job, and every
        // page is drawn and placed at the surface's size.
        const PdfPageDimensions size = PdfPageSize();
        ok = CreatePageSurface(static_cast<int>(std::trunc(size.width)), static_cast<int>(std::trunc(size.height)),
                               true, surface);
      }
      if (ok) {
        const int w = surface.bitmap->Width();
        const int h = surface.bitmap->Height();
        surface.bitmap->FillRect(emf::RectL{0, 0, w, h}, surface.fillBrush);
        // Stretched over the whole page image, without margin and without keeping the proportions.
        emf::PlayMetafile(*surface.bitmap, *metafile, emf::RectL{0, 0, w, h});
        // Always at 24 bits: the image is RGB whatever the display's depth.
        PackedPageBitmap image;
        const uint32_t size = ReadPageBitmap(surface, 24, image);
        if (size != 0) ok = writer.PlacePage(std::span<const uint8_t>(image.FirstRow(), size), w, h);
      }
    }
    RemoveFile(job.pageFile);
  }
  ReleasePageSurface(surface);
  RemoveFile(job.pageFile);
  RemoveFile(tempName);
  return writer.Finish() && ok;
}

}  // namespace velto
