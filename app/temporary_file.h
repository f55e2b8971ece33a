#pragma once
// A file of the program's own that is removed at the end of the scope.

#include <string>
#include <utility>

#include "platform/files.h"

namespace velto {

class TemporaryFile {
 public:
  TemporaryFile() = default;
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!path_.empty()) platform::RemoveFile(path_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  TemporaryFile(TemporaryFile&& other) noexcept : path_(std::exchange(other.path_, {})) {}
  TemporaryFile& operator=(TemporaryFile&& other) noexcept {
    std::swap(path_, other.path_);
    return *this;
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Makes an empty file of our own in the temporary directory, named with `stem` and `extension`. False
// with the reason in `error` when none could be made.
bool MakeTemporaryFile(const std::string& stem, const std::string& extension, TemporaryFile& file, std::string& error);

}  // namespace velto
