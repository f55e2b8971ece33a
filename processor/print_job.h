#pragma once
// One job, from OpenPrintProcessor to ClosePrintProcessor.

#include <windows.h>

#include <string>

#include "processor/job_control.h"

namespace vtproc {

inline constexpr wchar_t kEmfDatatype[] = L"NT EMF 1.008";

class PrintJob {
 public:
  PrintJob(std::wstring printerName, DWORD jobId, std::wstring documentName);

  JobControl& Control() { return control_; }
  bool Valid() const { return control_.Valid(); }

  // The work of PrintDocumentOnPrintProcessor: copy the job's spool data into the Windows directory and
  // start the program for it. True when the program was started (or the job was cancelled or empty);
  // false with the last error set when it could not be, the reason logged and whatever data was read
  // kept. `documentName` (may be null) overrides the name given when the job was opened.
  bool Print(const wchar_t* documentName);

 private:
  std::wstring printerName_;
  DWORD jobId_;
  std::wstring documentName_;
  JobControl control_;
};

}  // namespace vtproc
