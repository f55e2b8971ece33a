#pragma once
// Writes EMF spool files (MS-EMFSPOOL) as the print spooler records a job: the header record with the
// document and device names, then per page an EMRI_METAFILE_DATA record holding the page's metafile and
// an EMRI_METAFILE_EXT record pointing back at it.

#include <cstdint>
#include <fstream>
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

// The same file written page by page, so that a long job never has to be held in memory whole.
class SpoolFileStream {
 public:
  // False when the file cannot be created.
  bool Open(const std::string& path, const SpoolFileOptions& options = {});
  bool AddPage(std::span<const uint8_t> metafile);
  // Where the next page's metafile will start in the file (behind its 8-byte record prefix).
  uint64_t NextMetafileOffset() const { return written_ + 8; }
  // Flushes and closes; false when anything could not be written.
  bool Close();

 private:
  std::ofstream file_;
  uint64_t written_ = 0;
};

}  // namespace velto
