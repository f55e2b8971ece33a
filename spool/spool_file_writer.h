#pragma once
// Writes EMF spool files (MS-EMFSPOOL) as the print spooler records a job: the header record with the
// document and device names, then per page an EMRI_METAFILE_DATA record holding the page's metafile and
// an EMRI_METAFILE_EXT record pointing back at it.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velto {

struct SpoolFileOptions {
  std::u16string documentName = u"Document";
  std::u16string deviceName = u"Velto Print";
  bool devModeFirst = false;  // an EMRI_DEVMODE record before the first page
};

std::vector<uint8_t> MakeSpoolFile(std::span<const std::vector<uint8_t>> pages, const SpoolFileOptions& options = {});
// Writes the spool file to `path`; false when it cannot be written.
bool WriteSpoolFile(const std::string& path, std::span<const std::vector<uint8_t>> pages,
                    const SpoolFileOptions& options = {});

}  // namespace velto
