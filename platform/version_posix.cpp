#include "platform/version.h"

namespace velto::platform {

bool QueryOsVersion(OsVersion& version) {
  version = OsVersion{};
  return true;
}

}  // namespace velto::platform
