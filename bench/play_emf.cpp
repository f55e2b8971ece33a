// Plays metafiles with the frame stretched onto W x H pixels and writes each as a PNG, the way
// bench/gdi-references.sh --mode WxH draws them with GDI, so the two can be laid side by side.
// Usage: bench-play-emf WxH OUT_DIR FILE.emf...

#include <cairo.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/emf/metafile.h"
#include "platform/emf/player.h"
#include "platform/emf/surface.h"

int main(int argc, char** argv) {
  int width = 0, height = 0;
  if (argc < 4 || std::sscanf(argv[1], "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
    std::fprintf(stderr, "usage: bench-play-emf WxH OUT_DIR FILE.emf...\n");
    return 2;
  }
  const std::filesystem::path out = argv[2];
  std::filesystem::create_directories(out);
  int failed = 0;
  for (int i = 3; i < argc; ++i) {
    const std::filesystem::path in = argv[i];
    auto metafile = velto::emf::Metafile::Load(in.string());
    auto surface = velto::emf::Surface::Create(width, height, velto::emf::Surface::Kind::Colour);
    if (!metafile || !surface) {
      std::fprintf(stderr, "%s: cannot be played\n", in.c_str());
      ++failed;
      continue;
    }
    surface->FillRect({0, 0, width, height}, velto::emf::kWhite);
    velto::emf::PlayMetafile(*surface, *metafile, {0, 0, width, height});
    const std::string png = (out / in.stem()).string() + ".png";
    cairo_surface_t* image =
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(surface->Row(0)), CAIRO_FORMAT_RGB24,
                                            width, height, surface->Stride());
    const cairo_status_t written = cairo_surface_write_to_png(image, png.c_str());
    cairo_surface_destroy(image);
    if (written != CAIRO_STATUS_SUCCESS) {
      std::fprintf(stderr, "%s: cannot be written\n", png.c_str());
      ++failed;
    }
  }
  return failed ? 1 : 0;
}
