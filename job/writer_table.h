#pragma once
// The writer table: the output path's extension (from its last ".") picks the writer, compared without
// case, first match wins. The functions behind the rows can be put aside for tests.

#include <functional>
#include <optional>
#include <string>

#include "spool/spool_job.h"
#include "spool/write_report.h"

namespace velto {

enum class WriterKind { PerPage, Document };
enum class WriterId { Emf, Bmp, Tiff, Jpeg, Gif, Pdf, Text, Png };

struct WriterRow {
  const char* extension;  // dot included, as compared
  int format;             // OutputFormat
  WriterKind kind;
  WriterId id;
};

// The text from the last "." of the path to its end, dot included; empty when there is no ".".
std::string OutputExtension(const std::string& outputPath);
// The row for the output path's extension, or none: nothing is written for it.
std::optional<WriterRow> FindWriter(const std::string& outputPath);
// All rows in the order they are tested.
const WriterRow* WriterRows(size_t& count);

// The functions that do the writing.
struct WriterSet {
  // Every writer reports in the context what it could not write and which pages it drew from a damaged
  // metafile; true means its file (or document) is in place.
  using PageWriter = std::function<bool(const std::string& spoolPath, const std::string& outputPath, int k,
                                        SpoolJob& job, WriteContext& context)>;
  using DocumentWriter = std::function<bool(const std::string& spoolPath, const std::string& outputPath,
                                            SpoolJob& job, WriteContext& context)>;
  PageWriter bmp, jpeg, gif, png;
  DocumentWriter tiff, pdf;
  std::function<bool(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job, int textcode,
                     WriteContext& context)>
      text;
  // EMF pages are extracted by the dispatch itself and handed to the EMF writer.
  std::function<bool(std::string& name)> makeTempPageName;
  std::function<bool(const std::string& spoolPath, const std::string& tempName, int k, SpoolJob& job)>
      extractPage;
  std::function<bool(const std::string& pageFile, std::string& outputName, int k, const SpoolJob& job,
                     WriteContext& context)>
      emf;
};

// The real writers.
const WriterSet& SystemWriters();
// The writers in use: the real ones unless a test has set others.
const WriterSet& CurrentWriters();
void SetWriters(const WriterSet* writers);  // nullptr restores the real ones; the caller keeps ownership

class ScopedWriters {
 public:
  explicit ScopedWriters(const WriterSet& writers) { SetWriters(&writers); }
  ~ScopedWriters() { SetWriters(nullptr); }
  ScopedWriters(const ScopedWriters&) = delete;
  ScopedWriters& operator=(const ScopedWriters&) = delete;
};

}  // namespace velto
