#include "documents/tiff_settings.h"


namespace velto {

TiffPageMode TiffPageModeFromSetting(int tiffcompress) {
  switch (tiffcompress) {
    case 1:
      return TiffPageMode::Group4;
    case 2:
      return TiffPageMode::ModifiedHuffman;
    case 5:
      return TiffPageMode::PackBits;
    case 6:
    case -1:
      return TiffPageMode::Colour;
    default:  // 0, 3, 4 and every value without a format of its own
      return TiffPageMode::Group3;
  }
}

BilevelMethod BilevelMethodFromSetting(int tiffshpare) {
  return tiffshpare != 0 ? BilevelMethod::Dithered : BilevelMethod::Direct;
}

int FillOrderFromSetting(int fillorder) { return fillorder != 0 ? 2 : 1; }

TiffSettings ReadTiffSettings(const SettingReader& reader) {
  TiffSettings settings;
  settings.mode = TiffPageModeFromSetting(ReadSetting(reader, "format", "tiffcompress", 0));
  settings.method = BilevelMethodFromSetting(ReadSetting(reader, "format", "tiffshpare", 1));
  return settings;
}

int ReadTiffFillOrder(const SettingReader& reader) {
  return FillOrderFromSetting(ReadSetting(reader, "format", "fillorder", 1));
}

}  // namespace velto
