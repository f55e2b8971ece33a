#include "printer/service_control.h"

#include <algorithm>

#include "platform/printing/clock.h"
#include "platform/printing/service_manager.h"
#include "platform/printing/system_errors.h"

namespace velto {
namespace {

namespace pf = velto::platform;

uint32_t waitLimit = 30000;

struct OpenedService {
  pf::UniqueServiceHandle manager;
  pf::UniqueServiceHandle service;
};

bool OpenService(const std::string& name, OpenedService& opened) {
  opened.manager = pf::UniqueServiceHandle(pf::OpenSCManagerA(nullptr, nullptr, pf::SC_MANAGER_CONNECT));
  if (!opened.manager) return false;
  opened.service = pf::UniqueServiceHandle(pf::OpenServiceA(opened.manager.Get(), name, pf::SERVICE_ALL_ACCESS));
  return static_cast<bool>(opened.service);
}

bool TimedOut() {
  pf::SetLastError(pf::ERROR_SERVICE_REQUEST_TIMEOUT);
  return false;
}

}  // namespace

uint32_t ServiceWaitLimit() { return waitLimit; }
void SetServiceWaitLimit(uint32_t milliseconds) { waitLimit = milliseconds; }
bool LastServiceRequestTimedOut() { return pf::GetLastError() == pf::ERROR_SERVICE_REQUEST_TIMEOUT; }

bool StartService(const std::string& serviceName) {
  OpenedService opened;
  if (!OpenService(serviceName, opened)) return false;
  if (!pf::StartServiceA(opened.service.Get(), 0, nullptr)) return false;
  pf::SERVICE_STATUS status;
  status.dwWaitHint = 0;  // the first pause is 500 ms
  uint64_t waited = 0;
  for (;;) {
    if (waited >= waitLimit) return TimedOut();
    const uint32_t pause = static_cast<uint32_t>(std::min<uint64_t>(status.dwWaitHint + 500ull, waitLimit - waited));
    pf::Sleep(pause);
    waited += pause;
    if (!pf::QueryServiceStatus(opened.service.Get(), &status)) break;
    if (status.dwCurrentState == pf::SERVICE_RUNNING) break;
    if (status.dwCurrentState == pf::SERVICE_STOPPED) {
      // The service stopped again instead of starting: waiting longer cannot help.
      pf::SetLastError(status.dwWin32ExitCode ? status.dwWin32ExitCode : pf::ERROR_SERVICE_NOT_ACTIVE);
      return false;
    }
  }
  return true;
}

bool StopService(const std::string& serviceName) {
  OpenedService opened;
  if (!OpenService(serviceName, opened)) return false;
  pf::SERVICE_STATUS status;
  if (!pf::ControlService(opened.service.Get(), pf::SERVICE_CONTROL_STOP, &status)) return false;
  uint64_t waited = std::min<uint32_t>(1000, waitLimit);
  pf::Sleep(static_cast<uint32_t>(waited));
  while (status.dwCurrentState != pf::SERVICE_STOPPED) {
    if (waited >= waitLimit) return TimedOut();
    const uint32_t pause = static_cast<uint32_t>(std::min<uint64_t>(500, waitLimit - waited));
    pf::Sleep(pause);
    waited += pause;
    if (!pf::QueryServiceStatus(opened.service.Get(), &status)) break;
  }
  return true;
}

bool RestartService(const std::string& serviceName) {
  StopService(serviceName);
  return StartService(serviceName);
}

}  // namespace velto
