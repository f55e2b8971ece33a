// Plays a list of metafiles N times at the standard raster page geometry and reports milliseconds per
// page and the peak resident memory. Usage: bench-emf-playback LISTFILE [N]
// (LISTFILE: one metafile path per line; the first word of a line is taken.)

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/emf/metafile.h"
#include "platform/emf/player.h"
#include "platform/emf/surface.h"
#include "platform/page_memory.h"

namespace {

// Plays one page as the raster writers do; false when it cannot be opened.
bool PlayPage(const velto::emf::Metafile& metafile) {
  const auto& h = metafile.Header();
  auto wrap = [](int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); };
  int32_t dw = wrap(int64_t{h.millimeters.cx} * 100), dh = wrap(int64_t{h.millimeters.cy} * 100);
  if (dw == 0 || dh == 0) return false;
  int32_t w0 = wrap(int64_t{wrap(int64_t{h.frame.right} - h.frame.left)} * h.device.cx) / dw;
  int32_t h0 = wrap(int64_t{wrap(int64_t{h.frame.bottom} - h.frame.top)} * h.device.cy) / dh;
  if (w0 >= 5000 || h0 >= 6000) w0 = 743, h0 = 1052;
  if (w0 <= 0 || h0 <= 0) return false;
  int w = static_cast<int>(w0 * 0.96), hh = static_cast<int>(h0 * 0.96);
  int width = static_cast<int>(w * 1.05), height = static_cast<int>(w * 0.05 + hh);
  auto surface = velto::emf::Surface::Create(width, height, velto::emf::Surface::Kind::Colour);
  if (!surface) return false;
  surface->FillRect({0, 0, width, height}, velto::emf::kWhite);
  int m = static_cast<int>(w * 0.025);
  velto::emf::PlayMetafile(*surface, metafile, {m, m, width - m, height - m});
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  velto::platform::KeepPageBuffersBetweenPages();  // as the program does
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench-emf-playback LISTFILE [N]\n");
    return 2;
  }
  int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  std::vector<std::string> paths;
  std::ifstream list(argv[1]);
  std::string line;
  while (std::getline(list, line)) {
    std::istringstream fields(line);
    std::string path;
    if (fields >> path) paths.push_back(path);
  }
  std::vector<velto::emf::Metafile> metafiles;
  for (const auto& p : paths)
    if (auto m = velto::emf::Metafile::Load(p)) metafiles.push_back(std::move(*m));
  if (metafiles.empty()) {
    std::fprintf(stderr, "no metafile could be read from %s\n", argv[1]);
    return 1;
  }
  double best = 1e300;
  size_t pages = 0;
  for (int r = 0; r < rounds; ++r) {
    auto start = std::chrono::steady_clock::now();
    pages = 0;
    for (const auto& m : metafiles) pages += PlayPage(m);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    best = std::min(best, ms);
    std::printf("round %d: %zu pages in %.1f ms (%.2f ms per page)\n", r + 1, pages, ms, pages ? ms / pages : 0.0);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("best: %.1f ms for %zu pages, %.2f ms per page; peak RSS %.1f MiB\n", best, pages,
              pages ? best / pages : 0.0, usage.ru_maxrss / 1024.0);
  return 0;
}
