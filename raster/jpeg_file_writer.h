#pragma once
// JPEG page files: the row converter (bottom-up, padded blue-green-red rows to top-down, packed
// red-green-blue rows) and the file writer that drives libjpeg's compression calls.

#include <cstdint>
#include <string>
#include <vector>

namespace velto {

// libjpeg refuses larger images.
inline constexpr int kMaxJpegSide = 65500;

// The quality handed to libjpeg: the setting's low byte read as a signed number (300 → 44, 200 → -56);
// libjpeg then clamps it to 1–100.
int JpegQualityFromSetting(int jpgcompresspos);

// Converts the 24-bit rows starting at `firstRow` (`imageSize` bytes, stride × height). Empty when the
// sizes do not fit together or memory runs out.
std::vector<uint8_t> ConvertRowsToRgb(const uint8_t* firstRow, uint32_t imageSize, int width, int height);

// Why a JPEG file was not written.
struct JpegFailure {
  bool openFailed = false;  // the file could not be opened
  int systemError = 0;      // errno of the failed open, write or close; 0 when none
  std::string reason;       // the library's message, or why the image was refused
};

// Writes `image` (width × 3 bytes a row, top row first) as a baseline JFIF file. False on failure, with
// the reason in `failure`; a file left half written by a library error is removed.
bool EncodeJpegFile(const std::string& path, const uint8_t* image, int width, int height, int quality,
                    JpegFailure& failure);

// The program's message box for a JPEG file that cannot be opened: "JpegFile :\nCan't open %s\n".
void ShowJpegOpenFailure(const std::string& path);

// EncodeJpegFile, 1 on success and 0 on failure, showing the message box when the file cannot be
// opened.
int WriteJpegFile(const std::string& path, const uint8_t* image, int width, int height, int quality);

}  // namespace velto
