#include "app/convert_inputs.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/emf/metafile.h"
#include "platform/files.h"
#include "spool/spool_file_writer.h"
#include "spool/spool_reader.h"
#include "spool/stdio_file.h"

namespace velto {
namespace {

enum class InputKind { Unreadable, SpoolFile, Metafile, Unknown };

uint32_t LittleEndian32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// Recognised by content, never by name: a spool file starts with the spool header's version, a
// metafile with its header record and the " EMF" signature at offset 40.
InputKind RecogniseInput(const std::string& path) {
  std::ifstream file(platform::FsPath(path), std::ios::binary);
  if (!file) return InputKind::Unreadable;
  std::array<uint8_t, 44> head{};
  file.read(reinterpret_cast<char*>(head.data()), head.size());
  const size_t got = static_cast<size_t>(file.gcount());
  if (got >= 8 && LittleEndian32(head.data()) == 0x00010000u) return InputKind::SpoolFile;
  if (got >= 44 && LittleEndian32(head.data()) == 1u && std::memcmp(head.data() + 40, " EMF", 4) == 0) {
    return InputKind::Metafile;
  }
  return InputKind::Unknown;
}

// Standard input into a temporary file; a pipe works as well as a redirected file.
bool SaveStandardInput(TemporaryFile& saved, std::string& error) {
  if (!MakeTemporaryFile("velto-convert-input", ".spl", saved, error)) return false;
  platform::SetBinaryMode(stdin);
  StdioFile out = OpenStdioFile(saved.Path(), "wb");
  if (!out) {
    error = "cannot write a temporary file: " + platform::SystemErrorText(errno);
    return false;
  }
  std::array<char, 65536> buffer;
  size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), stdin)) > 0) {
    if (std::fwrite(buffer.data(), 1, got, out.get()) != got) {
      error = "cannot write a temporary file: " + platform::SystemErrorText(errno);
      return false;
    }
  }
  if (std::ferror(stdin)) {
    error = "cannot read standard input: " + platform::SystemErrorText(errno);
    return false;
  }
  if (std::fclose(out.release()) != 0) {
    error = "cannot write a temporary file: " + platform::SystemErrorText(errno);
    return false;
  }
  return true;
}

// A lone metafile becomes a one-page spool job in the temporary directory.
bool WrapMetafile(const std::string& input, TemporaryFile& wrapped, std::string& error) {
  std::ifstream file(platform::FsPath(input), std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file.eof() && file.fail()) {
    error = "cannot read the metafile";
    return false;
  }
  if (!MakeTemporaryFile("velto-convert", ".spl", wrapped, error)) return false;
  std::vector<std::vector<uint8_t>> pages;
  pages.push_back(std::move(bytes));
  if (!WriteSpoolFile(wrapped.Path(), pages)) {
    error = "cannot write a temporary file in the temporary directory";
    return false;
  }
  return true;
}

// Page k's bytes as the spool file holds them, from its metafile header to where the next page begins
// (or the file ends), cut to the byte count of its header when the bytes hold that much.
bool PageBytes(const ConvertInput& input, int k, std::vector<uint8_t>& bytes, std::string& error) {
  StdioFile file = OpenStdioFile(input.spoolPath, "rb");
  if (!file || !platform::SeekFile(file.get(), 0, SEEK_END)) {
    error = "cannot read " + input.name + ": " + platform::SystemErrorText(errno);
    return false;
  }
  const int64_t fileSize = platform::TellFile(file.get());
  const SpoolJob& job = *input.job;
  const int64_t start = job.pageOffset[static_cast<size_t>(k)];
  const int64_t end = k < job.pageCount ? job.pageOffset[static_cast<size_t>(k) + 1] : fileSize;
  if (start < 0 || end < start || end > fileSize || !platform::SeekFile(file.get(), start, SEEK_SET)) {
    error = "cannot read page " + std::to_string(k) + " of " + input.name;
    return false;
  }
  bytes.resize(static_cast<size_t>(end - start));
  if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    error = "cannot read page " + std::to_string(k) + " of " + input.name + ": " + platform::SystemErrorText(errno);
    return false;
  }
  if (auto header = emf::ParseMetafileHeader(bytes)) {
    const uint64_t claimed = std::max<uint64_t>(header->bytes, header->headerSize);
    if (claimed <= bytes.size()) bytes.resize(static_cast<size_t>(claimed));
  }
  return true;
}

}  // namespace

bool PrepareInput(const std::string& input, ConvertInput& prepared, std::string& error) {
  prepared.name = input;
  prepared.spoolPath = input;
  if (input == "-") {
    if (!SaveStandardInput(prepared.saved, error)) return false;
    prepared.spoolPath = prepared.saved.Path();
  } else if (platform::IsFolder(input)) {
    error = "is a folder; give an EMF spool file or an enhanced metafile";
    return false;
  }
  switch (RecogniseInput(prepared.spoolPath)) {
    case InputKind::Unreadable:
      error = std::string("cannot open: ") + std::strerror(errno);
      return false;
    case InputKind::Unknown:
      error = "neither an EMF spool file nor an enhanced metafile";
      return false;
    case InputKind::Metafile:
      if (!WrapMetafile(prepared.spoolPath, prepared.wrapped, error)) return false;
      prepared.spoolPath = prepared.wrapped.Path();
      break;
    case InputKind::SpoolFile:
      break;
  }
  if (!ReadSpoolJob(prepared.spoolPath, *prepared.job)) {
    error = "no pages found: not a print job in the EMF spool format";
    return false;
  }
  return true;
}

bool CombinePages(const std::vector<ConvertInput>& inputs, const std::vector<PageSource>& pages, TemporaryFile& combined,
                  SpoolJob& job, std::string& error) {
  job = SpoolJob{};
  if (pages.size() > static_cast<size_t>(kMaxSpoolPages)) {
    error = "more than " + std::to_string(kMaxSpoolPages) + " pages in one job";
    return false;
  }
  if (!MakeTemporaryFile("velto-convert-pages", ".spl", combined, error)) return false;
  SpoolFileStream out;
  if (!out.Open(combined.Path())) {
    error = "cannot write a temporary file: " + platform::SystemErrorText(errno);
    return false;
  }
  std::vector<uint8_t> bytes;
  for (const auto& [input, k] : pages) {
    if (!PageBytes(inputs[input], k, bytes, error)) return false;
    job.pageOffset[static_cast<size_t>(++job.pageCount)] = static_cast<int64_t>(out.NextMetafileOffset());
    if (!out.AddPage(bytes)) {
      error = "cannot write a temporary file: " + platform::SystemErrorText(errno);
      return false;
    }
  }
  if (!out.Close()) {
    error = "cannot write a temporary file: " + platform::SystemErrorText(errno);
    return false;
  }
  return true;
}

}  // namespace velto
