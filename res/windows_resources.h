#pragma once
// The Windows build's resources, made from this folder's templates, strings and pictures:
// res/windows/VeltoFaxTool.rc (dialogs 100, 101 and 102, string 101, icon 128, bitmap 139), the icon
// res/windows/VeltoFaxTool.ico and the banner res/windows/banner.bmp. velto-make-windows-resources
// writes them; a test keeps the committed files equal to what these functions make.

#include <cstdint>
#include <string>
#include <vector>

namespace velto::res {

// A picture of width × height pixels, top row first, each 0xAARRGGBB.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;
  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

// Icon 128 at `size` × `size` pixels (32 and 16 are made): a sheet of paper with "VF" on it, as the
// terminal's picture shows; outside the sheet it is transparent.
Pixels DrawIcon(int size);
// Bitmap 139, the control panel's banner (290 × 64 pixels, the 193 × 43 dialog units of its static at
// the dialog font's usual 6 × 12 base): the words of the terminal's banner on blue, with a sheet.
Pixels DrawBanner();

// The icon file: the 32 × 32 and 16 × 16 pictures, 32 bits with alpha and a transparency mask.
std::vector<uint8_t> IconFile();
// The banner as a 24-bit BMP file.
std::vector<uint8_t> BannerBitmapFile();

// The resource script, UTF-8 with "#pragma code_page(65001)", naming the two files above beside it.
std::string WindowsResourceScript();

inline constexpr const char* kResourceScriptName = "VeltoFaxTool.rc";
inline constexpr const char* kIconFileName = "VeltoFaxTool.ico";
inline constexpr const char* kBannerFileName = "banner.bmp";

}  // namespace velto::res
