// Draws metafiles into a PDF as vectors, one page each at the size of the metafile's picture frame,
// and reports milliseconds per page. Usage: bench-emf-to-pdf OUT.pdf FILE.emf...

#include <chrono>
#include <cstdio>
#include <fstream>

#include "platform/emf/metafile.h"
#include "platform/emf/vector/pdf_document.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench-emf-to-pdf OUT.pdf FILE.emf...\n");
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  if (!out) {
    std::fprintf(stderr, "%s: cannot be written\n", argv[1]);
    return 1;
  }
  velto::emf::vector::PdfDocument pdf([&](std::span<const uint8_t> bytes) {
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
  });
  int failed = 0;
  for (int i = 2; i < argc; ++i) {
    auto metafile = velto::emf::Metafile::Load(argv[i]);
    if (!metafile) {
      std::fprintf(stderr, "%s: cannot be opened\n", argv[i]);
      ++failed;
      continue;
    }
    // The frame is in hundredths of a millimetre; a page of points.
    const auto& frame = metafile->Header().frame;
    double w = (double(frame.right) - frame.left) / 2540.0 * 72, h = (double(frame.bottom) - frame.top) / 2540.0 * 72;
    if (!(w >= 1 && h >= 1 && w <= 14400 && h <= 14400)) w = 595, h = 842;
    const auto start = std::chrono::steady_clock::now();
    const bool played = velto::emf::vector::PlayMetafileToPdfPage(pdf, *metafile, w, h);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%8.1f ms  %s%s\n", ms, argv[i], played ? "" : "  (cut short)");
  }
  if (!pdf.Finish()) {
    std::fprintf(stderr, "%s: the document failed\n", argv[1]);
    return 1;
  }
  return failed ? 1 : 0;
}
