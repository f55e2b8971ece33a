#include "documents/fax_tiff_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "documents/bilevel_conversion.h"
#include "documents/document_writers.h"
#include "documents/pixel_rows.h"
#include "documents/tiff_page_tags.h"
#include "platform/windows_directory.h"
#include "spool/metafile_damage.h"
#include "spool/page_extraction.h"

#ifdef _WIN32
#include "platform/text_encoding.h"
#endif

namespace velto {
namespace {

constexpr emf::RectL kFaxPageRect{0, 0, kFaxPageWidth, kFaxPageHeight};
constexpr size_t kColourRowBytes = size_t{kFaxPageWidth} * 3;   // 5184
constexpr size_t kBilevelRowBytes = size_t{kFaxPageWidth} / 8;  // 216

void RemoveFile(const std::string& path) {
  if (!path.empty()) platform::RemoveFile(path);
}

}  // namespace

FaxTiffWriter::FaxTiffWriter() = default;

FaxTiffWriter::~FaxTiffWriter() { Release(); }

void FaxTiffWriter::Release() {
  tif_.reset();
  ReleasePageSurface(surface_);
  capture_ = PackedPageBitmap{};
  bilevelRows_ = {};
  directRows_ = {};
  output_.reset();  // removes an unfinished temporary file
}

bool FaxTiffWriter::Open(const std::string& outputPath, const FaxTiffOptions& options, int pageCount) {
  Release();
  options_ = options;
  pageCount_ = pageCount;
  pagesWritten_ = 0;
  writeFailed_ = false;
  error_.clear();

  output_ = std::make_unique<platform::ReplacingOutputFile>(outputPath);
  if (!output_->Create()) {
    error_ = output_->Error();
    output_.reset();
    return false;
  }
  errno = 0;
#ifdef _WIN32
  // The narrow name would be taken in the ANSI code page: a Chinese folder name would not open.
  tif_.reset(TIFFOpenW(platform::Utf16(output_->TempPath()).c_str(), "w"));
#else
  tif_.reset(TIFFOpen(output_->TempPath().c_str(), "w"));
#endif
  if (!tif_) {
    error_ = platform::SystemErrorText(errno);
    Release();
    return false;
  }
  const bool direct = IsBilevel(options_.settings.mode) && options_.settings.method == BilevelMethod::Direct;
  if (!CreatePageSurface(kFaxPageWidth, kFaxPageHeight, !direct, surface_)) {
    error_ = "not enough memory for the fax page";
    Release();
    return false;
  }
  if (direct) {
    try {
      directRows_.assign(static_cast<size_t>(DibImageSize(kFaxPageWidth, kFaxPageHeight, 1)), 0);
    } catch (const std::bad_alloc&) {
      error_ = "not enough memory for the fax page";
      Release();
      return false;
    }
  }
  return true;
}

platform::PageCanvas& FaxTiffWriter::Surface() { return *surface_.bitmap; }

void FaxTiffWriter::BeginPage() {
  if (surface_.Valid()) surface_.bitmap->FillRect(kFaxPageRect, surface_.fillBrush);
}

bool FaxTiffWriter::PlayPage(const emf::Metafile& metafile) {
  if (!surface_.Valid()) return false;
  // Stretched over the whole page, without margin and without keeping the proportions.
  return surface_.bitmap->Play(metafile, kFaxPageRect);
}

// Colour pages: 24-bit rows, red, green, blue, top row first.
bool FaxTiffWriter::CaptureColour(std::span<const uint8_t>& strip) {
  // Always at 24 bits: a read-out at the depth of a 256- or 16-colour display is no RGB data.
  const uint32_t size = ReadPageBitmap(surface_, 24, capture_);
  if (size == 0 || size != kColourRowBytes * kFaxPageHeight) return false;
  std::span<uint8_t> rows(capture_.FirstRow(), size);
  SwapRedBlue(rows, kFaxPageWidth, kFaxPageHeight);
  if (!FlipRows(rows, kColourRowBytes, kFaxPageHeight)) return false;
  strip = rows;
  return true;
}

// Dithered pages: the inverted colour page through the gray conversion and error diffusion.
bool FaxTiffWriter::CaptureDithered(std::span<const uint8_t>& strip) {
  const uint32_t size = ReadPageBitmap(surface_, 24, capture_);
  if (size == 0) return false;
  std::span<const uint8_t> header(capture_.block.data(), capture_.rowsOffset);
  std::span<const uint8_t> rows(capture_.FirstRow(), size);
  const size_t stride = BilevelStride(kFaxPageWidth);
  const size_t bytes = stride * kFaxPageHeight;
  if (bilevelRows_.empty()) {
    try {
      bilevelRows_.assign(bytes + 10, 0);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  std::array<uint8_t, kBilevelHeaderRecordSize> bilevelHeader{};
  // A page that could not be converted gets no image rather than the previous page's bits.
  if (!ConvertToBilevel(header, rows, bilevelHeader, bilevelRows_)) return false;
  if (!FlipRows(bilevelRows_, stride, kFaxPageHeight)) return false;
  strip = std::span<const uint8_t>(bilevelRows_.data(), bytes);
  return true;
}

// Direct pages: the monochrome bitmap's own bits, top row first, most significant bit first, 1 where the
// inverted pixel is white, that is where the page is printed.
bool FaxTiffWriter::CaptureDirect(std::span<const uint8_t>& strip) {
  if (directRows_.size() < kBilevelRowBytes * kFaxPageHeight) return false;
  const platform::PageCanvas& surface = *surface_.bitmap;
  for (int y = 0; y < kFaxPageHeight; ++y) {
    const uint32_t* pixel = surface.Row(y);
    uint8_t* out = directRows_.data() + static_cast<size_t>(y) * kBilevelRowBytes;
    for (size_t b = 0; b < kBilevelRowBytes; ++b, pixel += 8) {
      unsigned bits = 0;
      for (int k = 0; k < 8; ++k) bits = (bits << 1) | ((pixel[k] & 0xFFFFFF) == emf::kWhite ? 1u : 0u);
      out[b] = static_cast<uint8_t>(bits);
    }
  }
  strip = std::span<const uint8_t>(directRows_.data(), kBilevelRowBytes * kFaxPageHeight);
  return true;
}

bool FaxTiffWriter::FinishPage(int pageIndex) {
  if (!tif_ || !surface_.Valid() || writeFailed_) return false;
  const TiffPageMode mode = options_.settings.mode;
  std::span<const uint8_t> strip;
  bool captured;
  if (!IsBilevel(mode)) {
    captured = CaptureColour(strip);
  } else {
    // White paper becomes 0 and printing 1, matching the min-is-white photometric of bilevel pages.
    surface_.bitmap->InvertRect(kFaxPageRect);
    captured = options_.settings.method == BilevelMethod::Direct ? CaptureDirect(strip) : CaptureDithered(strip);
  }
  if (!captured) {
    capture_ = PackedPageBitmap{};
    error_ = "not enough memory to capture the page";
    return false;
  }

  const int fillOrder = options_.fillOrder ? *options_.fillOrder : ReadTiffFillOrder(options_.readSetting);
  errno = 0;
  bool ok = SetTiffPageTags(tif_.get(), pageIndex, pageCount_, mode, fillOrder);
  // libtiff takes a non-const buffer; none of the coders used here writes into it.
  ok = ok && TIFFWriteEncodedStrip(tif_.get(), 0, const_cast<uint8_t*>(strip.data()),
                                   static_cast<tmsize_t>(strip.size())) == static_cast<tmsize_t>(strip.size());
  ok = ok && TIFFWriteDirectory(tif_.get()) == 1;
  capture_ = PackedPageBitmap{};
  if (!ok) {
    // A short write leaves a damaged file: the document is given up rather than reported as written.
    writeFailed_ = true;
    error_ = errno ? platform::SystemErrorText(errno) : "libtiff could not write the page";
    return false;
  }
  ++pagesWritten_;
  return true;
}

bool FaxTiffWriter::Finish() {
  if (!output_) return false;
  bool ok = tif_ != nullptr && !writeFailed_;
  if (ok && pagesWritten_ == 0) {
    error_ = "no page of the job could be drawn";
    ok = false;
  }
  if (tif_) {
    errno = 0;
    if (TIFFFlush(tif_.get()) != 1 && ok) {
      error_ = errno ? platform::SystemErrorText(errno) : "libtiff could not finish the file";
      ok = false;
    }
    tif_.reset();
  }
  ReleasePageSurface(surface_);
  if (ok && !output_->Commit()) {
    error_ = output_->Error();
    ok = false;
  }
  Release();
  return ok;
}

bool WriteTiffDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job,
                       const FaxTiffOptions& options, WriteContext& context) {
  std::string tempName;
  // Without a temporary page name no page can be extracted: no document.
  if (!MakeTempPageName(tempName)) {
    context.report.NotWritten(0, outputPath, "no temporary file for the pages in " + platform::TempDirectory());
    return false;
  }
  // The page table holds at most kMaxSpoolPages pages, whatever the record says.
  const int pageCount = std::clamp(job.pageCount, 0, kMaxSpoolPages);
  FaxTiffWriter writer;
  if (!writer.Open(outputPath, options, pageCount)) {
    context.report.NotWritten(0, outputPath, writer.Error());
    RemoveFile(tempName);
    return false;
  }
  bool failed = false;
  for (int k = 1; k <= pageCount && !failed; ++k) {
    if (!ExtractPage(spoolPath, tempName, k, job)) {  // the page gets no image
      context.report.NotWritten(k, outputPath, "the page cannot be copied out of the print job");
      if (context.pageDone) context.pageDone(k);
      continue;
    }
    writer.BeginPage();
    std::string loadError;
    if (auto metafile = emf::Metafile::Load(platform::FsPath(job.pageFile), &loadError)) {
      const bool playedToEnd = writer.PlayPage(*metafile);
      if (writer.FinishPage(k - 1)) {
        auto damage = MetafileDamage(*metafile);
        if (!damage && !playedToEnd) damage = kPlaybackStoppedReason;
        if (damage) context.report.Damaged(k, outputPath, *damage);
      } else if (writer.WriteFailed()) {
        failed = true;
      } else {
        context.report.NotWritten(k, outputPath, writer.Error());
      }
    } else {
      context.report.Unreadable(k, outputPath, UnreadablePageReason(loadError));
    }
    RemoveFile(job.pageFile);
    if (context.pageDone) context.pageDone(k);
  }
  RemoveFile(job.pageFile);
  RemoveFile(tempName);
  if (!writer.Finish() || failed) {
    context.report.NotWritten(0, outputPath, writer.Error());
    return false;
  }
  return true;
}

bool WriteTiffDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job,
                       WriteContext& context) {
  FaxTiffOptions options;
  options.settings = ReadTiffSettings(context.readSetting);
  options.readSetting = context.readSetting;
  return WriteTiffDocument(spoolPath, outputPath, job, options, context);
}

}  // namespace velto
