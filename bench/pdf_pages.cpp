// Speed and memory of PDF pages: a text page rendered into the 1220 × 1726 page image (a 1280-pixel
// screen), read out at 24 bits and placed with its lossless compression; and a long job, whose peak
// resident set must not grow with its page count (one page image at a time).
//
//   bench-pdf-pages [pages of the long job, default 50]

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "documents/document_writers.h"
#include "documents/pdf_page_size.h"
#include "documents/pdf_writer.h"
#include "platform/emf/metafile_recorder.h"
#include "platform/windows_directory.h"
#include "raster/page_rasterizer.h"
#include "spool/spool_file_writer.h"
#include "spool/spool_reader.h"

namespace {

using namespace velto;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Processor time of this process: on a busy machine wall time also counts the waits for a core.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// A report page: a heading, a coloured band, a ruled table and 60 lines of body text.
std::vector<uint8_t> TextPage() {
  emf::MetafileRecorder rec(emf::RectL{0, 0, 21000, 29700}, emf::SizeL{2480, 3508}, emf::SizeL{210, 297});
  rec.CreateFont(1, -90, 700, u"Arial");
  rec.CreateFont(2, -42, 400, u"Times New Roman");
  rec.CreateBrush(3, 0, 0x00C08040);
  rec.SelectObject(3);
  rec.Rectangle(emf::RectL{0, 0, 2480, 150});
  rec.SelectObject(1);
  rec.ExtTextOutW(emf::PointL{250, 200}, u"Quarterly report");
  rec.SelectObject(emf::StockObject(4));
  for (int i = 0; i < 6; ++i) rec.Rectangle(emf::RectL{250, 400 + i * 60, 2230, 404 + i * 60});
  rec.SelectObject(2);
  for (int line = 0; line < 60; ++line)
    rec.ExtTextOutW(emf::PointL{250, 800 + line * 44},
                    u"Each PDF page is one image of the printed page, placed at one point per pixel.");
  rec.SelectObject(emf::StockObject(13));
  rec.DeleteObject(1);
  rec.DeleteObject(2);
  rec.DeleteObject(3);
  return rec.Finish();
}

double MedianMs(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int longJobPages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  const std::string folder = platform::TempDirectory() + "/velto-bench-pdf-" + std::to_string(getpid());
  std::filesystem::create_directories(folder);
  ::setenv("VELTO_SCREEN_WIDTH", "1280", 1);

  auto page = emf::Metafile::FromBytes(TextPage());
  if (!page) {
    std::fprintf(stderr, "cannot make the text page\n");
    return 1;
  }

  // One page at a time, stage by stage.
  {
    const PdfPageDimensions size = PdfPageSize();
    const int w = static_cast<int>(std::trunc(size.width));
    const int h = static_cast<int>(std::trunc(size.height));
    PageSurface surface;
    PdfDocumentWriter writer;
    if (!CreatePageSurface(w, h, true, surface) || !writer.Open(folder + "/pages.pdf")) {
      std::fprintf(stderr, "cannot start the document\n");
      return 1;
    }
    const int pages = 15;
    std::vector<double> render, readOut, place, total, cpu;
    for (int i = 0; i < pages; ++i) {
      const double c0 = CpuMs();
      auto t0 = Clock::now();
      surface.bitmap->FillRect(emf::RectL{0, 0, w, h}, surface.fillBrush);
      surface.bitmap->Play(*page, emf::RectL{0, 0, w, h});
      auto t1 = Clock::now();
      PackedPageBitmap image;
      const uint32_t bytes = ReadPageBitmap(surface, 24, image);
      auto t2 = Clock::now();
      writer.PlacePage(std::span<const uint8_t>(image.FirstRow(), bytes), w, h);
      auto t3 = Clock::now();
      render.push_back(Ms(t1 - t0));
      readOut.push_back(Ms(t2 - t1));
      place.push_back(Ms(t3 - t2));
      total.push_back(Ms(t3 - t0));
      cpu.push_back(CpuMs() - c0);
    }
    const bool ok = writer.Finish();
    std::printf("PDF page %dx%d: %.1f ms per page, %.1f ms processor time (render %.1f, read-out %.1f, image and compression %.1f; medians of %d), "
                "%s, %.0f KiB per page\n",
                w, h, MedianMs(total), MedianMs(cpu), MedianMs(render), MedianMs(readOut), MedianMs(place), pages,
                ok ? "written" : "FAILED", ok ? std::filesystem::file_size(folder + "/pages.pdf") / 1024.0 / pages : 0.0);
    ReleasePageSurface(surface);
  }

  // A long job from a spool file: peak memory after a tenth of it and after all of it.
  {
    std::vector<std::vector<uint8_t>> metafiles(longJobPages, TextPage());
    const std::string spool = folder + "/job.spl";
    SpoolJob job;
    if (!WriteSpoolFile(spool, metafiles) || !ReadSpoolJob(spool, job)) {
      std::fprintf(stderr, "cannot make the spool file\n");
      return 1;
    }
    metafiles.clear();
    metafiles.shrink_to_fit();
    SpoolJob tenth = job;
    tenth.pageCount = std::max(1, longJobPages / 10);
    WriteContext context;
    WritePdfDocument(spool, folder + "/tenth.pdf", tenth, context);
    const long rssTenth = PeakRssKiB();
    auto t0 = Clock::now();
    const double c0 = CpuMs();
    const bool ok = WritePdfDocument(spool, folder + "/job.pdf", job, context);
    const double allMs = Ms(Clock::now() - t0);
    const double allCpuMs = CpuMs() - c0;
    const long rssAll = PeakRssKiB();
    std::printf("%d-page job: %s, %.0f ms (%.1f ms per page, %.1f ms processor time), file %.1f MiB; peak RSS %ld KiB after %d pages, "
                "%ld KiB after %d pages\n",
                longJobPages, ok ? "written" : "FAILED", allMs, allMs / longJobPages, allCpuMs / longJobPages,
                ok ? std::filesystem::file_size(folder + "/job.pdf") / 1048576.0 : 0.0, rssTenth, tenth.pageCount,
                rssAll, longJobPages);
  }

  std::filesystem::remove_all(folder);
  return 0;
}
