// JPEG page writer: each page rendered, read out at 24 bits, turned upright into RGB rows and compressed.
#include "raster/jpeg_file_writer.h"
#include "raster/page_writers.h"
#include "raster/raster_page_output.h"

namespace velto {

bool WriteJpegPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job,
                   WriteContext& context) {
  const int quality = JpegQualityFromSetting(context.Setting("format", "jpgcompresspos", 90));
  RasterPageOutput output;
  if (!output.Prepare(spoolPath, outputPath, page, job, true, context)) return false;
  RenderedPage& rendered = output.Rendered();
  // The converter takes three bytes a pixel, so the page is read out at 24 bits whatever the display.
  PackedPageBitmap bitmap;
  const uint32_t imageSize = ReadPageBitmap(rendered.surface, 24, bitmap);
  if (imageSize == 0) return output.Fail(context, "not enough memory to read the page out");
  std::vector<uint8_t> image = ConvertRowsToRgb(bitmap.FirstRow(), imageSize, rendered.width, rendered.height);
  bitmap = PackedPageBitmap{};  // the converted copy is all the encoder needs
  if (image.empty()) return output.Fail(context, "not enough memory to convert the page");
  const bool written = output.Write(context, [&](const std::string& path, int& systemError, std::string& reason) {
    JpegFailure failure;
    const bool ok = EncodeJpegFile(path, image.data(), rendered.width, rendered.height, quality, failure);
    systemError = failure.systemError;
    reason = failure.reason;
    return ok;
  });
  // Job mode tells the user at once when the file cannot be opened, page after page.
  if (!written && output.CouldNotOpen() && context.jobMode) ShowJpegOpenFailure(output.File());
  return written;
}

}  // namespace velto
