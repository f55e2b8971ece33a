#pragma once
// The graphics objects a metafile creates (pens, brushes, fonts, palettes) and the table of handles
// they live in, with GDI's stock objects.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "playback/image.h"
#include "surface.h"
#include "text/font.h"

namespace velto::emf::playback {

// Pen styles (low nibble), end caps, joins and type, as in CreatePen/ExtCreatePen.
enum : uint32_t {
  kPsSolid = 0, kPsDash = 1, kPsDot = 2, kPsDashDot = 3, kPsDashDotDot = 4, kPsNull = 5, kPsInsideFrame = 6,
  kPsUserStyle = 7, kPsAlternate = 8, kPsStyleMask = 0xF,
  kPsEndcapRound = 0x000, kPsEndcapSquare = 0x100, kPsEndcapFlat = 0x200, kPsEndcapMask = 0xF00,
  kPsJoinRound = 0x0000, kPsJoinBevel = 0x1000, kPsJoinMiter = 0x2000, kPsJoinMask = 0xF000,
  kPsGeometric = 0x10000,
};

enum : uint32_t {
  kBsSolid = 0, kBsNull = 1, kBsHatched = 2, kBsPattern = 3, kBsDibPattern = 5, kBsDibPatternPt = 6,
};
constexpr uint32_t kLastHatchStyle = 5;  // HS_DIAGCROSS

struct Brush {
  uint32_t style = kBsSolid;
  Rgb colour = kWhite;
  uint32_t hatch = 0;
  std::shared_ptr<Image> pattern;  // pattern brushes
  bool monochromePattern = false;  // 1-bit pattern: text colour for 0 bits, background colour for 1 bits
  bool IsNull() const { return style == kBsNull || ((style == kBsPattern || style == kBsDibPattern ||
                                                     style == kBsDibPatternPt) && !pattern); }
};

struct Pen {
  uint32_t style = kPsSolid;  // full style word: style, cap, join, type
  double width = 0;           // logical units; 0 or 1 with a cosmetic pen: one device pixel
  Rgb colour = kBlack;
  bool geometric = false;
  std::vector<double> userStyle;  // dash lengths in device pixels (GDI's playback does not scale them)
  std::shared_ptr<Brush> brush;   // ExtCreatePen's brush, when not solid
  uint32_t Style() const { return style & kPsStyleMask; }
  bool IsNull() const { return Style() == kPsNull; }
};

struct Font {
  text::LogFont logFont;
  // The last realisation, kept while the device size stays the same.
  mutable std::shared_ptr<const text::RealisedFont> realised;
  mutable double realisedHeight = 0, realisedWidth = 0;
  mutable bool hasRealised = false;
};

struct Palette {
  std::vector<Rgb> entries;
};

using Object = std::variant<std::monostate, std::shared_ptr<Pen>, std::shared_ptr<Brush>, std::shared_ptr<Font>,
                            std::shared_ptr<Palette>>;

// Stock objects by their GetStockObject index.
Object StockObject(uint32_t index);

// Slots 1..n-1 of the metafile's handle table (slot 0 stands for the metafile itself).
class ObjectTable {
 public:
  static constexpr uint32_t kMaxHandles = 65535;
  explicit ObjectTable(uint32_t handles) : slots_(std::min<uint32_t>(std::max<uint32_t>(handles, 1), kMaxHandles)) {}
  bool Valid(uint32_t index) const { return index >= 1 && index < slots_.size(); }
  // False when the index is out of the table.
  bool Put(uint32_t index, Object object) {
    if (!Valid(index)) return false;
    slots_[index] = std::move(object);
    return true;
  }
  const Object* Get(uint32_t index) const { return Valid(index) ? &slots_[index] : nullptr; }
  void Remove(uint32_t index) {
    if (Valid(index)) slots_[index] = std::monostate{};
  }

 private:
  std::vector<Object> slots_;
};

}  // namespace velto::emf::playback
