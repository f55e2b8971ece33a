#include "platform/replacing_output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

namespace velto::platform {
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

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A device, pipe or socket is written in place: there is no file to replace, and renaming would put a
// plain file where the device was.
bool IsSpecialFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

// A link is followed, so that the file it names is replaced and the link stays a link.
std::string FollowLinks(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

// Exclusive create with mode 0666, so the process umask applies as it does to any new file.
bool CreateExclusive(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace

std::string SystemErrorText(int systemError) {
  if (systemError == 0) return "unknown error";
  return std::strerror(systemError);
}

ReplacingOutputFile::ReplacingOutputFile(std::string target) : target_(std::move(target)) {}

ReplacingOutputFile::~ReplacingOutputFile() { Discard(); }

void ReplacingOutputFile::Fail(int systemError) { error_ = SystemErrorText(systemError); }

void ReplacingOutputFile::Fail(std::string reason) { error_ = std::move(reason); }

bool ReplacingOutputFile::Create() {
  Discard();
  error_.clear();
  if (target_.empty() || target_.back() == '/' || IsFolder(target_)) {
    Fail(EISDIR);
    return false;
  }
  if (IsSpecialFile(target_)) {
    temp_ = target_;
    inPlace_ = true;
    return true;
  }
  inPlace_ = false;
  const std::string target = FollowLinks(target_);
  const std::string folder = FolderOf(target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08X~", RandomNumber());
    // Beside the target under its own name; a short name in the same folder when that is too long.
    std::string candidate = target + suffix;
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
    if (errno != EEXIST) {
      Fail(errno);
      return false;
    }
  }
  Fail(EEXIST);
  return false;
}

bool ReplacingOutputFile::Commit() {
  if (temp_.empty()) {
    if (error_.empty()) Fail(ENOENT);
    return false;
  }
  if (inPlace_) {
    temp_.clear();
    return true;
  }
  if (std::rename(temp_.c_str(), FollowLinks(target_).c_str()) != 0) {
    Fail(errno);
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

void ReplacingOutputFile::Discard() {
  if (temp_.empty()) return;
  if (!inPlace_) ::unlink(temp_.c_str());
  temp_.clear();
}

}  // namespace velto::platform
