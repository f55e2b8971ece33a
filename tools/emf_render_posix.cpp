// velto-emf-render: plays metafiles at the standard raster page geometry and writes 24-bit PNGs, printing
// the milliseconds each page took. Usage: velto-emf-render [--size WxH] [--list FILE | IN.emf OUT.png]...
// --size plays every metafile onto the whole of a W × H surface instead, as the reference harness's
// WxH mode does (at the metafile's own size, one logical pixel per pixel); its outputs are PNGs.
// A list file holds one "IN.emf OUT.png" pair per line, so that many pages play in one process.
// An output ending in ".bmp" goes through the program's own BMP page writer instead, and its time
// counts the rendering and the writing, as the platform's reference harness counts them.

#include <png.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/settings.h"
#include "platform/emf/metafile.h"
#include "platform/emf/player.h"
#include "platform/emf/surface.h"
#include "platform/page_memory.h"
#include "raster/bmp_page_writer.h"

namespace {

using velto::emf::Metafile;
using velto::emf::RectL;
using velto::emf::Surface;

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

bool WritePng(const Surface& surface, const std::string& path) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, file.get());
  png_set_compression_level(png, 1);
  png_set_IHDR(png, info, surface.Width(), surface.Height(), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(static_cast<size_t>(surface.Width()) * 3);
  surface.Flush();
  for (int y = 0; y < surface.Height(); ++y) {
    const uint32_t* src = surface.Row(y);
    for (int x = 0; x < surface.Width(); ++x) {
      row[3 * x] = static_cast<png_byte>(src[x] >> 16);
      row[3 * x + 1] = static_cast<png_byte>(src[x] >> 8);
      row[3 * x + 2] = static_cast<png_byte>(src[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

// Renders and writes one BMP page file as the program does; milliseconds, or negative on failure.
double RenderBmpPage(const std::string& in, const std::string& out) {
  auto start = std::chrono::steady_clock::now();
  if (!velto::RenderBmpFile(in, out, velto::ReadSettingInt("format", "bmpcolor", 3))) {
    std::cerr << in << ": cannot render or write " << out << "\n";
    return -1;
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct FixedSize {
  int width = 0, height = 0;  // 0: the raster page geometry
};

// Plays one page; returns the playback time in milliseconds, or a negative value on failure.
double RenderPage(const std::string& in, const std::string& out, FixedSize fixed) {
  const bool bmp = out.size() > 4 && out.compare(out.size() - 4, 4, ".bmp") == 0;
  if (bmp && fixed.width > 0) {
    std::cerr << out << ": --size writes PNG pages only\n";  // the BMP writer keeps the page geometry
    return -1;
  }
  if (bmp) return RenderBmpPage(in, out);
  std::string error;
  auto metafile = Metafile::Load(in, &error);
  if (!metafile) {
    std::cerr << in << ": " << error << "\n";
    return -1;
  }
  auto start = std::chrono::steady_clock::now();
  const auto& h = metafile->Header();
  int32_t w0 = 0, h0 = 0;
  if (h.millimeters.cx != 0 && h.millimeters.cy != 0) {
    // Signed 32-bit arithmetic, the product first, wrapping as the platform's does.
    auto wrap = [](int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); };
    int32_t fw = wrap(int64_t{h.frame.right} - h.frame.left), fh = wrap(int64_t{h.frame.bottom} - h.frame.top);
    int32_t dw = wrap(int64_t{h.millimeters.cx} * 100), dh = wrap(int64_t{h.millimeters.cy} * 100);
    if (dw != 0 && dh != 0) {
      w0 = static_cast<int32_t>(wrap(int64_t{fw} * h.device.cx) / int64_t{dw});
      h0 = static_cast<int32_t>(wrap(int64_t{fh} * h.device.cy) / int64_t{dh});
    }
  }
  if (w0 >= 5000 || h0 >= 6000) w0 = 743, h0 = 1052;
  if (w0 <= 0 || h0 <= 0) {
    std::cerr << in << ": page size " << w0 << " x " << h0 << " is empty\n";
    return -1;
  }
  int w = static_cast<int>(w0 * 0.96), hh = static_cast<int>(h0 * 0.96);
  int width = static_cast<int>(w * 1.05), height = static_cast<int>(w * 0.05 + hh);
  int m = static_cast<int>(w * 0.025);
  if (fixed.width > 0) width = fixed.width, height = fixed.height, m = 0;
  auto surface = Surface::Create(width, height, Surface::Kind::Colour);
  if (!surface) {
    std::cerr << in << ": cannot make a " << width << " x " << height << " surface\n";
    return -1;
  }
  surface->FillRect(RectL{0, 0, width, height}, velto::emf::kWhite);
  velto::emf::PlaybackOptions options;
  options.timeLimitSeconds = 5;
  velto::emf::PlayMetafile(*surface, *metafile, RectL{m, m, width - m, height - m}, options);
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (!WritePng(*surface, out)) {
    std::cerr << out << ": cannot write\n";
    return -1;
  }
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  velto::platform::KeepPageBuffersBetweenPages();  // as the program does
  std::vector<std::pair<std::string, std::string>> jobs;
  FixedSize fixed;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--size" && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%dx%d", &fixed.width, &fixed.height) != 2 || fixed.width <= 0 ||
          fixed.height <= 0 || fixed.width > 20000 || fixed.height > 20000) {
        std::cerr << "--size wants WxH, each 1 to 20000\n";
        return 2;
      }
    } else if (arg == "--list" && i + 1 < argc) {
      std::ifstream list(argv[++i]);
      std::string line;
      while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string in, out;
        if (fields >> in >> out) jobs.emplace_back(in, out);
      }
    } else if (i + 1 < argc) {
      jobs.emplace_back(arg, argv[++i]);
    } else {
      std::cerr << "usage: velto-emf-render [--size WxH] [--list FILE | IN.emf OUT.png]...\n";
      return 2;
    }
  }
  double total = 0;
  int failed = 0;
  for (const auto& [in, out] : jobs) {
    double ms = RenderPage(in, out, fixed);
    if (ms < 0) {
      ++failed;
      continue;
    }
    total += ms;
    std::printf("%8.1f ms  %s\n", ms, in.c_str());
  }
  std::printf("pages %zu  total %.1f ms  failed %d\n", jobs.size(), total, failed);
  return failed ? 1 : 0;
}
