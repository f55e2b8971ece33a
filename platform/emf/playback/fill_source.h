#pragma once
// What a fill paints with: a solid colour, or a tile of device pixels anchored at the brush origin
// (hatches and pattern brushes are not scaled by the transform).

#include <memory>

#include "geometry.h"
#include "playback/image.h"
#include "playback/objects.h"

namespace velto::emf::playback {

struct FillSource {
  bool solid = true;
  Rgb colour = kBlack;
  std::shared_ptr<Image> tile;  // premultiplied; transparent pixels leave the destination alone
  PointL origin;                // device pixel where the tile's (0, 0) sits

  // The tile pixel covering device pixel (x, y); alpha 0 means "leave the destination".
  uint32_t TileAt(int x, int y) const {
    int w = tile->width, h = tile->height;
    int tx = ((x - origin.x) % w + w) % w, ty = ((y - origin.y) % h + h) % h;
    return tile->At(tx, ty);
  }
};

// The 8 × 8 bits of hatch style `hatch` (HS_HORIZONTAL .. HS_DIAGCROSS): row-major, bit 7 leftmost.
const uint8_t* HatchRows(uint32_t hatch);

// The source of `brush` drawn with the given text and background colours and background mode.
FillSource MakeFillSource(const Brush& brush, Rgb textColour, Rgb bkColour, uint32_t bkMode, PointL brushOrg);

inline FillSource SolidSource(Rgb colour) {
  FillSource s;
  s.colour = colour;
  return s;
}

}  // namespace velto::emf::playback
