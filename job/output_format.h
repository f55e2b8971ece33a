#pragma once
#include <string>

namespace velto {

// The output formats, in the order of the Save dialog's file types and of the autosaveformat setting.
enum OutputFormat : int {
  kFormatBmp = 0,
  kFormatTif = 1,
  kFormatJpg = 2,
  kFormatGif = 3,
  kFormatPdf = 4,
  kFormatPng = 5,
  kFormatEmf = 6,
  kFormatTxt = 7,  // and every other number
};

// The extension of a format, without the dot: "bmp", "tif", … ; every unknown number is "txt".
std::string FormatExtension(int format);

}  // namespace velto
