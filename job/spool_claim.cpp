#include "job/spool_claim.h"

#include <cerrno>
#include <map>
#include <string_view>

#include "platform/files.h"
#include "platform/windows_directory.h"

namespace velto {

namespace {

constexpr const char* kClaimedSuffix = ".claimed";

using platform::RenameNoReplace;

bool g_claimByCopy = false;

// The originals of the jobs claimed by copy, by the path of their copy.
std::map<std::string, platform::HeldFile>& HeldOriginals() {
  static std::map<std::string, platform::HeldFile> held;
  return held;
}

// The folder does not let this user rename the file: try holding it instead.
bool RenameRefused(int error) { return error == EACCES || error == EPERM || error == EROFS; }

// Claims `path` by holding it and copying it to the user's job folder; the copy's path, or none when
// another copy of the program holds the file or the copy cannot be made.
std::optional<std::string> ClaimByCopy(const std::string& path, const std::string& name,
                                       const std::string& claimSuffix) {
  auto folder = platform::UserJobFolder();
  if (!folder) return std::nullopt;
  std::string copy = *folder;
  copy.append(1, platform::kPathSeparator).append(name).append(claimSuffix);
  if (copy.size() >= kSpoolPathChars) return std::nullopt;
  auto held = platform::HeldFile::Hold(path);
  if (!held) return std::nullopt;
  platform::RemoveFile(copy);  // a copy of this process number left by a program that ended early
  if (!held->CopyTo(copy)) return std::nullopt;
  HeldOriginals().insert_or_assign(copy, std::move(*held));
  return copy;
}

// Deletes the original of a job claimed by copy, and lets it go.
void DeleteHeldOriginal(const std::string& claimedPath) {
  auto& held = HeldOriginals();
  auto it = held.find(claimedPath);
  if (it == held.end()) return;
  it->second.Delete();
  held.erase(it);
}

// ".spl" at the end of a name, without regard to case.
bool HasSpoolExtension(std::string_view name) {
  if (name.size() <= 4) return false;
  std::string_view ending = name.substr(name.size() - 4);
  const char* wanted = ".spl";
  for (size_t i = 0; i < 4; ++i) {
    const char c = ending[i] >= 'A' && ending[i] <= 'Z' ? static_cast<char>(ending[i] - 'A' + 'a') : ending[i];
    if (c != wanted[i]) return false;
  }
  return true;
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
  if (!HasSpoolExtension(base)) return std::nullopt;
  return base;
}

}  // namespace

std::optional<std::string> ClaimFirstSpoolFile(const std::string& directory) {
  auto names = platform::ListFolder(directory);
  if (!names) return std::nullopt;
  std::string claimSuffix(1, '.');
  claimSuffix.append(std::to_string(platform::ProcessId())).append(kClaimedSuffix);
  for (const std::string& name : *names) {
    if (!HasSpoolExtension(name)) continue;
    std::string path = directory;
    path.append(1, platform::kPathSeparator).append(name);
    if (path.size() >= kSpoolPathChars) continue;  // would not fit; never cut into another path
    if (!platform::IsRegularFile(path)) continue;
    std::string claimed = path + claimSuffix;
    if (!g_claimByCopy) {
      if (RenameNoReplace(path, claimed)) return claimed;
      // Another copy took it first (or it is gone): try the next one.
      if (!RenameRefused(errno)) continue;
    }
    if (auto copy = ClaimByCopy(path, name, claimSuffix)) return copy;
  }
  return std::nullopt;
}

bool IsClaimedSpoolPath(const std::string& path) { return ClaimedBase(path).has_value(); }

std::string UnclaimedSpoolPath(const std::string& path) { return ClaimedBase(path).value_or(path); }

bool ReleaseSpoolClaim(const std::string& claimedPath) {
  auto base = ClaimedBase(claimedPath);
  if (!base) return false;
  // A job claimed by copy is given back by letting the original go; the copy is not needed.
  if (auto it = HeldOriginals().find(claimedPath); it != HeldOriginals().end()) {
    HeldOriginals().erase(it);
    platform::RemoveFile(claimedPath);
    return true;
  }
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
    if (RenameNoReplace(spoolPath, candidate)) {
      // The job is kept in the user's job folder: the original is no longer needed.
      DeleteHeldOriginal(spoolPath);
      return candidate;
    }
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

void FinishSpoolClaim(const std::string& spoolPath) {
  platform::RemoveFile(spoolPath);
  DeleteHeldOriginal(spoolPath);
}

void ClaimByCopyForTesting(bool copy) { g_claimByCopy = copy; }

}  // namespace velto
