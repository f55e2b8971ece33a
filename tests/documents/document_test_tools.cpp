#include "tests/documents/document_test_tools.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>

#include "platform/files.h"
#include "spool/spool_file_writer.h"
#include "spool/spool_reader.h"
#include "tests/support/test_support.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace velto::test {

// --- TIFF ---------------------------------------------------------------------------------------------

TiffPtr OpenTiff(const std::string& path, const char* mode) {
#ifdef _WIN32
  return TiffPtr(TIFFOpenW(platform::FsPath(path).wstring().c_str(), mode));
#else
  return TiffPtr(TIFFOpen(path.c_str(), mode));
#endif
}

namespace {

// Bytes of one value of a TIFF field type; 0 for a type this reader does not know.
size_t TiffTypeSize(uint32_t type) {
  switch (type) {
    case 1: case 2: case 6: case 7: return 1;  // BYTE, ASCII, SBYTE, UNDEFINED
    case 3: case 8: return 2;                  // SHORT, SSHORT
    case 4: case 9: case 11: return 4;         // LONG, SLONG, FLOAT
    case 5: case 10: case 12: return 8;        // RATIONAL, SRATIONAL, DOUBLE
    default: return 0;
  }
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

std::optional<std::vector<TiffTags>> ReadTiffTags(const std::string& path) {
  const std::vector<uint8_t> b = ReadFileBytes(path);
  if (b.size() < 8) return std::nullopt;
  const bool little = b[0] == 'I' && b[1] == 'I';
  if (!little && !(b[0] == 'M' && b[1] == 'M')) return std::nullopt;
  bool inBounds = true;
  auto within = [&](size_t at, size_t size) {
    if (at > b.size() || size > b.size() - at) inBounds = false;
    return inBounds;
  };
  auto unsignedAt = [&](size_t at, size_t size) -> uint32_t {
    if (!within(at, size)) return 0;
    uint32_t v = 0;
    for (size_t i = 0; i < size; ++i) v |= uint32_t{b[at + i]} << (8 * (little ? i : size - 1 - i));
    return v;
  };
  if (unsignedAt(2, 2) != 42) return std::nullopt;

  std::vector<TiffTags> directories;
  std::set<uint32_t> seen;
  for (uint32_t next = unsignedAt(4, 4); next != 0 && inBounds;) {
    if (!seen.insert(next).second) return std::nullopt;  // a loop of directories
    const uint32_t count = unsignedAt(next, 2);
    TiffTags tags;
    for (uint32_t i = 0; i < count && inBounds; ++i) {
      const size_t entry = next + 2 + size_t{12} * i;
      const int tag = static_cast<int>(unsignedAt(entry, 2));
      const uint32_t type = unsignedAt(entry + 2, 2);
      const uint32_t n = unsignedAt(entry + 4, 4);
      const size_t size = TiffTypeSize(type);
      if (size == 0) return std::nullopt;
      const size_t total = size * n;
      const size_t at = total <= 4 ? entry + 8 : unsignedAt(entry + 8, 4);
      within(at, total);  // the whole value must be in the file
      std::string text;
      for (uint32_t k = 0; k < n && inBounds; ++k) {
        const size_t p = at + size * k;
        if (type == 2) {
          const uint8_t c = b[p];
          if (c == 0) text += "\\0";
          else if (c >= 32 && c < 127) text += static_cast<char>(c);
          else text += "\\" + std::to_string(c);
          continue;
        }
        if (!text.empty()) text += ' ';
        const uint32_t raw = unsignedAt(p, std::min<size_t>(size, 4));
        switch (type) {
          case 5: case 10: {
            const uint32_t den = unsignedAt(p + 4, 4);
            const double num = type == 5 ? double(raw) : double(int32_t(raw));
            const double d = type == 5 ? double(den) : double(int32_t(den));
            text += den == 0 ? "NaN" : Number(num / d);
            break;
          }
          case 6: text += std::to_string(int8_t(raw)); break;
          case 8: text += std::to_string(int16_t(raw)); break;
          case 9: text += std::to_string(int32_t(raw)); break;
          case 11: {
            float f;
            std::memcpy(&f, &raw, 4);
            text += Number(f);
            break;
          }
          case 12: {
            uint64_t bits = raw | uint64_t{unsignedAt(p + 4, 4)} << 32;
            if (!little) bits = uint64_t{raw} << 32 | unsignedAt(p + 4, 4);
            double d;
            std::memcpy(&d, &bits, 8);
            text += Number(d);
            break;
          }
          default: text += std::to_string(raw);
        }
      }
      tags[tag] = text;
    }
    directories.push_back(std::move(tags));
    next = unsignedAt(next + 2 + size_t{12} * count, 4);
  }
  if (!inBounds) return std::nullopt;
  return directories;
}

namespace {
std::string g_tiffError;
void CollectTiffError(const char* module, const char* format, va_list args) {
  if (!g_tiffError.empty()) return;
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  g_tiffError = std::string(module ? module : "libtiff") + ": " + text;
}
}  // namespace

std::string TiffReadErrors(const std::string& path) {
  g_tiffError.clear();
  const TIFFErrorHandler previous = TIFFSetErrorHandler(CollectTiffError);
  std::string error;
  if (TiffPtr tif = OpenTiff(path, "r")) {
    do {
      std::vector<uint8_t> strip(static_cast<size_t>(std::max<tmsize_t>(TIFFStripSize(tif.get()), 1)));
      for (uint32_t i = 0; i < TIFFNumberOfStrips(tif.get()) && g_tiffError.empty(); ++i) {
        if (TIFFReadEncodedStrip(tif.get(), i, strip.data(), static_cast<tmsize_t>(strip.size())) < 0 &&
            g_tiffError.empty()) {
          g_tiffError = "strip " + std::to_string(i) + " cannot be decoded";
        }
      }
    } while (g_tiffError.empty() && TIFFReadDirectory(tif.get()));
  } else if (g_tiffError.empty()) {
    g_tiffError = "cannot be opened";
  }
  TIFFSetErrorHandler(previous);
  error.swap(g_tiffError);
  return error;
}

// --- PDF ----------------------------------------------------------------------------------------------

namespace {

bool IsDelimiter(char c) { return std::strchr(" \t\r\n/[]<>()%", c) != nullptr; }

class PdfFile {
 public:
  explicit PdfFile(std::string bytes) : s_(std::move(bytes)) {}

  bool Index(std::string& error) {
    if (s_.rfind("%PDF-", 0) != 0) return Fail(error, "no %PDF- header");
    const size_t eof = s_.rfind("%%EOF");
    const size_t start = s_.rfind("startxref");
    if (eof == std::string::npos || start == std::string::npos || start > eof) return Fail(error, "no trailer");
    const size_t xref = std::strtoul(s_.c_str() + start + 9, nullptr, 10);
    if (s_.compare(xref, 4, "xref") != 0) return Fail(error, "startxref does not point at the xref table");
    std::istringstream table(s_.substr(xref + 4));
    std::string word;
    while (table >> word && word != "trailer") {
      const long first = std::strtol(word.c_str(), nullptr, 10);
      long count = 0;
      if (!(table >> count)) return Fail(error, "a broken xref subsection");
      for (long i = 0; i < count; ++i) {
        std::string offset, generation, kind;
        if (!(table >> offset >> generation >> kind)) return Fail(error, "a short xref table");
        if (kind == "n") offsets_[first + i] = std::strtoul(offset.c_str(), nullptr, 10);
      }
    }
    trailer_ = s_.substr(xref + 4 + static_cast<size_t>(table.tellg()));
    for (const auto& [number, offset] : offsets_) {
      const std::string head = std::to_string(number) + " 0 obj";
      if (s_.compare(offset, head.size(), head) != 0) {
        return Fail(error, "the xref entry of object " + std::to_string(number) + " misses it");
      }
    }
    return true;
  }

  const std::string& Trailer() const { return trailer_; }

  // The object's text up to its stream or its end.
  std::string Object(long number) const {
    auto it = offsets_.find(number);
    if (it == offsets_.end()) return {};
    const size_t from = s_.find("obj", it->second) + 3;
    const size_t end = std::min(s_.find("endobj", from), s_.find("stream", from));
    if (end == std::string::npos) return {};
    // Without comments ("/Type /Page % 1"), which end at the line's end; strings may hold a '%'.
    std::string text;
    int inString = 0;
    for (size_t p = from; p < end; ++p) {
      const char c = s_[p];
      if (c == '(') ++inString;
      if (c == ')' && inString > 0) --inString;
      if (c == '%' && inString == 0) {
        while (p < end && s_[p] != '\n' && s_[p] != '\r') ++p;
        text += '\n';
        continue;
      }
      text += c;
    }
    return text;
  }

  // The raw bytes of the object's stream.
  std::optional<std::string> Stream(long number) const {
    auto it = offsets_.find(number);
    if (it == offsets_.end()) return std::nullopt;
    size_t at = s_.find("stream", it->second);
    if (at == std::string::npos) return std::nullopt;
    at += 6;
    if (s_.compare(at, 2, "\r\n") == 0) at += 2;
    else if (s_[at] == '\n') at += 1;
    const std::string dict = Object(number);
    long length = 0;
    const std::string value = Value(dict, "Length");
    if (long ref = Reference(value); ref >= 0) length = std::strtol(Object(ref).c_str(), nullptr, 10);
    else length = std::strtol(value.c_str(), nullptr, 10);
    if (length < 0 || at + length > s_.size()) return std::nullopt;
    return s_.substr(at, static_cast<size_t>(length));
  }

  // The text after "/key" in a dictionary: up to the next key or the dictionary's end, nested dictionaries
  // and arrays whole.
  static std::string Value(const std::string& dict, const std::string& key) {
    const std::string name = "/" + key;
    for (size_t at = dict.find(name); at != std::string::npos; at = dict.find(name, at + 1)) {
      size_t p = at + name.size();
      if (p < dict.size() && !IsDelimiter(dict[p])) continue;  // a longer name
      while (p < dict.size() && std::isspace(static_cast<unsigned char>(dict[p]))) ++p;
      const size_t begin = p;
      for (int depth = 0; p < dict.size();) {
        const bool open = dict.compare(p, 2, "<<") == 0 || dict[p] == '[';
        const bool close = dict.compare(p, 2, ">>") == 0 || dict[p] == ']';
        const size_t width = dict[p] == '<' || dict[p] == '>' ? 2 : 1;
        if (open) {
          ++depth;
          p += width;
        } else if (close) {
          if (depth == 0) break;
          p += width;
          if (--depth == 0) break;
        } else if (depth == 0 && dict[p] == '/' && p > begin) {
          break;
        } else {
          ++p;
        }
      }
      std::string value = dict.substr(begin, p - begin);
      while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
      return value;
    }
    return {};
  }

  // "N 0 R" → N; -1 for anything else.
  static long Reference(const std::string& value) {
    long number = -1, generation = -1;
    char r = 0;
    if (std::sscanf(value.c_str(), "%ld %ld %c", &number, &generation, &r) == 3 && r == 'R') return number;
    return -1;
  }

  // Every "N 0 R" in a text, in order.
  static std::vector<long> References(const std::string& text) {
    std::vector<long> refs;
    std::istringstream words(text);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    for (size_t i = 2; i < w.size(); ++i) {
      if (w[i] == "R" || w[i] == "R]" || w[i] == "R>>") refs.push_back(std::strtol(w[i - 2].c_str(), nullptr, 10));
    }
    return refs;
  }

  // A dictionary given directly or by reference.
  std::string Dictionary(const std::string& value) const {
    if (long ref = Reference(value); ref >= 0) return Object(ref);
    return value;
  }

 private:
  static bool Fail(std::string& error, const std::string& why) {
    error = why;
    return false;
  }
  std::string s_;
  std::map<long, size_t> offsets_;
  std::string trailer_;
};

std::optional<std::vector<uint8_t>> Inflate(const std::string& data) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  std::vector<uint8_t> out;
  int status = Z_OK;
  while (status == Z_OK) {
    std::array<uint8_t, 65536> chunk;
    z.next_out = chunk.data();
    z.avail_out = chunk.size();
    status = inflate(&z, Z_NO_FLUSH);
    out.insert(out.end(), chunk.data(), chunk.data() + (chunk.size() - z.avail_out));
  }
  inflateEnd(&z);
  if (status != Z_STREAM_END) return std::nullopt;
  return out;
}

std::string Name(const std::string& value) { return value.rfind('/', 0) == 0 ? value.substr(1) : value; }

}  // namespace

std::optional<PdfDocument> ReadPdf(const std::string& path, std::string& error) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  PdfFile pdf(std::string(bytes.begin(), bytes.end()));
  if (!pdf.Index(error)) return std::nullopt;
  const std::string catalog = pdf.Dictionary(PdfFile::Value(pdf.Trailer(), "Root"));
  if (PdfFile::Value(catalog, "Type") != "/Catalog") {
    error = "no catalog";
    return std::nullopt;
  }
  PdfDocument document;
  // The page tree, depth first.
  std::vector<long> pending{PdfFile::Reference(PdfFile::Value(catalog, "Pages"))};
  std::set<long> visited;
  while (!pending.empty()) {
    const long node = pending.front();
    pending.erase(pending.begin());
    if (node < 0 || !visited.insert(node).second) {
      error = "a broken page tree";
      return std::nullopt;
    }
    const std::string dict = pdf.Object(node);
    const std::string type = PdfFile::Value(dict, "Type");
    if (type == "/Pages") {
      const std::vector<long> kids = PdfFile::References(PdfFile::Value(dict, "Kids"));
      pending.insert(pending.begin(), kids.begin(), kids.end());
      continue;
    }
    if (type != "/Page") {
      error = "a page tree node of type " + type;
      return std::nullopt;
    }
    PdfPage page;
    double box[4] = {0, 0, 0, 0};
    const std::string mediaBox = PdfFile::Value(dict, "MediaBox");
    if (std::sscanf(mediaBox.c_str(), "[ %lf %lf %lf %lf", &box[0], &box[1], &box[2], &box[3]) != 4) {
      error = "a page without a MediaBox";
      return std::nullopt;
    }
    page.width = box[2] - box[0];
    page.height = box[3] - box[1];
    const std::string resources = pdf.Dictionary(PdfFile::Value(dict, "Resources"));
    for (long object : PdfFile::References(PdfFile::Value(resources, "XObject"))) {
      const std::string xobject = pdf.Object(object);
      if (PdfFile::Value(xobject, "Subtype") != "/Image") continue;
      PdfImage image;
      image.width = std::atoi(PdfFile::Value(xobject, "Width").c_str());
      image.height = std::atoi(PdfFile::Value(xobject, "Height").c_str());
      image.colourSpace = Name(PdfFile::Value(xobject, "ColorSpace"));
      image.bitsPerComponent = std::atoi(PdfFile::Value(xobject, "BitsPerComponent").c_str());
      image.filter = Name(PdfFile::Value(xobject, "Filter"));
      const auto stream = pdf.Stream(object);
      if (!stream) {
        error = "an image without its stream";
        return std::nullopt;
      }
      if (image.filter == "FlateDecode") {
        auto data = Inflate(*stream);
        if (!data) {
          error = "an image stream that does not inflate";
          return std::nullopt;
        }
        image.data = std::move(*data);
      } else {
        image.data.assign(stream->begin(), stream->end());
      }
      page.images.push_back(std::move(image));
    }
    document.pages.push_back(std::move(page));
  }
  return document;
}

// --- Tools --------------------------------------------------------------------------------------------

#ifdef _WIN32

ToolResult RunTool(const std::string&) { return {}; }
bool ToolAvailable(const std::string&) { return false; }

#else

ToolResult RunTool(const std::string& commandLine) {
  ToolResult result;
  std::string full = commandLine + " 2>&1";
  FILE* pipe = ::popen(full.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
  int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool ToolAvailable(const std::string& name) {
  return RunTool("command -v " + Quote(name) + " >/dev/null").exitCode == 0;
}

#endif

std::string Quote(const std::string& argument) {
  std::string quoted = "'";
  for (char c : argument) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  return quoted + "'";
}

// --- Spool jobs -------------------------------------------------------------------------------------

bool MakeSpoolJob(const std::string& spoolPath, int pages, SpoolJob& job) {
  std::vector<std::vector<uint8_t>> metafiles;
  for (int i = 1; i <= pages; ++i) {
    std::string label = "Page " + std::to_string(i);
    metafiles.push_back(SimplePage(std::u16string(label.begin(), label.end())));
  }
  return MakeSpoolJob(spoolPath, metafiles, job);
}

bool MakeSpoolJob(const std::string& spoolPath, const std::vector<std::vector<uint8_t>>& pages, SpoolJob& job) {
  if (!WriteSpoolFile(spoolPath, pages)) return false;
  return ReadSpoolJob(spoolPath, job) && job.pageCount == static_cast<int>(pages.size());
}

std::vector<std::vector<uint8_t>> PagesWithDamagedSecond() {
  auto rec = A4Recorder();
  rec.SelectObject(0xFFFFFFu);  // no such object
  rec.Polygon16(std::vector<emf::PointL>{{0, 0}, {100000000, -100000000}, {-5, 7}});
  rec.Add(emf::EMR_RECTANGLE, emf::RecordBytes().I32(0));  // record too short for its rectangle
  rec.Add(emf::EMR_EXTTEXTOUTW, emf::RecordBytes().Zeros(12).U32(0xFFFFFFFFu).Zeros(40));
  std::vector<uint8_t> damaged = rec.Finish();
  // And a record size in the middle that points past the end.
  if (damaged.size() > 200) damaged[damaged.size() - 60] = 0xFF;
  return {SimplePage(u"one"), damaged, SimplePage(u"three")};
}

}  // namespace velto::test
