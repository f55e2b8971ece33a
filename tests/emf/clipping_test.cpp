// Clipping: rectangles in logical units, regions in recording-device units, paths, the meta region.
#include "tests/emf/playback_fixture.h"

namespace velto::test {
namespace {

using emf::kBlack;
using emf::kWhite;

void FillAll(emf::MetafileRecorder& rec) { rec.SelectObject(kNullPen).SelectObject(kBlackBrush).Rectangle({0, 0, 101, 101}); }

TEST(PlaybackClipping, IntersectAndExcludeRectangles) {
  auto rec = PixelRecorder();
  rec.Add(emf::EMR_INTERSECTCLIPRECT, emf::RecordBytes().Rect({10, 10, 60, 60}));
  rec.Add(emf::EMR_EXCLUDECLIPRECT, emf::RecordBytes().Rect({20, 20, 30, 30}));
  FillAll(rec);
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(10, 10), kBlack);
  EXPECT_EQ(s->Pixel(59, 59), kBlack);
  EXPECT_EQ(s->Pixel(60, 60), kWhite);
  EXPECT_EQ(s->Pixel(9, 30), kWhite);
  EXPECT_EQ(s->Pixel(25, 25), kWhite);
  EXPECT_EQ(s->Pixel(30, 30), kBlack);
}

TEST(PlaybackClipping, RegionCombineModes) {
  // Each case: start from region A = 0..50 × 0..50, combine with B = 25..75 × 25..75.
  struct Case {
    uint32_t mode;
    bool inA, inBoth, inB;
  } cases[] = {{1, false, true, false}, {2, true, true, true}, {3, true, false, true}, {4, true, false, false},
               {5, false, true, true}};
  for (const auto& c : cases) {
    auto rec = PixelRecorder();
    AddExtSelectClipRgn(rec, 5, {{0, 0, 50, 50}});
    AddExtSelectClipRgn(rec, c.mode, {{25, 25, 75, 75}});
    FillAll(rec);
    auto s = PlayRecording(rec);
    EXPECT_EQ(s->Pixel(10, 10) == kBlack, c.inA) << "mode " << c.mode;
    EXPECT_EQ(s->Pixel(40, 40) == kBlack, c.inBoth) << "mode " << c.mode;
    EXPECT_EQ(s->Pixel(60, 60) == kBlack, c.inB) << "mode " << c.mode;
    EXPECT_EQ(s->Pixel(90, 10), kWhite) << "mode " << c.mode;
  }
}

TEST(PlaybackClipping, RegionsAreInDeviceUnitsNotLogical) {
  auto rec = PixelRecorder();
  rec.SetMapMode(8).SetWindowExt({1, 1}).SetViewportExt({4, 4});
  AddExtSelectClipRgn(rec, 5, {{0, 0, 20, 20}});  // 20 device pixels, whatever the mapping
  rec.SelectObject(kNullPen).SelectObject(kBlackBrush).Rectangle({0, 0, 26, 26});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(19, 19), kBlack);
  EXPECT_EQ(s->Pixel(21, 5), kWhite);
}

TEST(PlaybackClipping, CopyWithoutDataResetsToMetaRegion) {
  auto rec = PixelRecorder();
  AddExtSelectClipRgn(rec, 5, {{0, 0, 60, 60}});
  rec.Add(emf::EMR_SETMETARGN);
  AddExtSelectClipRgn(rec, 5, {{0, 0, 20, 20}});
  AddExtSelectClipRgn(rec, 5, {});  // back to the meta region 0..60
  FillAll(rec);
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(50, 50), kBlack);
  EXPECT_EQ(s->Pixel(70, 70), kWhite);
}

TEST(PlaybackClipping, ClipPathAndSaveRestore) {
  auto rec = PixelRecorder();
  rec.SaveDC();
  rec.Add(emf::EMR_BEGINPATH);
  rec.Rectangle({10, 10, 40, 40});
  rec.Add(emf::EMR_ENDPATH);
  rec.Add(emf::EMR_SELECTCLIPPATH, emf::RecordBytes().U32(5));
  FillAll(rec);
  rec.RestoreDC(-1);  // the clip goes with the state
  rec.SelectObject(kBlackBrush).Rectangle({60, 60, 90, 90});
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(20, 20), kBlack);
  EXPECT_EQ(s->Pixel(50, 20), kWhite);
  EXPECT_EQ(s->Pixel(70, 70), kBlack);
}

TEST(PlaybackClipping, OffsetClipRegion) {
  auto rec = PixelRecorder();
  AddExtSelectClipRgn(rec, 5, {{0, 0, 20, 20}});
  rec.Add(emf::EMR_OFFSETCLIPRGN, emf::RecordBytes().I32(50).I32(50));
  FillAll(rec);
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(10, 10), kWhite);
  EXPECT_EQ(s->Pixel(60, 60), kBlack);
}

}  // namespace
}  // namespace velto::test
