// Records that create, select and delete pens, brushes, fonts and palettes.
#include "metafile_recorder.h"
#include "playback/dib.h"
#include "playback/handlers.h"

namespace velto::emf::playback {
namespace {

bool CreatePen(Context& c, const Record& r) {
  if (!Fits(r, 28)) return false;
  auto pen = std::make_shared<Pen>();
  pen->style = U32At(r, 12);
  pen->width = std::abs(double(I32At(r, 16)));
  pen->colour = RgbOfColorRef(U32At(r, 24));
  // Wide pens have only solid, null and inside-frame styles: other styles draw solid.
  if (pen->width > 1 && pen->Style() != kPsNull && pen->Style() != kPsInsideFrame) pen->style &= ~kPsStyleMask;
  pen->style &= kPsStyleMask;  // CreatePen: round caps and joins
  if (pen->Style() > kPsInsideFrame) pen->style = kPsSolid;  // user and alternate styles need ExtCreatePen
  c.objects.Put(U32At(r, 8), pen);
  return true;
}

// A 1-bit image whose 0 bits are black and 1 bits white.
bool IsBlackAndWhite(const Image& image) {
  if (image.monoBits.size() != image.pixels.size()) return false;
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    if ((image.pixels[i] & 0xFFFFFF) != (image.monoBits[i] ? 0xFFFFFFu : 0u)) return false;
  }
  return true;
}

bool ExtCreatePen(Context& c, const Record& r) {
  if (!Fits(r, 52)) return false;
  auto pen = std::make_shared<Pen>();
  pen->style = U32At(r, 28);
  pen->geometric = (pen->style & kPsGeometric) != 0;
  pen->width = pen->geometric ? std::abs(double(I32At(r, 32))) : 1;
  uint32_t brushStyle = U32At(r, 36);
  pen->colour = RgbOfColorRef(U32At(r, 40));
  uint32_t entries = U32At(r, 48);
  if (pen->Style() == kPsUserStyle) {
    auto style = r.Reader().Array(52, entries, 4);
    if (style && entries <= 16) {
      for (uint32_t i = 0; i < entries; ++i) pen->userStyle.push_back(U32At(r, 52 + 4 * i));
    }
    bool any = false;
    for (double d : pen->userStyle) any = any || d > 0;
    if (!any) pen->style = (pen->style & ~kPsStyleMask) | kPsSolid;
  }
  // As for brushes, the hatch styles past HS_DIAGCROSS draw solid in the pen's colour.
  const bool solidHatch = brushStyle == kBsHatched && U32At(r, 44) > kLastHatchStyle;
  if (!solidHatch && (brushStyle == kBsHatched || brushStyle == kBsPattern || brushStyle == kBsDibPattern ||
                      brushStyle == kBsDibPatternPt)) {
    auto brush = std::make_shared<Brush>();
    brush->style = brushStyle;
    brush->colour = pen->colour;
    brush->hatch = U32At(r, 44);
    if (brushStyle != kBsHatched) {
      // The record carries the pattern as a DIB. For the DIB styles the colour's low word says how its
      // table reads; a BS_PATTERN bitmap was a device bitmap, which a black-and-white table marks as
      // monochrome: it draws in the text and background colours, as a monochrome brush does.
      bool palColours = brushStyle != kBsPattern && (U32At(r, 40) & 0xFFFF) == kDibPalColors;
      auto image = DecodeDibWithUsage(r.Reader(), {U32At(r, 12), U32At(r, 16), U32At(r, 20), U32At(r, 24)},
                                      palColours ? kDibPalColors : kDibRgbColors);
      if (image) {
        brush->monochromePattern = brushStyle == kBsPattern && IsBlackAndWhite(*image);
        brush->pattern = std::make_shared<Image>(std::move(*image));
      }
    }
    if (!brush->IsNull()) pen->brush = brush;
  } else if (brushStyle == kBsNull) {
    pen->style = (pen->style & ~kPsStyleMask) | kPsNull;
  }
  c.objects.Put(U32At(r, 8), pen);
  return true;
}

bool CreateBrush(Context& c, const Record& r) {
  if (!Fits(r, 24)) return false;
  auto brush = std::make_shared<Brush>();
  brush->style = U32At(r, 12);
  brush->colour = RgbOfColorRef(U32At(r, 16));
  brush->hatch = U32At(r, 20);
  if (brush->style != kBsSolid && brush->style != kBsNull && brush->style != kBsHatched) brush->style = kBsSolid;
  // The hatch styles past HS_DIAGCROSS (HS_SOLIDCLR and the like) paint solid in the brush colour.
  if (brush->style == kBsHatched && brush->hatch > kLastHatchStyle) brush->style = kBsSolid;
  c.objects.Put(U32At(r, 8), brush);
  return true;
}

bool CreatePatternBrush(Context& c, const Record& r, bool mono) {
  if (!Fits(r, 32)) return false;
  auto brush = std::make_shared<Brush>();
  brush->style = kBsDibPatternPt;
  uint32_t usage = U32At(r, 12);
  auto image = DecodeDibWithUsage(r.Reader(), {U32At(r, 16), U32At(r, 20), U32At(r, 24), U32At(r, 28)},
                                  usage == kDibPalColors ? kDibPalColors : kDibRgbColors);
  if (image) {
    // DIB_PAL_INDICES takes its colours from the context. So does a monochrome brush whose table is
    // black and white; a 1-bit bitmap with other colours keeps them, as a colour pattern would.
    brush->monochromePattern = usage == 2 || (mono && IsBlackAndWhite(*image));
    brush->pattern = std::make_shared<Image>(std::move(*image));
  }
  c.objects.Put(U32At(r, 8), brush);
  return true;
}

bool CreateMonoBrush(Context& c, const Record& r) { return CreatePatternBrush(c, r, true); }
bool CreateDibPatternBrush(Context& c, const Record& r) { return CreatePatternBrush(c, r, false); }

bool ExtCreateFont(Context& c, const Record& r) {
  if (!Fits(r, 12 + 28)) return false;
  auto font = std::make_shared<Font>();
  text::LogFont& lf = font->logFont;
  ByteReader rd = r.Reader();
  lf.height = I32At(r, 12);
  lf.width = I32At(r, 16);
  lf.escapement = I32At(r, 20);
  lf.orientation = I32At(r, 24);
  lf.weight = I32At(r, 28);
  lf.italic = rd.U8(32).value_or(0);
  lf.underline = rd.U8(33).value_or(0);
  lf.strikeOut = rd.U8(34).value_or(0);
  lf.charSet = rd.U8(35).value_or(0);
  lf.outPrecision = rd.U8(36).value_or(0);
  lf.clipPrecision = rd.U8(37).value_or(0);
  lf.quality = rd.U8(38).value_or(0);
  lf.pitchAndFamily = rd.U8(39).value_or(0);
  for (size_t i = 0; i < 32; ++i) {
    auto ch = rd.U16(40 + 2 * i);
    if (!ch || *ch == 0) break;
    lf.faceName.push_back(static_cast<char16_t>(*ch));
  }
  c.objects.Put(U32At(r, 8), font);
  return true;
}

bool CreatePalette(Context& c, const Record& r) {
  if (!Fits(r, 16)) return false;
  auto palette = std::make_shared<Palette>();
  uint32_t count = r.Reader().U16(14).value_or(0);
  if (r.Reader().Array(16, count, 4)) {
    for (uint32_t i = 0; i < count; ++i) palette->entries.push_back(RgbOfColorRef(U32At(r, 16 + 4 * i) & 0xFFFFFF));
  }
  c.objects.Put(U32At(r, 8), palette);
  return true;
}

void Select(Context& c, const Object& object) {
  if (auto* pen = std::get_if<std::shared_ptr<Pen>>(&object)) c.dc.pen = *pen;
  else if (auto* brush = std::get_if<std::shared_ptr<Brush>>(&object)) c.dc.brush = *brush;
  else if (auto* font = std::get_if<std::shared_ptr<Font>>(&object)) c.dc.font = *font;
}

bool SelectObject(Context& c, const Record& r) {
  if (!Fits(r, 12)) return false;
  uint32_t handle = U32At(r, 8);
  if (handle & 0x80000000u) {
    Select(c, StockObject(handle & 0x7FFFFFFFu));
  } else if (const Object* object = c.objects.Get(handle)) {
    Select(c, *object);
  }
  return true;
}

bool DeleteObject(Context& c, const Record& r) {
  if (!Fits(r, 12)) return false;
  c.objects.Remove(U32At(r, 8));  // a selected object stays alive through the state's reference
  return true;
}

}  // namespace

void RegisterObjectHandlers(HandlerTable& t) {
  t.Set(EMR_CREATEPEN, CreatePen);
  t.Set(EMR_EXTCREATEPEN, ExtCreatePen);
  t.Set(EMR_CREATEBRUSHINDIRECT, CreateBrush);
  t.Set(EMR_CREATEMONOBRUSH, CreateMonoBrush);
  t.Set(EMR_CREATEDIBPATTERNBRUSHPT, CreateDibPatternBrush);
  t.Set(EMR_EXTCREATEFONTINDIRECTW, ExtCreateFont);
  t.Set(EMR_CREATEPALETTE, CreatePalette);
  t.Set(EMR_SELECTOBJECT, SelectObject);
  t.Set(EMR_DELETEOBJECT, DeleteObject);
}

}  // namespace velto::emf::playback
