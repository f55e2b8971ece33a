#pragma once
// The job record: how many pages a spool file holds and where each page's metafile starts.

#include <array>
#include <cstdint>
#include <string>

namespace velto {

inline constexpr int kMaxSpoolPages = 4999;     // capacity of the page table
inline constexpr size_t kPageFileChars = 256;   // a page file name and its terminator must fit

struct SpoolJob {
  int32_t pageCount = 0;
  // Slot k (1 ≤ k ≤ pageCount) is the file offset of page k's metafile header; slot 0 is never used.
  // Offsets are 64-bit so that spool files beyond 2 GiB keep their true offsets.
  std::array<int64_t, kMaxSpoolPages + 1> pageOffset{};
  // The page file that page extraction wrote most recently; empty after reading the job.
  std::string pageFile;
};

}  // namespace velto
