// JPEG page writer: each page rendered, read out at 24 bits, turned upright into RGB rows and compressed.
#include "app/settings.h"
#include "job/page_file_name.h"
#include "raster/extracted_page.h"
#include "raster/jpeg_file_writer.h"
#include "raster/page_rasterizer.h"
#include "raster/page_writers.h"

namespace velto {

bool WriteJpegPage(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job) {
  const int quality = JpegQualityFromSetting(ReadSettingInt("format", "jpgcompresspos", 90));
  ExtractedPage extracted;
  if (!extracted.Extract(spoolPath, page, job)) return false;
  RenderedPage rendered;
  if (!RenderRasterPage(extracted.Path(), true, rendered)) return false;
  std::optional<std::string> outputFile = MakePageFileName(outputPath, page);
  if (!outputFile) return false;
  // The converter takes three bytes a pixel, so the page is read out at 24 bits whatever the display.
  PackedPageBitmap bitmap;
  const uint32_t imageSize = ReadPageBitmap(rendered.surface, 24, bitmap);
  if (imageSize == 0) return false;
  std::vector<uint8_t> image = ConvertRowsToRgb(bitmap.FirstRow(), imageSize, rendered.width, rendered.height);
  bitmap = PackedPageBitmap{};  // the converted copy is all the encoder needs
  if (image.empty()) return false;
  return WriteJpegFile(*outputFile, image.data(), rendered.width, rendered.height, quality) == 1;
}

}  // namespace velto
