#include "documents/tiff_page_tags.h"

#include <cstdint>

namespace velto {
namespace {

uint16_t CompressionOf(TiffPageMode mode) {
  switch (mode) {
    case TiffPageMode::Colour:
      return COMPRESSION_NONE;
    case TiffPageMode::Group4:
      return COMPRESSION_CCITTFAX4;
    case TiffPageMode::ModifiedHuffman:
      return COMPRESSION_CCITTRLE;
    case TiffPageMode::PackBits:
      return COMPRESSION_PACKBITS;
    case TiffPageMode::Group3:
      break;
  }
  return COMPRESSION_CCITTFAX3;
}

bool IsCcitt(TiffPageMode mode) {
  return mode == TiffPageMode::Group3 || mode == TiffPageMode::Group4 || mode == TiffPageMode::ModifiedHuffman;
}

}  // namespace

bool SetTiffPageTags(TIFF* tif, int pageIndex, int pageCount, TiffPageMode mode, int fillOrder) {
  if (tif == nullptr) return false;
  const bool colour = mode == TiffPageMode::Colour;
  bool ok = true;
  // A page of a multi-page document; a single page is just an image.
  if (pageCount > 1) ok &= TIFFSetField(tif, TIFFTAG_SUBFILETYPE, uint32_t{FILETYPE_PAGE}) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t{kFaxPageWidth}) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t{kFaxPageHeight}) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, colour ? 8 : 1) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, colour ? 3 : 1) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t{kFaxPageHeight}) == 1;
  // Compression first: libtiff knows the fax tags only once a CCITT coder is chosen.
  ok &= TIFFSetField(tif, TIFFTAG_COMPRESSION, CompressionOf(mode)) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, colour ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE) == 1;
  if (!colour) ok &= TIFFSetField(tif, TIFFTAG_FILLORDER, fillOrder == 1 ? FILLORDER_MSB2LSB : FILLORDER_LSB2MSB) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_XRESOLUTION, 204.0) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_YRESOLUTION, 196.0) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(pageIndex), static_cast<uint16_t>(pageCount)) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) == 1;
  if (IsCcitt(mode)) {
    ok &= TIFFSetField(tif, TIFFTAG_BADFAXLINES, uint32_t{0}) == 1;
    ok &= TIFFSetField(tif, TIFFTAG_CLEANFAXDATA, CLEANFAXDATA_CLEAN) == 1;
    ok &= TIFFSetField(tif, TIFFTAG_CONSECUTIVEBADFAXLINES, uint32_t{0}) == 1;
  }
  // One-dimensional coding with fill bits, so every end-of-line code ends on a byte boundary.
  if (mode == TiffPageMode::Group3) ok &= TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, uint32_t{GROUP3OPT_FILLBITS}) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) == 1;
  ok &= TIFFSetField(tif, TIFFTAG_SOFTWARE, kTiffSoftware) == 1;
  return ok;
}

}  // namespace velto
