#pragma once
// The steps that the BMP, JPEG, PNG and GIF page writers share: page k is extracted from the spool file,
// drawn with the standard page geometry and named by the page-file rule; then its file is written in
// one piece (under a temporary name, renamed into place when complete), and whatever went wrong on the
// way is reported with the page number and the reason.

#include <functional>
#include <string>

#include "raster/extracted_page.h"
#include "raster/page_rasterizer.h"
#include "spool/page_extraction.h"
#include "spool/spool_job.h"
#include "spool/write_report.h"

namespace velto {

class RasterPageOutput {
 public:
  RasterPageOutput() = default;
  // The page's surface is kept for the thread's next page.
  ~RasterPageOutput();
  RasterPageOutput(const RasterPageOutput&) = delete;
  RasterPageOutput& operator=(const RasterPageOutput&) = delete;

  // Writes a complete file at `path`; false on failure, with the system's errno in `systemError` (0 when
  // there is none) and, where the encoder has words of its own, `reason`.
  using Encoder = std::function<bool(const std::string& path, int& systemError, std::string& reason)>;

  // Extracts and draws page `page` of the job. False when the page cannot be drawn (reported).
  bool Prepare(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job, bool colour,
               WriteContext& context);
  RenderedPage& Rendered() { return rendered_; }
  const std::string& File() const { return file_; }

  // Writes the page's file through `encode` and reports the outcome: damaged when the page's metafile
  // was, not written (with the reason) when the file could not be written. True when the file is in place.
  bool Write(WriteContext& context, const Encoder& encode);
  // Reports the page as not written for a reason found before the encoder ran (a failed read-out).
  bool Fail(WriteContext& context, const std::string& reason);
  // True after a Write that could not open its file: the folder is missing or not writable, or the
  // name is a folder.
  bool CouldNotOpen() const { return couldNotOpen_; }

 private:
  int page_ = 0;
  bool couldNotOpen_ = false;
  std::string file_;
  ExtractedPage extracted_;
  RenderedPage rendered_;
};

}  // namespace velto
