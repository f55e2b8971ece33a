// PNG page writer: each page rendered, read out at the display's depth and handed to a PngWriter.
#include "raster/page_writers.h"
#include "raster/png_writer.h"
#include "raster/raster_page_output.h"

namespace velto {

bool WritePngPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job,
                  WriteContext& context) {
  RasterPageOutput output;
  if (!output.Prepare(spoolPath, outputPath, page, job, true, context)) return false;
  BitmapHeaderRecord header{};
  std::vector<uint8_t> rows;
  if (ReadPageRows(output.Rendered().surface, header, false, rows) == 0) {
    return output.Fail(context, "not enough memory to read the page out");
  }
  return output.Write(context, [&](const std::string& path, int& systemError, std::string& reason) {
    PngWriter writer;
    writer.SetBitmap(header, rows);
    writer.SetOutputPath(path);
    writer.SetGamma(true, PngWriter::kDefaultGamma);
    if (writer.Run() == PngWriter::kSuccess) return true;
    systemError = writer.SystemError();
    reason = writer.Message();
    return false;
  });
}

}  // namespace velto
