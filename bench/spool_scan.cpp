// Scan speed of the spool reader: writes a synthetic EMF spool file of 4999 pages (1 GiB unless a size
// in MiB is given) into the temporary directory, reads it once to bring it into the page cache, then
// times ReadSpoolJob over it and reports GB/s and the peak resident set size. The file is removed
// afterwards.
//
//   bench-spool-scan [MiB] [repeats]

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/emf/metafile_recorder.h"
#include "platform/windows_directory.h"
#include "spool/spool_file_writer.h"
#include "spool/spool_reader.h"

namespace {

using namespace velto;

constexpr int kPages = kMaxSpoolPages;

// A page of roughly the wanted size, drawn as an application would: text runs, polylines, rectangles
// and now and then a block of image-like bytes, then EOF.
std::vector<uint8_t> MakePageOfBatches(size_t batches, std::mt19937& rng) {
  static const std::u16string kWords[] = {u"Invoice ", u"Total: 1,234.56 ", u"Page 1 of 3 ", u"fax ", u"EMF ",
                                          u"quarterly report ", u"\u4f20\u771f "};
  emf::MetafileRecorder rec(emf::RectL{0, 0, 21000, 29700}, emf::SizeL{2480, 3508}, emf::SizeL{210, 297});
  for (size_t b = 0; b < batches; ++b) {
    for (int i = 0; i < 40; ++i) {
      const int32_t x = static_cast<int32_t>(rng() % 2400), y = static_cast<int32_t>(rng() % 3400);
      rec.ExtTextOutW(emf::PointL{x, y}, kWords[rng() % std::size(kWords)]);
      std::vector<emf::PointL> points;
      for (int n = 0; n < 12; ++n) points.push_back(emf::PointL{x + static_cast<int32_t>(rng() % 300), y + n * 7});
      rec.Polyline16(points);
      rec.Rectangle(emf::RectL{x, y, x + 100, y + 40});
    }
    emf::RecordBytes image;
    const size_t n = 16 * 1024;
    image.U32(static_cast<uint32_t>(n));
    for (size_t i = 0; i < n; ++i) image.U8(static_cast<uint8_t>(rng()));
    rec.Add(emf::EMR_GDICOMMENT, image);
  }
  return rec.Finish();
}

std::vector<uint8_t> MakePage(size_t bytes, std::mt19937& rng) {
  const size_t perBatch = MakePageOfBatches(1, rng).size();
  return MakePageOfBatches(std::max<size_t>(1, (bytes + perBatch / 2) / perBatch), rng);
}

// User and system CPU time of this process so far: on a busy machine the wall-clock rate understates
// the scan, the CPU rate does not.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  const uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
  const uint64_t total = mib * 1024 * 1024;
  const std::string path = platform::TempDirectory() + "/velto-spool-scan-" + std::to_string(getpid()) + ".spl";

  // Written page by page so that the generator itself stays small: the spool file header of a one-page
  // job, then every further page as its own spool records.
  std::mt19937 rng(1);
  {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    const size_t pageBytes = static_cast<size_t>(total / kPages);
    std::vector<std::vector<uint8_t>> distinct;
    for (int i = 0; i < 8; ++i) distinct.push_back(MakePage(pageBytes, rng));
    bool ok = true;
    for (int k = 0; k < kPages && ok; ++k) {
      const std::vector<std::vector<uint8_t>> one{distinct[static_cast<size_t>(k) % distinct.size()]};
      auto bytes = MakeSpoolFile(one);
      const size_t skip = k == 0 ? 0 : (uint32_t{bytes[4]} | uint32_t{bytes[5]} << 8);  // header only once
      ok = std::fwrite(bytes.data() + skip, 1, bytes.size() - skip, out) == bytes.size() - skip;
    }
    if (std::fclose(out) != 0 || !ok) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      std::filesystem::remove(path);
      return 1;
    }
  }
  const auto size = std::filesystem::file_size(path);
  const long rssBefore = PeakRssKiB();

  SpoolJob job;
  ReadSpoolJob(path, job);  // warm the page cache
  double best = 0;
  for (int r = 0; r < repeats; ++r) {
    const double cpuStart = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = ReadSpoolJob(path, job);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuStart;
    const double gbs = static_cast<double>(size) / seconds / 1e9;
    best = std::max(best, gbs);
    std::printf("scan %d: %s, %d pages, %.3f s (%.3f s CPU), %.2f GB/s (%.2f GB per CPU second)\n", r + 1,
                ok ? "ok" : "FAILED", job.pageCount, seconds, cpu, gbs, static_cast<double>(size) / cpu / 1e9);
  }
  std::filesystem::remove(path);
  std::printf("file %.1f MiB, best %.2f GB/s, peak RSS %ld KiB (before scanning %ld KiB)\n",
              static_cast<double>(size) / (1024.0 * 1024.0), best, PeakRssKiB(), rssBefore);
  return job.pageCount == kPages ? 0 : 1;
}
