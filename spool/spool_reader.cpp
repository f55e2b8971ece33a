#include "spool/spool_reader.h"


#include <algorithm>
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

// Where the metafile of a page found at `offset` ends, when the page stands in a well-formed
// EMRI_METAFILE_DATA record: the smaller of the record's end and the metafile header's byte count.
// A metafile can carry another one inside it (a picture kept in a comment record), whose header passes
// the page test too; it belongs to the page around it and must not cut that page short. Without a
// well-formed record around the page nothing is known, and the page ends where the next one starts.
int64_t ContainedMetafileEnd(std::FILE* file, int64_t offset) {
  if (offset < 8) return offset;
  std::array<uint8_t, 8> record{};
  std::array<uint8_t, 4> bytesField{};
  if (!platform::SeekFile(file, offset - 8, SEEK_SET) || !ReadExactly(file, record)) return offset;
  if (!platform::SeekFile(file, offset + 48, SEEK_SET) || !ReadExactly(file, bytesField)) return offset;
  ByteReader r(record);
  if (r.U32Or(0) != kEmriMetafileData || r.I32Or(4) <= 0) return offset;
  const int64_t metafileBytes = ByteReader(bytesField).U32Or(0);
  return offset + std::min<int64_t>(r.I32Or(4), metafileBytes);
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
  if (!platform::SeekFile(file.get(), headerSize, SEEK_SET)) return false;
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

  StdioFile lookup = OpenStdioFile(spoolPath, "rb");
  if (!lookup) return false;
  int64_t currentPageEnd = 0;

  SpoolPageScanner scanner(signature);
  scanner.Scan([&](std::span<uint8_t> out) { return std::fread(out.data(), 1, out.size(), file.get()); },
               [&](int64_t offset) {
                 if (offset < currentPageEnd) return true;  // a metafile inside the current page
                 job.pageOffset[static_cast<size_t>(++job.pageCount)] = offset;
                 currentPageEnd = ContainedMetafileEnd(lookup.get(), offset);
                 return job.pageCount < kMaxSpoolPages;
               });
  file.reset();
  return job.pageCount > 0;
}

}  // namespace velto
