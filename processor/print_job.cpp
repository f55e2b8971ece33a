#include "processor/print_job.h"

#include <optional>

#include "processor/host.h"
#include "processor/log.h"
#include "processor/program_launch.h"
#include "processor/spool_capture.h"
#include "processor/text.h"

namespace vtproc {
namespace {

std::wstring FileName(const std::wstring& path) {
  auto slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

PrintJob::PrintJob(std::wstring printerName, DWORD jobId, std::wstring documentName)
    : printerName_(std::move(printerName)), jobId_(jobId), documentName_(std::move(documentName)) {}

bool PrintJob::Print(const wchar_t* documentName) {
  const std::wstring document = documentName ? std::wstring(documentName) : documentName_;
  const std::optional<std::wstring> windows = host::WindowsDirectory();
  if (!windows) {
    ::SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  auto log = [&](const std::wstring& message) { LogJob(*windows, jobId_, document, message); };

  if (control_.Cancelled()) {
    log(L"cancelled before printing; nothing started");
    return true;
  }
  DWORD error = 0;
  std::unique_ptr<host::JobStream> stream = host::OpenJob(printerName_, jobId_, error);
  if (!stream) {
    log(L"the job's data cannot be opened on printer \"" + printerName_ + L"\": " + ErrorText(error) +
        L"; nothing started");
    ::SetLastError(error);
    return false;
  }

  Capture capture = CaptureJob(*stream, control_, *windows, jobId_);
  stream.reset();
  switch (capture.outcome) {
    case CaptureOutcome::Captured:
      break;
    case CaptureOutcome::Cancelled:
      log(L"cancelled; nothing started");
      return true;
    case CaptureOutcome::Empty:
      log(L"the job holds no data; nothing started");
      return true;
    case CaptureOutcome::ReadFailed:
      log(L"the job's data cannot be read: " + ErrorText(capture.error) + L"; nothing started");
      ::SetLastError(capture.error);
      return false;
    case CaptureOutcome::WriteFailed:
      log(L"the job cannot be written into " + *windows + L": " + ErrorText(capture.error) +
          L"; nothing started, the job stays with the spooler");
      ::SetLastError(capture.error);
      return false;
    case CaptureOutcome::NotEmfSpool: {
      const std::wstring kept = SetAsideData(capture.partPath, *windows, capture.baseName);
      log(L"the job's data is no EMF spool file (" + std::to_wstring(capture.bytes) + L" bytes, kept as " +
          FileName(kept) + L"); nothing started");
      ::SetLastError(ERROR_INVALID_DATATYPE);
      return false;
    }
  }

  // A pause after the data was read holds the start back; a cancel now drops the copy.
  if (!control_.WaitWhilePaused()) {
    ::DeleteFileW(capture.partPath.c_str());
    log(L"cancelled; nothing started");
    return true;
  }

  std::wstring why;
  std::optional<LaunchTarget> target = FindLaunchTarget(host::JobOwner(printerName_, jobId_), why);
  std::wstring grantNote;
  if (target && target->token && !GrantToUser(capture.partPath, target->token.Get())) {
    grantNote = L" (the user could not be given access to it: " + ErrorText(::GetLastError()) + L")";
  }
  std::optional<std::wstring> spoolFile = PublishSpoolFile(capture.partPath, *windows, capture.baseName, error);
  if (!spoolFile) {
    log(L"the job cannot be renamed to a *.spl file: " + ErrorText(error) + L"; kept as " +
        FileName(capture.partPath) + L", nothing started");
    ::SetLastError(error);
    return false;
  }
  const std::wstring kept = L"; the job is kept as " + FileName(*spoolFile);
  if (!target) {
    log(why + kept);
    ::SetLastError(ERROR_NO_SUCH_LOGON_SESSION);
    return false;
  }
  if (control_.Cancelled()) {
    ::DeleteFileW(spoolFile->c_str());
    log(L"cancelled; nothing started");
    return true;
  }

  const std::wstring program = *windows + L"\\" + kProgramFileName;
  DWORD processId = 0;
  if (!StartProgram(*target, program, JobCommandLine(program, document), *windows, processId, error)) {
    log(L"cannot start " + program + L": " + ErrorText(error) + kept);
    ::SetLastError(error);
    return false;
  }
  std::wstring who = L" in session " + std::to_wstring(target->session);
  if (!target->user.empty()) who += L" for " + target->user;
  log(std::wstring(L"started ") + kProgramFileName + who + L" (process " + std::to_wstring(processId) + L") with " +
      FileName(*spoolFile) + grantNote);
  return true;
}

}  // namespace vtproc
