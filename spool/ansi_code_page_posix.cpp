#include "spool/ansi_code_page.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace velto {
namespace {

constexpr const char* kAnsiCodePage = "CP936";
constexpr char16_t kReplacementCharacter = u'\uFFFD';

// An iconv conversion descriptor that is closed on every way out.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of [in, in + inLeft) as it can into `out`; returns the errno of the stop (0 when
  // all input was converted).
  int Run(const char*& in, size_t& inLeft, std::string& out) {
    char buffer[256];
    while (inLeft > 0) {
      char* to = buffer;
      size_t toLeft = sizeof buffer;
      char* from = const_cast<char*>(in);
      const size_t rc = iconv(cd_, &from, &inLeft, &to, &toLeft);
      const int error = rc == static_cast<size_t>(-1) ? errno : 0;
      in = from;
      out.append(buffer, static_cast<size_t>(to - buffer));
      if (error != 0 && error != E2BIG) return error;
    }
    return 0;
  }

 private:
  iconv_t cd_;
};

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string Utf16ToAnsi(std::u16string_view text, char replacement) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  std::string out;
  Converter converter(kAnsiCodePage, "UTF-16LE");
  if (!converter.Valid()) return std::string(text.size(), replacement);
  const char* in = bytes.data();
  size_t inLeft = bytes.size();
  while (inLeft > 0) {
    if (converter.Run(in, inLeft, out) == 0) break;
    // One character the code page lacks (a surrogate pair counts as one) or a lone surrogate.
    const size_t at = static_cast<size_t>(in - bytes.data()) / 2;
    const size_t units = IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1]) ? 2 : 1;
    out.push_back(replacement);
    in += units * 2;
    inLeft -= units * 2;
  }
  return out;
}

std::u16string AnsiToUtf16(std::string_view text) {
  std::u16string out;
  Converter converter("UTF-16LE", kAnsiCodePage);
  if (!converter.Valid()) return std::u16string(text.size(), kReplacementCharacter);
  const char* in = text.data();
  size_t inLeft = text.size();
  std::string bytes;
  auto flush = [&] {
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
      out.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8));
    bytes.clear();
  };
  while (inLeft > 0) {
    if (converter.Run(in, inLeft, bytes) == 0) break;
    // A byte that starts no character here (or a lead byte without its trail byte at the end).
    flush();
    out.push_back(kReplacementCharacter);
    ++in;
    --inLeft;
  }
  flush();
  return out;
}

}  // namespace velto
