#include "spool/spool_file_writer.h"

#include <fstream>

#include "platform/emf/metafile_recorder.h"
#include "platform/files.h"

namespace velto {
namespace {
constexpr uint32_t kEmriMetafileData = 12;
constexpr uint32_t kEmriMetafileExt = 13;
constexpr uint32_t kEmriDevMode = 3;

// The header record with the document and device names, and the device settings when asked for.
emf::RecordBytes SpoolHeader(const SpoolFileOptions& options) {
  constexpr uint32_t kFixed = 16;
  uint32_t docBytes = static_cast<uint32_t>((options.documentName.size() + 1) * 2);
  uint32_t devBytes = static_cast<uint32_t>((options.deviceName.size() + 1) * 2);
  uint32_t headerSize = (kFixed + docBytes + devBytes + 3) & ~3u;
  emf::RecordBytes out;
  out.U32(0x00010000).U32(headerSize).U32(kFixed).U32(kFixed + docBytes);
  out.Utf16(options.documentName).U16(0).Utf16(options.deviceName).U16(0).PadTo4();
  if (options.devModeFirst) out.U32(kEmriDevMode).U32(220).Zeros(220);
  return out;
}

// One page's EMRI_METAFILE_DATA record and the EMRI_METAFILE_EXT record pointing back at it.
void AppendPage(emf::RecordBytes& out, std::span<const uint8_t> page) {
  uint32_t padded = static_cast<uint32_t>((page.size() + 3) & ~size_t{3});
  size_t start = out.Size();
  out.U32(kEmriMetafileData).U32(padded).Raw(page).PadTo4();
  size_t ext = out.Size();
  uint64_t back = ext - start;
  out.U32(kEmriMetafileExt).U32(8).U32(static_cast<uint32_t>(back)).U32(static_cast<uint32_t>(back >> 32));
}

}  // namespace

std::vector<uint8_t> MakeSpoolFile(std::span<const std::vector<uint8_t>> pages, const SpoolFileOptions& options) {
  emf::RecordBytes out = SpoolHeader(options);
  for (const auto& page : pages) AppendPage(out, page);
  return out.Bytes();
}

bool SpoolFileStream::Open(const std::string& path, const SpoolFileOptions& options) {
  file_.open(platform::FsPath(path), std::ios::binary | std::ios::trunc);
  if (!file_) return false;
  const std::vector<uint8_t> header = SpoolHeader(options).Bytes();
  file_.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  written_ = header.size();
  return static_cast<bool>(file_);
}

bool SpoolFileStream::AddPage(std::span<const uint8_t> metafile) {
  emf::RecordBytes records;
  AppendPage(records, metafile);
  const std::vector<uint8_t> bytes = records.Bytes();
  file_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  written_ += bytes.size();
  return static_cast<bool>(file_);
}

bool SpoolFileStream::Close() {
  file_.flush();
  const bool ok = static_cast<bool>(file_);
  file_.close();
  return ok && !file_.fail();
}


bool WriteSpoolFile(const std::string& path, std::span<const std::vector<uint8_t>> pages,
                    const SpoolFileOptions& options) {
  auto bytes = MakeSpoolFile(pages, options);
  std::ofstream f(platform::FsPath(path), std::ios::binary | std::ios::trunc);
  if (!f) return false;
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f.flush());
}

}  // namespace velto
