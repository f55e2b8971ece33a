// The face substitution table. Each row names a Windows face and the installed families that stand in
// for it, best first. The Latin rows use metric-compatible faces (same advance widths, same vertical
// metrics); the Chinese, Japanese and Korean rows use a face that covers the ideographs.
#include "text/face_table.h"

#include <array>

namespace velto::emf::text {
namespace {

constexpr const char* kSans[] = {"Liberation Sans", "Arimo", "DejaVu Sans"};
constexpr const char* kSansNarrow[] = {"Liberation Sans Narrow", "Liberation Sans", "DejaVu Sans Condensed"};
constexpr const char* kSerif[] = {"Liberation Serif", "Tinos", "DejaVu Serif"};
constexpr const char* kMono[] = {"Liberation Mono", "Cousine", "DejaVu Sans Mono"};
constexpr const char* kCarlito[] = {"Carlito", "Liberation Sans"};
constexpr const char* kCaladea[] = {"Caladea", "Liberation Serif"};
constexpr const char* kDejaVuSans[] = {"DejaVu Sans", "Liberation Sans"};
constexpr const char* kCjk[] = {"WenQuanYi Zen Hei", "Noto Sans CJK SC", "Noto Serif CJK SC", "Droid Sans Fallback"};
constexpr const char* kCjkMono[] = {"WenQuanYi Zen Hei Mono", "WenQuanYi Zen Hei", "Noto Sans Mono CJK SC",
                                    "Noto Sans CJK SC"};
// Symbol and the dingbat faces: a face with many symbols, Greek and arrows.
constexpr const char* kSymbols[] = {"OpenSymbol", "DejaVu Sans", "Liberation Sans"};

constexpr std::array kTable = {
    // Helvetica's metrics are Arial's; Liberation Sans copies them.
    FaceSubstitution{u"Arial", kSans},
    FaceSubstitution{u"Helvetica", kSans},
    // The narrow cut has its own widths.
    FaceSubstitution{u"Arial Narrow", kSansNarrow},
    // The old bitmap UI faces and their TrueType successor: Arial-like proportions.
    FaceSubstitution{u"MS Sans Serif", kSans},
    FaceSubstitution{u"Microsoft Sans Serif", kSans},
    FaceSubstitution{u"MS Shell Dlg", kSans},
    FaceSubstitution{u"MS Shell Dlg 2", kSans},
    FaceSubstitution{u"System", kSans},
    // Times New Roman's metrics; Liberation Serif copies them.
    FaceSubstitution{u"Times New Roman", kSerif},
    FaceSubstitution{u"Times", kSerif},
    FaceSubstitution{u"MS Serif", kSerif},
    // Courier New's fixed pitch; Liberation Mono copies it.
    FaceSubstitution{u"Courier New", kMono},
    FaceSubstitution{u"Courier", kMono},
    FaceSubstitution{u"Fixedsys", kMono},
    FaceSubstitution{u"Terminal", kMono},
    FaceSubstitution{u"Lucida Console", kMono},
    FaceSubstitution{u"Consolas", kMono},
    // Carlito and Caladea are metric copies of the Office faces.
    FaceSubstitution{u"Calibri", kCarlito},
    FaceSubstitution{u"Cambria", kCaladea},
    // No metric copy is packaged; DejaVu Sans has the same wide, open proportions.
    FaceSubstitution{u"Tahoma", kDejaVuSans},
    FaceSubstitution{u"Verdana", kDejaVuSans},
    FaceSubstitution{u"Segoe UI", kDejaVuSans},
    FaceSubstitution{u"Segoe UI Light", kDejaVuSans},
    FaceSubstitution{u"Segoe UI Semilight", kDejaVuSans},
    FaceSubstitution{u"Segoe UI Semibold", kDejaVuSans},
    FaceSubstitution{u"Trebuchet MS", kDejaVuSans},
    FaceSubstitution{u"Lucida Sans Unicode", kDejaVuSans},
    // Other common serif faces: at least a serif face, with Times-like widths.
    FaceSubstitution{u"Georgia", kSerif},
    FaceSubstitution{u"Garamond", kSerif},
    FaceSubstitution{u"Book Antiqua", kSerif},
    FaceSubstitution{u"Palatino Linotype", kSerif},
    FaceSubstitution{u"Bookman Old Style", kSerif},
    FaceSubstitution{u"Century Schoolbook", kSerif},
    FaceSubstitution{u"Constantia", kCaladea},
    // Other common sans faces and the old bitmap face for tiny text.
    FaceSubstitution{u"Arial Unicode MS", kSans},
    FaceSubstitution{u"Small Fonts", kSans},
    FaceSubstitution{u"Century Gothic", kSans},
    FaceSubstitution{u"Franklin Gothic Medium", kSans},
    FaceSubstitution{u"Candara", kCarlito},
    FaceSubstitution{u"Corbel", kCarlito},
    FaceSubstitution{u"Arial Black", kSans},
    FaceSubstitution{u"Comic Sans MS", kSans},
    FaceSubstitution{u"Impact", kSans},
    FaceSubstitution{u"Lucida Sans", kDejaVuSans},
    // The old stroke fonts.
    FaceSubstitution{u"Modern", kSans},
    FaceSubstitution{u"Roman", kSerif},
    FaceSubstitution{u"Script", kSerif},
    // Simplified Chinese faces, by their English and their Chinese names.
    // SimSun's Latin letters are half-width like NSimSun's: documents record their advances from the
    // real face, so a proportional stand-in would cram them.
    FaceSubstitution{u"SimSun", kCjkMono},
    FaceSubstitution{u"\u5B8B\u4F53", kCjkMono},  // 宋体 (SimSun)
    FaceSubstitution{u"NSimSun", kCjkMono},
    FaceSubstitution{u"\u65B0\u5B8B\u4F53", kCjkMono},  // 新宋体 (NSimSun)
    FaceSubstitution{u"SimHei", kCjk},
    FaceSubstitution{u"\u9ED1\u4F53", kCjk},  // 黑体 (SimHei)
    FaceSubstitution{u"Microsoft YaHei", kCjk},
    FaceSubstitution{u"Microsoft YaHei UI", kCjk},
    FaceSubstitution{u"\u5FAE\u8F6F\u96C5\u9ED1", kCjk},  // 微软雅黑 (Microsoft YaHei)
    FaceSubstitution{u"KaiTi", kCjk},
    FaceSubstitution{u"KaiTi_GB2312", kCjk},
    FaceSubstitution{u"\u6977\u4F53", kCjk},  // 楷体 (KaiTi)
    FaceSubstitution{u"\u6977\u4F53_GB2312", kCjk},
    FaceSubstitution{u"FangSong", kCjk},
    FaceSubstitution{u"FangSong_GB2312", kCjk},
    FaceSubstitution{u"\u4EFF\u5B8B", kCjk},  // 仿宋 (FangSong)
    FaceSubstitution{u"\u4EFF\u5B8B_GB2312", kCjk},
    FaceSubstitution{u"SimSun-ExtB", kCjk},
    FaceSubstitution{u"DengXian", kCjk},
    FaceSubstitution{u"\u7B49\u7EBF", kCjk},                // 等线 (DengXian)
    FaceSubstitution{u"STSong", kCjk},
    FaceSubstitution{u"\u534E\u6587\u5B8B\u4F53", kCjk},  // 华文宋体 (STSong)
    FaceSubstitution{u"STHeiti", kCjk},
    FaceSubstitution{u"\u534E\u6587\u9ED1\u4F53", kCjk},  // 华文黑体 (STHeiti)
    FaceSubstitution{u"STKaiti", kCjk},
    FaceSubstitution{u"\u534E\u6587\u6977\u4F53", kCjk},  // 华文楷体 (STKaiti)
    FaceSubstitution{u"YouYuan", kCjk},
    FaceSubstitution{u"\u5E7C\u5706", kCjk},                // 幼圆 (YouYuan)
    FaceSubstitution{u"LiSu", kCjk},
    FaceSubstitution{u"\u96B6\u4E66", kCjk},                // 隶书 (LiSu)
    // Traditional Chinese faces.
    FaceSubstitution{u"MingLiU", kCjk},
    FaceSubstitution{u"PMingLiU", kCjk},
    FaceSubstitution{u"\u7D30\u660E\u9AD4", kCjk},          // 細明體 (MingLiU)
    FaceSubstitution{u"\u65B0\u7D30\u660E\u9AD4", kCjk},    // 新細明體 (PMingLiU)
    FaceSubstitution{u"Microsoft JhengHei", kCjk},
    FaceSubstitution{u"Microsoft JhengHei UI", kCjk},
    FaceSubstitution{u"DFKai-SB", kCjk},
    FaceSubstitution{u"\u6A19\u6977\u9AD4", kCjk},  // 標楷體 (DFKai-SB)
    FaceSubstitution{u"\u5FAE\u8EDF\u6B63\u9ED1\u9AD4", kCjk},  // 微軟正黑體 (Microsoft JhengHei)
    // Japanese faces: MS Gothic and MS UI Gothic are fixed-pitch for Latin letters, the P- cuts are not.
    FaceSubstitution{u"MS Gothic", kCjkMono},
    FaceSubstitution{u"MS PGothic", kCjk},
    FaceSubstitution{u"MS UI Gothic", kCjk},
    FaceSubstitution{u"MS Mincho", kCjk},
    FaceSubstitution{u"MS PMincho", kCjk},
    FaceSubstitution{u"Meiryo", kCjk},
    FaceSubstitution{u"Meiryo UI", kCjk},
    FaceSubstitution{u"Yu Gothic", kCjk},
    FaceSubstitution{u"Yu Mincho", kCjk},
    FaceSubstitution{u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF", kCjkMono},  // ＭＳ ゴシック (MS Gothic)
    FaceSubstitution{u"\uFF2D\uFF33 \u660E\u671D", kCjk},               // ＭＳ 明朝 (MS Mincho)
    FaceSubstitution{u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF", kCjk},  // ＭＳ Ｐゴシック (MS PGothic)
    FaceSubstitution{u"\uFF2D\uFF33 \uFF30\u660E\u671D", kCjk},       // ＭＳ Ｐ明朝 (MS PMincho)
    FaceSubstitution{u"\u30E1\u30A4\u30EA\u30AA", kCjk},               // メイリオ (Meiryo)
    // Korean faces.
    FaceSubstitution{u"Gulim", kCjk},
    FaceSubstitution{u"Batang", kCjk},
    FaceSubstitution{u"Dotum", kCjk},
    FaceSubstitution{u"Malgun Gothic", kCjk},
    FaceSubstitution{u"\uAD74\uB9BC", kCjk},  // 굴림 (Gulim)
    FaceSubstitution{u"\uBC14\uD0D5", kCjk},  // 바탕 (Batang)
    FaceSubstitution{u"\uB3CB\uC6C0", kCjk},  // 돋움 (Dotum)
    FaceSubstitution{u"\uB9D1\uC740 \uACE0\uB515", kCjk},  // 맑은 고딕 (Malgun Gothic)
    // Symbol faces: their characters are drawn from a face rich in symbols.
    FaceSubstitution{u"Symbol", kSymbols, SymbolEncoding::Symbol},
    FaceSubstitution{u"Wingdings", kSymbols, SymbolEncoding::Wingdings},
    FaceSubstitution{u"Wingdings 2", kSymbols},
    FaceSubstitution{u"Wingdings 3", kSymbols},
    FaceSubstitution{u"Webdings", kSymbols},
    FaceSubstitution{u"Marlett", kSymbols},
};

char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool EqualFolded(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

std::u16string_view NormaliseFaceName(std::u16string_view face) {
  // Recorded LOGFONTs carry a fixed 32-character buffer: stop at the first NUL.
  if (auto nul = face.find(u'\0'); nul != std::u16string_view::npos) face = face.substr(0, nul);
  while (!face.empty() && (face.front() == u' ' || face.front() == u'\t')) face.remove_prefix(1);
  while (!face.empty() && (face.back() == u' ' || face.back() == u'\t')) face.remove_suffix(1);
  if (!face.empty() && face.front() == u'@') face.remove_prefix(1);
  return face;
}

std::span<const FaceSubstitution> FaceSubstitutionTable() { return kTable; }

const FaceSubstitution* FindFaceSubstitution(std::u16string_view windowsFace) {
  std::u16string_view face = NormaliseFaceName(windowsFace);
  for (const FaceSubstitution& row : kTable) {
    if (EqualFolded(row.windowsFace, face)) return &row;
  }
  return nullptr;
}

std::span<const char* const> DefaultFamilies(uint8_t charSet, uint8_t pitchAndFamily) {
  constexpr uint8_t kSymbolCharSet = 2;
  constexpr uint8_t kFixedPitch = 1;
  constexpr uint8_t kFamilyRoman = 0x10;
  constexpr uint8_t kFamilyModern = 0x30;
  if (LanguageOfCharSet(charSet) != nullptr) return kCjk;
  if (charSet == kSymbolCharSet) return kSymbols;
  if ((pitchAndFamily & 0x03) == kFixedPitch || (pitchAndFamily & 0xF0) == kFamilyModern) return kMono;
  if ((pitchAndFamily & 0xF0) == kFamilyRoman) return kSerif;
  return kSans;
}

const char* LanguageOfCharSet(uint8_t charSet) {
  switch (charSet) {
    case 128: return "ja";     // SHIFTJIS_CHARSET
    case 129: return "ko";     // HANGUL_CHARSET
    case 130: return "ko";     // JOHAB_CHARSET
    case 134: return "zh-cn";  // GB2312_CHARSET
    case 136: return "zh-tw";  // CHINESEBIG5_CHARSET
    default: return nullptr;
  }
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace velto::emf::text
