#pragma once
// Spool files and pages built for the spool tests.

#include <cstdint>
#include <string>
#include <vector>

#include "spool/spool_file_writer.h"
#include "tests/support/test_support.h"

namespace velto::test {

// The smallest page: a metafile of its header and EOF.
inline std::vector<uint8_t> TinyPage() { return A4Recorder().Finish(); }

// Offset of the first page's metafile in a spool file from MakeSpoolFile: header size + 8.
inline uint32_t FirstPageOffset(const std::vector<uint8_t>& spool) {
  return (uint32_t{spool[4]} | uint32_t{spool[5]} << 8 | uint32_t{spool[6]} << 16 | uint32_t{spool[7]} << 24) + 8;
}

inline void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A one-page spool file whose page is `page`, with `page2` placed at exactly `secondAt` (zeros between).
inline std::vector<uint8_t> SpoolWithSecondPageAt(const std::vector<uint8_t>& page, const std::vector<uint8_t>& page2,
                                                  size_t secondAt) {
  std::vector<std::vector<uint8_t>> pages{page};
  auto bytes = MakeSpoolFile(pages);
  if (bytes.size() > secondAt) return {};
  bytes.resize(secondAt, 0);
  bytes.insert(bytes.end(), page2.begin(), page2.end());
  return bytes;
}

}  // namespace velto::test
