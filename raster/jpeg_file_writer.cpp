#include "raster/jpeg_file_writer.h"

#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <cstdio>
#include <new>

#include <jpeglib.h>

#include "platform/dialogs.h"
#include "platform/files.h"
#include "raster/extracted_page.h"

namespace velto {
namespace {

// libjpeg's standard error manager with a recovery point: a fatal error formats the library's message
// (kept, not shown) and jumps back into RunCompression.
struct JpegErrorManager {
  jpeg_error_mgr standard;
  std::jmp_buf recovery;
  char message[200];
};

[[noreturn]] void JpegFatalError(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, manager->message);
  std::longjmp(manager->recovery, 1);
}

enum class JpegRun { Written, OpenFailed, Failed };

// Plain C data only in this frame: the error routine longjmps into it, so nothing here may need a
// destructor. `failure` receives errno and the library's message of a failed run.
JpegRun RunCompression(const char* path, const uint8_t* image, int width, int height, int quality, int* systemError,
                       char (&libraryMessage)[200]) {
  jpeg_compress_struct cinfo;
  JpegErrorManager errors;
  errors.message[0] = '\0';
  std::FILE* volatile file = nullptr;
  cinfo.err = jpeg_std_error(&errors.standard);
  errors.standard.error_exit = JpegFatalError;
  if (setjmp(errors.recovery)) {
    *systemError = errno;
    std::memcpy(libraryMessage, errors.message, sizeof errors.message);
    jpeg_destroy_compress(&cinfo);
    if (file) std::fclose(file);
    return JpegRun::Failed;
  }
  jpeg_create_compress(&cinfo);
  file = platform::OpenStdioFileForWriting(path).release();
  if (!file) {
    *systemError = errno;
    jpeg_destroy_compress(&cinfo);
    return JpegRun::OpenFailed;
  }
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image + cinfo.next_scanline * rowBytes);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::FILE* done = file;
  file = nullptr;
  const bool flushed = std::fflush(done) == 0 && std::ferror(done) == 0;
  if (!flushed) *systemError = errno;
  const bool closed = std::fclose(done) == 0;
  if (flushed && !closed) *systemError = errno;
  jpeg_destroy_compress(&cinfo);
  return flushed && closed ? JpegRun::Written : JpegRun::Failed;
}

}  // namespace

int JpegQualityFromSetting(int jpgcompresspos) {
  return static_cast<int8_t>(static_cast<uint8_t>(jpgcompresspos & 0xFF));
}

std::vector<uint8_t> ConvertRowsToRgb(const uint8_t* firstRow, uint32_t imageSize, int width, int height) {
  std::vector<uint8_t> image;
  if (!firstRow || width <= 0 || height <= 0) return image;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  if (uint64_t(stride) * uint64_t(height) > imageSize) return image;
  try {
    image.resize(rowBytes * static_cast<size_t>(height));
  } catch (const std::bad_alloc&) {
    return {};
  }
  for (int r = 0; r < height; ++r) {
    const uint8_t* src = firstRow + static_cast<size_t>(r) * stride;
    uint8_t* dst = image.data() + static_cast<size_t>(height - 1 - r) * rowBytes;
    for (size_t i = 0; i < rowBytes; i += 3) {
      dst[i] = src[i + 2];
      dst[i + 1] = src[i + 1];
      dst[i + 2] = src[i];
    }
  }
  return image;
}

bool EncodeJpegFile(const std::string& path, const uint8_t* image, int width, int height, int quality,
                    JpegFailure& failure) {
  failure = JpegFailure{};
  if (!image || width <= 0 || height <= 0) {
    failure.reason = "no image to compress";
    return false;
  }
  if (width > kMaxJpegSide || height > kMaxJpegSide) {  // refused before a file is made
    failure.reason = "a page of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large for JPEG";
    return false;
  }
  char libraryMessage[200] = {};
  switch (RunCompression(path.c_str(), image, width, height, quality, &failure.systemError, libraryMessage)) {
    case JpegRun::Written:
      return true;
    case JpegRun::OpenFailed:
      failure.openFailed = true;
      return false;
    case JpegRun::Failed:
      if (libraryMessage[0]) failure.reason = std::string("[libjpeg] ") + libraryMessage;
      RemoveFileQuietly(path);
      return false;
  }
  return false;
}

void ShowJpegOpenFailure(const std::string& path) {
  platform::ShowMessageBox("JpegFile :\nCan't open " + path + "\n", "VeltoFaxTool", platform::MB_OK);
}

int WriteJpegFile(const std::string& path, const uint8_t* image, int width, int height, int quality) {
  JpegFailure failure;
  if (EncodeJpegFile(path, image, width, height, quality, failure)) return 1;
  if (failure.openFailed) ShowJpegOpenFailure(path);
  return 0;
}

}  // namespace velto
