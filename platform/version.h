#pragma once
// The platform version, as GetVersionExA reports it. This platform reports the NT line at version 10.0:
// neither Windows 2000 (5.0) nor XP (5.1), so the Parts' version-specific paths stay closed.

namespace velto::platform {

struct OsVersion {
  int platformId = 2;  // VER_PLATFORM_WIN32_NT
  int major = 10;
  int minor = 0;
};

// No value when the version cannot be had.
bool QueryOsVersion(OsVersion& version);

}  // namespace velto::platform
