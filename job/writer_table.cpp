#include "job/writer_table.h"

#include <array>
#include <strings.h>

#include "documents/document_writers.h"
#include "job/output_format.h"
#include "raster/page_writers.h"
#include "spool/emf_page_writer.h"
#include "spool/page_extraction.h"
#include "spool/text_writer.h"

namespace velto {

namespace {

constexpr std::array<WriterRow, 8> kRows{{
    {".EMF", kFormatEmf, WriterKind::PerPage, WriterId::Emf},
    {".BMP", kFormatBmp, WriterKind::PerPage, WriterId::Bmp},
    {".tif", kFormatTif, WriterKind::Document, WriterId::Tiff},
    {".jpg", kFormatJpg, WriterKind::PerPage, WriterId::Jpeg},
    {".gif", kFormatGif, WriterKind::PerPage, WriterId::Gif},
    {".pdf", kFormatPdf, WriterKind::Document, WriterId::Pdf},
    {".txt", kFormatTxt, WriterKind::Document, WriterId::Text},
    {".png", kFormatPng, WriterKind::PerPage, WriterId::Png},
}};

const WriterSet* g_override = nullptr;

}  // namespace

std::string OutputExtension(const std::string& outputPath) {
  auto dot = outputPath.rfind('.');
  return dot == std::string::npos ? std::string() : outputPath.substr(dot);
}

std::optional<WriterRow> FindWriter(const std::string& outputPath) {
  std::string extension = OutputExtension(outputPath);
  for (const auto& row : kRows) {
    if (::strcasecmp(extension.c_str(), row.extension) == 0) return row;
  }
  return std::nullopt;
}

const WriterRow* WriterRows(size_t& count) {
  count = kRows.size();
  return kRows.data();
}

const WriterSet& SystemWriters() {
  static const WriterSet writers{
      WriteBmpPage, WriteJpegPage, WriteGifPage, WritePngPage, WriteTiffDocument, WritePdfDocument,
      WriteTextDocument, MakeTempPageName, ExtractPage, WriteEmfPage,
  };
  return writers;
}

const WriterSet& CurrentWriters() { return g_override ? *g_override : SystemWriters(); }

void SetWriters(const WriterSet* writers) { g_override = writers; }

}  // namespace velto
