// Service control against the system's service manager: the spooler starts and stops, and a service that
// never finishes starting or stopping is given up on at the wait limit.
#include "platform/printing/service_manager.h"
#include "platform/printing/system_errors.h"
#include "platform/text_encoding.h"
#include "printer/service_control.h"
#include "tests/win32_printing/windows_machine.h"

namespace velto {
namespace test {
namespace {

// The test service's side (in the service's own process).
std::wstring serviceName;
SERVICE_STATUS_HANDLE statusHandle = nullptr;
SERVICE_STATUS serviceStatus{};
bool stopPending = false;
HANDLE quit = nullptr;

void Report(DWORD state, DWORD accepted) {
  serviceStatus.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  serviceStatus.dwCurrentState = state;
  serviceStatus.dwControlsAccepted = accepted;
  serviceStatus.dwCheckPoint++;
  serviceStatus.dwWaitHint = 1000;
  ::SetServiceStatus(statusHandle, &serviceStatus);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) Report(SERVICE_STOP_PENDING, 0);  // and never stops
  return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
  statusHandle = ::RegisterServiceCtrlHandlerExW(serviceName.c_str(), Control, nullptr);
  if (!statusHandle) return;
  if (stopPending)
    Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP);
  else
    Report(SERVICE_START_PENDING, 0);  // and never runs
  ::WaitForSingleObject(quit, 120000);  // ended by the test, else it gives up by itself
  Report(SERVICE_STOPPED, 0);
}

// The tests' side: a service of the test program, stopped (its process ended) and deleted at the end.
class TestService {
 public:
  explicit TestService(const char* name) : name_(name) {
    manager_ = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    wchar_t self[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::string command =
        "\"" + platform::Utf8(self) + "\" " + kTestServiceArgument + " " + name;
    if (manager_)
      service_ = ::CreateServiceA(manager_, name, name, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                  SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, platform::ToAnsi(command).c_str(),
                                  nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  ~TestService() {
    if (service_) {
      SERVICE_STATUS_PROCESS status{};
      DWORD needed = 0;
      if (::QueryServiceStatusEx(service_, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                                 &needed) &&
          status.dwProcessId) {
        if (HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, status.dwProcessId)) {
          ::TerminateProcess(process, 1);
          ::WaitForSingleObject(process, 10000);
          ::CloseHandle(process);
        }
      }
      ::DeleteService(service_);
      ::CloseServiceHandle(service_);
    }
    if (manager_) ::CloseServiceHandle(manager_);
  }
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;
  bool Created() const { return service_ != nullptr; }

 private:
  std::string name_;
  SC_HANDLE manager_ = nullptr;
  SC_HANDLE service_ = nullptr;
};

class WaitLimit {
 public:
  explicit WaitLimit(uint32_t ms) { SetServiceWaitLimit(ms); }
  ~WaitLimit() { SetServiceWaitLimit(30000); }
};

}  // namespace

int RunTestService(const std::string& name) {
  serviceName = platform::Utf16(name);
  stopPending = name == kStopPendingService;
  quit = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SERVICE_TABLE_ENTRYW table[] = {{serviceName.data(), ServiceMain}, {nullptr, nullptr}};
  return ::StartServiceCtrlDispatcherW(table) ? 0 : 1;
}

namespace {

TEST(WindowsServices, TheSpoolerStopsAndStartsAndAStartOfARunningServiceFails) {
  VELTO_REQUIRE_SCRATCH_MACHINE();
  if (ServiceState("spooler") != SERVICE_RUNNING) {
    ASSERT_TRUE(StartService("spooler"));
  }
  EXPECT_EQ(platform::CurrentServiceState("spooler"), static_cast<uint32_t>(SERVICE_RUNNING));
  EXPECT_FALSE(StartService("spooler"));
  EXPECT_EQ(platform::GetLastError(), static_cast<uint32_t>(ERROR_SERVICE_ALREADY_RUNNING));

  EXPECT_TRUE(StopService("spooler"));
  EXPECT_EQ(ServiceState("spooler"), static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_TRUE(StartService("spooler"));
  EXPECT_EQ(ServiceState("spooler"), static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_TRUE(RestartService("spooler"));
  EXPECT_EQ(ServiceState("spooler"), static_cast<DWORD>(SERVICE_RUNNING));

  EXPECT_FALSE(StartService("Velto No Such Service"));
  EXPECT_EQ(platform::GetLastError(), static_cast<uint32_t>(ERROR_SERVICE_DOES_NOT_EXIST));
  EXPECT_EQ(platform::CurrentServiceState("Velto No Such Service"), 0u);
}

TEST(WindowsServices, AServiceThatNeverFinishesStartingOrStoppingIsGivenUpOnAtTheWaitLimit) {
  VELTO_REQUIRE_SCRATCH_MACHINE();
  WaitLimit limit(2000);
  {
    TestService service(kStartPendingService);
    ASSERT_TRUE(service.Created()) << ::GetLastError();
    const ULONGLONG begun = ::GetTickCount64();
    EXPECT_FALSE(StartService(kStartPendingService));
    const ULONGLONG waited = ::GetTickCount64() - begun;
    EXPECT_TRUE(LastServiceRequestTimedOut());
    EXPECT_GE(waited, 1900u);
    EXPECT_LT(waited, 15000u);
    EXPECT_EQ(ServiceState(kStartPendingService), static_cast<DWORD>(SERVICE_START_PENDING));
  }
  {
    TestService service(kStopPendingService);
    ASSERT_TRUE(service.Created()) << ::GetLastError();
    ASSERT_TRUE(StartService(kStopPendingService));
    const ULONGLONG begun = ::GetTickCount64();
    EXPECT_FALSE(StopService(kStopPendingService));
    const ULONGLONG waited = ::GetTickCount64() - begun;
    EXPECT_TRUE(LastServiceRequestTimedOut());
    EXPECT_GE(waited, 1900u);
    EXPECT_LT(waited, 15000u);
    EXPECT_EQ(ServiceState(kStopPendingService), static_cast<DWORD>(SERVICE_STOP_PENDING));
  }
}

}  // namespace
}  // namespace test
}  // namespace velto
