#pragma once
// Converting a read job into the output that the output path's extension names. Shared by job mode
// (which adds the after-save launches, the opening of the result and the spool file's fate) and by
// velto-convert (which adds none of them).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "job/writer_table.h"
#include "spool/spool_job.h"
#include "spool/write_report.h"

namespace velto {

struct ConversionCallbacks {
  // The after-page step of a one-file-per-page format: after every page whose writer was called (for
  // EMF only when the page could be extracted), written or not.
  std::function<void(int k)> afterPage;
  // After a document format's writer reported the document written.
  std::function<void(const WriterRow& writer)> afterDocument;
  // Before page k of n of a one-file-per-page format; once with k = 0 before a document is written.
  std::function<void(int k, int n)> progress;
  // After each page of either kind is dealt with (written or not): how many are done of n, and the
  // file it went to. Called from one thread at a time.
  std::function<void(int done, int n, const std::string& file)> pageDone;
};

struct ConversionOptions {
  // The writers behave as in job mode (message boxes, the program's name buffers).
  bool jobMode = true;
  // The writer to use; none: the one the output path's extension names in the writer table.
  std::optional<WriterRow> writer;
  // Raster pages at this many dots per inch from their frames (BMP, JPEG, PNG, GIF).
  std::optional<int> dpi;
  // Pages of a one-file-per-page format converted at once. The files are the same whatever the number;
  // the after-page steps of job mode need 1.
  int threads = 1;
};

struct ConversionResult {
  std::optional<WriterRow> writer;  // none: no writer for the extension, nothing was written
  int pageCount = 0;
  std::vector<int> failedPages;     // one-file-per-page formats: the pages not written
  bool documentWritten = false;     // document formats
  // Everything that went wrong, with the page and the reason: pages not written, pages drawn from a
  // damaged metafile, a document not written.
  WriteReport report;

  bool AnythingWritten() const;
  // True only when every page and document was written whole: nothing failed and nothing was damaged.
  bool AllWritten() const;
};

ConversionResult ConvertPages(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job,
                              const ConversionCallbacks& callbacks, const ConversionOptions& options = {});

// One line for a problem, naming the file and the page (of `source`, when given):
// "out_002.png: page 2 of job.spl is damaged, written as far as it goes: its metafile is cut short …".
std::string DescribeProblem(const WriteProblem& problem, const std::string& source = "");

}  // namespace velto
