#pragma once
// Writes enhanced metafiles record by record. Used to record pages of our own (the test page, the
// sample job) and by the tests to build exactly the metafiles they need.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "geometry.h"

namespace velto::emf {

// Little-endian byte appender for record payloads.
class RecordBytes {
 public:
  RecordBytes& U8(uint8_t v) { bytes_.push_back(v); return *this; }
  RecordBytes& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
  RecordBytes& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
  RecordBytes& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
  RecordBytes& I16(int16_t v) { return U16(static_cast<uint16_t>(v)); }
  RecordBytes& F32(float v);
  RecordBytes& Point(PointL p) { return I32(p.x).I32(p.y); }
  RecordBytes& Size(SizeL s) { return I32(s.cx).I32(s.cy); }
  RecordBytes& Rect(RectL r) { return I32(r.left).I32(r.top).I32(r.right).I32(r.bottom); }
  RecordBytes& Raw(std::span<const uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); return *this; }
  RecordBytes& Utf16(std::u16string_view s);  // code units, no terminator
  RecordBytes& Zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); return *this; }
  RecordBytes& PadTo4() { while (bytes_.size() % 4) bytes_.push_back(0); return *this; }
  size_t Size() const { return bytes_.size(); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// Some record types, by their MS-EMF numbers.
enum RecordType : uint32_t {
  EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYBEZIERTO = 5,
  EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8, EMR_SETWINDOWEXTEX = 9,
  EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12, EMR_SETBRUSHORGEX = 13,
  EMR_EOF = 14, EMR_SETPIXELV = 15, EMR_SETMAPPERFLAGS = 16, EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18,
  EMR_SETPOLYFILLMODE = 19, EMR_SETROP2 = 20, EMR_SETSTRETCHBLTMODE = 21, EMR_SETTEXTALIGN = 22,
  EMR_SETCOLORADJUSTMENT = 23, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_OFFSETCLIPRGN = 26,
  EMR_MOVETOEX = 27, EMR_SETMETARGN = 28, EMR_EXCLUDECLIPRECT = 29, EMR_INTERSECTCLIPRECT = 30,
  EMR_SCALEVIEWPORTEXTEX = 31, EMR_SCALEWINDOWEXTEX = 32, EMR_SAVEDC = 33, EMR_RESTOREDC = 34,
  EMR_SETWORLDTRANSFORM = 35, EMR_MODIFYWORLDTRANSFORM = 36, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38,
  EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40, EMR_ANGLEARC = 41, EMR_ELLIPSE = 42,
  EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44, EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47,
  EMR_SELECTPALETTE = 48, EMR_CREATEPALETTE = 49, EMR_SETPALETTEENTRIES = 50, EMR_RESIZEPALETTE = 51,
  EMR_REALIZEPALETTE = 52, EMR_EXTFLOODFILL = 53, EMR_LINETO = 54, EMR_ARCTO = 55, EMR_POLYDRAW = 56,
  EMR_SETARCDIRECTION = 57, EMR_SETMITERLIMIT = 58, EMR_BEGINPATH = 59, EMR_ENDPATH = 60,
  EMR_CLOSEFIGURE = 61, EMR_FILLPATH = 62, EMR_STROKEANDFILLPATH = 63, EMR_STROKEPATH = 64,
  EMR_FLATTENPATH = 65, EMR_WIDENPATH = 66, EMR_SELECTCLIPPATH = 67, EMR_ABORTPATH = 68,
  EMR_GDICOMMENT = 70, EMR_FILLRGN = 71, EMR_FRAMERGN = 72, EMR_INVERTRGN = 73, EMR_PAINTRGN = 74,
  EMR_EXTSELECTCLIPRGN = 75, EMR_BITBLT = 76, EMR_STRETCHBLT = 77, EMR_MASKBLT = 78, EMR_PLGBLT = 79,
  EMR_SETDIBITSTODEVICE = 80, EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82,
  EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86,
  EMR_POLYLINE16 = 87, EMR_POLYBEZIERTO16 = 88, EMR_POLYLINETO16 = 89, EMR_POLYPOLYLINE16 = 90,
  EMR_POLYPOLYGON16 = 91, EMR_POLYDRAW16 = 92, EMR_CREATEMONOBRUSH = 93, EMR_CREATEDIBPATTERNBRUSHPT = 94,
  EMR_EXTCREATEPEN = 95, EMR_POLYTEXTOUTA = 96, EMR_POLYTEXTOUTW = 97, EMR_SETICMMODE = 98,
  EMR_CREATECOLORSPACE = 99, EMR_SETCOLORSPACE = 100, EMR_DELETECOLORSPACE = 101, EMR_GLSRECORD = 102,
  EMR_GLSBOUNDEDRECORD = 103, EMR_PIXELFORMAT = 104, EMR_DRAWESCAPE = 105, EMR_EXTESCAPE = 106,
  EMR_SMALLTEXTOUT = 108, EMR_FORCEUFIMAPPING = 109, EMR_NAMEDESCAPE = 110, EMR_COLORCORRECTPALETTE = 111,
  EMR_SETICMPROFILEA = 112, EMR_SETICMPROFILEW = 113, EMR_ALPHABLEND = 114, EMR_SETLAYOUT = 115,
  EMR_TRANSPARENTBLT = 116, EMR_GRADIENTFILL = 118, EMR_SETLINKEDUFIS = 119, EMR_SETTEXTJUSTIFICATION = 120,
  EMR_COLORMATCHTOTARGETW = 121, EMR_CREATECOLORSPACEW = 122,
};

// Stock objects are selected by index with the top bit set.
inline constexpr uint32_t StockObject(uint32_t index) { return 0x80000000u | index; }

// COLORREF as GDI stores it: red in the low byte.
inline constexpr uint32_t ColorRef(uint8_t r, uint8_t g, uint8_t b) {
  return uint32_t{r} | (uint32_t{g} << 8) | (uint32_t{b} << 16);
}

class MetafileRecorder {
 public:
  // frame: hundredths of a millimetre; device: reference device size in pixels and millimetres.
  MetafileRecorder(RectL frame, SizeL devicePixels, SizeL deviceMillimeters,
                   std::u16string_view description = u"");

  // Appends one record of `type` with `payload` after the 8-byte type/size prefix (padded to 4 bytes).
  MetafileRecorder& Add(uint32_t type, const RecordBytes& payload = {});
  // Appends raw record bytes unchanged, prefix included (for damaged or unusual records in tests).
  MetafileRecorder& AddRaw(std::span<const uint8_t> recordBytes);

  // Common records.
  MetafileRecorder& SetMapMode(uint32_t mode) { return Add(EMR_SETMAPMODE, RecordBytes().U32(mode)); }
  MetafileRecorder& SetWindowExt(SizeL s) { return Add(EMR_SETWINDOWEXTEX, RecordBytes().Size(s)); }
  MetafileRecorder& SetWindowOrg(PointL p) { return Add(EMR_SETWINDOWORGEX, RecordBytes().Point(p)); }
  MetafileRecorder& SetViewportExt(SizeL s) { return Add(EMR_SETVIEWPORTEXTEX, RecordBytes().Size(s)); }
  MetafileRecorder& SetViewportOrg(PointL p) { return Add(EMR_SETVIEWPORTORGEX, RecordBytes().Point(p)); }
  MetafileRecorder& SetBkMode(uint32_t mode) { return Add(EMR_SETBKMODE, RecordBytes().U32(mode)); }
  MetafileRecorder& SetTextColor(uint32_t colorRef) { return Add(EMR_SETTEXTCOLOR, RecordBytes().U32(colorRef)); }
  MetafileRecorder& SetBkColor(uint32_t colorRef) { return Add(EMR_SETBKCOLOR, RecordBytes().U32(colorRef)); }
  MetafileRecorder& SetTextAlign(uint32_t align) { return Add(EMR_SETTEXTALIGN, RecordBytes().U32(align)); }
  MetafileRecorder& SetRop2(uint32_t rop) { return Add(EMR_SETROP2, RecordBytes().U32(rop)); }
  MetafileRecorder& SetPolyFillMode(uint32_t mode) { return Add(EMR_SETPOLYFILLMODE, RecordBytes().U32(mode)); }
  MetafileRecorder& SaveDC() { return Add(EMR_SAVEDC); }
  MetafileRecorder& RestoreDC(int32_t which) { return Add(EMR_RESTOREDC, RecordBytes().I32(which)); }
  // EMR_SETWORLDTRANSFORM with eM11, eM12, eM21, eM22, eDx, eDy.
  MetafileRecorder& SetWorldTransform(float m11, float m12, float m21, float m22, float dx, float dy) {
    return Add(EMR_SETWORLDTRANSFORM, RecordBytes().F32(m11).F32(m12).F32(m21).F32(m22).F32(dx).F32(dy));
  }
  // The graphics mode written into later text records: 1 GM_COMPATIBLE (the default), 2 GM_ADVANCED.
  MetafileRecorder& SetTextGraphicsMode(uint32_t mode) {
    textGraphicsMode_ = mode;
    return *this;
  }
  MetafileRecorder& SelectObject(uint32_t handle) { return Add(EMR_SELECTOBJECT, RecordBytes().U32(handle)); }
  MetafileRecorder& DeleteObject(uint32_t handle) { return Add(EMR_DELETEOBJECT, RecordBytes().U32(handle)); }
  MetafileRecorder& CreatePen(uint32_t handle, uint32_t style, int32_t width, uint32_t colorRef);
  MetafileRecorder& CreateBrush(uint32_t handle, uint32_t style, uint32_t colorRef, uint32_t hatch = 0);
  // lfHeight and lfWeight as in LOGFONTW; face name up to 31 characters.
  // lfOrientation is the escapement unless given.
  MetafileRecorder& CreateFont(uint32_t handle, int32_t height, int32_t weight, std::u16string_view face,
                               bool italic = false, uint8_t charset = 1, int32_t escapement = 0,
                               std::optional<int32_t> orientation = std::nullopt);
  MetafileRecorder& MoveTo(PointL p) { return Add(EMR_MOVETOEX, RecordBytes().Point(p)); }
  MetafileRecorder& LineTo(PointL p) { return Add(EMR_LINETO, RecordBytes().Point(p)); }
  MetafileRecorder& Rectangle(RectL r) { return Add(EMR_RECTANGLE, RecordBytes().Rect(r)); }
  MetafileRecorder& Ellipse(RectL r) { return Add(EMR_ELLIPSE, RecordBytes().Rect(r)); }
  MetafileRecorder& Polygon16(std::span<const PointL> points);
  MetafileRecorder& Polyline16(std::span<const PointL> points);
  // EMR_EXTTEXTOUTW at reference point p, with optional advances (logical units).
  MetafileRecorder& ExtTextOutW(PointL p, std::u16string_view text, uint32_t options = 0,
                                RectL rect = {}, std::span<const int32_t> dx = {});
  MetafileRecorder& ExtTextOutA(PointL p, std::string_view text, uint32_t options = 0, RectL rect = {},
                                std::span<const int32_t> dx = {});

  // Finishes the metafile: appends EOF and fills in the header's bounds, byte, record and handle counts.
  std::vector<uint8_t> Finish();

  size_t RecordCount() const { return records_; }

 private:
  MetafileRecorder& TextOut(uint32_t type, PointL p, std::span<const uint8_t> text, uint32_t chars,
                            uint32_t options, RectL rect, std::span<const int32_t> dx);
  std::vector<uint8_t> bytes_;
  size_t records_ = 0;
  uint32_t maxHandle_ = 0;
  uint32_t textGraphicsMode_ = 1;
  bool finished_ = false;
};

}  // namespace velto::emf
