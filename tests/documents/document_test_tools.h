#pragma once
// Helpers for the document tests: reading the fax TIFF and the PDF back in-process (the tags of every
// TIFF directory as the file holds them, libtiff's decoder, the PDF's pages and page images), running the
// poppler tools where they exist (rendering a PDF page), and building spool files of a few pages.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <tiffio.h>

#include "spool/spool_job.h"

namespace velto::test {

// --- TIFF ---------------------------------------------------------------------------------------------

// libtiff's handle for a UTF-8 path (mode "r", "rc", ...); closes itself.
struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;
TiffPtr OpenTiff(const std::string& path, const char* mode);

// The tags of every directory, read from the file's own directory entries (not through libtiff): tag
// number to value text, as tiffdump shows values ("1728", "0 1", "204", "Velto Printer...\0").
// No value when the file is no little- or big-endian classic TIFF.
using TiffTags = std::map<int, std::string>;
std::optional<std::vector<TiffTags>> ReadTiffTags(const std::string& path);

// Reads every directory and decodes every strip with libtiff; the first error libtiff reports (or a
// short read), empty when the whole file reads cleanly.
std::string TiffReadErrors(const std::string& path);

// --- PDF ----------------------------------------------------------------------------------------------

struct PdfImage {
  int width = 0;
  int height = 0;
  std::string colourSpace;  // "DeviceRGB", ...
  int bitsPerComponent = 0;
  std::string filter;       // "FlateDecode", "DCTDecode", "" ...
  std::vector<uint8_t> data;  // the stream decoded when its filter is FlateDecode, else as stored
};
struct PdfPage {
  double width = 0;   // MediaBox, points
  double height = 0;
  std::vector<PdfImage> images;  // the page's image XObjects
};
struct PdfDocument {
  std::vector<PdfPage> pages;  // in the order of the page tree
};
// Reads the PDF that the PDF writer makes (classic cross-reference table, direct page dictionaries):
// checks the header, the trailer, and that every in-use cross-reference entry points at its object.
// `error` says what is wrong when it gives no value.
std::optional<PdfDocument> ReadPdf(const std::string& path, std::string& error);

// --- Tools --------------------------------------------------------------------------------------------

struct ToolResult {
  int exitCode = -1;
  std::string output;  // standard output and standard error
};
// Runs a shell command line; the arguments must already be quoted (Quote). POSIX systems only.
ToolResult RunTool(const std::string& commandLine);
std::string Quote(const std::string& argument);
// False on Windows, where the tests run without the poppler and libtiff tools.
bool ToolAvailable(const std::string& name);

// --- Spool jobs -------------------------------------------------------------------------------------

// A spool file of `pages` copies of SimplePage (each page numbered in its text), read back into `job`.
// False when the spool reader did not accept it.
bool MakeSpoolJob(const std::string& spoolPath, int pages, SpoolJob& job);
// A spool file of the given page metafiles, read back into `job`.
bool MakeSpoolJob(const std::string& spoolPath, const std::vector<std::vector<uint8_t>>& pages, SpoolJob& job);
// Three pages, the second a damaged metafile: records with impossible sizes, counts and handles.
std::vector<std::vector<uint8_t>> PagesWithDamagedSecond();

}  // namespace velto::test
