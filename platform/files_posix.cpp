#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <thread>

#include "platform/files.h"

namespace velto::platform {

StdioFile OpenStdioFile(const std::string& path, const char* mode) { return StdioFile(std::fopen(path.c_str(), mode)); }

StdioFile OpenStdioFileForWriting(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd >= 0) {
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0) {
      if (FILE* file = ::fdopen(fd, "wb")) return StdioFile(file);
    }
    ::close(fd);
  }
  return OpenStdioFile(path, "wb");
}

std::filesystem::path FsPath(const std::string& path) { return std::filesystem::path(path); }

std::string Utf8Path(const std::filesystem::path& path) { return path.string(); }

bool FileExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::lstat(path.c_str(), &info) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsSpecialFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

bool ReplaceFile(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without that rename: a hard link fails on an existing name, and only one process
  // can remove the old name.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  if (::unlink(from.c_str()) == 0) return true;
  const int error = errno;
  ::unlink(to.c_str());
  errno = error;
  return false;
}

bool CreateNewFile(const std::string& path, bool ownerOnly) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, ownerOnly ? 0600 : 0666);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

StdioFile OpenForWritingUnlinked(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  StdioFile file(::fdopen(fd, "wb"));
  if (!file) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
}

std::string FollowLinks(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

std::optional<HeldFile> HeldFile::Hold(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return std::nullopt;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno == EWOULDBLOCK ? EBUSY : errno;
    ::close(fd);
    errno = error;
    return std::nullopt;
  }
  return HeldFile(path, fd);
}

void HeldFile::Release() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
}

bool HeldFile::CopyTo(const std::string& target) {
  if (handle_ < 0) {
    errno = EBADF;
    return false;
  }
  const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) return false;
  char buffer[65536];
  off_t offset = 0;
  bool ok = true;
  for (;;) {
    const ssize_t got = ::pread(static_cast<int>(handle_), buffer, sizeof buffer, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) {
        ok = false;
        break;
      }
      done += put;
    }
    if (!ok) break;
    offset += got;
  }
  const int error = errno;
  if (::close(out) != 0 && ok) ok = false;
  if (!ok) {
    ::unlink(target.c_str());
    errno = error ? error : EIO;
  }
  return ok;
}

bool HeldFile::Delete() { return ::unlink(path_.c_str()) == 0; }

std::optional<std::vector<std::string>> ListFolder(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  return names;
}

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return ".";
  return buffer;
}

bool SeekFile(std::FILE* file, int64_t offset, int origin) { return ::fseeko(file, static_cast<off_t>(offset), origin) == 0; }

int64_t TellFile(std::FILE* file) { return static_cast<int64_t>(::ftello(file)); }

uint32_t ProcessId() { return static_cast<uint32_t>(::getpid()); }

void SetBinaryMode(std::FILE*) {}

bool IsTerminal(std::FILE* file) { return ::isatty(::fileno(file)) == 1; }

uint32_t UniqueNumber() {
  thread_local std::mt19937 engine{std::random_device{}() ^ ProcessId() ^
                                   static_cast<uint32_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()))};
  return static_cast<uint32_t>(engine());
}

std::string SystemErrorText(int systemError) {
  if (systemError == 0) return "unknown error";
  return std::strerror(systemError);
}

}  // namespace velto::platform
