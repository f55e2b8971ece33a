#include "platform/printing/service_manager.h"

#include <map>

#include "platform/printing/clock.h"
#include "platform/printing/state_file.h"
#include "platform/printing/system_errors.h"
#include "platform/printing/system_paths.h"

namespace velto::platform {
namespace {

struct Handle {
  bool manager = false;
  std::string service;
  uint32_t access = 0;
};

std::map<SC_HANDLE, Handle>& Handles() {
  static std::map<SC_HANDLE, Handle> handles;
  return handles;
}
SC_HANDLE nextHandle = 0x2000;

std::string ServicesFile() { return SystemStatePath("services.ini"); }

const char* StateName(uint32_t state) {
  switch (state) {
    case SERVICE_START_PENDING: return "StartPending";
    case SERVICE_STOP_PENDING: return "StopPending";
    case SERVICE_RUNNING: return "Running";
    default: return "Stopped";
  }
}

uint32_t ParseState(const std::string& name) {
  if (EqualsNoCase(name, "StartPending")) return SERVICE_START_PENDING;
  if (EqualsNoCase(name, "StopPending")) return SERVICE_STOP_PENDING;
  if (EqualsNoCase(name, "Running")) return SERVICE_RUNNING;
  return SERVICE_STOPPED;
}

uint64_t Number(const StateSection& s, const char* key, uint64_t fallback) {
  try {
    const std::string* v = s.Find(key);
    return v && !v->empty() ? std::stoull(*v) : fallback;
  } catch (...) {
    return fallback;
  }
}

// The services file with the built-in spooler added when it is not described.
StateFile LoadServices() {
  StateFile file = StateFile::Load(ServicesFile());
  if (!file.Find("spooler")) {
    StateSection& s = file.FindOrAdd("spooler");
    s.Set("DisplayName", "Print Spooler");
    s.Set("State", "Running");
  }
  return file;
}

bool SaveServices(const StateFile& file) { return file.Save(ServicesFile(), "services"); }

// Ends a pending state whose time has come. True when the section changed.
bool Advance(StateSection& s) {
  uint32_t state = ParseState(s.Get("State"));
  if (state != SERVICE_START_PENDING && state != SERVICE_STOP_PENDING) return false;
  if (NowMs() < Number(s, "PendingUntil", 0)) return false;
  if (state == SERVICE_STOP_PENDING) {
    s.Set("State", "Stopped");
  } else {
    std::string outcome = s.Get("StartOutcome", "Running");
    if (EqualsNoCase(outcome, "Pending")) return false;
    s.Set("State", EqualsNoCase(outcome, "Stopped") ? "Stopped" : "Running");
  }
  s.Erase("PendingUntil");
  return true;
}

void FillStatus(const StateSection& s, SERVICE_STATUS* status) {
  if (!status) return;
  *status = SERVICE_STATUS{};
  status->dwCurrentState = ParseState(s.Get("State"));
  bool pending = status->dwCurrentState == SERVICE_START_PENDING || status->dwCurrentState == SERVICE_STOP_PENDING;
  status->dwWaitHint = pending ? static_cast<uint32_t>(Number(s, "WaitHint", 200)) : 0;
  status->dwCheckPoint = pending ? 1 : 0;
  status->dwControlsAccepted = status->dwCurrentState == SERVICE_RUNNING ? 1 : 0;
}

const Handle* ServiceHandle(SC_HANDLE handle) {
  auto it = Handles().find(handle);
  if (it == Handles().end() || it->second.manager) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return &it->second;
}

}  // namespace

SC_HANDLE OpenSCManagerA(const char* machineName, const char*, uint32_t access) {
  if (machineName && *machineName) {
    SetLastError(RPC_S_SERVER_UNAVAILABLE);  // only the local machine is reachable
    return 0;
  }
  SC_HANDLE h = nextHandle++;
  Handles()[h] = Handle{true, {}, access};
  return h;
}

SC_HANDLE OpenServiceA(SC_HANDLE manager, const std::string& serviceName, uint32_t access) {
  auto it = Handles().find(manager);
  if (it == Handles().end() || !it->second.manager) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  StateFile file = LoadServices();
  const StateSection* s = file.Find(serviceName);
  if (!s) {
    SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
    return 0;
  }
  SC_HANDLE h = nextHandle++;
  Handles()[h] = Handle{false, s->name, access};
  return h;
}

bool StartServiceA(SC_HANDLE service, uint32_t, const char**) {
  ScopedStateLock lock;
  const Handle* h = ServiceHandle(service);
  if (!h) return false;
  if (!(h->access & SERVICE_START)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  StateFile file = LoadServices();
  StateSection& s = file.FindOrAdd(h->service);
  Advance(s);
  uint32_t state = ParseState(s.Get("State"));
  if (state == SERVICE_RUNNING || state == SERVICE_START_PENDING) {
    SaveServices(file);
    SetLastError(ERROR_SERVICE_ALREADY_RUNNING);
    return false;
  }
  if (state == SERVICE_STOP_PENDING) {
    SaveServices(file);
    SetLastError(ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
    return false;
  }
  s.Set("State", StateName(SERVICE_START_PENDING));
  s.Set("PendingUntil", std::to_string(NowMs() + Number(s, "StartTime", 400)));
  if (!SaveServices(file)) {
    SetLastError(ERROR_WRITE_FAULT);
    return false;
  }
  return true;
}

bool ControlService(SC_HANDLE service, uint32_t control, SERVICE_STATUS* status) {
  ScopedStateLock lock;
  const Handle* h = ServiceHandle(service);
  if (!h) return false;
  if (control != SERVICE_CONTROL_STOP) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!(h->access & SERVICE_STOP)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  StateFile file = LoadServices();
  StateSection& s = file.FindOrAdd(h->service);
  Advance(s);
  uint32_t state = ParseState(s.Get("State"));
  if (state == SERVICE_STOPPED) {
    SaveServices(file);
    FillStatus(s, status);
    SetLastError(ERROR_SERVICE_NOT_ACTIVE);
    return false;
  }
  if (state != SERVICE_RUNNING) {
    SaveServices(file);
    FillStatus(s, status);
    SetLastError(ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
    return false;
  }
  s.Set("State", StateName(SERVICE_STOP_PENDING));
  s.Set("PendingUntil", std::to_string(NowMs() + Number(s, "StopTime", 300)));
  FillStatus(s, status);
  if (!SaveServices(file)) {
    SetLastError(ERROR_WRITE_FAULT);
    return false;
  }
  return true;
}

bool QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
  ScopedStateLock lock;
  const Handle* h = ServiceHandle(service);
  if (!h) return false;
  StateFile file = LoadServices();
  StateSection& s = file.FindOrAdd(h->service);
  if (Advance(s)) SaveServices(file);
  FillStatus(s, status);
  return true;
}

bool CloseServiceHandle(SC_HANDLE handle) {
  if (Handles().erase(handle)) return true;
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

uint32_t CurrentServiceState(const std::string& serviceName) {
  ScopedStateLock lock;
  StateFile file = LoadServices();
  StateSection* s = file.Find(serviceName);
  if (!s) return 0;
  if (Advance(*s)) SaveServices(file);
  return ParseState(s->Get("State"));
}

}  // namespace velto::platform
