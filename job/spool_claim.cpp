#include "job/spool_claim.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/windows_directory.h"

namespace velto {

namespace {

constexpr const char* kClaimedSuffix = ".claimed";

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};

bool HasSpoolExtension(const char* name) {
  size_t length = std::char_traits<char>::length(name);
  return length > 4 && ::strcasecmp(name + length - 4, ".spl") == 0;
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Renames without ever replacing an existing file; of two processes renaming the same file, one wins.
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without that rename: a hard link fails on an existing name, and only one process
  // can remove the old name.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  if (::unlink(from.c_str()) == 0) return true;
  int error = errno;
  ::unlink(to.c_str());
  errno = error;
  return false;
}

// The part of a claimed path before ".<pid>.claimed", or none when `path` is not a claimed path.
std::optional<std::string> ClaimedBase(const std::string& path) {
  std::string_view text = path;
  std::string_view suffix = kClaimedSuffix;
  if (!text.ends_with(suffix)) return std::nullopt;
  text.remove_suffix(suffix.size());
  auto dot = text.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == text.size()) return std::nullopt;
  for (char c : text.substr(dot + 1)) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::string base(text.substr(0, dot));
  if (base.size() <= 4 || ::strcasecmp(base.c_str() + base.size() - 4, ".spl") != 0) return std::nullopt;
  return base;
}

}  // namespace

std::optional<std::string> ClaimFirstSpoolFile(const std::string& directory) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(directory.c_str()));
  if (!dir) return std::nullopt;
  std::string claimSuffix(1, '.');
  claimSuffix.append(std::to_string(::getpid())).append(kClaimedSuffix);
  while (const dirent* entry = ::readdir(dir.get())) {
    if (!HasSpoolExtension(entry->d_name)) continue;
    std::string path = directory;
    path.append(1, platform::kPathSeparator).append(entry->d_name);
    if (path.size() >= kSpoolPathChars) continue;  // would not fit; never cut into another path
    if (!IsRegularFile(path)) continue;
    std::string claimed = path + claimSuffix;
    if (RenameNoReplace(path, claimed)) return claimed;
    // Another copy took it first (or it cannot be renamed): try the next one.
  }
  return std::nullopt;
}

bool IsClaimedSpoolPath(const std::string& path) { return ClaimedBase(path).has_value(); }

std::string UnclaimedSpoolPath(const std::string& path) { return ClaimedBase(path).value_or(path); }

bool ReleaseSpoolClaim(const std::string& claimedPath) {
  auto base = ClaimedBase(claimedPath);
  if (!base) return false;
  if (RenameNoReplace(claimedPath, *base)) return true;
  if (errno != EEXIST) return false;
  // NAME.spl is taken by a new job: give this one NAME-2.spl, NAME-3.spl, …
  std::string stem = base->substr(0, base->size() - 4);
  std::string extension = base->substr(base->size() - 4);
  for (int n = 2; n < 1000; ++n) {
    std::string candidate = stem + "-" + std::to_string(n) + extension;
    if (RenameNoReplace(claimedPath, candidate)) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

std::optional<std::string> SetSpoolFileAside(const std::string& spoolPath) {
  std::string base = UnclaimedSpoolPath(spoolPath);
  for (int n = 1; n < 1000; ++n) {
    std::string candidate = n == 1 ? base + ".failed" : base + "." + std::to_string(n) + ".failed";
    if (RenameNoReplace(spoolPath, candidate)) return candidate;
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace velto
