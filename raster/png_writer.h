#pragma once
// PngWriter: turns a device-independent bitmap (header with colour table, bottom-up padded rows) into
// a PNG file through libpng, reporting failures by a result code and a message text.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace velto {

class PngWriter {
 public:
  enum Result : int {
    kSuccess = 0,
    kUnknownError = 1,
    kIncompatibleLibrary = 2,
    kOutOfMemory = 3,
    kUnsupportedImage = 4,
    kLibpngError = 5,
    kInvalidBmp = 6,
    kInvalidPng = 7,
    kReadFailed = 8,
    kWriteFailed = 9,
  };
  static constexpr double kDefaultGamma = 0.45455;

  PngWriter();
  // The 40-byte header followed by its colour table, and the pixel rows. Both are borrowed for the run.
  void SetBitmap(std::span<const uint8_t> headerAndTable, std::span<const uint8_t> rows);
  void SetOutputPath(const std::string& path) { outputPath_ = path; }
  void SetGamma(bool enabled, double gamma) {
    gammaEnabled_ = enabled;
    fileGamma_ = gamma;
  }
  int Run();
  // Text of the last failure; empty after a successful run.
  const char* Message() const { return message_.data(); }
  // errno of a failed open, write or close in the last run; 0 when the failure was not the system's.
  int SystemError() const { return systemError_; }

  static const char* ResultMessage(int code);

 private:
  struct Layout;
  int Check(Layout& layout);
  int Write(const Layout& layout, unsigned char** rowPointers);
  void SetMessage(const char* format, ...);

  std::array<char, 200> message_{};
  int systemError_ = 0;
  std::span<const uint8_t> header_;
  std::span<const uint8_t> rows_;
  bool bitmapSet_ = false;
  std::string outputPath_;
  bool gammaEnabled_ = true;
  double fileGamma_ = kDefaultGamma;
};

}  // namespace velto
