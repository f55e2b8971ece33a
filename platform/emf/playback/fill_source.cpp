#include "playback/fill_source.h"

#include "playback/dc_state.h"

namespace velto::emf::playback {

const uint8_t* HatchRows(uint32_t hatch) {
  static const uint8_t kHatches[6][8] = {
      {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // HS_HORIZONTAL
      {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
      {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL
      {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL
      {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // HS_CROSS
      {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
  };
  return kHatches[hatch < 6 ? hatch : 0];
}

FillSource MakeFillSource(const Brush& brush, Rgb textColour, Rgb bkColour, uint32_t bkMode, PointL brushOrg) {
  FillSource s;
  s.origin = brushOrg;
  if (brush.style == kBsHatched) {
    s.solid = false;
    auto tile = std::make_shared<Image>();
    tile->width = tile->height = 8;
    tile->pixels.resize(64);
    const uint8_t* rows = HatchRows(brush.hatch);
    uint32_t fg = 0xFF000000u | brush.colour;
    uint32_t bg = bkMode == kOpaque ? (0xFF000000u | bkColour) : 0;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) tile->pixels[y * 8 + x] = ((rows[y] >> (7 - x)) & 1) ? fg : bg;
    s.tile = std::move(tile);
    return s;
  }
  if ((brush.style == kBsPattern || brush.style == kBsDibPattern || brush.style == kBsDibPatternPt) && brush.pattern &&
      brush.pattern->width > 0 && brush.pattern->height > 0) {
    s.solid = false;
    if (brush.monochromePattern && !brush.pattern->monoBits.empty()) {
      auto tile = std::make_shared<Image>(*brush.pattern);
      for (size_t i = 0; i < tile->pixels.size(); ++i)
        tile->pixels[i] = 0xFF000000u | (tile->monoBits[i] ? bkColour : textColour);
      s.tile = std::move(tile);
    } else {
      s.tile = brush.pattern;
    }
    return s;
  }
  s.colour = brush.colour;
  return s;
}

}  // namespace velto::emf::playback
