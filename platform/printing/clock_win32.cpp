// The system clock: the tick count (milliseconds since the machine started, the same in every process)
// and the system's Sleep.
#include "platform/printing/clock.h"

#include <windows.h>

namespace velto::platform {
namespace {

class SystemClock final : public Clock {
 public:
  uint64_t NowMs() override { return static_cast<uint64_t>(::GetTickCount64()); }
  void SleepMs(uint32_t ms) override { ::Sleep(ms); }
};

SystemClock systemClock;
Clock* current = nullptr;

}  // namespace

Clock& CurrentClock() { return current ? *current : systemClock; }
void SetClock(Clock* clock) { current = clock; }

}  // namespace velto::platform
