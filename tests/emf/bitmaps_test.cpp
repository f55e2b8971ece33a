// Device-independent bitmaps of every depth and layout, stretched onto the page.
#include "tests/emf/playback_fixture.h"

namespace velto::test {
namespace {

using emf::kBlack;
using emf::kWhite;
using emf::MakeRgb;

constexpr emf::Rgb kRed = MakeRgb(255, 0, 0), kGreen = MakeRgb(0, 255, 0), kBlue = MakeRgb(0, 0, 255);

// Plays a 2 × 2 bitmap stretched to 40 × 40 at (10, 10) and returns the four quadrant colours:
// top-left, top-right, bottom-left, bottom-right.
std::vector<emf::Rgb> Quadrants(const Dib& dib) {
  auto rec = PixelRecorder();
  AddStretchDIBits(rec, dib, 10, 10, 40, 40, 2, 2);
  auto s = PlayRecording(rec);
  return {s->Pixel(15, 15), s->Pixel(45, 15), s->Pixel(15, 45), s->Pixel(45, 45)};
}

const std::vector<emf::Rgb> kExpected{kRed, kGreen, kBlue, kWhite};

// A 2 × 2 eight-bit bitmap: red, green on top, blue, white below.
Dib QuadrantDib() { return MakeDib(2, 2, 8, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, {{0, 1}, {2, 3}}); }

TEST(PlaybackBitmaps, PalettedDepths) {
  std::vector<uint32_t> table{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  // 1 bit: only two colours, so test red/green over green/red.
  Dib one = MakeDib(2, 2, 1, {0xFF0000, 0x00FF00}, {{0x40}, {0x80}});
  EXPECT_EQ(Quadrants(one), (std::vector<emf::Rgb>{kRed, kGreen, kGreen, kRed}));
  Dib four = MakeDib(2, 2, 4, table, {{0x01}, {0x23}});
  EXPECT_EQ(Quadrants(four), kExpected);
  Dib eight = MakeDib(2, 2, 8, table, {{0, 1}, {2, 3}});
  EXPECT_EQ(Quadrants(eight), kExpected);
}

TEST(PlaybackBitmaps, DirectColourDepths) {
  Dib rgb24 = MakeDib(2, 2, 24, {}, {{0, 0, 255, 0, 255, 0}, {255, 0, 0, 255, 255, 255}});
  EXPECT_EQ(Quadrants(rgb24), kExpected);
  Dib rgb32 = MakeDib(2, 2, 32, {}, {{0, 0, 255, 0, 0, 255, 0, 0}, {255, 0, 0, 0, 255, 255, 255, 0}});
  EXPECT_EQ(Quadrants(rgb32), kExpected);
  // 16 bits, 5-5-5: red 0x7C00, green 0x03E0, blue 0x001F, white 0x7FFF.
  Dib rgb16 = MakeDib(2, 2, 16, {}, {{0x00, 0x7C, 0xE0, 0x03}, {0x1F, 0x00, 0xFF, 0x7F}});
  EXPECT_EQ(Quadrants(rgb16), kExpected);
  // 16 bits with 5-6-5 bit fields (the masks stand where the colour table would).
  Dib fields = MakeDib(2, 2, 16, {0xF800, 0x07E0, 0x001F}, {{0x00, 0xF8, 0xE0, 0x07}, {0x1F, 0x00, 0xFF, 0xFF}}, 3);
  fields.info[32] = 0;  // colours used: none (the three words are masks)
  // Compression BI_BITFIELDS and bits uncompressed: lay the rows out as for BI_RGB.
  Dib raw = MakeDib(2, 2, 16, {}, {{0x00, 0xF8, 0xE0, 0x07}, {0x1F, 0x00, 0xFF, 0xFF}});
  fields.bits = raw.bits;
  EXPECT_EQ(Quadrants(fields), kExpected);
}

TEST(PlaybackBitmaps, TopDownRowsAndRle8) {
  Dib topDown = MakeDib(2, 2, 24, {}, {{0, 0, 255, 0, 255, 0}, {255, 0, 0, 255, 255, 255}}, 0, true);
  EXPECT_EQ(Quadrants(topDown), kExpected);
  // RLE8, bottom row first: [2 × index 2? no: index 2, index 3], end of line, [index 0, index 1], end.
  std::vector<uint8_t> rle{1, 2, 1, 3, 0, 0, 1, 0, 1, 1, 0, 1};
  Dib rle8 = MakeDib(2, 2, 8, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, {rle}, 1);
  EXPECT_EQ(Quadrants(rle8), kExpected);
}

TEST(PlaybackBitmaps, StretchingMirrorsWithNegativeExtents) {
  Dib eight = QuadrantDib();
  auto rec = PixelRecorder();
  AddStretchDIBits(rec, eight, 50, 10, -40, 40, 2, 2);  // mirrored left to right onto 10..50
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(15, 15), kGreen);
  EXPECT_EQ(s->Pixel(45, 15), kRed);
  EXPECT_EQ(s->Pixel(5, 15), kWhite);
  EXPECT_EQ(s->Pixel(55, 15), kWhite);
}

TEST(PlaybackBitmaps, SourceBeyondTheBitmapDrawsNothingThere) {
  // A BITBLT 40 × 40 units wide whose source transform takes a tenth: its source is 4 × 4 pixels of a
  // 2 × 2 bitmap. Only the quarter of the destination over the bitmap is drawn.
  Dib eight = QuadrantDib();
  emf::RecordBytes b;
  b.Rect({10, 10, 49, 49}).I32(10).I32(10).I32(40).I32(40).U32(0x00CC0020).I32(0).I32(0);
  b.F32(0.1f).F32(0).F32(0).F32(0.1f).F32(0).F32(0).U32(0).U32(0);
  b.U32(100).U32(static_cast<uint32_t>(eight.info.size())).U32(100 + static_cast<uint32_t>(eight.info.size()));
  b.U32(static_cast<uint32_t>(eight.bits.size())).Raw(eight.info).Raw(eight.bits);
  auto rec = PixelRecorder();
  rec.Add(emf::EMR_BITBLT, b);
  // The same through STRETCHDIBITS, its source three pixels wide on a bitmap of two: the right third
  // of the destination stays empty.
  AddStretchDIBits(rec, eight, 10, 60, 30, 20, 3, 2);
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(12, 12), kRed);
  EXPECT_EQ(s->Pixel(27, 12), kGreen);
  EXPECT_EQ(s->Pixel(12, 27), kBlue);
  EXPECT_EQ(s->Pixel(32, 12), kWhite);
  EXPECT_EQ(s->Pixel(12, 32), kWhite);
  EXPECT_EQ(s->Pixel(45, 45), kWhite);
  EXPECT_EQ(s->Pixel(12, 62), kRed);
  EXPECT_EQ(s->Pixel(25, 62), kGreen);
  EXPECT_EQ(s->Pixel(35, 62), kWhite);
  EXPECT_EQ(s->Pixel(35, 75), kWhite);
}

TEST(PlaybackBitmaps, StretchingPastTheSurfaceEdgeKeepsItsPlace) {
  // Mirrored onto x 20 .. -20: only the right half shows, and it is the bitmap's left column. Grown
  // onto y 80 .. 120: the rows on the surface are the bitmap's top row.
  Dib eight = QuadrantDib();
  auto rec = PixelRecorder();
  rec.Add(emf::EMR_SETSTRETCHBLTMODE, emf::RecordBytes().U32(3));
  AddStretchDIBits(rec, eight, 20, 10, -40, 40, 2, 2);
  AddStretchDIBits(rec, eight, 50, 80, 40, 40, 2, 2);
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(0, 15), kRed);
  EXPECT_EQ(s->Pixel(19, 15), kRed);
  EXPECT_EQ(s->Pixel(10, 45), kBlue);
  EXPECT_EQ(s->Pixel(21, 15), kWhite);
  EXPECT_EQ(s->Pixel(55, 85), kRed);
  EXPECT_EQ(s->Pixel(85, 99), kGreen);
}

TEST(PlaybackBitmaps, ShrinkingKeepsDarkPixelsByDefault) {
  // A 10 × 10 white bitmap with one black column, shrunk to 2 × 2: black on white keeps the line.
  std::vector<std::vector<uint8_t>> rows(10, std::vector<uint8_t>(10, 1));
  for (auto& r : rows) r[3] = 0;
  Dib dib = MakeDib(10, 10, 8, {0x000000, 0xFFFFFF}, rows);
  auto rec = PixelRecorder();
  AddStretchDIBits(rec, dib, 10, 10, 2, 2, 10, 10);
  auto s = PlayRecording(rec);
  EXPECT_EQ(s->Pixel(10, 10), kBlack);
  EXPECT_EQ(s->Pixel(11, 11), kWhite);
}

TEST(PlaybackBitmaps, ShrinkingSendsEachSourcePixelWhereItsCentreFalls) {
  // One black column c of ten, shrunk to `width`: it lands in ceil((c + 1/2) * width / 10) - 1, a
  // centre on a boundary going to the pixel before (GDI's table for 10 to 4 and 10 to 7).
  auto landing = [](int column, int width) {
    std::vector<std::vector<uint8_t>> rows(10, std::vector<uint8_t>(10, 1));
    for (auto& r : rows) r[static_cast<size_t>(column)] = 0;
    Dib dib = MakeDib(10, 10, 8, {0x000000, 0xFFFFFF}, rows);
    auto rec = PixelRecorder();
    AddStretchDIBits(rec, dib, 10, 10, width, width, 10, 10);
    auto s = PlayRecording(rec);
    int found = -1;
    for (int x = 0; x < width; ++x)
      if (s->Pixel(10 + x, 10) == kBlack) found = found < 0 ? x : 100;
    return found;
  };
  EXPECT_EQ(landing(2, 4), 0);
  EXPECT_EQ(landing(5, 4), 2);
  EXPECT_EQ(landing(7, 4), 2);
  EXPECT_EQ(landing(8, 4), 3);
  EXPECT_EQ(landing(1, 7), 1);
  EXPECT_EQ(landing(5, 7), 3);
  EXPECT_EQ(landing(8, 7), 5);
}

TEST(PlaybackBitmaps, ColourOnColourPicksAsGdiDoes) {
  // A ten-step grey ramp along x (and one along y), stretched with COLORONCOLOR. GDI's picks:
  // shrinking to 7 keeps the last column of each run but the first row; growing to 13 shows source
  // pixel ceil((x + 1/2) * 10 / 13) - 1.
  std::vector<uint32_t> greys;
  for (uint32_t v = 0; v < 10; ++v) greys.push_back(v * 25 * 0x010101u);
  std::vector<std::vector<uint8_t>> across{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}};
  std::vector<std::vector<uint8_t>> down;
  for (uint8_t v = 0; v < 10; ++v) down.push_back({v});
  Dib horizontal = MakeDib(10, 1, 8, greys, across), vertical = MakeDib(1, 10, 8, greys, down);
  auto rec = PixelRecorder();
  rec.Add(emf::EMR_SETSTRETCHBLTMODE, emf::RecordBytes().U32(3));
  AddStretchDIBits(rec, horizontal, 10, 10, 7, 2, 10, 1);
  AddStretchDIBits(rec, horizontal, 10, 20, 13, 2, 10, 1);
  AddStretchDIBits(rec, vertical, 40, 10, 2, 7, 1, 10);
  auto s = PlayRecording(rec);
  auto level = [&](int x, int y) { return static_cast<int>(emf::RedOf(s->Pixel(x, y))) / 25; };
  std::vector<int> shrunkColumns, grownColumns, shrunkRows;
  for (int x = 0; x < 7; ++x) shrunkColumns.push_back(level(10 + x, 10));
  for (int x = 0; x < 13; ++x) grownColumns.push_back(level(10 + x, 20));
  for (int y = 0; y < 7; ++y) shrunkRows.push_back(level(40, 10 + y));
  EXPECT_EQ(shrunkColumns, (std::vector<int>{0, 2, 3, 5, 6, 8, 9}));
  EXPECT_EQ(grownColumns, (std::vector<int>{0, 1, 1, 2, 3, 4, 4, 5, 6, 7, 8, 8, 9}));
  EXPECT_EQ(shrunkRows, (std::vector<int>{0, 1, 3, 4, 6, 7, 9}));
}

TEST(PlaybackBitmaps, HalftoneInterpolatesFromPixelCorners) {
  // Black, white, black stretched to 60 pixels: pixel x samples source position x / 20 between the
  // two nearest pixels; past the last pixel the edge colour holds.
  Dib dib = MakeDib(3, 1, 8, {0x000000, 0xFFFFFF}, {{0, 1, 0}});
  auto rec = PixelRecorder();
  rec.Add(emf::EMR_SETSTRETCHBLTMODE, emf::RecordBytes().U32(4));  // HALFTONE
  AddStretchDIBits(rec, dib, 10, 10, 60, 4, 3, 1);
  auto s = PlayRecording(rec);
  auto grey = [&](int x) { return static_cast<int>(s->Pixel(x, 11) & 0xFF); };
  EXPECT_EQ(grey(10), 0);
  EXPECT_NEAR(grey(20), 128, 3);
  EXPECT_NEAR(grey(30), 255, 3);
  EXPECT_NEAR(grey(35), 191, 3);
  EXPECT_NEAR(grey(45), 64, 3);
  EXPECT_EQ(grey(50), 0);
  EXPECT_EQ(grey(69), 0);
  EXPECT_EQ(s->Pixel(70, 11), kWhite);
}

}  // namespace
}  // namespace velto::test
