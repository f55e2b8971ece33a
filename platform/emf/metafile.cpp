#include "metafile.h"

#include <fstream>

namespace velto::emf {
namespace {

bool Fail(std::string* error, const char* text) {
  if (error) *error = text;
  return false;
}

RectL ReadRect(const ByteReader& r, size_t offset) {
  return RectL{r.I32Or(offset), r.I32Or(offset + 4), r.I32Or(offset + 8), r.I32Or(offset + 12)};
}

}  // namespace

std::optional<MetafileHeader> ParseMetafileHeader(std::span<const uint8_t> bytes, std::string* error) {
  ByteReader r(bytes);
  auto type = r.U32(0);
  auto size = r.U32(4);
  if (!type || !size || bytes.size() < kMinHeaderSize) {
    Fail(error, "too short for a metafile header");
    return std::nullopt;
  }
  if (*type != kEmrHeader) {
    Fail(error, "first record is not a metafile header");
    return std::nullopt;
  }
  if (*size < kMinHeaderSize || *size % 4 != 0) {
    Fail(error, "metafile header has a bad size");
    return std::nullopt;
  }
  MetafileHeader h;
  h.headerSize = *size;
  h.bounds = ReadRect(r, 8);
  h.frame = ReadRect(r, 24);
  h.signature = r.U32Or(40);
  h.version = r.U32Or(44);
  h.bytes = r.U32Or(48);
  h.records = r.U32Or(52);
  h.handles = r.U16(56).value_or(0);
  h.descriptionChars = r.U32Or(60);
  h.descriptionOffset = r.U32Or(64);
  h.paletteEntries = r.U32Or(68);
  h.device = SizeL{r.I32Or(72), r.I32Or(76)};
  h.millimeters = SizeL{r.I32Or(80), r.I32Or(84)};
  if (h.signature != kEnhMetaSignature) {
    Fail(error, "metafile signature is not \" EMF\"");
    return std::nullopt;
  }
  // The micrometre size follows the pixel-format fields in headers of 108 bytes and more.
  if (h.headerSize >= 108 && r.Has(100, 8)) h.micrometers = SizeL{r.I32Or(100), r.I32Or(104)};
  return h;
}

std::optional<Metafile> Metafile::FromBytes(std::vector<uint8_t> bytes, std::string* error) {
  auto header = ParseMetafileHeader(bytes, error);
  if (!header) return std::nullopt;
  if (header->headerSize > bytes.size()) {
    Fail(error, "metafile header reaches past the end of the file");
    return std::nullopt;
  }
  Metafile m;
  m.header_ = *header;
  // A header that claims fewer bytes than its own record is taken at the header's size;
  // one that claims more than the file holds is cut to the file.
  size_t claimed = header->bytes;
  if (claimed < header->headerSize) claimed = header->headerSize;
  m.size_ = std::min(claimed, bytes.size());
  m.data_ = std::move(bytes);
  return m;
}

std::optional<Metafile> Metafile::Load(const std::filesystem::path& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    Fail(error, "cannot open the file");
    return std::nullopt;
  }
  // Read the header first, then only as many bytes as the metafile claims.
  std::vector<uint8_t> head(kMinHeaderSize);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  auto header = ParseMetafileHeader(head, error);
  if (!header) return std::nullopt;
  uint64_t want = std::max<uint64_t>(header->bytes, header->headerSize);
  if (want > kMaxMetafileBytes) {
    Fail(error, "metafile is too large");
    return std::nullopt;
  }
  std::error_code ec;
  auto fileSize = std::filesystem::file_size(path, ec);
  if (!ec) want = std::min<uint64_t>(want, fileSize);
  std::vector<uint8_t> bytes(std::max<uint64_t>(want, head.size()));
  std::copy(head.begin(), head.end(), bytes.begin());
  if (bytes.size() > head.size()) {
    in.read(reinterpret_cast<char*>(bytes.data() + head.size()), static_cast<std::streamsize>(bytes.size() - head.size()));
    bytes.resize(head.size() + static_cast<size_t>(in.gcount()));
  }
  return FromBytes(std::move(bytes), error);
}

size_t Metafile::ForEachRecord(const std::function<bool(const Record&)>& visit) const {
  ByteReader r(Bytes());
  size_t offset = 0;
  size_t visited = 0;
  while (r.Has(offset, 8)) {
    uint32_t type = *r.U32(offset);
    uint32_t size = *r.U32(offset + 4);
    if (size < 8 || size % 4 != 0 || !r.Has(offset, size)) break;
    Record record{type, offset, Bytes().subspan(offset, size)};
    ++visited;
    if (!visit(record)) break;
    if (type == kEmrEof) break;
    offset += size;
  }
  return visited;
}

}  // namespace velto::emf
