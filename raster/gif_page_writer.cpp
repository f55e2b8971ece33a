// GIF page writer: each page rendered, read out at 24 bits and written as an indexed GIF image.
#include "raster/gif_encoder.h"
#include "raster/page_writers.h"
#include "raster/raster_page_output.h"

namespace velto {

bool WriteGifPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job,
                  WriteContext& context) {
  RasterPageOutput output;
  if (!output.Prepare(spoolPath, outputPath, page, job, true, context)) return false;
  RenderedPage& rendered = output.Rendered();
  // The palette builder takes three bytes a pixel, so the page is read out at 24 bits whatever the display.
  BitmapHeaderRecord header{};
  std::vector<uint8_t> rows;
  if (ReadPageRowsAt(rendered.surface, 24, header, false, rows) == 0) {
    return output.Fail(context, "not enough memory to read the page out");
  }
  return output.Write(context, [&](const std::string& path, int& systemError, std::string& reason) {
    return WriteIndexedGif(rows, path, rendered.width, rendered.height, &systemError, &reason);
  });
}

}  // namespace velto
