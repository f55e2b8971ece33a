#pragma once
// A document is written under a temporary name beside its target and renamed over the target only when
// it is complete: an existing file is replaced in one step, and a failed document leaves nothing behind.

#include <string>

namespace velto {

class ReplacingOutputFile {
 public:
  explicit ReplacingOutputFile(std::string target);
  // Removes the temporary file unless it was committed.
  ~ReplacingOutputFile();
  ReplacingOutputFile(const ReplacingOutputFile&) = delete;
  ReplacingOutputFile& operator=(const ReplacingOutputFile&) = delete;

  // Creates an empty temporary file in the target's folder (permissions as for any new file). False when
  // the folder is not writable or no free name was found.
  bool Create();
  const std::string& TempPath() const { return temp_; }
  const std::string& Target() const { return target_; }
  // Renames the finished temporary file over the target. False (temporary file removed) on failure.
  bool Commit();
  // Removes the temporary file now.
  void Discard();

 private:
  std::string target_;
  std::string temp_;
};

}  // namespace velto
