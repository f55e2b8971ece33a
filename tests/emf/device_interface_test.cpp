// The player draws through the device interface only: text arrives laid out as glyph runs, gradients
// and path text as device calls, and operations a device cannot do are never asked of it.
#include <string>
#include <vector>

#include "platform/emf/playback/device.h"
#include "tests/emf/playback_fixture.h"

namespace velto::test {
namespace {

using emf::playback::CosmeticStroke;
using emf::playback::DeviceCaps;
using emf::playback::FillSource;
using emf::playback::GeometricStroke;
using emf::playback::GlyphRun;
using emf::playback::GradientColour;
using emf::playback::PointD;
using emf::playback::Region;

// Keeps what it was asked to draw.
class RecordingDevice final : public emf::playback::Device {
 public:
  struct Glyphs {
    size_t count = 0;
    std::vector<emf::text::GlyphOrigin> origins;
    std::vector<double> advances;
    std::u16string chars;
    emf::Rgb colour = 0;
    bool hasFont = false;
  };
  struct Gradient {
    double x0, y0, x1, y1;
    bool vertical;
    GradientColour first, second;
  };

  explicit RecordingDevice(DeviceCaps caps) : caps_(caps) {}

  DeviceCaps Caps() const override { return caps_; }
  int Width() const override { return 100; }
  int Height() const override { return 100; }
  bool IsMonochrome() const override { return false; }
  void SetClip(const std::optional<Region>&) override {}
  Region ClipRegionOrSurface() const override { return Region::FromRect(0, 0, 100, 100); }
  emf::RectL ClipBounds() const override { return {0, 0, 100, 100}; }
  void FillPolygons(const std::vector<std::vector<PointD>>& polygons, bool, const FillSource&, uint32_t) override {
    filledPolygons += polygons.size();
  }
  void FillRegion(const Region&, const FillSource&, uint32_t) override { ++regionFills; }
  void StrokeCosmetic(const std::vector<emf::playback::PointI>&, bool, const CosmeticStroke&, int&) override {}
  void StrokeGeometric(const std::vector<emf::playback::Figure>&, const GeometricStroke&, const FillSource&) override {}
  void DrawGlyphs(const GlyphRun& run) override {
    Glyphs g;
    g.count = run.glyphs.size();
    g.origins.assign(run.origins.begin(), run.origins.end());
    for (const auto& glyph : run.glyphs) g.advances.push_back(glyph.advance);
    g.chars = std::u16string(run.chars);
    g.colour = run.colour;
    g.hasFont = run.font != nullptr;
    glyphs.push_back(std::move(g));
  }
  void DrawImage(const emf::playback::Image& image, const emf::playback::Xform&, const std::vector<PointD>&, uint32_t,
                 const FillSource*, bool, std::optional<emf::Rgb>, bool, double) override {
    imageSizes.push_back({image.width, image.height});
  }
  void FillGradientRect(double x0, double y0, double x1, double y1, bool vertical, const GradientColour& first,
                        const GradientColour& second) override {
    gradients.push_back({x0, y0, x1, y1, vertical, first, second});
  }
  void SetPixel(int, int, emf::Rgb) override { ++pixels; }
  bool FloodFill(int, int, emf::Rgb, bool, const FillSource&, uint32_t) override {
    ++floods;
    return true;
  }
  void InvertRegion(const Region&) override { ++inversions; }

  std::vector<Glyphs> glyphs;
  std::vector<Gradient> gradients;
  size_t filledPolygons = 0;
  std::vector<std::pair<int, int>> imageSizes;
  int regionFills = 0, pixels = 0, floods = 0, inversions = 0;

 private:
  DeviceCaps caps_;
};

DeviceCaps AllCaps() { return DeviceCaps{true, true, true, true}; }

bool PlayOnto(RecordingDevice& device, emf::MetafileRecorder& rec) {
  auto metafile = emf::Metafile::FromBytes(rec.Finish());
  EXPECT_TRUE(metafile);
  return metafile && emf::PlayMetafile(device, *metafile, emf::RectL{0, 0, 100, 100});
}

TEST(DeviceInterface, TextArrivesAsOneLaidOutRunOfGlyphs) {
  auto rec = PixelRecorder();
  rec.CreateFont(1, -20, 400, u"Arial").SelectObject(1).SetTextColor(emf::ColorRef(0x12, 0x34, 0x56));
  rec.ExtTextOutW({20, 60}, u"Hi!");
  RecordingDevice device(AllCaps());
  EXPECT_TRUE(PlayOnto(device, rec));
  ASSERT_EQ(device.glyphs.size(), 1u);
  const auto& run = device.glyphs[0];
  EXPECT_TRUE(run.hasFont);
  EXPECT_EQ(run.chars, u"Hi!");
  EXPECT_EQ(run.colour, emf::MakeRgb(0x12, 0x34, 0x56));
  ASSERT_EQ(run.count, 3u);
  ASSERT_EQ(run.origins.size(), 3u);
  // TA_TOP: the baseline sits an ascent below the reference point; glyphs follow by their advances.
  EXPECT_DOUBLE_EQ(run.origins[0].x, 20);
  EXPECT_GT(run.origins[0].y, 60 + 10);
  EXPECT_LT(run.origins[0].y, 60 + 20);
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_DOUBLE_EQ(run.origins[i].x - run.origins[i - 1].x, run.advances[i - 1]);
    EXPECT_DOUBLE_EQ(run.origins[i].y, run.origins[0].y);
  }
}

TEST(DeviceInterface, GlyphIndicesCarryNoCharactersAndPathTextCarriesNoGlyphs) {
  auto rec = PixelRecorder();
  rec.CreateFont(1, -20, 400, u"Arial").SelectObject(1);
  constexpr uint32_t kEtoGlyphIndex = 0x10;
  rec.ExtTextOutW({10, 10}, u"\x2b\x2c", kEtoGlyphIndex);
  rec.Add(emf::EMR_BEGINPATH);
  rec.ExtTextOutW({10, 50}, u"O");
  rec.Add(emf::EMR_ENDPATH);
  rec.Add(emf::EMR_FILLPATH, emf::RecordBytes().Rect({0, 0, 100, 100}));
  RecordingDevice device(AllCaps());
  EXPECT_TRUE(PlayOnto(device, rec));
  ASSERT_EQ(device.glyphs.size(), 1u);
  EXPECT_EQ(device.glyphs[0].count, 2u);
  EXPECT_TRUE(device.glyphs[0].chars.empty());
  // The "O" became the path's two contours, filled as polygons.
  EXPECT_EQ(device.filledPolygons, 2u);
}

TEST(DeviceInterface, GradientRectanglesAreShadedByTheDevice) {
  auto rec = PixelRecorder();
  emf::RecordBytes r;
  r.Rect({10, 20, 50, 40}).U32(2).U32(1).U32(1);  // two vertices, one rectangle, vertical
  r.I32(10).I32(20).U16(0xFF00).U16(0).U16(0).U16(0);
  r.I32(50).I32(40).U16(0).U16(0).U16(0x8000).U16(0);
  r.U32(0).U32(1);
  rec.Add(emf::EMR_GRADIENTFILL, r);
  RecordingDevice device(AllCaps());
  EXPECT_TRUE(PlayOnto(device, rec));
  ASSERT_EQ(device.gradients.size(), 1u);
  const auto& g = device.gradients[0];
  EXPECT_EQ(g.x0, 10);
  EXPECT_EQ(g.y0, 20);
  EXPECT_EQ(g.x1, 50);
  EXPECT_EQ(g.y1, 40);
  EXPECT_TRUE(g.vertical);
  EXPECT_DOUBLE_EQ(g.first.r, 1.0);
  EXPECT_DOUBLE_EQ(g.second.b, 0x8000 / 65280.0);
}

TEST(DeviceInterface, PixelReadingRecordsReachOnlyDevicesThatReadPixels) {
  auto record = [] {
    auto rec = PixelRecorder();
    rec.SelectObject(kBlackBrush);
    rec.Add(emf::EMR_EXTFLOODFILL, emf::RecordBytes().I32(50).I32(50).U32(0).U32(0));
    emf::RecordBytes data = RegionData({{10, 10, 30, 30}});
    rec.Add(emf::EMR_INVERTRGN, emf::RecordBytes().Rect({10, 10, 30, 30}).U32(static_cast<uint32_t>(data.Size())).Raw(data.Bytes()));
    return rec;
  };
  auto full = record();
  RecordingDevice raster(AllCaps());
  EXPECT_TRUE(PlayOnto(raster, full));
  EXPECT_EQ(raster.floods, 1);
  EXPECT_EQ(raster.inversions, 1);

  auto limited = record();
  RecordingDevice vector(DeviceCaps{});
  EXPECT_TRUE(PlayOnto(vector, limited));
  EXPECT_EQ(vector.floods, 0);
  EXPECT_EQ(vector.inversions, 0);
}

TEST(DeviceInterface, StretchedBitmapsArePickedToPixelsOnlyForDevicesThatAskForIt) {
  auto record = [] {
    auto rec = PixelRecorder();
    const Dib dib = MakeDib(3, 2, 24, {}, {{0, 0, 255, 0, 255, 0, 255, 0, 0}, {255, 255, 255, 0, 0, 0, 9, 9, 9}});
    AddStretchDIBits(rec, dib, 10, 10, 60, 40, 3, 2);
    return rec;
  };
  auto full = record();
  RecordingDevice raster(AllCaps());
  EXPECT_TRUE(PlayOnto(raster, full));
  ASSERT_EQ(raster.imageSizes.size(), 1u);
  EXPECT_EQ(raster.imageSizes[0], std::make_pair(60, 40));

  auto limited = record();
  RecordingDevice vector(DeviceCaps{});
  EXPECT_TRUE(PlayOnto(vector, limited));
  ASSERT_EQ(vector.imageSizes.size(), 1u);
  EXPECT_EQ(vector.imageSizes[0], std::make_pair(3, 2));
}

}  // namespace
}  // namespace velto::test
