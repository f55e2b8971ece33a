#pragma once
// A PDF document whose pages are metafiles drawn as vectors: shapes as paths, bitmaps as images, text
// as searchable text in embedded font subsets (see vector/pdf_device.h for what cannot be drawn).
//
//   PdfDocument pdf([&](std::span<const uint8_t> bytes) { return Write(bytes); });
//   for (page...) PlayMetafileToPdfPage(pdf, metafile, 595.0, 842.0);
//   bool ok = pdf.Finish();

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "metafile.h"
#include "player.h"

namespace velto::emf::vector {

class PdfDocument;

// Adds a page of `widthPoints` × `heightPoints` (1/72 inch, at most 14400 a side) showing the
// metafile's picture frame stretched over the whole page. Coordinates are rounded to a grid of
// `dotsPerInch` (72 to 2400) as on a printer of that resolution. True when the page was added and the
// metafile played to its end.
bool PlayMetafileToPdfPage(PdfDocument& document, const Metafile& metafile, double widthPoints, double heightPoints,
                           double dotsPerInch = 600, const PlaybackOptions& options = {});

class PdfDocument {
 public:
  // Receives the document's bytes as they are made; false when they could not be written, which
  // fails the document.
  using Writer = std::function<bool(std::span<const uint8_t> bytes)>;

  explicit PdfDocument(Writer writer);
  ~PdfDocument();
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  int Pages() const;
  // Something went wrong: the PDF library reported an error or the writer refused bytes.
  bool Failed() const;
  // Writes the rest of the document. True when it has pages and nothing failed. Pages cannot be added
  // afterwards.
  bool Finish();

 private:
  struct State;
  friend bool PlayMetafileToPdfPage(PdfDocument&, const Metafile&, double, double, double, const PlaybackOptions&);
  std::unique_ptr<State> state_;
};

}  // namespace velto::emf::vector
