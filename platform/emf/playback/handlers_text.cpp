// Text records: EXTTEXTOUTW/A, POLYTEXTOUTW/A and SMALLTEXTOUT, placed as GDI places them.
#include <cmath>
#include <numbers>
#include <optional>

#include "metafile_recorder.h"
#include "playback/ansi_text.h"
#include "playback/handlers.h"
#include "text/glyph_path.h"

namespace velto::emf::playback {
namespace {

enum : uint32_t {
  kEtoOpaque = 0x2, kEtoClipped = 0x4, kEtoGlyphIndex = 0x10, kEtoPdy = 0x2000, kEtoNoRect = 0x100,
  kEtoSmallChars = 0x200,
};
// The graphics mode a text record was made in; any other value leaves playback's advanced mode.
constexpr uint32_t kGmCompatible = 1;

struct TextRun {
  PointD reference;
  uint32_t options = 0;
  // Recorded in GM_COMPATIBLE: glyphs keep upright and take only the vertical scale of the transform.
  bool compatible = false;
  bool hasRect = false;
  double rect[4] = {0, 0, 0, 0};
  std::u16string chars;
  std::vector<uint16_t> glyphIndices;  // with ETO_GLYPH_INDEX
  std::vector<double> dx;              // logical units; pairs (dx, dy) with ETO_PDY
};

std::shared_ptr<const text::RealisedFont> Realise(const Context& c, const Font& font, double height, double width) {
  if (!font.hasRealised || font.realisedHeight != height || font.realisedWidth != width) {
    if (c.device.IsMonochrome() && font.logFont.quality != text::kNonAntialiasedQuality) {
      // A 1-bit surface takes no grey edges.
      text::LogFont crisp = font.logFont;
      crisp.quality = text::kNonAntialiasedQuality;
      font.realised = text::RealiseFont(crisp, height, width);
    } else {
      font.realised = text::RealiseFont(font.logFont, height, width);
    }
    font.realisedHeight = height;
    font.realisedWidth = width;
    font.hasRealised = true;
  }
  return font.realised;
}

// Flattened glyph outlines joining the open path (text inside a path bracket). A figure starts only
// when its first line comes: a move with nothing after it (the flattener ends every outline with one)
// would leave an open one-point figure that a stroke draws as a dot and a later LINETO continues.
class PathOutlines final : public text::OutlineSink {
 public:
  explicit PathOutlines(Path& path) : path_(path) {}
  void MoveTo(double x, double y) override { start_ = PointD{x, y}; }
  void LineTo(double x, double y) override {
    if (start_) path_.MoveTo(*start_);
    start_.reset();
    path_.LineTo({x, y}, {x, y});
  }
  void CurveTo(double, double, double, double, double x, double y) override { LineTo(x, y); }
  void Close() override { path_.Close(); }

 private:
  Path& path_;
  std::optional<PointD> start_;
};

void FillQuad(Context& c, PointD a, PointD b, PointD d, PointD e, Rgb colour) {
  c.device.FillPolygons({{a, b, d, e}}, true, SolidSource(colour), 13);
}

void DrawRun(Context& c, const TextRun& run) {
  const Font& font = *c.dc.font;
  const text::LogFont& lf = font.logFont;
  Xform t = c.LogicalToDevice();
  PointD ux = t.ApplyVector(1, 0), uy = t.ApplyVector(0, 1);
  double sx = std::hypot(ux.x, ux.y), sy = std::hypot(uy.x, uy.y);
  if (!(sx > 0) || !(sy > 0) || !std::isfinite(sx) || !std::isfinite(sy)) return;
  // Character extra and justification are horizontal logical lengths.
  const double extraScale = sx;
  if (run.compatible) {
    // GM_COMPATIBLE: the font is sized by the vertical scale alone, width included; no rotation, shear or
    // mirror of the transform reaches the glyphs.
    if (std::fabs(t.m22) > 1e-9) sy = std::fabs(t.m22);
    sx = sy;
  } else if (const double across = std::fabs(t.Determinant()) / sx; across > 0 && std::isfinite(across)) {
    // The height is measured across the baseline: a shear slants the glyphs without making them taller.
    sy = across;
  }
  double pixelHeight = std::clamp(lf.height * sy, -16384.0, 16384.0);
  double pixelWidth = std::clamp(std::abs(lf.width) * sx, 0.0, 16384.0);
  auto realised = Realise(c, font, pixelHeight, pixelWidth);
  if (lf.width == 0 && realised && std::fabs(sx / sy - 1) > 0.05) {
    // An anisotropic mapping squeezes the glyphs: the face's own width scales with x, its height with y.
    double natural = realised->Metrics().averageCharWidth;
    double squeezed = std::round(natural * sx / sy);
    if (natural > 0 && squeezed != std::round(natural))
      realised = Realise(c, font, pixelHeight, std::clamp(squeezed, 1.0, 16384.0));
  }
  if (!realised) return;
  const text::FontMetrics& m = realised->Metrics();

  // Baseline direction: the transform's x axis turned by the escapement (compatible mode: the
  // escapement alone). The escapement turns counter-clockwise in logical space: a mapping that flips
  // y turns it back.
  double escapement = lf.escapement * std::numbers::pi / 1800.0;
  bool mirrored = run.compatible ? t.m11 * t.m22 < 0 : t.Determinant() < 0;
  const double base = run.compatible ? 0.0 : std::atan2(-ux.y, ux.x);
  double angle = base + (mirrored ? -escapement : escapement);
  // In advanced mode each glyph turns by the orientation, independently of the baseline's escapement;
  // compatible mode turns them with the escapement.
  const double orientation = lf.orientation * std::numbers::pi / 1800.0;
  const double glyphAngle = run.compatible ? angle : base + (mirrored ? -orientation : orientation);
  PointD along{std::cos(angle), -std::sin(angle)};
  const PointD down{std::sin(angle), std::cos(angle)};
  // In advanced mode a mirroring transform reflects the glyphs across their baseline. Alignment keeps
  // measuring from the unreflected cell, as GDI's does.
  const bool mirrorGlyphs = !run.compatible && mirrored;
  text::GlyphMatrix glyphMatrix = text::GlyphMatrix::Turned(glyphAngle, mirrorGlyphs);
  if (!run.compatible) {
    // Logical directions through the transform: the glyph's own axes turned by the orientation, the
    // baseline turned by the escapement. A shearing transform slants the glyphs; the alignment offsets
    // stay square to the baseline, as GDI's do. Without shear these are the turns above.
    // The glyphs were realised at sx across and sy up: the rest of the transform places them.
    const PointD gx = t.ApplyVector(std::cos(orientation), -std::sin(orientation));
    const PointD gy = t.ApplyVector(std::sin(orientation), std::cos(orientation));
    const text::GlyphMatrix placed{gx.x / sx, -gy.x / sy, gx.y / sx, -gy.y / sy};
    if (placed.IsFinite()) glyphMatrix = placed;
    const PointD baseline = t.ApplyVector(std::cos(escapement), -std::sin(escapement));
    const double length = std::hypot(baseline.x, baseline.y);
    if (length > 0 && std::isfinite(length)) along = {baseline.x / length, baseline.y / length};
  }

  std::vector<text::Glyph> glyphs = (run.options & kEtoGlyphIndex) ? realised->MapGlyphIndices(run.glyphIndices)
                                                                     : realised->MapText(run.chars);
  size_t count = (run.options & kEtoGlyphIndex) ? run.glyphIndices.size() : run.chars.size();
  bool pdy = (run.options & kEtoPdy) != 0;
  // Advances that the record holds; glyphs beyond them (a short PDY array) use the font's own.
  size_t dxGlyphs = std::min(count, pdy ? run.dx.size() / 2 : run.dx.size());
  // Recorded advances are logical: turned by the escapement, then through the transform. In compatible
  // mode the escapement is the one the glyphs take, and a mirrored axis does not run the text backwards.
  const double dxEscapement = run.compatible && mirrored ? -escapement : escapement;
  const double cosEsc = std::cos(dxEscapement), sinEsc = std::sin(dxEscapement);
  auto advanceToDevice = [&](double adx, double ady) {
    double lx = adx, ly = -ady;
    PointD v = t.ApplyVector(cosEsc * lx + sinEsc * ly, -sinEsc * lx + cosEsc * ly);
    if (run.compatible) {
      if (t.m11 < 0) v.x = -v.x;
      if (t.m22 < 0) v.y = -v.y;
    }
    return v;
  };

  // Offsets of every glyph from the start point (device pixels) and the run's total advance.
  std::vector<PointD> offsets;
  offsets.reserve(glyphs.size());
  PointD pen{0, 0};
  int spaces = 0;
  for (char16_t ch : run.chars) spaces += ch == u' ';
  double justify = (c.dc.justifyCount > 0 && spaces > 0) ? c.dc.justifyExtra * extraScale / spaces : 0;
  for (size_t i = 0; i < glyphs.size(); ++i) {
    offsets.push_back(pen);
    if (i < dxGlyphs) {
      PointD v = advanceToDevice(run.dx[pdy ? 2 * i : i], pdy ? run.dx[2 * i + 1] : 0);
      pen.x += v.x;
      pen.y += v.y;
    } else {
      double adv = glyphs[i].advance + c.dc.charExtra * extraScale;
      if (i < run.chars.size() && run.chars[i] == u' ') adv += justify;
      pen.x += along.x * adv;
      pen.y += along.y * adv;
    }
  }
  double width = pen.x * along.x + pen.y * along.y;

  PointD refLogical = (c.dc.textAlign & kTaUpdateCp) ? c.dc.currentPos : run.reference;
  PointD ref = t.Apply(refLogical.x, refLogical.y);
  ref = {std::floor(ClampCoordinate(ref.x) + 0.5), std::floor(ClampCoordinate(ref.y) + 0.5)};
  double shift = 0;
  switch (c.dc.textAlign & kTaHorizontalMask) {
    case kTaRight: shift = -width; break;
    case kTaCenter: shift = -width / 2; break;
    default: break;
  }
  double drop = 0;
  // TA_TOP is 0 and TA_BOTTOM 8; any other value of the vertical bits (TA_BASELINE, or a stray 0x10)
  // leaves the reference point on the baseline.
  switch (c.dc.textAlign & kTaVerticalMask) {
    case 0: drop = m.ascent; break;
    case kTaBottom: drop = -m.descent; break;
    default: drop = 0; break;
  }
  PointD start{ref.x + along.x * shift + down.x * drop, ref.y + along.y * shift + down.y * drop};

  if (c.dc.textAlign & kTaUpdateCp) {
    // Left-aligned text moves the current position to its end, right-aligned text to its start.
    // The whole advance moves it, vertical offsets of ETO_PDY included.
    double factor = width != 0 ? (width + 2 * shift) / width : 1;
    Xform inverse;
    if (Invert(t, inverse)) c.dc.currentPos = inverse.Apply(ref.x + pen.x * factor, ref.y + pen.y * factor);
  }

  // Background: the opaque rectangle, or the text's cell in opaque background mode.
  if (run.hasRect && (run.options & kEtoOpaque) && !c.dc.inPath) {
    PointD a = c.ToDevice(run.rect[0], run.rect[1]), b = c.ToDevice(run.rect[2], run.rect[3]);
    FillQuad(c, {a.x, a.y}, {b.x, a.y}, {b.x, b.y}, {a.x, b.y}, c.dc.bkColour);
  }
  double x0 = std::min(0.0, width), x1 = std::max(0.0, width);
  auto at = [&](double a, double d) {
    return PointD{start.x + along.x * a + down.x * d, start.y + along.y * a + down.y * d};
  };
  if (c.dc.bkMode == kOpaque && !(run.options & kEtoOpaque) && !c.dc.inPath && count > 0) {
    FillQuad(c, at(x0, -m.ascent), at(x1, -m.ascent), at(x1, m.descent), at(x0, m.descent), c.dc.bkColour);
  }

  std::vector<text::GlyphOrigin> origins;
  origins.reserve(glyphs.size());
  for (const auto& o : offsets) origins.push_back({start.x + o.x, start.y + o.y});

  if (c.dc.inPath) {
    PathOutlines outlines(c.dc.path);
    text::FlattenGlyphOutlines(*realised, glyphs, origins, glyphMatrix, outlines);
    return;
  }

  std::optional<Region> saved;
  if (run.hasRect && (run.options & kEtoClipped)) {
    PointD a = c.ToDevice(run.rect[0], run.rect[1]), b = c.ToDevice(run.rect[2], run.rect[3]);
    auto pixel = [](double v) { return static_cast<int>(ClampCoordinate(v)); };
    Region box = Region::FromRect(pixel(a.x), pixel(a.y), pixel(b.x), pixel(b.y));
    auto effective = c.EffectiveClip();
    c.device.SetClip(effective ? Region::Combine(*effective, box, RegionOp::And) : box);
  }
  GlyphRun glyphRun;
  glyphRun.font = realised;
  glyphRun.glyphs = glyphs;
  glyphRun.origins = origins;
  glyphRun.matrix = glyphMatrix;
  glyphRun.colour = c.dc.textColour;
  if (!(run.options & kEtoGlyphIndex)) glyphRun.chars = run.chars;
  c.device.DrawGlyphs(glyphRun);
  // Underline and strike-out run the width of the text.
  auto line = [&](double offsetDown, double thickness) {
    double th = std::max(1.0, std::round(thickness));
    double top = std::round(offsetDown - th / 2);
    FillQuad(c, at(x0, top), at(x1, top), at(x1, top + th), at(x0, top + th), c.dc.textColour);
  };
  if (lf.underline) line(m.underlinePosition, m.underlineThickness);
  if (lf.strikeOut) line(-m.strikeoutPosition, m.strikeoutThickness);
  if (run.hasRect && (run.options & kEtoClipped)) c.ClipChanged();
}

// Reads an EMRTEXT at `offset`; `wide` strings are UTF-16, else 8-bit in the font's code page.
std::optional<TextRun> ReadText(const Context& c, const Record& r, size_t offset, bool wide) {
  if (!Fits(r, offset + 40)) return std::nullopt;
  TextRun run;
  run.reference = {double(I32At(r, offset)), double(I32At(r, offset + 4))};
  uint32_t chars = U32At(r, offset + 8);
  uint32_t offString = U32At(r, offset + 12);
  run.options = U32At(r, offset + 16);
  for (int i = 0; i < 4; ++i) run.rect[i] = I32At(r, offset + 20 + 4 * i);
  run.hasRect = !(run.options & kEtoNoRect) && (run.rect[0] != run.rect[2] || run.rect[1] != run.rect[3]);
  uint32_t offDx = U32At(r, offset + 36);
  ByteReader rd = r.Reader();
  auto str = rd.Array(offString, chars, wide ? 2 : 1);
  if (!str) return std::nullopt;
  std::vector<int> unitBytes;
  if (wide) {
    for (uint32_t i = 0; i < chars; ++i) {
      uint16_t u = *rd.U16(offString + 2 * i);
      if (run.options & kEtoGlyphIndex) run.glyphIndices.push_back(u);
      else run.chars.push_back(static_cast<char16_t>(u));
    }
  } else if (run.options & kEtoGlyphIndex) {
    for (uint8_t b : *str) run.glyphIndices.push_back(b);
  } else {
    run.chars = DecodeAnsi(*str, c.dc.font->logFont.charSet, &unitBytes);
  }
  bool pdy = run.options & kEtoPdy;
  size_t dxCount = size_t{chars} * (pdy ? 2 : 1);
  // Some recorders write one value per character even with ETO_PDY: take what lies inside the record.
  if (offDx != 0 && offDx < r.bytes.size()) dxCount = std::min(dxCount, (r.bytes.size() - offDx) / 4);
  if (offDx != 0 && dxCount > 0 && rd.Array(offDx, dxCount, 4)) {
    std::vector<double> dx;
    for (size_t i = 0; i < dxCount; ++i) dx.push_back(*rd.I32(offDx + 4 * i));
    if (!unitBytes.empty()) {
      // One advance per byte: sum them per decoded character.
      std::vector<double> perChar;
      size_t byte = 0;
      for (int n : unitBytes) {
        double sum = 0, sumY = 0;
        size_t need = pdy ? 2 * (byte + n) : byte + n;
        if (need > dx.size()) break;  // the rest falls back to the font's advances
        for (int k = 0; k < n; ++k, ++byte) {
          sum += dx[pdy ? 2 * byte : byte];
          if (pdy) sumY += dx[2 * byte + 1];
        }
        perChar.push_back(sum);
        if (pdy) perChar.push_back(sumY);
      }
      dx = std::move(perChar);
    }
    run.dx = std::move(dx);
  }
  return run;
}

bool ExtTextOut(Context& c, const Record& r, bool wide) {
  if (!Fits(r, 76)) return false;
  auto run = ReadText(c, r, 36, wide);
  if (!run) return true;  // a string outside the record draws nothing
  run->compatible = U32At(r, 24) == kGmCompatible;
  DrawRun(c, *run);
  return true;
}

bool ExtTextOutW(Context& c, const Record& r) { return ExtTextOut(c, r, true); }
bool ExtTextOutA(Context& c, const Record& r) { return ExtTextOut(c, r, false); }

bool PolyTextOut(Context& c, const Record& r, bool wide) {
  if (!Fits(r, 40)) return false;
  uint32_t strings = U32At(r, 36);
  if (!r.Reader().Array(40, strings, 40)) return false;
  for (uint32_t i = 0; i < strings; ++i) {
    auto run = ReadText(c, r, 40 + size_t{i} * 40, wide);
    if (!run) continue;
    run->compatible = U32At(r, 24) == kGmCompatible;
    DrawRun(c, *run);
  }
  return true;
}

bool PolyTextOutW(Context& c, const Record& r) { return PolyTextOut(c, r, true); }
bool PolyTextOutA(Context& c, const Record& r) { return PolyTextOut(c, r, false); }

bool SmallTextOut(Context& c, const Record& r) {
  if (!Fits(r, 36)) return false;
  TextRun run;
  run.reference = {double(I32At(r, 8)), double(I32At(r, 12))};
  uint32_t chars = U32At(r, 16);
  run.options = U32At(r, 20);
  run.compatible = U32At(r, 24) == kGmCompatible;
  size_t at = 36;
  if (!(run.options & kEtoNoRect)) {
    if (!Fits(r, 52)) return false;
    for (int i = 0; i < 4; ++i) run.rect[i] = I32At(r, 36 + 4 * i);
    run.hasRect = true;
    at = 52;
  }
  ByteReader rd = r.Reader();
  bool small = run.options & kEtoSmallChars;
  auto str = rd.Array(at, chars, small ? 1 : 2);
  if (!str) return true;
  for (uint32_t i = 0; i < chars; ++i) {
    uint16_t u = small ? (*str)[i] : *rd.U16(at + 2 * i);
    if (run.options & kEtoGlyphIndex) run.glyphIndices.push_back(u);
    else run.chars.push_back(static_cast<char16_t>(u));
  }
  DrawRun(c, run);
  return true;
}

}  // namespace

void RegisterTextHandlers(HandlerTable& t) {
  t.Set(EMR_EXTTEXTOUTW, ExtTextOutW);
  t.Set(EMR_EXTTEXTOUTA, ExtTextOutA);
  t.Set(EMR_POLYTEXTOUTW, PolyTextOutW);
  t.Set(EMR_POLYTEXTOUTA, PolyTextOutA);
  t.Set(EMR_SMALLTEXTOUT, SmallTextOut);
}

}  // namespace velto::emf::playback
