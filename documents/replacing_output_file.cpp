#include "documents/replacing_output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <utility>

namespace velto {
namespace {

constexpr int kNameAttempts = 100;

uint32_t RandomNumber() {
  static std::mt19937 engine{std::random_device{}() ^ static_cast<uint32_t>(getpid())};
  return static_cast<uint32_t>(engine());
}

std::string FolderOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Exclusive create with mode 0666, so the process umask applies as it does to any new file.
bool CreateExclusive(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace

ReplacingOutputFile::ReplacingOutputFile(std::string target) : target_(std::move(target)) {}

ReplacingOutputFile::~ReplacingOutputFile() { Discard(); }

bool ReplacingOutputFile::Create() {
  Discard();
  if (target_.empty() || target_.back() == '/') return false;
  const std::string folder = FolderOf(target_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08X~", RandomNumber());
    // Beside the target under its own name; a short name in the same folder when that is too long.
    std::string candidate = target_ + suffix;
    if (CreateExclusive(candidate)) {
      temp_ = std::move(candidate);
      return true;
    }
    if (errno == ENAMETOOLONG) {
      candidate = folder + "/.velto" + suffix;
      if (CreateExclusive(candidate)) {
        temp_ = std::move(candidate);
        return true;
      }
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool ReplacingOutputFile::Commit() {
  if (temp_.empty()) return false;
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

void ReplacingOutputFile::Discard() {
  if (temp_.empty()) return;
  ::unlink(temp_.c_str());
  temp_.clear();
}

}  // namespace velto
