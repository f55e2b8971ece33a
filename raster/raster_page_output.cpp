#include "raster/raster_page_output.h"

#include "platform/replacing_output_file.h"
#include "spool/page_file_name.h"

namespace velto {

RasterPageOutput::~RasterPageOutput() { RecyclePageSurface(rendered_.surface); }

bool RasterPageOutput::Prepare(const std::string& spoolPath, const std::string& outputPath, int page, SpoolJob& job,
                               bool colour, WriteContext& context) {
  page_ = page;
  file_ = MakePageFileName(outputPath, page).value_or(outputPath);
  bool drawn = false;
  if (context.jobMode) {
    // The program copies each page into a temporary page file and draws it from there.
    if (!extracted_.Extract(spoolPath, page, job)) {
      context.report.NotWritten(page, file_, kPageNotExtractedReason);
      return false;
    }
    drawn = RenderRasterPage(extracted_.Path(), colour, rendered_, context.dpi);
  } else {
    // The converter reads the same bytes straight from the spool file: no file to make, write, read
    // back and delete for every page.
    bool extracted = false;
    std::string loadError;
    auto metafile = ReadPageMetafile(spoolPath, page, job, extracted, loadError);
    if (!extracted) {
      context.report.NotWritten(page, file_, kPageNotExtractedReason);
      return false;
    }
    drawn = RenderRasterMetafile(std::move(metafile), loadError, colour, rendered_, context.dpi);
  }
  if (!drawn) {
    if (rendered_.failedOnDamage) {
      context.report.Unreadable(page, file_, rendered_.failure);
    } else {
      context.report.NotWritten(page, file_, rendered_.failure);
    }
    return false;
  }
  return true;
}

bool RasterPageOutput::Fail(WriteContext& context, const std::string& reason) {
  context.report.NotWritten(page_, file_, reason);
  return false;
}

bool RasterPageOutput::Write(WriteContext& context, const Encoder& encode) {
  platform::ReplacingOutputFile output(file_);
  couldNotOpen_ = false;
  if (!output.Create()) {
    couldNotOpen_ = true;
    return Fail(context, output.Error());
  }
  int systemError = 0;
  std::string reason;
  if (!encode(output.TempPath(), systemError, reason)) {
    if (reason.empty() || systemError != 0) {
      const std::string system = platform::SystemErrorText(systemError);
      reason = reason.empty() ? system : reason + ": " + system;
    }
    return Fail(context, reason);
  }
  if (!output.Commit()) return Fail(context, output.Error());
  if (rendered_.damage) context.report.Damaged(page_, file_, *rendered_.damage);
  return true;
}

}  // namespace velto
