#include "job/convert_job.h"

#include <cstdio>
#include <memory>

#include "app/settings.h"
#include "job/after_save.h"
#include "job/conversion.h"
#include "job/spool_claim.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "spool/spool_reader.h"

namespace velto {

namespace {


void KeepSpoolFile(const std::string& spoolPath, const char* why) {
  if (auto kept = SetSpoolFileAside(spoolPath)) {
    std::fprintf(stderr, "VeltoFaxTool: %s; the print job is kept as %s\n", why, kept->c_str());
  } else {
    std::fprintf(stderr, "VeltoFaxTool: %s; the print job stays in %s\n", why, spoolPath.c_str());
  }
}

}  // namespace

void OpenResult(const std::string& path) { platform::CurrentShell().Open(path, "", platform::ShowCommand::Show); }

int ConvertJob(const std::string& spoolPath, const std::string& outputPath, const std::string& documentName) {
  RunBeforeConversion();
  auto job = std::make_unique<SpoolJob>();
  if (!ReadSpoolJob(spoolPath, *job)) {
    // Not a job this program can read. A claimed file is moved out of the way, so that it does not
    // stand before the next job; any other file stays as it is.
    if (IsClaimedSpoolPath(spoolPath)) {
      KeepSpoolFile(spoolPath, "the spool file holds no readable pages");
      return 1;
    }
    return 0;
  }
  const int openFlag = ReadSettingInt("save", "chech1", 1);

  ConversionCallbacks callbacks;
  callbacks.afterPage = [&](int k) {
    RunAfterSave(documentName, k, outputPath);
    if (openFlag == 1 && k == 1 && platform::FileExists(outputPath)) OpenResult(outputPath);
  };
  callbacks.afterDocument = [&](const WriterRow& writer) {
    RunAfterSave(documentName, 1, outputPath);
    // A fax TIFF is opened for any non-zero flag, the other documents only for 1.
    bool open = writer.id == WriterId::Tiff ? openFlag != 0 : openFlag == 1;
    if (open) OpenResult(outputPath);
  };
  ConversionResult result = ConvertPages(spoolPath, outputPath, *job, callbacks);

  // An extension without a writer writes nothing by design, and the job is done with.
  if (result.writer && !result.AllWritten()) {
    // Deleting the job now would lose what did not reach the output: it is kept, and what went wrong is
    // named page by page.
    for (const WriteProblem& problem : result.report.Problems()) {
      std::fprintf(stderr, "VeltoFaxTool: %s\n", DescribeProblem(problem).c_str());
    }
    const std::string why = result.AnythingWritten() ? "not every page of " + outputPath + " was written whole"
                                                     : "nothing could be written to " + outputPath;
    KeepSpoolFile(spoolPath, why.c_str());
    return 1;
  }
  FinishSpoolClaim(spoolPath);
  return 0;
}

}  // namespace velto
