// PNG page writer: each page rendered, read out at the display's depth and handed to a PngWriter.
#include <cstdio>

#include "job/page_file_name.h"
#include "raster/extracted_page.h"
#include "raster/page_rasterizer.h"
#include "raster/page_writers.h"
#include "raster/png_writer.h"

namespace velto {

bool WritePngPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job) {
  ExtractedPage extracted;
  if (!extracted.Extract(spoolPath, page, job)) return false;
  RenderedPage rendered;
  if (!RenderRasterPage(extracted.Path(), true, rendered)) return false;
  std::optional<std::string> outputFile = MakePageFileName(outputPath, page);
  if (!outputFile) return false;
  BitmapHeaderRecord header{};
  std::vector<uint8_t> rows;
  if (ReadPageRows(rendered.surface, header, false, rows) == 0) return false;
  PngWriter writer;
  writer.SetBitmap(header, rows);
  writer.SetOutputPath(*outputFile);
  writer.SetGamma(true, PngWriter::kDefaultGamma);
  const int result = writer.Run();
  if (result != PngWriter::kSuccess) std::fprintf(stderr, "PNG page %s: %s\n", outputFile->c_str(), writer.Message());
  return result == PngWriter::kSuccess;
}

}  // namespace velto
