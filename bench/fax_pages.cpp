// Speed and memory of fax TIFF pages: a text page rendered into 1728 × 2200, inverted, read out,
// dithered, packed and Group 3 coded; the conversion alone on a text page and on an all-gray page (the
// worst case for the error diffusion); and a long job, whose peak resident set must not grow with its
// page count.
//
//   bench-fax-pages [pages of the long job, default 100]

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "documents/bilevel_conversion.h"
#include "documents/document_writers.h"
#include "documents/fax_tiff_writer.h"
#include "documents/tiff_page_tags.h"
#include "platform/emf/metafile_recorder.h"
#include "platform/windows_directory.h"
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

// A business letter: a heading, a ruled table and 60 lines of body text.
std::vector<uint8_t> TextPage(int number) {
  emf::MetafileRecorder rec(emf::RectL{0, 0, 21000, 29700}, emf::SizeL{2480, 3508}, emf::SizeL{210, 297});
  rec.CreateFont(1, -90, 700, u"Arial");
  rec.CreateFont(2, -42, 400, u"Times New Roman");
  rec.SelectObject(1);
  rec.ExtTextOutW(emf::PointL{250, 200}, u"Quarterly report, page " + std::u16string(1, char16_t(u'0' + number % 10)));
  rec.SelectObject(emf::StockObject(4));  // black brush
  for (int i = 0; i < 6; ++i) rec.Rectangle(emf::RectL{250, 400 + i * 60, 2230, 404 + i * 60});
  rec.SelectObject(2);
  for (int line = 0; line < 60; ++line)
    rec.ExtTextOutW(emf::PointL{250, 800 + line * 44},
                    u"The fax page is 1728 by 2200 pixels; every line of this letter is set in a serif face.");
  rec.SelectObject(emf::StockObject(13));
  rec.DeleteObject(1);
  rec.DeleteObject(2);
  return rec.Finish();
}

// A 24-bit bottom-up page of one gray.
std::vector<uint8_t> GrayCapture(uint8_t value) {
  return std::vector<uint8_t>(DibStride(kFaxPageWidth, 24) * kFaxPageHeight, value);
}
std::vector<uint8_t> DibHeader24() {
  std::vector<uint8_t> h(40, 0);
  h[0] = 40;
  h[4] = kFaxPageWidth & 0xFF, h[5] = kFaxPageWidth >> 8;
  h[8] = kFaxPageHeight & 0xFF, h[9] = kFaxPageHeight >> 8;
  h[12] = 1;
  h[14] = 24;
  return h;
}

double MedianMs(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int longJobPages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
  const std::string folder = platform::TempDirectory() + "/velto-bench-fax-" + std::to_string(getpid());
  std::filesystem::create_directories(folder);

  auto page = emf::Metafile::FromBytes(TextPage(1));
  if (!page) {
    std::fprintf(stderr, "cannot make the text page\n");
    return 1;
  }

  // Conversion alone.
  {
    std::vector<uint8_t> header = DibHeader24();
    std::vector<uint8_t> out(BilevelStride(kFaxPageWidth) * kFaxPageHeight);
    std::vector<uint8_t> record(kBilevelHeaderRecordSize);
    for (uint8_t gray : {uint8_t(0), uint8_t(128)}) {
      std::vector<uint8_t> capture = GrayCapture(gray);
      std::vector<double> times;
      for (int i = 0; i < 15; ++i) {
        auto t0 = Clock::now();
        ConvertToBilevel(header, capture, record, out);
        times.push_back(Ms(Clock::now() - t0));
      }
      std::printf("ConvertToBilevel 1728x2200, %s page: %.2f ms (median of 15)\n",
                  gray == 0 ? "inverted white (text)" : "mid-gray (worst case)", MedianMs(times));
    }
  }

  // Whole fax pages, stage by stage.
  for (auto method : {BilevelMethod::Dithered, BilevelMethod::Direct}) {
    FaxTiffOptions options;
    options.settings.mode = TiffPageMode::Group3;
    options.settings.method = method;
    options.fillOrder = 2;
    FaxTiffWriter writer;
    const int pages = 20;
    if (!writer.Open(folder + "/pages.tif", options, pages)) {
      std::fprintf(stderr, "cannot open the fax document\n");
      return 1;
    }
    std::vector<double> render, finish, total, cpu;
    for (int i = 0; i < pages; ++i) {
      const double c0 = CpuMs();
      auto t0 = Clock::now();
      writer.BeginPage();
      writer.PlayPage(*page);
      auto t1 = Clock::now();
      writer.FinishPage(i);
      auto t2 = Clock::now();
      render.push_back(Ms(t1 - t0));
      finish.push_back(Ms(t2 - t1));
      total.push_back(Ms(t2 - t0));
      cpu.push_back(CpuMs() - c0);
    }
    writer.Finish();
    std::printf("fax page, %s, Group 3: %.2f ms per page, %.2f ms processor time (render %.2f, "
                "invert+read-out+convert+code %.2f; medians of %d)\n",
                method == BilevelMethod::Dithered ? "dithered" : "direct", MedianMs(total), MedianMs(cpu),
                MedianMs(render), MedianMs(finish), pages);
  }

  // A long job from a spool file: peak memory after a tenth of it and after all of it.
  {
    std::vector<std::vector<uint8_t>> metafiles;
    for (int i = 0; i < longJobPages; ++i) metafiles.push_back(TextPage(i));
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
    auto t0 = Clock::now();
    WriteContext context;
    WriteTiffDocument(spool, folder + "/tenth.tif", tenth, context);
    const double tenthMs = Ms(Clock::now() - t0);
    const long rssTenth = PeakRssKiB();
    t0 = Clock::now();
    const double c0 = CpuMs();
    const bool ok = WriteTiffDocument(spool, folder + "/job.tif", job, context);
    const double allMs = Ms(Clock::now() - t0);
    const double allCpuMs = CpuMs() - c0;
    const long rssAll = PeakRssKiB();
    std::printf("%d-page job: %s, %.0f ms (%.1f ms per page, %.1f ms processor time), file %.1f KiB; peak RSS %ld KiB after %d pages, "
                "%ld KiB after %d pages\n",
                longJobPages, ok ? "written" : "FAILED", allMs, allMs / longJobPages, allCpuMs / longJobPages,
                std::filesystem::file_size(folder + "/job.tif") / 1024.0, rssTenth, tenth.pageCount, rssAll,
                longJobPages);
    (void)tenthMs;
  }

  std::filesystem::remove_all(folder);
  return 0;
}
