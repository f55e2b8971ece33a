#pragma once
// velto-convert: converts an EMF spool file or a single enhanced metafile into the format that the
// output path's extension names, with the same writers and page naming as job mode, but without its
// side effects: the input is never changed or deleted, nothing is launched or opened.
//
//   velto-convert [OPTION]... INPUT... OUTPUT
//   velto-convert [OPTION]... --batch LIST
//
// Exit status: 0 everything written whole; 1 an input rejected, or a page or document not written or
// damaged; 2 a usage error.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/page_selection.h"
#include "job/writer_table.h"

namespace velto {

inline constexpr int kConvertOk = 0;
inline constexpr int kConvertFailed = 1;
inline constexpr int kConvertUsage = 2;

// `arguments` without the program name. Status lines of --batch go to `out`, messages to `err`.
int RunVeltoConvert(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

struct ConvertOptions {
  std::optional<PageSelection> pages;  // --pages: only these, counted over all inputs
  std::optional<int> dpi;              // --dpi: raster pages at N dpi from their frames
  std::optional<std::string> format;   // --format: the format whatever the output's extension
  int jobs = 1;                        // -j: pages (or batch jobs) at once
  bool progress = false;               // a progress line on `err` (a terminal)
};

// Converts the inputs (their pages in order) into one output; messages name the file and page.
int ConvertFiles(const std::vector<std::string>& inputs, const std::string& output, const ConvertOptions& options,
                 std::ostream& err);
// One input, every page, one page at a time.
int ConvertFile(const std::string& input, const std::string& output, std::ostream& err, bool progress);

// The writer of an output: the one --format names, else the one of its extension (.jpeg and .tiff too);
// none when it names no format.
std::optional<WriterRow> OutputWriter(const std::string& output, const std::optional<std::string>& format);

// Splits one line of a batch list into its paths: blanks separate, double or single quotes group.
std::vector<std::string> SplitBatchLine(const std::string& line);

}  // namespace velto
