#include "platform/display.h"

#include <cstdlib>
#include <string>

namespace velto::platform {
namespace {
int EnvInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  if (!v || !*v) return fallback;
  char* end = nullptr;
  long n = std::strtol(v, &end, 10);
  if (end == v || n <= 0 || n > 1 << 20) return fallback;
  return static_cast<int>(n);
}
}  // namespace

int DisplayColourDepth() { return EnvInt("VELTO_SCREEN_BITS", 24); }
int FullScreenClientWidth() { return EnvInt("VELTO_SCREEN_WIDTH", 1280); }

}  // namespace velto::platform
