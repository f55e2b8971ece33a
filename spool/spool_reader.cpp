#include "spool/spool_reader.h"

#include <sys/types.h>

#include <cstring>

#include "platform/emf/byte_reader.h"
#include "spool/spool_scanner.h"
#include "spool/stdio_file.h"

namespace velto {
namespace {

constexpr uint32_t kSpoolVersion = 0x00010000;
constexpr uint32_t kEmriMetafileData = 12;

// Reads exactly `out.size()` bytes; false when fewer came.
bool ReadExactly(std::FILE* file, std::span<uint8_t> out) {
  return std::fread(out.data(), 1, out.size(), file) == out.size();
}

}  // namespace

bool CheckSpoolHeader(const std::string& spoolPath, std::array<uint8_t, 6>& signature) {
  StdioFile file = OpenStdioFile(spoolPath, "rb");
  if (!file) return false;

  std::array<uint8_t, 8> start{};
  if (!ReadExactly(file.get(), start)) return false;
  ByteReader header(start);
  if (header.U32Or(0) != kSpoolVersion) return false;
  const uint32_t headerSize = header.U32Or(4);

  // The header size is also the offset of the first record.
  if (fseeko(file.get(), static_cast<off_t>(headerSize), SEEK_SET) != 0) return false;
  std::array<uint8_t, 8> firstRecord{};
  if (!ReadExactly(file.get(), firstRecord)) return false;
  ByteReader record(firstRecord);
  if (record.U32Or(0) != kEmriMetafileData || record.I32Or(4) <= 0) return false;

  std::array<uint8_t, 6> pageStart{};
  if (!ReadExactly(file.get(), pageStart)) return false;
  signature = pageStart;
  return true;
}

bool ReadSpoolJob(const std::string& spoolPath, SpoolJob& job) {
  job = SpoolJob{};
  std::array<uint8_t, 6> signature{};
  if (!CheckSpoolHeader(spoolPath, signature)) return false;

  // A larger stdio buffer under the 2048-byte window keeps the number of system calls low; it must
  // outlive the stream.
  std::array<char, 64 * 1024> streamBuffer;
  StdioFile file = OpenStdioFile(spoolPath, "rb");
  if (!file) return false;
  std::setvbuf(file.get(), streamBuffer.data(), _IOFBF, streamBuffer.size());

  SpoolPageScanner scanner(signature);
  scanner.Scan([&](std::span<uint8_t> out) { return std::fread(out.data(), 1, out.size(), file.get()); },
               [&](int64_t offset) {
                 job.pageOffset[static_cast<size_t>(++job.pageCount)] = offset;
                 return job.pageCount < kMaxSpoolPages;
               });
  file.reset();
  return job.pageCount > 0;
}

}  // namespace velto
