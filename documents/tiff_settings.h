#pragma once
// The fax TIFF choices of the settings file (section "format"): page format, the way black and white is
// made, and the bit fill order.

#include "spool/setting_reader.h"

namespace velto {

// Page format of every page of the fax TIFF; every mode but Colour is bilevel.
enum class TiffPageMode {
  Colour = 0,           // 24-bit RGB, uncompressed
  Group3 = 1,           // CCITT Group 3, one-dimensional
  Group4 = 2,           // CCITT Group 4
  ModifiedHuffman = 3,  // CCITT modified Huffman (RLE)
  PackBits = 4,
};

enum class BilevelMethod {
  Dithered,  // drawn in colour, then gray, error diffusion and packing
  Direct,    // drawn straight into a monochrome surface
};

struct TiffSettings {
  TiffPageMode mode = TiffPageMode::Group3;
  BilevelMethod method = BilevelMethod::Dithered;
};

inline bool IsBilevel(TiffPageMode mode) { return mode != TiffPageMode::Colour; }

// `tiffcompress` → page mode: 0, 3, 4 Group 3; 1 Group 4; 2 modified Huffman; 5 PackBits; 6 and −1
// colour. Any other value has no format of its own and is written as Group 3, the default.
TiffPageMode TiffPageModeFromSetting(int tiffcompress);
// `tiffshpare`: non-zero dithers, 0 draws directly in black and white.
BilevelMethod BilevelMethodFromSetting(int tiffshpare);
// `fillorder`: non-zero gives FillOrder 2 (least significant bit first), 0 gives 1.
int FillOrderFromSetting(int fillorder);

// Reads `tiffcompress` (default 0) and `tiffshpare` (default 1).
TiffSettings ReadTiffSettings(const SettingReader& reader);
// Reads `fillorder` (default 1) and gives the FillOrder tag value; asked afresh for every page.
int ReadTiffFillOrder(const SettingReader& reader);

}  // namespace velto
