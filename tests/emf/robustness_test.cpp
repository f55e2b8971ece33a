// Damaged and hostile metafiles: playback never reads outside a record, never allocates what a size
// field asks without checking, never loops without bound.
#include <chrono>
#include <optional>

#include "tests/emf/playback_fixture.h"

namespace velto::test {
namespace {

using emf::kBlack;
using emf::kWhite;

std::vector<uint8_t> Record(uint32_t type, const std::vector<uint32_t>& words,
                            std::optional<uint32_t> sizeOverride = std::nullopt) {
  emf::RecordBytes b;
  b.U32(type).U32(sizeOverride.value_or(static_cast<uint32_t>(8 + 4 * words.size())));
  for (uint32_t w : words) b.U32(w);
  return b.Bytes();
}

TEST(PlaybackRobustness, CountsPastTheRecordAreRefused) {
  auto rec = PixelRecorder();
  // POLYGON16 claiming a billion points with room for two; POLYPOLYGON with a bad per-polygon count.
  rec.AddRaw(Record(emf::EMR_POLYGON16, {0, 0, 10, 10, 1000000000, 0, 0}));
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(5, 5), kWhite);

  auto rec2 = PixelRecorder();
  rec2.AddRaw(Record(emf::EMR_POLYPOLYGON16, {0, 0, 10, 10, 2, 3, 0xFFFFFFFF, 2, 0, 0, 0}));
  rec2.AddRaw(Record(emf::EMR_EXTTEXTOUTW, {0, 0, 0, 0, 1, 0, 0, 0, 0, 0x7FFFFFFF, 0xFFFFFF00, 0, 0, 0, 0, 0, 0}));
  rec2.AddRaw(Record(emf::EMR_EXTSELECTCLIPRGN, {0xFFFFFFF0, 1, 32, 1, 0x7FFFFFFF, 0}));
  PlayRecording(rec2);
}

TEST(PlaybackRobustness, HugeBitmapHeadersAreNotAllocated) {
  auto rec = PixelRecorder();
  Dib tiny = MakeDib(1, 1, 24, {}, {{0, 0, 0}});
  // Claim 2^20 × 2^20 pixels with RLE compression (which needs no bits to match).
  tiny.info[4] = 0, tiny.info[5] = 0, tiny.info[6] = 0x10, tiny.info[7] = 0;
  tiny.info[8] = 0, tiny.info[9] = 0, tiny.info[10] = 0x10, tiny.info[11] = 0;
  tiny.info[14] = 8, tiny.info[16] = 1;
  AddStretchDIBits(rec, tiny, 0, 0, 50, 50, 1, 1);
  auto start = std::chrono::steady_clock::now();
  auto s = PlayRecording(rec);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(s->Pixel(10, 10), kWhite);
}

TEST(PlaybackRobustness, ZeroSizedRecordEndsPlayback) {
  auto rec = PixelRecorder();
  rec.SelectObject(kBlackBrush).Rectangle({0, 0, 20, 20});
  rec.AddRaw(Record(emf::EMR_RECTANGLE, {40, 40, 60, 60}, 0));
  rec.Rectangle({70, 70, 90, 90});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(10, 10), kBlack);
  EXPECT_EQ(s->Pixel(80, 80), kWhite);
}

TEST(PlaybackRobustness, ShortRecordStopsPlayback) {
  auto rec = PixelRecorder();
  rec.SelectObject(kBlackBrush);
  rec.AddRaw(Record(emf::EMR_RECTANGLE, {1, 2}));  // needs four coordinates
  rec.Rectangle({0, 0, 20, 20});
  auto metafile = emf::Metafile::FromBytes(rec.Finish());
  auto s = emf::Surface::Create(100, 100, emf::Surface::Kind::Colour);
  s->FillRect({0, 0, 100, 100}, kWhite);
  EXPECT_FALSE(emf::PlayMetafile(*s, *metafile, {0, 0, 100, 100}));
  EXPECT_EQ(s->Pixel(10, 10), kWhite);
}

TEST(PlaybackRobustness, DeepSaveDcAndBadHandles) {
  auto rec = PixelRecorder();
  for (int i = 0; i < 20000; ++i) rec.SaveDC();
  rec.RestoreDC(-100000).RestoreDC(0).RestoreDC(123456);
  rec.SelectObject(70000).DeleteObject(0xFFFFFFFF).SelectObject(emf::StockObject(1234));
  rec.CreatePen(0xFFFFFF, 0, 1, 0);
  rec.SelectObject(kBlackBrush).Rectangle({0, 0, 20, 20});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(10, 10), kBlack);
}

TEST(PlaybackRobustness, SavedStatesWithLargeClipRegionsAreBounded) {
  auto rec = PixelRecorder();
  rec.Add(emf::EMR_BEGINPATH);
  rec.Ellipse({0, 0, 100, 100});  // 1000 device pixels across
  rec.Add(emf::EMR_ENDPATH);
  rec.Add(emf::EMR_SELECTCLIPPATH, emf::RecordBytes().U32(5));  // about a thousand bands
  for (int i = 0; i < 4000; ++i) rec.SaveDC();
  rec.RestoreDC(1);
  rec.SelectObject(kBlackBrush).Rectangle({0, 0, 100, 100});
  auto start = std::chrono::steady_clock::now();
  auto s = PlayRecording(rec, 1000);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(s->Pixel(500, 500), kBlack);
  EXPECT_EQ(s->Pixel(2, 2), kWhite);
}

TEST(PlaybackRobustness, HugeCoordinatesAndTransformsFinishQuickly) {
  auto rec = PixelRecorder();
  rec.SelectObject(kBlackBrush);
  rec.Rectangle({-2000000000, -2000000000, 2000000000, 2000000000});
  rec.MoveTo({-2000000000, 5}).LineTo({2000000000, 7});
  rec.Ellipse({-2000000000, -2000000000, 2000000000, 2000000000});
  emf::RecordBytes x;
  x.F32(1e30f).F32(0).F32(0).F32(1e30f).F32(0).F32(0);
  rec.Add(emf::EMR_SETWORLDTRANSFORM, x);
  rec.Rectangle({1, 1, 2, 2});
  rec.Add(emf::EMR_ANGLEARC, emf::RecordBytes().I32(50).I32(50).U32(0xFFFFFFFF).F32(0).F32(1e30f));
  // A clipped text rectangle far beyond any int once transformed.
  rec.CreateFont(1, -12, 400, u"Arial").SelectObject(1);
  rec.ExtTextOutW({1, 1}, u"x", 0x4, {-1000, -1000, 1000, 1000});
  // A gradient triangle millions of pixels across, in playback's own coordinates.
  emf::RecordBytes g;
  g.Rect({0, 0, 100, 100}).U32(3).U32(1).U32(2);  // three vertices, one triangle, GRADIENT_FILL_TRIANGLE
  for (auto [x, y] : {std::pair{-2000000000, -2000000000}, {2000000000, 0}, {0, 2000000000}})
    g.I32(x).I32(y).U16(0xFF00).U16(0).U16(0).U16(0);
  g.U32(0).U32(1).U32(2);
  rec.Add(emf::EMR_SETWORLDTRANSFORM, emf::RecordBytes().F32(1).F32(0).F32(0).F32(1).F32(0).F32(0));
  rec.Add(emf::EMR_GRADIENTFILL, g);
  auto start = std::chrono::steady_clock::now();
  PlayRecording(rec);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(PlaybackRobustness, HugeClipRegionsStayOnTheSurface) {
  auto rec = PixelRecorder();
  AddExtSelectClipRgn(rec, 5, {{-2000000000, -2000000000, 2000000000, 2000000000}});
  AddExtSelectClipRgn(rec, 3, {{-2000000000, 10, 2000000000, 20}});  // XOR: all but rows 10 … 19
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush).Rectangle({0, 0, 50, 50});
  // Offsets that carry the region past the coordinate space and back must not wrap it onto the page.
  for (int i = 0; i < 4; ++i) rec.Add(emf::EMR_OFFSETCLIPRGN, emf::RecordBytes().I32(2000000000).I32(0));
  rec.Add(emf::EMR_OFFSETCLIPRGN, emf::RecordBytes().I32(-2000000000).I32(-2000000000));
  rec.Rectangle({60, 0, 90, 50});
  AddExtSelectClipRgn(rec, 5, {});  // no clip again
  rec.Rectangle({60, 60, 90, 90});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(25, 5), kBlack);
  EXPECT_EQ(s->Pixel(25, 15), kWhite);
  EXPECT_EQ(s->Pixel(25, 30), kBlack);
  EXPECT_EQ(s->Pixel(75, 75), kBlack);
  EXPECT_EQ(s->Pixel(55, 55), kWhite);
  EXPECT_EQ(s->Pixel(95, 95), kWhite);
}

TEST(PlaybackRobustness, PointsBeyondGdiCoordinateSpaceDrawNothing) {
  auto rec = PixelRecorder();
  emf::RecordBytes line;
  line.Rect({0, 0, 100, 100}).U32(2).Point({10, 10}).Point({300000000, 10});
  rec.Add(emf::EMR_POLYLINE, line);
  emf::RecordBytes ok;
  ok.Rect({0, 0, 100, 100}).U32(2).Point({10, 50}).Point({90, 50});
  rec.Add(emf::EMR_POLYLINE, ok);
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(50, 10), kWhite);
  EXPECT_EQ(s->Pixel(50, 50), kBlack);
}

TEST(PlaybackRobustness, RandomBytesAfterTheHeader) {
  // Bytes that look like records of every type with short or garbage payloads. A record its handler
  // cannot take ends the playback, as it ends GDI's; one it takes lets the rest play: then the square
  // drawn after them, with the state saved before them restored, is on the page. Either way the page is
  // the same at every playback (nothing is read from outside the records). EMR_EOF ends the metafile
  // wherever it stands, and EMR_RESTOREDC with a garbage level may take the saved state away.
  for (uint32_t type = 2; type < 125; ++type) {
    auto rec = PixelRecorder();
    rec.SaveDC();
    std::vector<uint32_t> words;
    for (uint32_t i = 0; i < 30; ++i) words.push_back(i * 0x9E3779B9u ^ type);
    rec.AddRaw(Record(type, words));
    rec.AddRaw(Record(type, {}));
    rec.AddRaw(Record(type, {0xFFFFFFFF, 0x80000000, 0x7FFFFFFF}));
    rec.RestoreDC(-1);
    rec.SelectObject(kNullPen).SelectObject(kBlackBrush).Rectangle({40, 40, 60, 60});
    auto metafile = emf::Metafile::FromBytes(rec.Finish());
    ASSERT_TRUE(metafile);
    std::unique_ptr<emf::Surface> pages[2];
    bool playedToEnd = false;
    for (auto& page : pages) {
      page = emf::Surface::Create(100, 100, emf::Surface::Kind::Colour);
      page->FillRect(emf::RectL{0, 0, 100, 100}, kWhite);
      playedToEnd = emf::PlayMetafile(*page, *metafile, emf::RectL{0, 0, 100, 100});
      page->Flush();
    }
    bool same = true;
    for (int y = 0; y < 100 && same; ++y) {
      for (int x = 0; x < 100 && same; ++x) same = pages[0]->Pixel(x, y) == pages[1]->Pixel(x, y);
    }
    EXPECT_TRUE(same) << "record type " << type;
    if (playedToEnd && type != emf::EMR_EOF && type != emf::EMR_RESTOREDC) {
      EXPECT_EQ(pages[0]->Pixel(50, 50), kBlack) << "record type " << type;
    }
  }
}

}  // namespace
}  // namespace velto::test
