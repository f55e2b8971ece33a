#include "metafile_recorder.h"

#include <algorithm>
#include <cstring>
#include <climits>
#include <limits>

namespace velto::emf {

RecordBytes& RecordBytes::F32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return U32(bits);
}

RecordBytes& RecordBytes::Utf16(std::u16string_view s) {
  for (char16_t c : s) U16(static_cast<uint16_t>(c));
  return *this;
}

namespace {

constexpr size_t kHeaderSize = 108;

void Put32(std::vector<uint8_t>& b, size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

RectL BoundsOf(std::span<const PointL> points) {
  if (points.empty()) return {};
  RectL r{points[0].x, points[0].y, points[0].x, points[0].y};
  for (auto p : points) {
    r.left = std::min(r.left, p.x);
    r.top = std::min(r.top, p.y);
    r.right = std::max(r.right, p.x);
    r.bottom = std::max(r.bottom, p.y);
  }
  return r;
}

}  // namespace

MetafileRecorder::MetafileRecorder(RectL frame, SizeL devicePixels, SizeL deviceMillimeters,
                                   std::u16string_view description) {
  RecordBytes h;
  // Bounds in device pixels of the reference device, from the frame.
  auto toPx = [](int32_t hundredthsMm, int32_t px, int32_t mm) {
    return mm ? static_cast<int32_t>(int64_t{hundredthsMm} * px / (int64_t{mm} * 100)) : 0;
  };
  RectL bounds{toPx(frame.left, devicePixels.cx, deviceMillimeters.cx),
               toPx(frame.top, devicePixels.cy, deviceMillimeters.cy),
               toPx(frame.right, devicePixels.cx, deviceMillimeters.cx),
               toPx(frame.bottom, devicePixels.cy, deviceMillimeters.cy)};
  size_t descBytes = description.empty() ? 0 : (description.size() + 1) * 2;
  h.U32(EMR_HEADER).U32(0).Rect(bounds).Rect(frame).U32(0x464D4520).U32(0x10000);
  h.U32(0).U32(0).U16(0).U16(0);  // bytes, records, handles, reserved: filled in by Finish
  h.U32(description.empty() ? 0 : static_cast<uint32_t>(description.size() + 1));
  h.U32(description.empty() ? 0 : static_cast<uint32_t>(kHeaderSize));
  h.U32(0).Size(devicePixels).Size(deviceMillimeters);
  h.U32(0).U32(0).U32(0);  // no pixel format, no OpenGL
  auto micrometres = [](int32_t mm) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{mm} * 1000, INT32_MIN, INT32_MAX));
  };
  h.Size(SizeL{micrometres(deviceMillimeters.cx), micrometres(deviceMillimeters.cy)});
  if (descBytes) h.Utf16(description).U16(0);
  h.PadTo4();
  bytes_ = h.Bytes();
  Put32(bytes_, 4, static_cast<uint32_t>(bytes_.size()));
  records_ = 1;
}

MetafileRecorder& MetafileRecorder::Add(uint32_t type, const RecordBytes& payload) {
  size_t size = 8 + ((payload.Size() + 3) & ~size_t{3});
  RecordBytes r;
  r.U32(type).U32(static_cast<uint32_t>(size)).Raw(payload.Bytes()).PadTo4();
  bytes_.insert(bytes_.end(), r.Bytes().begin(), r.Bytes().end());
  ++records_;
  return *this;
}

MetafileRecorder& MetafileRecorder::AddRaw(std::span<const uint8_t> recordBytes) {
  bytes_.insert(bytes_.end(), recordBytes.begin(), recordBytes.end());
  ++records_;
  return *this;
}

MetafileRecorder& MetafileRecorder::CreatePen(uint32_t handle, uint32_t style, int32_t width, uint32_t colorRef) {
  maxHandle_ = std::max(maxHandle_, handle);
  return Add(EMR_CREATEPEN, RecordBytes().U32(handle).U32(style).I32(width).I32(0).U32(colorRef));
}

MetafileRecorder& MetafileRecorder::CreateBrush(uint32_t handle, uint32_t style, uint32_t colorRef, uint32_t hatch) {
  maxHandle_ = std::max(maxHandle_, handle);
  return Add(EMR_CREATEBRUSHINDIRECT, RecordBytes().U32(handle).U32(style).U32(colorRef).U32(hatch));
}

MetafileRecorder& MetafileRecorder::CreateFont(uint32_t handle, int32_t height, int32_t weight,
                                               std::u16string_view face, bool italic, uint8_t charset,
                                               int32_t escapement, std::optional<int32_t> orientation) {
  maxHandle_ = std::max(maxHandle_, handle);
  RecordBytes r;
  r.U32(handle).I32(height).I32(0).I32(escapement).I32(orientation.value_or(escapement)).I32(weight);
  r.U8(italic ? 1 : 0).U8(0).U8(0).U8(charset).U8(0).U8(0).U8(0).U8(0);
  std::u16string name(32, u'\0');  // 31 characters at most and the terminating zero
  std::copy_n(face.begin(), std::min<size_t>(face.size(), 31), name.begin());
  r.Utf16(name);
  return Add(EMR_EXTCREATEFONTINDIRECTW, r);
}

MetafileRecorder& MetafileRecorder::Polygon16(std::span<const PointL> points) {
  RecordBytes r;
  r.Rect(BoundsOf(points)).U32(static_cast<uint32_t>(points.size()));
  for (auto p : points) r.I16(static_cast<int16_t>(p.x)).I16(static_cast<int16_t>(p.y));
  return Add(EMR_POLYGON16, r);
}

MetafileRecorder& MetafileRecorder::Polyline16(std::span<const PointL> points) {
  RecordBytes r;
  r.Rect(BoundsOf(points)).U32(static_cast<uint32_t>(points.size()));
  for (auto p : points) r.I16(static_cast<int16_t>(p.x)).I16(static_cast<int16_t>(p.y));
  return Add(EMR_POLYLINE16, r);
}

MetafileRecorder& MetafileRecorder::TextOut(uint32_t type, PointL p, std::span<const uint8_t> text,
                                            uint32_t chars, uint32_t options, RectL rect,
                                            std::span<const int32_t> dx) {
  // Layout: bounds, graphics mode, x/y scale, then the EMRTEXT object (at 36), string, advances.
  constexpr uint32_t kStringOffset = 76;
  uint32_t stringBytes = static_cast<uint32_t>((text.size() + 3) & ~size_t{3});
  uint32_t dxOffset = dx.empty() ? 0 : kStringOffset + stringBytes;
  RecordBytes r;
  r.Rect(RectL{}).U32(textGraphicsMode_).F32(0).F32(0);
  r.Point(p).U32(chars).U32(kStringOffset).U32(options).Rect(rect).U32(dxOffset);
  r.Raw(text).PadTo4();
  for (int32_t d : dx) r.I32(d);
  return Add(type, r);
}

MetafileRecorder& MetafileRecorder::ExtTextOutW(PointL p, std::u16string_view text, uint32_t options, RectL rect,
                                                std::span<const int32_t> dx) {
  RecordBytes t;
  t.Utf16(text);
  return TextOut(EMR_EXTTEXTOUTW, p, t.Bytes(), static_cast<uint32_t>(text.size()), options, rect, dx);
}

MetafileRecorder& MetafileRecorder::ExtTextOutA(PointL p, std::string_view text, uint32_t options, RectL rect,
                                                std::span<const int32_t> dx) {
  std::vector<uint8_t> t(text.begin(), text.end());
  return TextOut(EMR_EXTTEXTOUTA, p, t, static_cast<uint32_t>(text.size()), options, rect, dx);
}

std::vector<uint8_t> MetafileRecorder::Finish() {
  if (!finished_) {
    // EMR_EOF: no palette entries, offset to them, and the record's own size as the last field.
    Add(EMR_EOF, RecordBytes().U32(0).U32(16).U32(20));
    finished_ = true;
  }
  Put32(bytes_, 48, static_cast<uint32_t>(bytes_.size()));
  Put32(bytes_, 52, static_cast<uint32_t>(records_));
  uint32_t handles = std::min<uint32_t>(maxHandle_ + 1, std::numeric_limits<uint16_t>::max());
  bytes_[56] = static_cast<uint8_t>(handles);
  bytes_[57] = static_cast<uint8_t>(handles >> 8);
  return bytes_;
}

}  // namespace velto::emf
