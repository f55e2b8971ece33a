#pragma once
// The service control manager. On Windows the system's own. Elsewhere it is kept in
// <windir>/services.ini. Each section is one service; the "spooler" service exists even without a file,
// running. A start or stop request puts the service into its pending state, which ends by the layer clock
// after the service's StartTime or StopTime (milliseconds):
//
//   [spooler]
//   State=Running            ; Stopped, StartPending, Running, StopPending
//   PendingUntil=0           ; clock time at which the pending state ends
//   StartTime=400
//   StopTime=300
//   WaitHint=200             ; the wait hint that pending states report
//   StartOutcome=Running     ; Running; Stopped (the service fails to start); Pending (never leaves it)
//
// Failures set the last error as the Win32 functions do. Include this header before <windows.h>, whose
// macros share its names.

#include <cstdint>
#include <string>

namespace velto::platform {

using SC_HANDLE = uintptr_t;

inline constexpr uint32_t SC_MANAGER_CONNECT = 0x0001;
inline constexpr uint32_t SERVICE_ALL_ACCESS = 0xF01FF;
inline constexpr uint32_t SERVICE_QUERY_STATUS = 0x0004;
inline constexpr uint32_t SERVICE_START = 0x0010;
inline constexpr uint32_t SERVICE_STOP = 0x0020;
inline constexpr uint32_t SERVICE_CONTROL_STOP = 1;

enum ServiceState : uint32_t {
  SERVICE_STOPPED = 1,
  SERVICE_START_PENDING = 2,
  SERVICE_STOP_PENDING = 3,
  SERVICE_RUNNING = 4,
};

struct SERVICE_STATUS {
  uint32_t dwServiceType = 0x110;  // own process, interactive
  uint32_t dwCurrentState = SERVICE_STOPPED;
  uint32_t dwControlsAccepted = 0;
  uint32_t dwWin32ExitCode = 0;
  uint32_t dwServiceSpecificExitCode = 0;
  uint32_t dwCheckPoint = 0;
  uint32_t dwWaitHint = 0;
};

SC_HANDLE OpenSCManagerA(const char* machineName, const char* databaseName, uint32_t access);
SC_HANDLE OpenServiceA(SC_HANDLE manager, const std::string& serviceName, uint32_t access);
bool StartServiceA(SC_HANDLE service, uint32_t argc, const char** argv);
bool ControlService(SC_HANDLE service, uint32_t control, SERVICE_STATUS* status);
bool QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status);
bool CloseServiceHandle(SC_HANDLE handle);

// The state of a service as the other layers see it (pending states resolved by the clock); 0 when there
// is no such service or its status cannot be had.
uint32_t CurrentServiceState(const std::string& serviceName);

// Closes a service or manager handle when it leaves scope.
class UniqueServiceHandle {
 public:
  explicit UniqueServiceHandle(SC_HANDLE handle = 0) : handle_(handle) {}
  ~UniqueServiceHandle() { Reset(); }
  UniqueServiceHandle(UniqueServiceHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = 0; }
  UniqueServiceHandle& operator=(UniqueServiceHandle&& other) noexcept {
    if (this != &other) { Reset(); handle_ = other.handle_; other.handle_ = 0; }
    return *this;
  }
  UniqueServiceHandle(const UniqueServiceHandle&) = delete;
  UniqueServiceHandle& operator=(const UniqueServiceHandle&) = delete;
  SC_HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != 0; }
  void Reset() { if (handle_) CloseServiceHandle(handle_); handle_ = 0; }

 private:
  SC_HANDLE handle_;
};

}  // namespace velto::platform
