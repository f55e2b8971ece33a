#pragma once
// The inputs of velto-convert made ready to convert: an EMF spool file is read as it is, a lone enhanced
// metafile is wrapped into a one-page job, standard input ("-") is saved to a temporary file first. When
// the pages to convert are not exactly one input's pages in order (several inputs, --pages), they are
// written as one job into a temporary spool file, page by page.

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/temporary_file.h"
#include "spool/spool_job.h"

namespace velto {

struct ConvertInput {
  std::string name;       // as given; "-" for standard input
  std::string spoolPath;  // the spool file that holds the input's job
  std::unique_ptr<SpoolJob> job = std::make_unique<SpoolJob>();
  TemporaryFile saved;    // standard input, kept while it is converted
  TemporaryFile wrapped;  // a lone metafile's one-page job
};

// False with the reason in `error` (the input is a folder, cannot be read, is no print job, ...).
bool PrepareInput(const std::string& input, ConvertInput& prepared, std::string& error);

// One page of the output: which input, and which of its pages.
using PageSource = std::pair<size_t, int>;

// Writes the pages into `combined` as one job and records where each page starts in `job`. Each page
// keeps its bytes as the input holds them, so a damaged page stays damaged. The page table is the one
// written, not found by a scan: pages of different recorders have headers of different sizes, which a
// scan for the first page's header would not find. False with the reason in `error`.
bool CombinePages(const std::vector<ConvertInput>& inputs, const std::vector<PageSource>& pages, TemporaryFile& combined,
                  SpoolJob& job, std::string& error);

}  // namespace velto
