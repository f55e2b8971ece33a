#include "playback/objects.h"

namespace velto::emf::playback {
namespace {

std::shared_ptr<Brush> SolidBrush(Rgb colour, uint32_t style = kBsSolid) {
  auto b = std::make_shared<Brush>();
  b->style = style;
  b->colour = colour;
  return b;
}

std::shared_ptr<Pen> SolidPen(Rgb colour, uint32_t style = kPsSolid) {
  auto p = std::make_shared<Pen>();
  p->style = style;
  p->colour = colour;
  return p;
}

std::shared_ptr<Font> StockFont(const char16_t* face, int32_t height, int32_t weight, uint8_t pitch) {
  auto f = std::make_shared<Font>();
  f->logFont.faceName = face;
  f->logFont.height = height;
  f->logFont.weight = weight;
  f->logFont.pitchAndFamily = pitch;
  return f;
}

}  // namespace

Object StockObject(uint32_t index) {
  switch (index) {
    case 0: return SolidBrush(kWhite);
    case 1: return SolidBrush(MakeRgb(0xC0, 0xC0, 0xC0));
    case 2: return SolidBrush(MakeRgb(0x80, 0x80, 0x80));
    case 3: return SolidBrush(MakeRgb(0x40, 0x40, 0x40));
    case 4: return SolidBrush(kBlack);
    case 5: return SolidBrush(kBlack, kBsNull);
    case 6: return SolidPen(kWhite);
    case 7: return SolidPen(kBlack);
    case 8: return SolidPen(kBlack, kPsNull);
    case 10: return StockFont(u"Courier New", 12, 400, 1);
    case 11: return StockFont(u"Courier New", 12, 400, 1);
    case 12: return StockFont(u"Arial", 12, 400, 2);
    case 13: return StockFont(u"System", 16, 700, 2);
    case 14: return StockFont(u"System", 16, 700, 2);
    case 15: return std::make_shared<Palette>();
    case 16: return StockFont(u"Fixedsys", 15, 400, 1);
    case 17: return StockFont(u"MS Shell Dlg", -11, 400, 2);
    case 18: return SolidBrush(kWhite);  // DC brush: white until changed
    case 19: return SolidPen(kBlack);    // DC pen: black until changed
    default: return std::monostate{};
  }
}

}  // namespace velto::emf::playback
