#include "spool/page_extraction.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/windows_directory.h"
#include "spool/stdio_file.h"

namespace velto {
namespace {

constexpr size_t kCopyBlockBytes = 2048;
constexpr int kNameAttempts = 100;

}  // namespace

bool MakeTempPageName(std::string& name) {
  name.clear();
  const std::string dir = platform::TempDirectory();
  if (dir.empty()) return false;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    char number[16];
    std::snprintf(number, sizeof number, "%X", platform::UniqueNumber());
    std::string candidate = dir + platform::kPathSeparator + "tmp" + number + ".tmp";
    // The name and its terminator must fit the page-file buffers.
    if (candidate.size() >= kPageFileChars) return false;
    // Created exclusively and kept, so that no other process can take the name before the page is
    // written into it.
    if (platform::CreateNewFile(candidate, true)) {
      name = std::move(candidate);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool ExtractPage(const std::string& spoolPath, const std::string& tempName, int k, SpoolJob& job) {
  if (tempName.empty() || tempName.size() >= kPageFileChars) return false;
  // A failed extraction gives the reserved name back, so that a skipped page leaves no empty file.
  auto fail = [&tempName] {
    platform::RemoveFile(tempName);
    return false;
  };
  if (k < 1 || k > job.pageCount) return fail();

  StdioFile spool = OpenStdioFile(spoolPath, "rb");
  if (!spool) return fail();
  if (!platform::SeekFile(spool.get(), 0, SEEK_END)) return fail();
  const int64_t fileSize = platform::TellFile(spool.get());
  if (fileSize < 0) return fail();

  const auto slot = static_cast<size_t>(k);
  const int64_t end = k < job.pageCount ? job.pageOffset[slot + 1] : fileSize;
  if (!platform::SeekFile(spool.get(), job.pageOffset[slot], SEEK_SET)) return fail();

  // Truncated when it exists (the reserved name); never followed through a planted link.
  StdioFile page = platform::OpenForWritingUnlinked(tempName);
  if (!page) return fail();

  // Whole blocks: the page file may carry up to 2047 bytes of what follows the page.
  std::array<uint8_t, kCopyBlockBytes> block;
  for (;;) {
    const size_t got = std::fread(block.data(), 1, block.size(), spool.get());
    if (got == 0) break;
    if (std::fwrite(block.data(), 1, got, page.get()) != got) return fail();
    const int64_t position = platform::TellFile(spool.get());
    if (position < 0 || position >= end || position >= fileSize) break;
  }
  // A page file that could not be written whole is no page file.
  if (std::ferror(spool.get()) || std::fclose(page.release()) != 0) return fail();
  job.pageFile = tempName;
  return true;
}

std::optional<emf::Metafile> ReadPageMetafile(const std::string& spoolPath, int k, const SpoolJob& job,
                                              bool& extracted, std::string& loadError) {
  extracted = false;
  loadError.clear();
  if (k < 1 || k > job.pageCount) return std::nullopt;
  StdioFile spool = OpenStdioFile(spoolPath, "rb");
  if (!spool || !platform::SeekFile(spool.get(), 0, SEEK_END)) return std::nullopt;
  const int64_t fileSize = platform::TellFile(spool.get());
  const auto slot = static_cast<size_t>(k);
  const int64_t start = job.pageOffset[slot];
  const int64_t end = k < job.pageCount ? job.pageOffset[slot + 1] : fileSize;
  if (fileSize < 0 || start < 0 || !platform::SeekFile(spool.get(), start, SEEK_SET)) {
    return std::nullopt;
  }
  // What the page file would hold: whole blocks from the page's start until one reaches its end.
  const int64_t blocks = std::max<int64_t>(1, (end - start + int64_t{kCopyBlockBytes} - 1) / int64_t{kCopyBlockBytes});
  const int64_t copied = std::clamp<int64_t>(fileSize - start, 0, blocks * int64_t{kCopyBlockBytes});

  // Then as the loader reads a file: the header, and only as many bytes as it claims.
  std::vector<uint8_t> bytes(static_cast<size_t>(std::min<int64_t>(copied, emf::kMinHeaderSize)));
  if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), spool.get()) != bytes.size()) return std::nullopt;
  extracted = true;
  auto header = emf::ParseMetafileHeader(bytes, &loadError);
  if (!header) return std::nullopt;
  const uint64_t want = std::max<uint64_t>(header->bytes, header->headerSize);
  if (want > emf::kMaxMetafileBytes) {
    loadError = "metafile is too large";
    return std::nullopt;
  }
  const size_t total = static_cast<size_t>(std::min<uint64_t>(want, static_cast<uint64_t>(copied)));
  if (total > bytes.size()) {
    const size_t had = bytes.size();
    bytes.resize(total);
    if (std::fread(bytes.data() + had, 1, total - had, spool.get()) != total - had) {
      extracted = false;  // the spool file could not be read: as a failed copy
      return std::nullopt;
    }
  }
  return emf::Metafile::FromBytes(std::move(bytes), &loadError);
}

}  // namespace velto
