// The system's service control manager. Handles are the system's SC_HANDLEs as numbers; names are UTF-8
// here and the ANSI code page at the calls.
#include "platform/printing/service_manager.h"
#include "platform/text_encoding.h"

// After our headers: the Windows headers define several of their names as macros.
#include <windows.h>

namespace velto::platform {
namespace {

::SC_HANDLE Native(SC_HANDLE handle) { return reinterpret_cast<::SC_HANDLE>(handle); }
SC_HANDLE Ours(::SC_HANDLE handle) { return reinterpret_cast<SC_HANDLE>(handle); }

void CopyStatus(const ::SERVICE_STATUS& from, SERVICE_STATUS* to) {
  if (!to) return;
  to->dwServiceType = from.dwServiceType;
  to->dwCurrentState = from.dwCurrentState;
  to->dwControlsAccepted = from.dwControlsAccepted;
  to->dwWin32ExitCode = from.dwWin32ExitCode;
  to->dwServiceSpecificExitCode = from.dwServiceSpecificExitCode;
  to->dwCheckPoint = from.dwCheckPoint;
  to->dwWaitHint = from.dwWaitHint;
}

}  // namespace

SC_HANDLE OpenSCManagerA(const char* machineName, const char* databaseName, uint32_t access) {
  const std::string machine = machineName ? ToAnsi(machineName) : std::string();
  const std::string database = databaseName ? ToAnsi(databaseName) : std::string();
  return Ours(::OpenSCManagerA(machineName ? machine.c_str() : nullptr, databaseName ? database.c_str() : nullptr,
                               access));
}

SC_HANDLE OpenServiceA(SC_HANDLE manager, const std::string& serviceName, uint32_t access) {
  return Ours(::OpenServiceA(Native(manager), ToAnsi(serviceName).c_str(), access));
}

bool StartServiceA(SC_HANDLE service, uint32_t argc, const char** argv) {
  return ::StartServiceA(Native(service), argc, argv) != FALSE;
}

bool ControlService(SC_HANDLE service, uint32_t control, SERVICE_STATUS* status) {
  ::SERVICE_STATUS native{};
  const bool done = ::ControlService(Native(service), control, &native) != FALSE;
  // The status is filled on success and for some failures (a service that cannot take the control now).
  CopyStatus(native, status);
  return done;
}

bool QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
  ::SERVICE_STATUS native{};
  if (!::QueryServiceStatus(Native(service), &native)) return false;
  CopyStatus(native, status);
  return true;
}

bool CloseServiceHandle(SC_HANDLE handle) { return ::CloseServiceHandle(Native(handle)) != FALSE; }

uint32_t CurrentServiceState(const std::string& serviceName) {
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return 0;
  UniqueServiceHandle service(OpenServiceA(manager.Get(), serviceName, SERVICE_QUERY_STATUS));
  if (!service) return 0;
  SERVICE_STATUS status;
  return QueryServiceStatus(service.Get(), &status) ? status.dwCurrentState : 0;
}

}  // namespace velto::platform
