#include "app/temporary_file.h"

#include <cerrno>
#include <cstdio>

#include "platform/windows_directory.h"

namespace velto {

bool MakeTemporaryFile(const std::string& stem, const std::string& extension, TemporaryFile& file, std::string& error) {
  const std::string folder = platform::TempDirectory();
  if (folder.empty()) {
    error = "the system names no folder for temporary files";
    return false;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    char number[16];
    std::snprintf(number, sizeof number, "%08X", platform::UniqueNumber());
    const std::string candidate = folder + platform::kPathSeparator + stem + "-" + number + extension;
    if (platform::CreateNewFile(candidate, true)) {
      file = TemporaryFile(candidate);
      return true;
    }
    if (errno != EEXIST) break;
  }
  error = "cannot make a temporary file in " + folder + ": " + platform::SystemErrorText(errno);
  return false;
}

}  // namespace velto
