// The spooler's entry points of the print processor "Velto Processor" (Vtproc.dll).
//
// The processor takes one data type, "NT EMF 1.008": the spooler records every job of the printer as an
// EMF spool file, and the processor hands that file to VeltoFaxTool instead of playing it to a device.

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <new>

#include "processor/print_job.h"

namespace {

using vtproc::PrintJob;

// The open jobs by handle. A handle is checked here before it is used, so that a stale or foreign handle
// is refused instead of followed; ControlPrintProcessor on one thread and ClosePrintProcessor on another
// share the job, which lives until both are done with it.
class JobTable {
 public:
  HANDLE Add(std::shared_ptr<PrintJob> job) {
    auto handle = static_cast<HANDLE>(job.get());
    ::AcquireSRWLockExclusive(&lock_);
    jobs_.emplace(handle, std::move(job));
    ::ReleaseSRWLockExclusive(&lock_);
    return handle;
  }
  std::shared_ptr<PrintJob> Find(HANDLE handle) {
    ::AcquireSRWLockShared(&lock_);
    auto found = jobs_.find(handle);
    std::shared_ptr<PrintJob> job = found == jobs_.end() ? nullptr : found->second;
    ::ReleaseSRWLockShared(&lock_);
    return job;
  }
  bool Remove(HANDLE handle) {
    std::shared_ptr<PrintJob> job;  // released after the lock
    ::AcquireSRWLockExclusive(&lock_);
    auto found = jobs_.find(handle);
    if (found != jobs_.end()) {
      job = std::move(found->second);
      jobs_.erase(found);
    }
    ::ReleaseSRWLockExclusive(&lock_);
    return job != nullptr;
  }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  std::map<HANDLE, std::shared_ptr<PrintJob>> jobs_;
};

JobTable& Jobs() {
  static JobTable table;
  return table;
}

bool IsOurDatatype(const wchar_t* datatype) {
  return datatype && ::CompareStringOrdinal(datatype, -1, vtproc::kEmfDatatype, -1, TRUE) == CSTR_EQUAL;
}

// No C++ exception may cross into the spooler: whatever escapes becomes the failure result.
template <typename Result, typename Work>
Result Guarded(Result failure, Work work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (...) {
    ::SetLastError(ERROR_INTERNAL_ERROR);
  }
  return failure;
}

}  // namespace

extern "C" {

BOOL WINAPI EnumPrintProcessorDatatypesW(LPWSTR /*pName*/, LPWSTR /*pPrintProcessorName*/, DWORD Level,
                                         LPBYTE pDatatypes, DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned) {
  if (!pcbNeeded || !pcReturned) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pcReturned = 0;
  if (Level != 1) {
    ::SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  // One DATATYPES_INFO_1W, its string right after it.
  const DWORD nameBytes = static_cast<DWORD>((std::wcslen(vtproc::kEmfDatatype) + 1) * sizeof(wchar_t));
  *pcbNeeded = sizeof(DATATYPES_INFO_1W) + nameBytes;
  if (!pDatatypes || cbBuf < *pcbNeeded) {
    ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto* name = reinterpret_cast<wchar_t*>(pDatatypes + sizeof(DATATYPES_INFO_1W));
  std::memcpy(name, vtproc::kEmfDatatype, nameBytes);
  DATATYPES_INFO_1W info{name};
  std::memcpy(pDatatypes, &info, sizeof info);
  *pcReturned = 1;
  return TRUE;
}

HANDLE WINAPI OpenPrintProcessor(LPWSTR pPrinterName, PPRINTPROCESSOROPENDATA pPrintProcessorOpenData) {
  return Guarded<HANDLE>(nullptr, [&]() -> HANDLE {
    if (!pPrintProcessorOpenData) {
      ::SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    const wchar_t* printer = pPrinterName ? pPrinterName : pPrintProcessorOpenData->pPrinterName;
    if (!printer || !*printer) {
      ::SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (!IsOurDatatype(pPrintProcessorOpenData->pDatatype)) {
      ::SetLastError(ERROR_INVALID_DATATYPE);
      return nullptr;
    }
    const wchar_t* document = pPrintProcessorOpenData->pDocumentName;
    auto job = std::make_shared<PrintJob>(printer, pPrintProcessorOpenData->JobId, document ? document : L"");
    if (!job->Valid()) {
      ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    return Jobs().Add(std::move(job));
  });
}

BOOL WINAPI PrintDocumentOnPrintProcessor(HANDLE hPrintProcessor, LPWSTR pDocumentName) {
  return Guarded<BOOL>(FALSE, [&]() -> BOOL {
    std::shared_ptr<PrintJob> job = Jobs().Find(hPrintProcessor);
    if (!job) {
      ::SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    return job->Print(pDocumentName) ? TRUE : FALSE;
  });
}

BOOL WINAPI ControlPrintProcessor(HANDLE hPrintProcessor, DWORD Command) {
  return Guarded<BOOL>(FALSE, [&]() -> BOOL {
    std::shared_ptr<PrintJob> job = Jobs().Find(hPrintProcessor);
    if (!job) {
      ::SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    switch (Command) {
      case JOB_CONTROL_PAUSE:
        job->Control().Pause();
        return TRUE;
      case JOB_CONTROL_RESUME:
        job->Control().Resume();
        return TRUE;
      case JOB_CONTROL_CANCEL:
        job->Control().Cancel();
        return TRUE;
      default:
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
  });
}

BOOL WINAPI ClosePrintProcessor(HANDLE hPrintProcessor) {
  return Guarded<BOOL>(FALSE, [&]() -> BOOL {
    if (!Jobs().Remove(hPrintProcessor)) {
      ::SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    return TRUE;
  });
}

DWORD WINAPI GetPrintProcessorCapabilities(LPWSTR pValueName, DWORD /*dwAttributes*/, LPBYTE pData, DWORD nSize,
                                           LPDWORD pcbNeeded) {
  if (!pcbNeeded) return ERROR_INVALID_PARAMETER;
  if (!IsOurDatatype(pValueName)) return ERROR_INVALID_DATATYPE;
  *pcbNeeded = sizeof(PRINTPROCESSOR_CAPS_1);
  if (!pData || nSize < sizeof(PRINTPROCESSOR_CAPS_1)) return ERROR_MORE_DATA;
  // One page per sheet, in order, one copy: the job goes to the program as it was printed.
  PRINTPROCESSOR_CAPS_1 caps{};
  caps.dwLevel = 1;
  caps.dwNupOptions = 1;
  caps.dwPageOrderFlags = NORMAL_PRINT;
  caps.dwNumberOfCopies = 1;
  std::memcpy(pData, &caps, sizeof caps);
  return ERROR_SUCCESS;
}

}  // extern "C"
