// Clipping records and the region drawing records.
#include <cmath>

#include "metafile_recorder.h"
#include "playback/handlers.h"

namespace velto::emf::playback {
namespace {

Region SurfaceRegion(const Context& c) { return Region::FromRect(0, 0, c.device.Width(), c.device.Height()); }

void CombineClip(Context& c, const Region& region, RegionOp op) {
  Region current = c.dc.clip ? *c.dc.clip : SurfaceRegion(c);
  c.dc.clip = op == RegionOp::Copy ? region : Region::Combine(current, region, op);
  c.ClipChanged();
}

bool ExtSelectClipRgn(Context& c, const Record& r) {
  if (!Fits(r, 16)) return false;
  uint32_t size = U32At(r, 8), mode = U32At(r, 12);
  if (mode < 1 || mode > 5) return true;
  if (size == 0 || !r.Reader().Has(16, 32)) {
    // Without region data only RGN_COPY means anything: back to the meta region.
    if (mode == 5) {
      c.dc.clip.reset();
      c.ClipChanged();
    }
    return true;
  }
  auto region = ReadRegion(c, r, 16, std::min<size_t>(size, r.bytes.size() - 16));
  if (!region) return true;
  CombineClip(c, *region, static_cast<RegionOp>(mode));
  return true;
}

Region DeviceRect(const Context& c, const Record& r, size_t offset) {
  PointD a = c.ToDevice(I32At(r, offset), I32At(r, offset + 4));
  PointD b = c.ToDevice(I32At(r, offset + 8), I32At(r, offset + 12));
  return Region::FromRect(static_cast<int>(ClampCoordinate(a.x)), static_cast<int>(ClampCoordinate(a.y)),
                          static_cast<int>(ClampCoordinate(b.x)), static_cast<int>(ClampCoordinate(b.y)));
}

bool IntersectClipRect(Context& c, const Record& r) {
  if (!Fits(r, 24)) return false;
  CombineClip(c, DeviceRect(c, r, 8), RegionOp::And);
  return true;
}

bool ExcludeClipRect(Context& c, const Record& r) {
  if (!Fits(r, 24)) return false;
  CombineClip(c, DeviceRect(c, r, 8), RegionOp::Diff);
  return true;
}

bool OffsetClipRgn(Context& c, const Record& r) {
  if (!Fits(r, 16)) return false;
  if (!c.dc.clip) return true;
  PointD d = c.LogicalToDevice().ApplyVector(I32At(r, 8), I32At(r, 12));
  c.dc.clip->Offset(static_cast<int>(std::lround(ClampCoordinate(d.x))), static_cast<int>(std::lround(ClampCoordinate(d.y))));
  c.ClipChanged();
  return true;
}

bool SetMetaRgn(Context& c, const Record&) {
  c.dc.metaRegion = c.EffectiveClip();
  c.dc.clip.reset();
  c.ClipChanged();
  return true;
}

std::shared_ptr<Brush> BrushOf(const Context& c, uint32_t handle) {
  Object object = std::monostate{};
  if (handle & 0x80000000u) object = StockObject(handle & 0x7FFFFFFFu);
  else if (const Object* o = c.objects.Get(handle)) object = *o;
  if (auto* b = std::get_if<std::shared_ptr<Brush>>(&object)) return *b;
  return nullptr;
}

bool FillRgn(Context& c, const Record& r) {
  if (!Fits(r, 32)) return false;
  auto brush = BrushOf(c, U32At(r, 28));
  auto region = ReadRegion(c, r, 32, std::min<size_t>(U32At(r, 24), r.bytes.size() - 32));
  if (!brush || !region || brush->IsNull()) return true;
  c.device.FillRegion(*region, c.BrushSource(*brush), c.dc.rop2);
  return true;
}

bool PaintRgn(Context& c, const Record& r) {
  if (!Fits(r, 28)) return false;
  auto region = ReadRegion(c, r, 28, std::min<size_t>(U32At(r, 24), r.bytes.size() - 28));
  if (!region || c.dc.brush->IsNull()) return true;
  c.device.FillRegion(*region, c.BrushSource(), c.dc.rop2);
  return true;
}

bool InvertRgn(Context& c, const Record& r) {
  if (!Fits(r, 28)) return false;
  auto region = ReadRegion(c, r, 28, std::min<size_t>(U32At(r, 24), r.bytes.size() - 28));
  if (region && c.device.Caps().pixelAccess) c.device.InvertRegion(*region);
  return true;
}

bool FrameRgn(Context& c, const Record& r) {
  if (!Fits(r, 40)) return false;
  auto brush = BrushOf(c, U32At(r, 28));
  auto region = ReadRegion(c, r, 40, std::min<size_t>(U32At(r, 24), r.bytes.size() - 40));
  if (!brush || !region || brush->IsNull()) return true;
  PointD stroke = c.LogicalToDevice().ApplyVector(I32At(r, 32), I32At(r, 36));
  int w = std::clamp(static_cast<int>(std::lround(std::fabs(stroke.x))), 1, 4096);
  int h = std::clamp(static_cast<int>(std::lround(std::fabs(stroke.y))), 1, 4096);
  // The frame is the region less the region eroded by the stroke size.
  Region inner = *region;
  for (auto [dx, dy] : {std::pair{w, 0}, std::pair{-w, 0}, std::pair{0, h}, std::pair{0, -h}}) {
    Region moved = *region;
    moved.Offset(dx, dy);
    inner = Region::Combine(inner, moved, RegionOp::And);
  }
  c.device.FillRegion(Region::Combine(*region, inner, RegionOp::Diff), c.BrushSource(*brush), c.dc.rop2);
  return true;
}

}  // namespace

void RegisterClipHandlers(HandlerTable& t) {
  t.Set(EMR_EXTSELECTCLIPRGN, ExtSelectClipRgn);
  t.Set(EMR_INTERSECTCLIPRECT, IntersectClipRect);
  t.Set(EMR_EXCLUDECLIPRECT, ExcludeClipRect);
  t.Set(EMR_OFFSETCLIPRGN, OffsetClipRgn);
  t.Set(EMR_SETMETARGN, SetMetaRgn);
  t.Set(EMR_FILLRGN, FillRgn);
  t.Set(EMR_PAINTRGN, PaintRgn);
  t.Set(EMR_INVERTRGN, InvertRgn);
  t.Set(EMR_FRAMERGN, FrameRgn);
}

}  // namespace velto::emf::playback
