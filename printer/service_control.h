#pragma once
// Starting and stopping a service (here always the "spooler") and waiting until it has done so. Every
// wait is bounded: a service that does not reach the awaited state within the wait limit (30 s unless
// changed) is given up on, the request counts as failed and the last error says
// ERROR_SERVICE_REQUEST_TIMEOUT.

#include <cstdint>
#include <string>

// <windows.h> makes StartService a macro for StartServiceA/W; the functions here are our own.
#ifdef StartService
#undef StartService
#endif

namespace velto {

// True when the start request was accepted and the service is running; false when it could not be
// asked, was running already, stopped again instead of starting, or did not start within the limit.
bool StartService(const std::string& serviceName);
// True when the stop request was accepted and the service has stopped (or its status can no longer be
// read); false when it could not be asked or did not stop within the limit.
bool StopService(const std::string& serviceName);
// StopService, then StartService; the result is StartService's.
bool RestartService(const std::string& serviceName);

// The longest time one request waits for its service, in milliseconds.
uint32_t ServiceWaitLimit();
void SetServiceWaitLimit(uint32_t milliseconds);

// True when the last service request failed by reaching the wait limit.
bool LastServiceRequestTimedOut();

}  // namespace velto
