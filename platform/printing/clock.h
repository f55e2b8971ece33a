#pragma once
// Time for the printing layers: pauses (Sleep) and a millisecond clock (GetTickCount64 on Windows).
// Service waits pause through it, and where the service manager is our own its pending states end by it,
// so tests that put a virtual clock in place run every pause and wait instantly and can read which pauses
// were taken.

#include <cstdint>

namespace velto::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint64_t NowMs() = 0;  // milliseconds since an epoch shared by all processes
  virtual void SleepMs(uint32_t ms) = 0;
};

Clock& CurrentClock();
void SetClock(Clock* clock);  // nullptr restores the system clock; the caller keeps ownership

inline void Sleep(uint32_t ms) { CurrentClock().SleepMs(ms); }
inline uint64_t NowMs() { return CurrentClock().NowMs(); }

}  // namespace velto::platform
