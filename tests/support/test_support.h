#pragma once
// Helpers shared by the tests: temporary folders, whole-file reads and writes, environment overrides
// and small metafiles. Paths are UTF-8 text on every platform (platform/files.h).

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
  // The folder's path as UTF-8 text.
  const std::string& Text() const { return text_; }
  // The path of `name` (UTF-8) in the folder.
  std::string File(const std::string& name) const;

 private:
  std::filesystem::path path_;
  std::string text_;
};

// Sets an environment variable for the length of a scope and restores the previous value afterwards.
// On Windows two names stand for what the system has in their place: "VELTO_WINDIR" sets the tests'
// own Windows directory (platform::SetWindowsDirectoryForTesting), "TMPDIR" sets TMP and TEMP, which
// GetTempPathW reads.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::vector<std::string> names_;
  std::vector<std::optional<std::string>> previous_;
};

// The value of an environment variable (UTF-8); no value when it is not set.
std::optional<std::string> GetEnv(const std::string& name);
// The project's source and build folders: $VELTO_SOURCE_DIR and $VELTO_BUILD_DIR, else the folders the
// tests were built from and in.
std::string SourceDirectory();
std::string BuildDirectory();
// Sets (or with no value removes) an environment variable of this process.
void SetEnv(const std::string& name, const std::optional<std::string>& value);

// The ANSI code page the program's 8-bit texts are in: the system's on Windows (936 on a Chinese
// system), 936 elsewhere, where the program stands in for a Chinese system.
unsigned AnsiCodePage();

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteTextFile(const std::string& path, const std::string& text);
// Whether anything of that name exists; the names of a folder's entries, sorted.
bool Exists(const std::string& path);
std::vector<std::string> FilesIn(const std::string& folder);

// A recorder for an A4-like page: frame 0,0–21000,29700 (hundredths of mm) on a 2480 × 3508 pixel,
// 210 × 297 mm reference device (300 dpi). MetafilePageSize of it is 2480 × 3508.
emf::MetafileRecorder A4Recorder();
// A page that draws one black rectangle and the text `text` (EMR_EXTTEXTOUTW).
std::vector<uint8_t> SimplePage(const std::u16string& text = u"Hello");

}  // namespace velto::test
