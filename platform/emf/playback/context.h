#pragma once
// Everything one playback works with: the device drawn on, the drawing state and its SaveDC stack, the object
// table and the playback transform from the recording device onto the surface.

#include <chrono>
#include <vector>

#include "metafile.h"
#include "playback/dc_state.h"
#include "playback/device.h"
#include "playback/fill_source.h"
#include "playback/widen.h"

namespace velto::emf::playback {

// Deeper SaveDC stacks than this, or saved states holding more than kMaxSavedBytes of regions and
// paths, are refused (a metafile could otherwise grow memory without bound).
inline constexpr size_t kMaxSaveDepth = 4096;
inline constexpr size_t kMaxSavedBytes = size_t{32} << 20;

// Rough memory held by a state's regions and path.
size_t StateBytes(const DcState& state);

class Context {
 public:
  Context(Device& device, const MetafileHeader& header, const RectL& destination);

  Device& device;
  const MetafileHeader& header;
  Xform playback;  // recording-device pixels → surface pixels
  DcState dc;
  std::vector<DcState> saved;
  size_t savedBytes = 0;  // StateBytes of everything in `saved`
  ObjectTable objects;

  // Logical units → recording-device pixels (the metafile's world transform and mapping).
  Xform PageTransform() const;
  // Logical units → surface pixels.
  Xform LogicalToDevice() const { return Then(PageTransform(), playback); }
  // A logical point on the surface, rounded to whole pixels as GDI does.
  PointD ToDevice(double x, double y) const;
  PointD ToDevice(PointD p) const { return ToDevice(p.x, p.y); }
  // Scale of logical lengths on the surface (dash lengths, font sizes).
  double DeviceScale() const { return LogicalToDevice().Scale(); }
  // A wide pen's width on the device: GDI measures it along the x axis of the transform, so an
  // anisotropic mapping that halves x halves every wide line, whatever its direction. The width is
  // a whole number of pixels, at least one, measured between rounded device points.
  double PenDeviceWidth(double logicalWidth) const;
  // The selected pen as a widening pen (device width, caps, joins, miter limit); false for a null or
  // cosmetic pen, which has no outline of its own.
  bool WideningPen(WidenPen& out) const;

  // Call after any change of clip or meta region.
  void ClipChanged();
  // The region currently clipping (clip ∩ meta region), or no value.
  std::optional<Region> EffectiveClip() const;

  FillSource BrushSource() const;
  FillSource BrushSource(const Brush& brush) const;

  // Fills and strokes device figures with the selected brush and pen, or adds them to the open path.
  void DrawFigures(std::vector<Figure> figures, bool fill, bool stroke);
  void FillFigures(const std::vector<Figure>& figures, const FillSource& source);
  void StrokeFigures(const std::vector<Figure>& figures);

  // Fixed map modes and isotropic extents follow the recording device's size.
  void SetMapMode(uint32_t mode);
  void FixIsotropic();

  bool TimeUp();

  std::chrono::steady_clock::time_point deadline;
  size_t recordsSinceCheck = 0;
  bool timedOut = false;
};

// A COLORREF on a true-colour surface: explicit RGB (high byte 0) and palette-relative RGB (2) keep
// their colour, a palette index (1) picks from the default palette, anything else draws black.
Rgb RgbOfColorRef(uint32_t colorRef);

}  // namespace velto::emf::playback
