#pragma once
// The drawing state of the destination context while a metafile plays: everything SaveDC saves.

#include <memory>
#include <optional>

#include "geometry.h"
#include "playback/objects.h"
#include "playback/path.h"
#include "playback/region.h"
#include "playback/transform.h"

namespace velto::emf::playback {

enum : uint32_t {
  kMmText = 1, kMmLoMetric = 2, kMmHiMetric = 3, kMmLoEnglish = 4, kMmHiEnglish = 5, kMmTwips = 6,
  kMmIsotropic = 7, kMmAnisotropic = 8,
};
enum : uint32_t { kTransparent = 1, kOpaque = 2 };
enum : uint32_t { kAlternate = 1, kWinding = 2 };
enum : uint32_t { kR2Black = 1, kR2CopyPen = 13, kR2White = 16 };
enum : uint32_t { kArcCounterClockwise = 1, kArcClockwise = 2 };
enum : uint32_t { kBlackOnWhite = 1, kWhiteOnBlack = 2, kColorOnColor = 3, kHalftone = 4 };
enum : uint32_t {
  kTaUpdateCp = 1, kTaRight = 2, kTaCenter = 6, kTaHorizontalMask = 6, kTaBottom = 8, kTaBaseline = 24,
  kTaVerticalMask = 24, kTaRtlReading = 256,
};

struct DcState {
  uint32_t mapMode = kMmText;
  PointL windowOrg, viewportOrg;
  SizeL windowExt{1, 1}, viewportExt{1, 1};
  Xform world;

  std::shared_ptr<Pen> pen;
  std::shared_ptr<Brush> brush;
  std::shared_ptr<Font> font;

  Rgb textColour = kBlack;
  Rgb bkColour = kWhite;
  uint32_t bkMode = kTransparent;
  uint32_t textAlign = 0;
  uint32_t rop2 = kR2CopyPen;
  uint32_t fillMode = kAlternate;
  uint32_t arcDirection = kArcCounterClockwise;
  uint32_t stretchMode = kBlackOnWhite;
  PointL brushOrg;
  double miterLimit = 10;
  PointD currentPos;  // logical units
  int32_t charExtra = 0;
  int32_t justifyExtra = 0, justifyCount = 0;

  // Clip regions in device pixels of the surface; no value: no clipping.
  std::optional<Region> clip;
  std::optional<Region> metaRegion;

  bool inPath = false;
  Path path;  // device coordinates
};

}  // namespace velto::emf::playback
