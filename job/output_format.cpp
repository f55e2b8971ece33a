#include "job/output_format.h"

namespace velto {

std::string FormatExtension(int format) {
  switch (format) {
    case kFormatBmp: return "bmp";
    case kFormatTif: return "tif";
    case kFormatJpg: return "jpg";
    case kFormatGif: return "gif";
    case kFormatPdf: return "pdf";
    case kFormatPng: return "png";
    case kFormatEmf: return "emf";
    default: return "txt";
  }
}

}  // namespace velto
