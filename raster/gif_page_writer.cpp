// GIF page writer: each page rendered, read out at 24 bits and written as an indexed GIF image.
#include "job/page_file_name.h"
#include "raster/extracted_page.h"
#include "raster/gif_encoder.h"
#include "raster/page_rasterizer.h"
#include "raster/page_writers.h"

namespace velto {

bool WriteGifPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job) {
  ExtractedPage extracted;
  if (!extracted.Extract(spoolPath, page, job)) return false;
  RenderedPage rendered;
  if (!RenderRasterPage(extracted.Path(), true, rendered)) return false;
  std::optional<std::string> outputFile = MakePageFileName(outputPath, page);
  if (!outputFile) return false;
  // The palette builder takes three bytes a pixel, so the page is read out at 24 bits whatever the display.
  BitmapHeaderRecord header{};
  std::vector<uint8_t> rows;
  if (ReadPageRowsAt(rendered.surface, 24, header, false, rows) == 0) return false;
  return WriteIndexedGif(rows, *outputFile, rendered.width, rendered.height);
}

}  // namespace velto
