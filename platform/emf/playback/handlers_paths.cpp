// The path bracket and what consumes a path: fill, stroke, clip.
#include "metafile_recorder.h"
#include "playback/handlers.h"
#include "playback/scan_fill.h"
#include "playback/widen.h"

#include <cmath>

namespace velto::emf::playback {
namespace {

bool BeginPath(Context& c, const Record&) {
  c.dc.inPath = true;
  c.dc.path = Path{};
  return true;
}

bool EndPath(Context& c, const Record&) {
  c.dc.inPath = false;
  return true;
}

bool AbortPath(Context& c, const Record&) {
  c.dc.inPath = false;
  c.dc.path = Path{};
  return true;
}

bool CloseFigure(Context& c, const Record&) {
  if (c.dc.inPath) c.dc.path.Close();
  return true;
}

// Fills and strokes consume the path; inside an open bracket they do nothing.
void Consume(Context& c, bool fill, bool stroke) {
  if (c.dc.inPath) return;
  Path path = std::move(c.dc.path);
  c.dc.path = Path{};
  if (fill && !c.dc.brush->IsNull()) c.FillFigures(path.figures, c.BrushSource());
  if (stroke) {
    // A filled and stroked path closes its figures.
    if (fill)
      for (auto& f : path.figures) f.closed = true;
    c.StrokeFigures(path.figures);
  }
}

bool FillPath(Context& c, const Record&) { Consume(c, true, false); return true; }
bool StrokePath(Context& c, const Record&) { Consume(c, false, true); return true; }
bool StrokeAndFillPath(Context& c, const Record&) { Consume(c, true, true); return true; }

bool FlattenPath(Context&, const Record&) { return true; }  // curves are flattened as they are added

// The path becomes the outline of what the current pen would stroke. As in GDI, a cosmetic pen (one
// pixel wide) cannot widen: the path stays as it is.
bool WidenPath(Context& c, const Record&) {
  if (c.dc.inPath) return true;
  WidenPen pen;
  if (c.WideningPen(pen)) c.dc.path.figures = WidenFigures(c.dc.path.figures, pen);
  return true;
}

bool SelectClipPath(Context& c, const Record& r) {
  if (!Fits(r, 12)) return false;
  uint32_t mode = U32At(r, 8);
  if (c.dc.inPath || mode < 1 || mode > 5) return true;
  std::vector<std::vector<PointD>> polys;
  for (const auto& f : c.dc.path.figures)
    if (f.points.size() >= 2) polys.push_back(f.points);
  Region region = RegionOfPolygons(polys, c.dc.fillMode == kWinding, c.device.Bounds());
  c.dc.path = Path{};
  if (mode == 5) {
    c.dc.clip = std::move(region);
  } else {
    Region current = c.dc.clip ? *c.dc.clip : Region::FromRect(0, 0, c.device.Width(), c.device.Height());
    c.dc.clip = Region::Combine(current, region, static_cast<RegionOp>(mode));
  }
  c.ClipChanged();
  return true;
}

}  // namespace

void RegisterPathHandlers(HandlerTable& t) {
  t.Set(EMR_BEGINPATH, BeginPath);
  t.Set(EMR_ENDPATH, EndPath);
  t.Set(EMR_ABORTPATH, AbortPath);
  t.Set(EMR_CLOSEFIGURE, CloseFigure);
  t.Set(EMR_FILLPATH, FillPath);
  t.Set(EMR_STROKEPATH, StrokePath);
  t.Set(EMR_STROKEANDFILLPATH, StrokeAndFillPath);
  t.Set(EMR_FLATTENPATH, FlattenPath);
  t.Set(EMR_WIDENPATH, WidenPath);
  t.Set(EMR_SELECTCLIPPATH, SelectClipPath);
}

}  // namespace velto::emf::playback
