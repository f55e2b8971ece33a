#include <windows.h>

#include "platform/display.h"

namespace velto::platform {

int DisplayColourDepth() {
  HDC screen = ::GetDC(nullptr);
  if (!screen) return 24;
  const int depth = ::GetDeviceCaps(screen, PLANES) * ::GetDeviceCaps(screen, BITSPIXEL);
  ::ReleaseDC(nullptr, screen);
  return depth;
}

int FullScreenClientWidth() { return ::GetSystemMetrics(SM_CXFULLSCREEN); }

}  // namespace velto::platform
