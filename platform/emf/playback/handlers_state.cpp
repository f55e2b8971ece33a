// Records that change the drawing state: mapping, transforms, colours, modes, SaveDC/RestoreDC.
#include <cmath>

#include "metafile_recorder.h"
#include "playback/handlers.h"

namespace velto::emf::playback {
namespace {

bool SetWindowExt(Context& c, const Record& r) {
  if (!Fits(r, 16)) return false;
  int32_t cx = I32At(r, 8), cy = I32At(r, 12);
  if (cx == 0 || cy == 0) return true;  // GDI refuses a zero extent
  if (c.dc.mapMode == kMmIsotropic || c.dc.mapMode == kMmAnisotropic) {
    c.dc.windowExt = {cx, cy};
    c.FixIsotropic();
  }
  return true;
}

bool SetViewportExt(Context& c, const Record& r) {
  if (!Fits(r, 16)) return false;
  int32_t cx = I32At(r, 8), cy = I32At(r, 12);
  if (cx == 0 || cy == 0) return true;
  if (c.dc.mapMode == kMmIsotropic || c.dc.mapMode == kMmAnisotropic) {
    c.dc.viewportExt = {cx, cy};
    c.FixIsotropic();
  }
  return true;
}

bool SetWindowOrg(Context& c, const Record& r) {
  if (!Fits(r, 16)) return false;
  c.dc.windowOrg = {I32At(r, 8), I32At(r, 12)};
  return true;
}

bool SetViewportOrg(Context& c, const Record& r) {
  if (!Fits(r, 16)) return false;
  c.dc.viewportOrg = {I32At(r, 8), I32At(r, 12)};
  return true;
}

bool ScaleExt(Context& c, const Record& r, SizeL& ext) {
  if (!Fits(r, 24)) return false;
  if (c.dc.mapMode != kMmIsotropic && c.dc.mapMode != kMmAnisotropic) return true;
  int64_t xNum = I32At(r, 8), xDen = I32At(r, 12), yNum = I32At(r, 16), yDen = I32At(r, 20);
  if (xDen == 0 || yDen == 0) return true;
  int64_t cx = int64_t{ext.cx} * xNum / xDen, cy = int64_t{ext.cy} * yNum / yDen;
  if (cx == 0 || cy == 0 || std::llabs(cx) > INT32_MAX || std::llabs(cy) > INT32_MAX) return true;
  ext = {static_cast<int32_t>(cx), static_cast<int32_t>(cy)};
  c.FixIsotropic();
  return true;
}

bool ScaleViewportExt(Context& c, const Record& r) { return ScaleExt(c, r, c.dc.viewportExt); }
bool ScaleWindowExt(Context& c, const Record& r) { return ScaleExt(c, r, c.dc.windowExt); }

bool SetMapMode(Context& c, const Record& r) {
  if (!Fits(r, 12)) return false;
  c.SetMapMode(U32At(r, 8));
  return true;
}

#define VELTO_U32_SETTER(Name, field)          \
  bool Name(Context& c, const Record& r) {     \
    if (!Fits(r, 12)) return false;            \
    c.dc.field = U32At(r, 8);                  \
    return true;                               \
  }
VELTO_U32_SETTER(SetTextAlign, textAlign)
VELTO_U32_SETTER(SetStretchMode, stretchMode)
#undef VELTO_U32_SETTER

bool SetBkMode(Context& c, const Record& r) {
  if (!Fits(r, 12)) return false;
  uint32_t mode = U32At(r, 8);
  if (mode == kTransparent || mode == kOpaque) c.dc.bkMode = mode;
  return true;
}

bool SetPolyFillMode(Context& c, const Record& r) {
  if (!Fits(r, 12)) return false;
  uint32_t mode = U32At(r, 8);
  if (mode == kAlternate || mode == kWinding) c.dc.fillMode = mode;
  return true;
}

bool SetRop2(Context& c, const Record& r) {
  if (!Fits(r, 12)) return false;
  uint32_t rop = U32At(r, 8);
  if (rop >= 1 && rop <= 16) c.dc.rop2 = rop;
  return true;
}

bool SetArcDirection(Context& c, const Record& r) {
  if (!Fits(r, 12)) return false;
  uint32_t dir = U32At(r, 8);
  if (dir == kArcCounterClockwise || dir == kArcClockwise) c.dc.arcDirection = dir;
  return true;
}

bool SetTextColor(Context& c, const Record& r) {
  if (!Fits(r, 12)) return false;
  c.dc.textColour = RgbOfColorRef(U32At(r, 8));
  return true;
}

bool SetBkColor(Context& c, const Record& r) {
  if (!Fits(r, 12)) return false;
  c.dc.bkColour = RgbOfColorRef(U32At(r, 8));
  return true;
}

bool SetBrushOrg(Context& c, const Record& r) {
  if (!Fits(r, 16)) return false;
  c.dc.brushOrg = {I32At(r, 8), I32At(r, 12)};
  return true;
}

bool SetMiterLimit(Context& c, const Record& r) {
  if (!Fits(r, 12)) return false;
  // Written as an integer by most recorders, as a float by some.
  uint32_t raw = U32At(r, 8);
  double limit = raw;
  if (raw > 0x10000) {
    float f = F32At(r, 8);
    limit = std::isfinite(f) ? f : 10.0;
  }
  if (limit >= 1) c.dc.miterLimit = std::min(limit, 1000.0);
  return true;
}

bool MoveTo(Context& c, const Record& r) {
  if (!Fits(r, 16)) return false;
  c.dc.currentPos = {double(I32At(r, 8)), double(I32At(r, 12))};
  if (c.dc.inPath) c.dc.path.MoveTo(c.ToDevice(c.dc.currentPos));
  return true;
}

Xform ReadXform(const Record& r, size_t offset) {
  return Xform{F32At(r, offset), F32At(r, offset + 4), F32At(r, offset + 8), F32At(r, offset + 12),
               F32At(r, offset + 16), F32At(r, offset + 20)};
}

bool Usable(const Xform& x) { return x.IsFinite() && x.Determinant() != 0; }

bool SetWorldTransform(Context& c, const Record& r) {
  if (!Fits(r, 32)) return false;
  Xform x = ReadXform(r, 8);
  if (Usable(x)) c.dc.world = x;
  return true;
}

bool ModifyWorldTransform(Context& c, const Record& r) {
  if (!Fits(r, 36)) return false;
  Xform x = ReadXform(r, 8);
  Xform result = c.dc.world;
  switch (U32At(r, 32)) {
    case 1: result = Xform{}; break;
    case 2: result = Then(x, c.dc.world); break;
    case 3: result = Then(c.dc.world, x); break;
    case 4: result = x; break;
    default: return true;
  }
  if (Usable(result)) c.dc.world = result;
  return true;
}

bool SaveDC(Context& c, const Record&) {
  size_t bytes = StateBytes(c.dc);
  if (c.saved.size() < kMaxSaveDepth && c.savedBytes + bytes <= kMaxSavedBytes) {
    c.saved.push_back(c.dc);
    c.savedBytes += bytes;
  }
  return true;
}

bool RestoreDC(Context& c, const Record& r) {
  if (!Fits(r, 12)) return false;
  int64_t which = I32At(r, 8);
  int64_t depth = static_cast<int64_t>(c.saved.size());
  int64_t target = which < 0 ? depth + which : which - 1;  // index of the state to restore
  if (which == 0 || target < 0 || target >= depth) return true;  // GDI refuses; playback goes on
  for (size_t i = static_cast<size_t>(target); i < c.saved.size(); ++i) c.savedBytes -= StateBytes(c.saved[i]);
  c.dc = std::move(c.saved[static_cast<size_t>(target)]);
  c.saved.resize(static_cast<size_t>(target));
  c.ClipChanged();
  return true;
}

bool SetTextJustification(Context& c, const Record& r) {
  if (!Fits(r, 16)) return false;
  c.dc.justifyExtra = I32At(r, 8);
  c.dc.justifyCount = I32At(r, 12);
  return true;
}

bool Ignore(Context&, const Record&) { return true; }

}  // namespace

void RegisterStateHandlers(HandlerTable& t) {
  t.Set(EMR_HEADER, Ignore);
  t.Set(EMR_EOF, Ignore);
  t.Set(EMR_SETWINDOWEXTEX, SetWindowExt);
  t.Set(EMR_SETWINDOWORGEX, SetWindowOrg);
  t.Set(EMR_SETVIEWPORTEXTEX, SetViewportExt);
  t.Set(EMR_SETVIEWPORTORGEX, SetViewportOrg);
  t.Set(EMR_SCALEVIEWPORTEXTEX, ScaleViewportExt);
  t.Set(EMR_SCALEWINDOWEXTEX, ScaleWindowExt);
  t.Set(EMR_SETBRUSHORGEX, SetBrushOrg);
  t.Set(EMR_SETMAPMODE, SetMapMode);
  t.Set(EMR_SETBKMODE, SetBkMode);
  t.Set(EMR_SETPOLYFILLMODE, SetPolyFillMode);
  t.Set(EMR_SETROP2, SetRop2);
  t.Set(EMR_SETSTRETCHBLTMODE, SetStretchMode);
  t.Set(EMR_SETTEXTALIGN, SetTextAlign);
  t.Set(EMR_SETTEXTCOLOR, SetTextColor);
  t.Set(EMR_SETBKCOLOR, SetBkColor);
  t.Set(EMR_SETARCDIRECTION, SetArcDirection);
  t.Set(EMR_SETMITERLIMIT, SetMiterLimit);
  t.Set(EMR_MOVETOEX, MoveTo);
  t.Set(EMR_SETWORLDTRANSFORM, SetWorldTransform);
  t.Set(EMR_MODIFYWORLDTRANSFORM, ModifyWorldTransform);
  t.Set(EMR_SAVEDC, SaveDC);
  t.Set(EMR_RESTOREDC, RestoreDC);
  t.Set(EMR_SETTEXTJUSTIFICATION, SetTextJustification);
  for (uint32_t type : {EMR_SETMAPPERFLAGS, EMR_SETCOLORADJUSTMENT, EMR_SETICMMODE, EMR_GDICOMMENT,
                        EMR_SETLAYOUT, EMR_SETCOLORSPACE, EMR_CREATECOLORSPACE, EMR_DELETECOLORSPACE,
                        EMR_CREATECOLORSPACEW, EMR_SETLINKEDUFIS, EMR_FORCEUFIMAPPING, EMR_EXTESCAPE,
                        EMR_NAMEDESCAPE, EMR_DRAWESCAPE, EMR_SETICMPROFILEA, EMR_SETICMPROFILEW,
                        EMR_COLORCORRECTPALETTE, EMR_COLORMATCHTOTARGETW, EMR_PIXELFORMAT, EMR_GLSRECORD,
                        EMR_GLSBOUNDEDRECORD, EMR_SELECTPALETTE, EMR_REALIZEPALETTE, EMR_RESIZEPALETTE,
                        EMR_SETPALETTEENTRIES})
    t.Set(type, Ignore);
}

}  // namespace velto::emf::playback
