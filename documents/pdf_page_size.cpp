#include "documents/pdf_page_size.h"

#include "platform/display.h"

namespace velto {

PdfPageDimensions PdfPageSizeForScreen(int screenWidth) {
  if (screenWidth <= 640) {
    // 595 − 15 points wide; 1 / 595 is kept as the single-precision constant.
    const float width = 595.0f - 15.0f;
    return {width, width * 0.0016806723f * 842.0f};
  }
  if (screenWidth <= 800) return {595.0f * 1.25f, 842.0f * 1.25f};
  if (screenWidth <= 1024) return {960.0f, 1358.521f};
  if (screenWidth <= 1152) return {1090.0f, 1542.4874f};
  return {1220.0f, 1726.4537f};
}

PdfPageDimensions PdfPageSize() { return PdfPageSizeForScreen(platform::FullScreenClientWidth()); }

}  // namespace velto
