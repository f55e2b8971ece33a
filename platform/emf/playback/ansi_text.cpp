#include "playback/ansi_text.h"

#include <iconv.h>

#include <cstring>

namespace velto::emf::playback {
namespace {

const char* CodePageOf(uint8_t charSet) {
  switch (charSet) {
    case 128: return "CP932";
    case 129: return "CP949";
    case 134: return "GBK";
    case 136: return "BIG5";
    case 161: return "CP1253";
    case 162: return "CP1254";
    case 163: return "CP1258";
    case 177: return "CP1255";
    case 178: return "CP1256";
    case 186: return "CP1257";
    case 204: return "CP1251";
    case 222: return "CP874";
    case 238: return "CP1250";
    case 2: return nullptr;  // symbol fonts: bytes are the characters
    default: return "CP1252";
  }
}

bool IsLeadByte(uint8_t charSet, uint8_t b) {
  switch (charSet) {
    case 128: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 129: case 134: case 136: return b >= 0x81 && b <= 0xFE;
    default: return false;
  }
}

class Converter {
 public:
  explicit Converter(const char* from) : cd_(from ? iconv_open("UTF-16LE", from) : reinterpret_cast<iconv_t>(-1)) {}
  ~Converter() {
    if (Ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts one character's bytes; empty on failure.
  std::u16string Convert(const uint8_t* in, size_t n) {
    char inBuf[4];
    char outBuf[16];
    std::memcpy(inBuf, in, n);
    char* ip = inBuf;
    char* op = outBuf;
    size_t inLeft = n, outLeft = sizeof outBuf;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &ip, &inLeft, &op, &outLeft) == static_cast<size_t>(-1)) return {};
    std::u16string out;
    for (char* p = outBuf; p + 1 < op; p += 2)
      out.push_back(static_cast<char16_t>(static_cast<uint8_t>(p[0]) | (static_cast<uint8_t>(p[1]) << 8)));
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::u16string DecodeAnsi(std::span<const uint8_t> bytes, uint8_t charSet, std::vector<int>* unitBytes) {
  std::u16string out;
  Converter conv(CodePageOf(charSet));
  for (size_t i = 0; i < bytes.size();) {
    size_t n = (IsLeadByte(charSet, bytes[i]) && i + 1 < bytes.size()) ? 2 : 1;
    std::u16string piece;
    if (conv.Ok()) piece = conv.Convert(bytes.data() + i, n);
    if (piece.empty()) piece = n == 2 ? u"?" : std::u16string(1, static_cast<char16_t>(bytes[i]));
    for (size_t k = 0; k < piece.size(); ++k) {
      out.push_back(piece[k]);
      if (unitBytes) unitBytes->push_back(k == 0 ? static_cast<int>(n) : 0);
    }
    i += n;
  }
  return out;
}

}  // namespace velto::emf::playback
