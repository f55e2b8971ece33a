#pragma once
// The size of a PDF page image, chosen from the width of a full-screen window's client area: an A4
// proportion (842 / 595) at one of five widths. Single precision, as the page writer keeps it; the
// surface and the image take the values truncated toward zero.

namespace velto {

struct PdfPageDimensions {
  float width = 0;
  float height = 0;
};

// The size for a full-screen client width `screenWidth`; each bound (640, 800, 1024, 1152) belongs to
// the row that it closes.
PdfPageDimensions PdfPageSizeForScreen(int screenWidth);
// The size for the current screen (platform::FullScreenClientWidth), asked afresh at every call.
PdfPageDimensions PdfPageSize();

}  // namespace velto
