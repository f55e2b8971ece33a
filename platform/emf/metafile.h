#pragma once
// An enhanced metafile held in memory: its header and its chain of records, as GetEnhMetaFile opens it.
// Only the header's byte count belongs to the metafile; whatever follows it in a file (the trailing
// spool records of an extracted page) is ignored.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "byte_reader.h"
#include "geometry.h"

namespace velto::emf {

inline constexpr uint32_t kEmrHeader = 1;
inline constexpr uint32_t kEmrEof = 14;
inline constexpr uint32_t kEnhMetaSignature = 0x464D4520;  // " EMF"
inline constexpr size_t kMinHeaderSize = 88;
// Metafiles larger than this are refused rather than read into memory.
inline constexpr uint64_t kMaxMetafileBytes = uint64_t{1} << 30;

struct MetafileHeader {
  RectL bounds;       // device units of the recording device
  RectL frame;        // hundredths of a millimetre
  uint32_t signature = 0;
  uint32_t version = 0;
  uint32_t bytes = 0;     // size of the metafile as the header states it
  uint32_t records = 0;
  uint16_t handles = 0;   // object table size, slot 0 included
  uint32_t descriptionChars = 0;
  uint32_t descriptionOffset = 0;
  uint32_t paletteEntries = 0;
  SizeL device;           // reference device size in pixels
  SizeL millimeters;      // reference device size in millimetres
  std::optional<SizeL> micrometers;
  uint32_t headerSize = 0;  // size of the header record
};

// One record: its type and its bytes, the 8-byte type/size prefix included.
struct Record {
  uint32_t type = 0;
  size_t offset = 0;  // from the start of the metafile
  std::span<const uint8_t> bytes;
  ByteReader Reader() const { return ByteReader(bytes); }
};

class Metafile {
 public:
  // Opens a file as a metafile; no value when it is not a readable enhanced metafile.
  static std::optional<Metafile> Load(const std::filesystem::path& path, std::string* error = nullptr);
  static std::optional<Metafile> FromBytes(std::vector<uint8_t> bytes, std::string* error = nullptr);

  const MetafileHeader& Header() const { return header_; }
  // Exactly the metafile: the header's byte count, cut to what the file holds.
  std::span<const uint8_t> Bytes() const { return std::span<const uint8_t>(data_).first(size_); }
  // True when the file ends before the byte count that the header states: the metafile was cut short.
  bool CutShort() const { return std::max<uint64_t>(header_.bytes, header_.headerSize) > size_; }

  // Calls `visit` for every record in order, the header first, up to and including EOF. A record whose
  // size is not a multiple of 4, below 8, or reaching past the metafile ends the walk, as GDI treats it.
  // `visit` returns false to stop early. Returns the number of records visited.
  size_t ForEachRecord(const std::function<bool(const Record&)>& visit) const;

 private:
  Metafile() = default;
  std::vector<uint8_t> data_;
  size_t size_ = 0;
  MetafileHeader header_;
};

// Parses an EMR_HEADER record from the start of `bytes`; no value when it is not a metafile header.
std::optional<MetafileHeader> ParseMetafileHeader(std::span<const uint8_t> bytes, std::string* error = nullptr);

}  // namespace velto::emf
