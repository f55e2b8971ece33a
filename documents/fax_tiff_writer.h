#pragma once
// The multi-page fax TIFF: every page drawn onto one 1728 × 2200 surface, made black and white (dithered
// or drawn directly in black and white) or kept in colour, and appended as one TIFF directory.

#include <tiffio.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "documents/fax_page_renderer.h"
#include "documents/tiff_settings.h"
#include "platform/replacing_output_file.h"
#include "platform/emf/metafile.h"
#include "raster/page_rasterizer.h"
#include "spool/spool_job.h"
#include "spool/write_report.h"

namespace velto {

struct FaxTiffOptions {
  TiffSettings settings;
  // FillOrder tag value (1 or 2); without a value `fillorder` is read with `readSetting` for every page.
  std::optional<int> fillOrder;
  SettingReader readSetting;
};

// One fax TIFF document, page by page. Pages that get no image get no directory, so the file always
// holds exactly the pages that were written; nothing is left at the output path unless Finish succeeds.
class FaxTiffWriter {
 public:
  FaxTiffWriter();
  ~FaxTiffWriter();
  FaxTiffWriter(const FaxTiffWriter&) = delete;
  FaxTiffWriter& operator=(const FaxTiffWriter&) = delete;

  // Opens the document for a job of `pageCount` pages and makes the page surface (colour unless a
  // bilevel mode draws directly in black and white). False when the file or the surface cannot be made.
  bool Open(const std::string& outputPath, const FaxTiffOptions& options, int pageCount);
  // Opens the document only; the pages come drawn and captured by renderers of the caller's (WritePage).
  bool OpenFile(const std::string& outputPath, const FaxTiffOptions& options, int pageCount);

  // Clears the surface to white for the next page; the caller then draws onto Surface().
  void BeginPage();
  platform::PageCanvas& Surface();
  // Plays a page's metafile stretched over the whole fax page; false when the playback stopped before
  // the end of the metafile.
  bool PlayPage(const emf::Metafile& metafile);
  // Captures the drawn page and writes it as the directory of page `pageIndex` (zero-based page of the
  // job). False when the page got no image.
  bool FinishPage(int pageIndex);
  // Writes a captured page as the directory of page `pageIndex`. False when the file could not take it
  // (the document is then given up: WriteFailed).
  bool WritePage(int pageIndex, std::span<const uint8_t> strip);

  // Closes the file and puts it in place. True when at least one page was written and libtiff reported
  // no error on the way; otherwise nothing is left at the output path.
  bool Finish();
  int PagesWritten() const { return pagesWritten_; }
  // Why Open, FinishPage or Finish failed.
  const std::string& Error() const { return error_; }
  // True once writing to the file failed: the document is given up.
  bool WriteFailed() const { return writeFailed_; }

 private:
  struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
  };
  void Release();

  FaxTiffOptions options_;
  int pageCount_ = 0;
  std::unique_ptr<platform::ReplacingOutputFile> output_;
  std::unique_ptr<TIFF, TiffCloser> tif_;
  FaxPageRenderer renderer_;  // for the pages drawn through BeginPage … FinishPage
  int pagesWritten_ = 0;
  bool writeFailed_ = false;
  std::string error_;
};

// Writes the whole job as one fax TIFF, with the settings file's choices or the given ones, drawing
// `context.threads` pages at once. True when the document was written; pages that got no image and pages
// drawn from a damaged metafile are reported in the context.
bool WriteTiffDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job,
                       const FaxTiffOptions& options, WriteContext& context);

}  // namespace velto
