#include <windows.h>

#include "platform/version.h"

namespace velto::platform {

bool QueryOsVersion(OsVersion& version) {
  version = OsVersion{};
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;  // the basic record of 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  // Deprecated, but it is the call whose answer decides the Windows 2000 and XP paths.
  if (!::GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
  version.platformId = static_cast<int>(info.dwPlatformId);
  version.major = static_cast<int>(info.dwMajorVersion);
  version.minor = static_cast<int>(info.dwMinorVersion);
  return true;
}

}  // namespace velto::platform
