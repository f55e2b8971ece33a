#pragma once
// An output file is written under a temporary name beside its target and renamed over the target only
// when it is complete: an existing file is replaced in one step, a failed write leaves nothing behind and
// destroys nothing, and two programs writing the same name at once each leave a whole file of their own.
// A link is followed (the file it names is replaced); a device or pipe is written in place. Every failure
// keeps the system's reason ("No space left on device").

#include <string>

#include "platform/files.h"

namespace velto::platform {

class ReplacingOutputFile {
 public:
  explicit ReplacingOutputFile(std::string target);
  // Removes the temporary file unless it was committed.
  ~ReplacingOutputFile();
  ReplacingOutputFile(const ReplacingOutputFile&) = delete;
  ReplacingOutputFile& operator=(const ReplacingOutputFile&) = delete;

  // Creates an empty temporary file in the target's folder (permissions as for any new file). False when
  // the target is a folder, the folder is missing or not writable, or no free name was found.
  bool Create();
  const std::string& TempPath() const { return temp_; }
  const std::string& Target() const { return target_; }
  // Renames the finished temporary file over the target. False (temporary file removed) on failure.
  bool Commit();
  // Removes the temporary file now.
  void Discard();
  // Why Create or Commit failed, in the system's words; a writer that failed on the temporary file
  // itself records its own reason here with Fail.
  const std::string& Error() const { return error_; }
  void Fail(int systemError);
  void Fail(std::string reason);

 private:
  std::string target_;
  std::string temp_;
  std::string error_;
  bool inPlace_ = false;  // a device or pipe, written directly
};

}  // namespace velto::platform
