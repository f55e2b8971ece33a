#pragma once
// The page-size rule, one for every writer: a page's size in pixels of the device it was recorded for,
// from its metafile header; the fallback size for pages of 5000 × 6000 pixels and more; and the 0.96
// scale that raster pages and re-recorded EMF pages take.

#include "platform/emf/metafile.h"

namespace velto {

// Width and height in reference-device pixels: frame extent (0.01 mm) × device pixels / (device mm ×
// 100), in signed 32-bit arithmetic. False when the header gives no size (a zero divisor).
bool MetafilePageSize(const emf::Metafile& metafile, int& width, int& height);
// 743 × 1052: an A4 page in points with a quarter added to each side.
void FallbackPageSize(int& width, int& height);

struct ScaledPageSize {
  int width = 0;   // w = trunc(W0 × 0.96)
  int height = 0;  // h = trunc(H0 × 0.96)
};
// The page size (W0, H0) with the fallback size in place of one of 5000 × 6000 or more, scaled by 0.96
// in double precision and truncated toward zero.
ScaledPageSize ScalePageSize(int metafileWidth, int metafileHeight);

}  // namespace velto
