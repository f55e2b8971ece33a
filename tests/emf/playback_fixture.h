#pragma once
// Small metafiles for the playback tests: the recording device has 10 pixels per millimetre and the
// frame spans 100 × 100 of its pixels, so playing into a 100 × 100 surface maps one to one.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/emf/metafile.h"
#include "platform/emf/metafile_recorder.h"
#include "platform/emf/player.h"
#include "platform/emf/surface.h"

namespace velto::test {

inline emf::MetafileRecorder PixelRecorder() {
  return emf::MetafileRecorder(emf::RectL{0, 0, 1000, 1000}, emf::SizeL{1000, 1000}, emf::SizeL{100, 100});
}

// Plays the finished recording into a white surface of `size` × `size` pixels, destination the whole surface.
inline std::unique_ptr<emf::Surface> PlayRecording(emf::MetafileRecorder& recorder, int size = 100,
                                                   emf::Surface::Kind kind = emf::Surface::Kind::Colour) {
  auto metafile = emf::Metafile::FromBytes(recorder.Finish());
  EXPECT_TRUE(metafile);
  auto surface = emf::Surface::Create(size, size, kind);
  surface->FillRect(emf::RectL{0, 0, size, size}, emf::kWhite);
  if (metafile) emf::PlayMetafile(*surface, *metafile, emf::RectL{0, 0, size, size});
  surface->Flush();
  return surface;
}

inline emf::RecordBytes& Rect(emf::RecordBytes& b, emf::RectL r) { return b.Rect(r); }

// A bottom-up BITMAPINFOHEADER with a colour table, followed by rows padded to 4 bytes.
struct Dib {
  std::vector<uint8_t> info;
  std::vector<uint8_t> bits;
};

inline Dib MakeDib(int width, int height, int bitCount, const std::vector<uint32_t>& table,
                   const std::vector<std::vector<uint8_t>>& rowsTopDown, uint32_t compression = 0,
                   bool topDown = false) {
  emf::RecordBytes h;
  h.U32(40).I32(width).I32(topDown ? -height : height).U16(1).U16(static_cast<uint16_t>(bitCount)).U32(compression);
  size_t bitsSize = 0;
  for (const auto& r : rowsTopDown) bitsSize += r.size();
  h.U32(static_cast<uint32_t>(bitsSize)).I32(0).I32(0).U32(static_cast<uint32_t>(table.size())).U32(0);
  for (uint32_t c : table) h.U32(c);  // 0x00RRGGBB as RGBQUAD blue, green, red, 0
  Dib dib;
  dib.info = h.Bytes();
  if (compression != 0) {
    for (const auto& r : rowsTopDown) dib.bits.insert(dib.bits.end(), r.begin(), r.end());
    return dib;
  }
  for (int i = 0; i < height; ++i) {
    const auto& row = rowsTopDown[topDown ? i : height - 1 - i];
    dib.bits.insert(dib.bits.end(), row.begin(), row.end());
    while (dib.bits.size() % 4) dib.bits.push_back(0);
  }
  return dib;
}

// EMR_STRETCHDIBITS of the whole bitmap onto the logical rectangle (x, y, cx, cy).
inline void AddStretchDIBits(emf::MetafileRecorder& rec, const Dib& dib, int x, int y, int cx, int cy,
                             int srcWidth, int srcHeight, uint32_t rop = 0x00CC0020) {
  emf::RecordBytes r;
  uint32_t offBmi = 80, offBits = offBmi + static_cast<uint32_t>(dib.info.size());
  r.Rect({x, y, x + cx - 1, y + cy - 1}).I32(x).I32(y).I32(0).I32(0).I32(srcWidth).I32(srcHeight);
  r.U32(offBmi).U32(static_cast<uint32_t>(dib.info.size())).U32(offBits).U32(static_cast<uint32_t>(dib.bits.size()));
  r.U32(0).U32(rop).I32(cx).I32(cy);
  r.Raw(dib.info).Raw(dib.bits);
  rec.Add(emf::EMR_STRETCHDIBITS, r);
}

// Region data (RGNDATA) of rectangles in recording-device pixels.
inline emf::RecordBytes RegionData(const std::vector<emf::RectL>& rects) {
  emf::RecordBytes r;
  r.U32(32).U32(1).U32(static_cast<uint32_t>(rects.size())).U32(static_cast<uint32_t>(rects.size() * 16));
  r.Rect({0, 0, 100, 100});
  for (const auto& rc : rects) r.Rect(rc);
  return r;
}

inline void AddExtSelectClipRgn(emf::MetafileRecorder& rec, uint32_t mode, const std::vector<emf::RectL>& rects) {
  emf::RecordBytes data = RegionData(rects);
  emf::RecordBytes r;
  r.U32(rects.empty() ? 0 : static_cast<uint32_t>(data.Size())).U32(mode);
  if (!rects.empty()) r.Raw(data.Bytes());
  rec.Add(emf::EMR_EXTSELECTCLIPRGN, r);
}

constexpr uint32_t kNullPen = emf::StockObject(8);
constexpr uint32_t kBlackBrush = emf::StockObject(4);
constexpr uint32_t kNullBrush = emf::StockObject(5);
constexpr uint32_t kBlackPen = emf::StockObject(7);

}  // namespace velto::test
