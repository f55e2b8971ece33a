// Times one page through render, read-out and each raster encoder (BMP 24, JPEG q90, PNG, GIF).
// Usage: bench-raster-writers [page.emf | folder of .emf files]
// With a folder the page whose standard geometry is largest is taken. Without an argument two
// synthetic pages of 2016 × 2784 are used: a document (text strokes, a few colour blocks) and a
// photograph (a smooth field of many thousand colours). Times are the best of three, in CPU time of
// the benchmark's thread.
#include <time.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include "raster/bmp_page_writer.h"
#include "raster/gif_encoder.h"
#include "raster/jpeg_file_writer.h"
#include "raster/page_rasterizer.h"
#include "raster/png_writer.h"

namespace fs = std::filesystem;
using namespace velto;

namespace {

// CPU time of this thread: on a shared machine it stays close to what the work costs on its own.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double BestMs(int runs, const std::function<bool()>& work) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const double start = ThreadCpuMs();
    if (!work()) {
      std::fprintf(stderr, "a run failed\n");
      return -1;
    }
    best = std::min(best, ThreadCpuMs() - start);
  }
  return best;
}

void Report(const char* what, double ms, double pixels) {
  std::printf("  %-22s %9.1f ms  %8.1f Mpx/s\n", what, ms, pixels / (ms * 1000.0));
}

void DrawDocument(platform::PageCanvas& s) {
  std::mt19937 random(1);
  s.FillRect(emf::RectL{0, 0, s.Width(), s.Height()}, emf::kWhite);
  for (int line = 0; line < 90; ++line) {
    int y = 150 + line * 28;
    for (int x = 150; x < s.Width() - 150;) {
      int word = 20 + static_cast<int>(random() % 90);
      s.FillRect(emf::RectL{x, y, x + word, y + 14 + static_cast<int>(random() % 4)}, emf::kBlack);
      x += word + 12;
    }
  }
  s.FillRect(emf::RectL{300, 2650, 900, 2750}, emf::MakeRgb(200, 30, 30));
  s.FillRect(emf::RectL{1000, 2650, 1600, 2750}, emf::MakeRgb(30, 30, 200));
}

void DrawPhoto(platform::PageCanvas& s) {
  for (int y = 0; y < s.Height(); ++y) {
    uint32_t* row = s.Row(y);
    for (int x = 0; x < s.Width(); ++x) {
      double v = 0.5 + 0.5 * std::sin(x * 0.013 + std::cos(y * 0.011) * 3);
      row[x] = emf::MakeRgb(uint8_t(x * 255 / s.Width()), uint8_t(v * 255), uint8_t(y * 255 / s.Height()));
    }
  }
  s.Changed();
}

std::optional<std::string> LargestPage(const fs::path& folder) {
  std::optional<std::string> best;
  int64_t bestPixels = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".emf") continue;
    auto metafile = emf::Metafile::Load(entry.path());
    int w = 0, h = 0;
    if (!metafile || !MetafilePageSize(*metafile, w, h)) continue;
    auto g = StandardPageGeometry(w, h);
    if (g && int64_t{g->width} * g->height > bestPixels) {
      bestPixels = int64_t{g->width} * g->height;
      best = entry.path().string();
    }
  }
  return best;
}

void Encoders(const PageSurface& page, const fs::path& out) {
  const double pixels = double(page.bitmap->Width()) * page.bitmap->Height();
  PackedPageBitmap packed;
  Report("read-out 24 bits", BestMs(3, [&] { return ReadPageBitmap(page, 24, packed) > 0; }), pixels);
  Report("BMP 24 (write)", BestMs(3, [&] { return WriteBmpFile((out / "b.bmp").string(), packed); }), pixels);
  std::vector<uint8_t> rgb;
  const int w = page.bitmap->Width(), h = page.bitmap->Height();
  Report("JPEG rows (convert)", BestMs(3, [&] {
           rgb = ConvertRowsToRgb(packed.FirstRow(), static_cast<uint32_t>(packed.block.size() - packed.rowsOffset), w, h);
           return !rgb.empty();
         }), pixels);
  Report("JPEG q90 (encode)", BestMs(3, [&] { return WriteJpegFile((out / "j.jpg").string(), rgb.data(), w, h, 90) == 1; }), pixels);
  BitmapHeaderRecord header{};
  std::vector<uint8_t> rows;
  ReadPageRowsAt(page, 24, header, false, rows);
  Report("PNG (encode)", BestMs(3, [&] {
           PngWriter writer;
           writer.SetBitmap(header, rows);
           writer.SetOutputPath((out / "p.png").string());
           return writer.Run() == PngWriter::kSuccess;
         }), pixels);
  GifImage image;
  Report("GIF palette", BestMs(3, [&] { return AllocateGifImage(w, h, image) && BuildGifPalette(image, rows); }), pixels);
  Report("GIF LZW", BestMs(3, [&] {
           std::FILE* f = std::fopen((out / "g.gif").string().c_str(), "wb");
           if (!f) return false;
           GifLzwEncoder().Encode(image, f);
           return std::fclose(f) == 0;
         }), pixels);
  Report("GIF (palette+encode)", BestMs(3, [&] { return WriteIndexedGif(rows, (out / "g.gif").string(), w, h); }), pixels);
  for (const char* name : {"b.bmp", "j.jpg", "p.png", "g.gif"})
    std::printf("  %-22s %9.0f KB\n", name, double(fs::file_size(out / name)) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path out = fs::temp_directory_path() / ("velto-bench-raster-" + std::to_string(::getpid()));
  fs::create_directories(out);
  if (argc > 1) {
    fs::path given = argv[1];
    std::optional<std::string> file = fs::is_directory(given) ? LargestPage(given) : std::optional<std::string>(given.string());
    if (!file) {
      std::fprintf(stderr, "no readable .emf page in %s\n", argv[1]);
      return 1;
    }
    RenderedPage page;
    double ms = BestMs(3, [&] { return RenderRasterPage(*file, true, page); });
    if (ms < 0) return 1;
    std::printf("%s: %d x %d\n", file->c_str(), page.width, page.height);
    Report("render", ms, double(page.width) * page.height);
    Encoders(page.surface, out);
  } else {
    for (auto [name, draw] : {std::pair<const char*, void (*)(platform::PageCanvas&)>{"document", DrawDocument}, {"photo", DrawPhoto}}) {
      PageSurface page;
      CreatePageSurface(2016, 2784, true, page);
      const double start = ThreadCpuMs();
      draw(*page.bitmap);
      const double ms = ThreadCpuMs() - start;
      std::printf("synthetic %s page: 2016 x 2784\n", name);
      Report("draw", ms, 2016.0 * 2784);
      Encoders(page, out);
    }
  }
  fs::remove_all(out);
  return 0;
}
