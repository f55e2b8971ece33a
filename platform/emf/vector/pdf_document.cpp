#include "vector/pdf_document.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>

#include "playback/cairo_handles.h"
#include "vector/pdf_device.h"

namespace velto::emf::vector {

using playback::CairoPtr;
using playback::CairoSurfacePtr;

namespace {

constexpr double kMaxPagePoints = 14400;  // 200 inches, PDF's own limit for a page side

struct Output {
  PdfDocument::Writer writer;
  bool failed = false;
};

cairo_status_t WriteBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* output = static_cast<Output*>(closure);
  if (output->failed) return CAIRO_STATUS_WRITE_ERROR;
  if (!output->writer || !output->writer(std::span<const uint8_t>(data, length))) {
    output->failed = true;
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

struct PdfDocument::State {
  Output output;
  bool finished = false;
  int pages = 0;
  // Fonts before the surface: the surface, destroyed first, still refers to the fonts' faces.
  PdfFontFaces fonts;
  CairoSurfacePtr surface;

  bool Failed() const {
    return output.failed || (surface && cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS);
  }
};

PdfDocument::PdfDocument(Writer writer) : state_(std::make_unique<State>()) { state_->output.writer = std::move(writer); }

PdfDocument::~PdfDocument() {
  // An unfinished document is abandoned: nothing more goes to the writer.
  if (state_->surface && !state_->finished) state_->output.failed = true;
}

int PdfDocument::Pages() const { return state_->pages; }

bool PdfDocument::Failed() const { return state_->Failed(); }

bool PdfDocument::Finish() {
  if (state_->finished) return false;
  state_->finished = true;
  if (!state_->surface) return false;
  cairo_surface_finish(state_->surface.get());
  return state_->pages > 0 && !state_->Failed();
}

bool PlayMetafileToPdfPage(PdfDocument& document, const Metafile& metafile, double widthPoints, double heightPoints,
                           double dotsPerInch, const PlaybackOptions& options) {
  PdfDocument::State& state = *document.state_;
  if (state.finished || state.Failed()) return false;
  if (!(widthPoints >= 1 && widthPoints <= kMaxPagePoints && heightPoints >= 1 && heightPoints <= kMaxPagePoints))
    return false;
  if (!(dotsPerInch >= 72 && dotsPerInch <= 2400)) return false;
  if (!state.surface) {
    state.surface.reset(cairo_pdf_surface_create_for_stream(WriteBytes, &state.output, widthPoints, heightPoints));
    if (cairo_surface_status(state.surface.get()) != CAIRO_STATUS_SUCCESS) return false;
  } else {
    cairo_pdf_surface_set_size(state.surface.get(), widthPoints, heightPoints);
  }
  const double pointsPerPixel = 72.0 / dotsPerInch;
  const int width = static_cast<int>(std::ceil(widthPoints / pointsPerPixel));
  const int height = static_cast<int>(std::ceil(heightPoints / pointsPerPixel));
  bool complete;
  {
    CairoPtr cr(cairo_create(state.surface.get()));
    cairo_scale(cr.get(), pointsPerPixel, pointsPerPixel);
    {
      PdfDevice device(cr.get(), width, height, state.fonts);
      complete = PlayMetafile(device, metafile, RectL{0, 0, width, height}, options);
    }
    cairo_show_page(cr.get());
  }
  ++state.pages;
  return complete && !state.Failed();
}

}  // namespace velto::emf::vector
