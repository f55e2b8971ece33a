// A LOGFONT realised on our device: the selected face (and fallback faces) sized as GDI sizes them,
// glyph advances as GDI reports them, glyphs rendered without anti-aliasing.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_GASP_H

#include <algorithm>
#include <cmath>
#include <map>
#include <array>
#include <tuple>
#include <unordered_map>

#include "text/font.h"
#include "text/font_library.h"
#include "text/font_selection.h"
#include "text/gdi_metrics.h"
#include "text/glyph_outline.h"
#include "text/glyph_mask.h"
#include "text/symbol_encoding.h"

namespace velto::emf::text {
namespace {

// Hinted for a 1-bit target, as GDI hints the glyphs of non-anti-aliased text.
constexpr FT_Int32 kHintedLoad = FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP;
constexpr FT_Int32 kOutlineLoad = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
// Fonts that ask for anti-aliasing are hinted for grey levels.
constexpr FT_Int32 kGreyLoad = FT_LOAD_TARGET_NORMAL | FT_LOAD_NO_BITMAP;
// Above this em height glyphs are filled as paths rather than cached as bitmaps.
constexpr int kMaxBitmapEm = 400;
// Slant of a synthetic italic, as GDI leans a face without an italic cut: a quarter of the height
// (16.16).
constexpr FT_Fixed kObliqueShear = 0x4000;
// Cached glyph masks per font; beyond either limit the cache starts over.
constexpr size_t kMaxCachedMasks = 8192;
constexpr size_t kMaxCachedMaskBytes = size_t{8} << 20;
constexpr size_t kMaxCachedFonts = 512;

struct SizeDeleter {
  void operator()(FT_SizeRec_* size) const { FT_Done_Size(size); }
};

struct FaceSlot {
  std::shared_ptr<SharedFace> face;
  std::unique_ptr<FT_SizeRec_, SizeDeleter> size;  // this font's size on the shared face
  bool syntheticBold = false;
  bool syntheticItalic = false;
};

// A glyph matrix quantised for the mask cache: 1/65536 steps, as FreeType takes it.
using MatrixKey = std::array<int64_t, 4>;

MatrixKey KeyOf(const GlyphMatrix& m) {
  auto q = [](double v) { return static_cast<int64_t>(std::llround(std::clamp(v, -64.0, 64.0) * 65536)); };
  return {q(m.xx), q(m.xy), q(m.yx), q(m.yy)};
}

class GdiFont final : public RealisedFont {
 public:
  GdiFont(SelectedFace selected, const GdiSize& size, const FontMetrics& metrics, bool antialiased)
      : family_(std::move(selected.family)), size_(size), metrics_(metrics), bold_(selected.bold),
        italic_(selected.italic), antialiased_(antialiased), encoding_(selected.encoding) {
    if (selected.face) AddSlot(selected.face, selected.syntheticBold, selected.syntheticItalic);
  }

  ~GdiFont() override {
    // Sizes hang off shared faces: give them back under the lock that guards those faces.
    std::lock_guard lock(FontMutex());
    masks_.clear();
    slots_.clear();
  }
  GdiFont(const GdiFont&) = delete;
  GdiFont& operator=(const GdiFont&) = delete;

  const FontMetrics& Metrics() const override { return metrics_; }
  std::string FamilyName() const override { return family_; }

  std::vector<Glyph> MapText(std::u16string_view text) const override {
    std::lock_guard lock(FontMutex());
    std::vector<Glyph> glyphs;
    glyphs.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      uint32_t cp = text[i];
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        ++i;
      }
      glyphs.push_back(GlyphForChar(cp));
    }
    return glyphs;
  }

  std::vector<Glyph> MapGlyphIndices(std::span<const uint16_t> indices) const override {
    std::lock_guard lock(FontMutex());
    std::vector<Glyph> glyphs;
    glyphs.reserve(indices.size());
    const FT_Long count = slots_.empty() ? 0 : slots_[0].face->Face()->num_glyphs;
    for (uint16_t index : indices) {
      Glyph glyph;
      glyph.index = index < count ? index : 0;  // an index the face lacks draws its missing-glyph box
      glyph.advance = Advance(0, glyph.index);
      glyphs.push_back(glyph);
    }
    return glyphs;
  }

  void Rasterise(std::span<const Glyph> glyphs, std::span<const GlyphOrigin> origins, const GlyphMatrix& given,
                 GlyphRasterSink& sink) const override {
    if (size_.emPixels <= 0) return;
    std::lock_guard lock(FontMutex());
    if (slots_.empty()) return;
    const GlyphMatrix matrix = given.IsFinite() ? given : GlyphMatrix{};
    const size_t count = std::min(glyphs.size(), origins.size());
    if (size_.emPixels * std::max(1.0, size_.xScale) > kMaxBitmapEm) {
      OutlineSink& outlines = sink.BeginOutlines(antialiased_);
      OutlinesLocked(glyphs.first(count), origins.first(count), matrix, outlines);
      sink.EndOutlines();
      return;
    }
    // Masks are cached per glyph and matrix.
    const MatrixKey key = KeyOf(matrix);
    for (size_t i = 0; i < count; ++i) {
      const GlyphOrigin& o = origins[i];
      if (!std::isfinite(o.x) || !std::isfinite(o.y) || std::fabs(o.x) > 1e7 || std::fabs(o.y) > 1e7) continue;
      const GlyphMask* mask = MaskFor(glyphs[i], key);
      if (mask == nullptr || !mask->mask) continue;
      sink.Mask(*mask, std::floor(o.x + 0.5) + mask->left, std::floor(o.y + 0.5) - mask->top);
    }
  }

  std::optional<FaceSource> FaceOf(int faceSlot) const override {
    std::lock_guard lock(FontMutex());
    if (faceSlot < 0 || static_cast<size_t>(faceSlot) >= slots_.size()) return std::nullopt;
    const FaceSlot& slot = slots_[static_cast<size_t>(faceSlot)];
    FaceSource source;
    source.path = slot.face->Path();
    source.index = slot.face->Index();
    source.emPixels = size_.emPixels;
    source.xScale = size_.xScale;
    source.syntheticBold = slot.syntheticBold;
    source.syntheticItalic = slot.syntheticItalic;
    return source;
  }

  void Outlines(std::span<const Glyph> glyphs, std::span<const GlyphOrigin> origins, const GlyphMatrix& given,
                OutlineSink& sink) const override {
    if (size_.emPixels <= 0) return;
    std::lock_guard lock(FontMutex());
    OutlinesLocked(glyphs, origins, given.IsFinite() ? given : GlyphMatrix{}, sink);
  }

 private:
  int AddSlot(const std::shared_ptr<SharedFace>& face, bool syntheticBold, bool syntheticItalic) const {
    FT_Size size = nullptr;
    if (FT_New_Size(face->Face(), &size) != 0) return -1;
    FaceSlot slot;
    slot.face = face;
    slot.size.reset(size);
    slot.syntheticBold = syntheticBold;
    slot.syntheticItalic = syntheticItalic;
    FT_Activate_Size(size);
    const int em = std::max(1, size_.emPixels);
    const FT_F26Dot6 width = std::max<FT_F26Dot6>(64, std::llround(em * size_.xScale * 64));
    FT_Set_Char_Size(face->Face(), width, static_cast<FT_F26Dot6>(em) * 64, 72, 72);
    slots_.push_back(std::move(slot));
    return static_cast<int>(slots_.size()) - 1;
  }

  int SlotOf(const std::shared_ptr<SharedFace>& face) const {
    for (size_t i = 0; i < slots_.size(); ++i) {
      if (slots_[i].face == face) return static_cast<int>(i);
    }
    // Fallback faces have no bold or italic cut chosen for them: synthesise what was asked for.
    return AddSlot(face, bold_, italic_);
  }

  // Loads a glyph of a slot into the face's glyph slot, with synthetic styles applied to its outline.
  FT_GlyphSlot LoadGlyph(int slotIndex, uint32_t index, FT_Int32 flags) const {
    const FaceSlot& slot = slots_[static_cast<size_t>(slotIndex)];
    FT_Face face = slot.face->Face();
    FT_Activate_Size(slot.size.get());
    if (FT_Load_Glyph(face, index, flags) != 0) return nullptr;
    FT_GlyphSlot g = face->glyph;
    if (g->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (slot.syntheticItalic) {
        FT_Matrix shear{0x10000, kObliqueShear, 0, 0x10000};
        FT_Outline_Transform(&g->outline, &shear);
      }
      if (slot.syntheticBold) {
        const FT_Pos strength = BoldStrength();
        FT_Outline_EmboldenXY(&g->outline, strength, strength);
      }
    }
    return g;
  }

  // GDI thickens a face without a bold cut by a 24th of the em each way (26.6 pixels), but widens
  // every advance by one pixel only, whatever the size.
  FT_Pos BoldStrength() const { return std::max<FT_Pos>(1, size_.emPixels * 64 / 24); }
  static constexpr double kBoldAdvance = 1;

  double Advance(int slotIndex, uint32_t index) const {
    const uint64_t key = (static_cast<uint64_t>(slotIndex) << 32) | index;
    if (auto it = advances_.find(key); it != advances_.end()) return it->second;
    double advance = 0;
    if (slotIndex >= 0 && static_cast<size_t>(slotIndex) < slots_.size()) {
      if (size_.emPixels > 0) {
        if (FT_GlyphSlot g = LoadGlyph(slotIndex, index, kHintedLoad)) {
          // The hinted advance, as GDI spaces text that comes without a Dx array.
          advance = std::floor((g->advance.x + 32) / 64.0);
          if (slots_[static_cast<size_t>(slotIndex)].syntheticBold) advance += kBoldAdvance;
        }
      }
    }
    advances_.emplace(key, advance);
    return advance;
  }

  Glyph GlyphForChar(uint32_t code) const {
    if (auto it = charGlyphs_.find(code); it != charGlyphs_.end()) return it->second;
    const uint32_t cp = ToUnicode(encoding_, code);
    Glyph glyph;
    if (!slots_.empty()) {
      glyph.index = FT_Get_Char_Index(slots_[0].face->Face(), cp);
      if (glyph.index == 0 && cp >= 0x20 && cp != 0x7F) {
        if (auto fallback = FallbackFaceFor(cp)) {
          if (int slot = SlotOf(fallback); slot > 0) {
            glyph.faceSlot = slot;
            glyph.index = FT_Get_Char_Index(fallback->Face(), cp);
          }
        }
      }
      glyph.advance = Advance(glyph.faceSlot, glyph.index);
    }
    charGlyphs_.emplace(code, glyph);
    return glyph;
  }

  const GlyphMask* MaskFor(const Glyph& glyph, const MatrixKey& matrixKey) const {
    if (glyph.faceSlot < 0 || static_cast<size_t>(glyph.faceSlot) >= slots_.size()) return nullptr;
    const auto key = std::make_tuple(glyph.faceSlot, glyph.index, matrixKey);
    if (auto it = masks_.find(key); it != masks_.end()) return &it->second;
    if (masks_.size() >= kMaxCachedMasks || maskBytes_ >= kMaxCachedMaskBytes) {
      masks_.clear();
      maskBytes_ = 0;
    }
    GlyphMask mask;
    if (FT_GlyphSlot g = LoadGlyph(glyph.faceSlot, glyph.index, antialiased_ ? kGreyLoad : kHintedLoad)) {
      if (g->format == FT_GLYPH_FORMAT_OUTLINE && matrixKey != KeyOf(GlyphMatrix{})) {
        // FreeType renders with y up: the page's y (down) is negated.
        FT_Matrix placed{static_cast<FT_Fixed>(matrixKey[0]), static_cast<FT_Fixed>(matrixKey[1]),
                         static_cast<FT_Fixed>(-matrixKey[2]), static_cast<FT_Fixed>(-matrixKey[3])};
        FT_Outline_Transform(&g->outline, &placed);
      }
      if (antialiased_) {
        if (FT_Render_Glyph(g, FT_RENDER_MODE_NORMAL) == 0)
          mask = GreyMaskFromBitmap(g->bitmap, g->bitmap_left, g->bitmap_top);
      } else if (FT_Render_Glyph(g, FT_RENDER_MODE_MONO) == 0) {
        mask = MaskFromBitmap(g->bitmap, g->bitmap_left, g->bitmap_top);
      }
    }
    maskBytes_ += mask.Bytes();
    return &masks_.emplace(key, std::move(mask)).first->second;
  }

  void OutlinesLocked(std::span<const Glyph> glyphs, std::span<const GlyphOrigin> origins,
                      const GlyphMatrix& matrix, OutlineSink& sink) const {
    const size_t count = std::min(glyphs.size(), origins.size());
    for (size_t i = 0; i < count; ++i) {
      const Glyph& glyph = glyphs[i];
      if (glyph.faceSlot < 0 || static_cast<size_t>(glyph.faceSlot) >= slots_.size()) continue;
      if (!std::isfinite(origins[i].x) || !std::isfinite(origins[i].y)) continue;
      FT_GlyphSlot g = LoadGlyph(glyph.faceSlot, glyph.index, kOutlineLoad);
      if (g == nullptr || g->format != FT_GLYPH_FORMAT_OUTLINE) continue;
      AppendGlyphOutline(sink, g->outline, origins[i].x, origins[i].y, matrix);
    }
  }

  std::string family_;
  GdiSize size_;
  FontMetrics metrics_;
  bool bold_;
  bool italic_;
  bool antialiased_;
  SymbolEncoding encoding_;
  // Grown lazily as fallback faces are needed; guarded by FontMutex().
  mutable std::vector<FaceSlot> slots_;
  mutable std::unordered_map<uint64_t, double> advances_;
  mutable std::unordered_map<uint32_t, Glyph> charGlyphs_;
  mutable std::map<std::tuple<int, uint32_t, MatrixKey>, GlyphMask> masks_;
  mutable size_t maskBytes_ = 0;
};

// Without any usable font: no glyphs, GDI-like metrics of the size asked for.
class EmptyFont final : public RealisedFont {
 public:
  explicit EmptyFont(const FontMetrics& metrics) : metrics_(metrics) {}
  const FontMetrics& Metrics() const override { return metrics_; }
  std::string FamilyName() const override { return {}; }
  std::vector<Glyph> MapText(std::u16string_view text) const override { return std::vector<Glyph>(text.size()); }
  std::vector<Glyph> MapGlyphIndices(std::span<const uint16_t> indices) const override {
    return std::vector<Glyph>(indices.size());
  }
  void Rasterise(std::span<const Glyph>, std::span<const GlyphOrigin>, const GlyphMatrix&,
                 GlyphRasterSink&) const override {}
  std::optional<FaceSource> FaceOf(int) const override { return std::nullopt; }
  void Outlines(std::span<const Glyph>, std::span<const GlyphOrigin>, const GlyphMatrix&, OutlineSink&) const override {}

 private:
  FontMetrics metrics_;
};

struct FontKey {
  std::u16string face;
  uint8_t charSet;
  uint8_t pitchAndFamily;
  bool bold;
  bool italic;
  bool antialiased;
  double height;  // as asked for
  double width;
  auto operator<=>(const FontKey&) const = default;
};

// Two requests that come out at the same whole-pixel size share one font and its glyph caches.
struct SizedFontKey {
  std::u16string face;
  uint8_t charSet;
  uint8_t pitchAndFamily;
  bool bold;
  bool italic;
  bool antialiased;
  int emPixels;
  int averageWidth;
  auto operator<=>(const SizedFontKey&) const = default;
};

struct FontCache {
  std::map<FontKey, std::shared_ptr<const RealisedFont>> byRequest;
  std::map<SizedFontKey, std::shared_ptr<const RealisedFont>> bySize;
};

// Text is smoothed with grey edges unless the font asks for NONANTIALIASED_QUALITY, and then only at
// sizes where the face's gasp table allows grey (Liberation Sans, for one, stays 1-bit from 9 to 17
// pixels); a face without a gasp table is smoothed at every size.
bool AsksForAntialiasing(const LogFont& font) { return font.quality != kNonAntialiasedQuality; }

bool GaspAllowsGrey(const std::shared_ptr<SharedFace>& face, int emPixels) {
  if (!face || emPixels <= 0) return false;
  const FT_Int flags = FT_Get_Gasp(face->Face(), static_cast<FT_UInt>(emPixels));
  return flags == FT_GASP_NO_TABLE || (flags & FT_GASP_DO_GRAY) != 0;
}

FontCache& RealisedFonts() {
  static FontCache cache;
  return cache;
}

std::shared_ptr<const RealisedFont> Realise(const LogFont& font, double pixelHeight, double pixelWidth) {
  SelectedFace selected = SelectFace(font);
  FaceTables tables;
  if (selected.face) {
    tables = ReadFaceTables(selected.face->Face());
  } else {
    tables.winAscent = 1854;  // Arial's proportions, for metrics without a face
    tables.winDescent = 434;
    tables.averageCharWidth = 904;
    tables.maxAdvanceWidth = 4096;
    tables.underlinePosition = -217;
    tables.underlineThickness = 150;
    tables.strikeoutPosition = 530;
    tables.strikeoutSize = 102;
  }
  const GdiSize size = ResolveGdiSize(tables, pixelHeight, pixelWidth);
  const bool antialiased = AsksForAntialiasing(font) && GaspAllowsGrey(selected.face, size.emPixels);
  SizedFontKey key{font.faceName,  font.charSet, font.pitchAndFamily, selected.bold,
                   selected.italic, antialiased,  size.emPixels,       size.averageWidth};
  auto& bySize = RealisedFonts().bySize;
  if (auto it = bySize.find(key); it != bySize.end()) return it->second;
  const FontMetrics metrics = ComputeGdiMetrics(tables, size);
  std::shared_ptr<const RealisedFont> realised;
  if (selected.face)
    realised = std::make_shared<GdiFont>(std::move(selected), size, metrics, antialiased);
  else realised = std::make_shared<EmptyFont>(metrics);
  bySize.emplace(std::move(key), realised);
  return realised;
}

}  // namespace

std::shared_ptr<const RealisedFont> RealiseFont(const LogFont& font, double pixelHeight, double pixelWidth) {
  if (!std::isfinite(pixelHeight)) pixelHeight = 0;
  if (!std::isfinite(pixelWidth)) pixelWidth = 0;
  FontKey key{font.faceName,      font.charSet, font.pitchAndFamily, font.weight >= 600, font.italic != 0,
              AsksForAntialiasing(font), pixelHeight,  std::fabs(pixelWidth)};
  std::lock_guard lock(FontMutex());
  FontCache& cache = RealisedFonts();
  if (auto it = cache.byRequest.find(key); it != cache.byRequest.end()) return it->second;
  if (cache.byRequest.size() >= kMaxCachedFonts) {  // fonts in use live on with their holders
    cache.byRequest.clear();
    cache.bySize.clear();
  }
  auto realised = Realise(font, pixelHeight, pixelWidth);
  cache.byRequest.emplace(std::move(key), realised);
  return realised;
}

std::string SubstituteFamily(std::u16string_view windowsFace, uint8_t charSet) {
  std::lock_guard lock(FontMutex());
  return SubstituteFamilyLocked(windowsFace, charSet, 0);
}

}  // namespace velto::emf::text
