#pragma once
// Helpers shared by the tests: temporary folders, whole-file reads and writes, environment overrides
// and small metafiles.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/emf/metafile_recorder.h"

namespace velto::test {

// A fresh folder under the temporary directory, removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Sets an environment variable for the length of a scope and restores the previous value afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteTextFile(const std::string& path, const std::string& text);

// A recorder for an A4-like page: frame 0,0–21000,29700 (hundredths of mm) on a 2480 × 3508 pixel,
// 210 × 297 mm reference device (300 dpi). MetafilePageSize of it is 2480 × 3508.
emf::MetafileRecorder A4Recorder();
// A page that draws one black rectangle and the text `text` (EMR_EXTTEXTOUTW).
std::vector<uint8_t> SimplePage(const std::u16string& text = u"Hello");

}  // namespace velto::test
