#include "platform/printing/clock.h"

#include <chrono>
#include <thread>

namespace velto::platform {
namespace {

class SystemClock final : public Clock {
 public:
  uint64_t NowMs() override {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
  }
  void SleepMs(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

SystemClock systemClock;
Clock* current = nullptr;

}  // namespace

Clock& CurrentClock() { return current ? *current : systemClock; }
void SetClock(Clock* clock) { current = clock; }

}  // namespace velto::platform
