#pragma once
// The PDF document: one page per printed page, each page exactly the size of its page image at one
// point per pixel, the image an RGB picture that covers it, losslessly compressed.

#include <cairo.h>

#include <memory>
#include <span>
#include <string>

#include "documents/dib_image.h"
#include "platform/replacing_output_file.h"
#include "spool/spool_job.h"
#include "spool/stdio_file.h"

namespace velto {

class PdfDocumentWriter {
 public:
  PdfDocumentWriter();
  ~PdfDocumentWriter();
  PdfDocumentWriter(const PdfDocumentWriter&) = delete;
  PdfDocumentWriter& operator=(const PdfDocumentWriter&) = delete;

  // Starts the document; false when the output file cannot be made.
  bool Open(const std::string& outputPath);
  // Adds a page of width × height points showing the 24-bit bottom-up page image `rows`. False when the
  // image cannot be made or the PDF library reported an error (the document is then given up).
  bool PlacePage(std::span<const uint8_t> rows, int width, int height);
  // Finishes the file and puts it in place. True when at least one page was placed and the library
  // reported no error; otherwise nothing is left at the output path.
  bool Finish();
  int PagesPlaced() const { return pagesPlaced_; }
  bool Failed() const { return failed_; }
  // Why Open, PlacePage or Finish failed.
  const std::string& Error() const { return error_; }

 private:
  void Release();
  void NoteLibraryError();
  static cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length);

  std::unique_ptr<platform::ReplacingOutputFile> output_;
  StdioFile file_;
  int writeError_ = 0;  // errno of the first failed write into the file
  CairoSurfacePtr pdf_;
  int pagesPlaced_ = 0;
  bool failed_ = false;
  std::string error_;
};

}  // namespace velto
